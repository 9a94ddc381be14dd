#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tusko {

// Reader of the INI files that hold the language index and the language texts.
// It follows the conventions of the platform these files come from:
//   - Lines end with LF, CR LF or CR. A UTF-8 byte-order mark at the start is skipped.
//   - "[name]" opens a section; the name runs to the last ']' and is trimmed. A line
//     that starts with '[' but has no ']' is ignored and the current section goes on.
//   - "key=value" is an entry: the key runs to the first '=' and is trimmed; the value
//     is the rest of the line, trimmed. A value enclosed in a pair of matching double or
//     single quotes loses the quotes (and keeps the blanks inside them).
//   - Blanks are spaces and tabs. Empty lines, lines whose first non-blank character
//     is ';', lines without '=', entries with an empty key and entries before the first
//     section are ignored. There are no inline comments: a ';' inside a value is text.
//   - Section and key names compare without regard to ASCII case.
//   - The first occurrence wins: a repeated key is ignored, and so are all entries of
//     a repeated section.
// Each value is also kept as written (leading blanks skipped, nothing else changed)
// for the one check that must see a stray trailing blank: the language file version.
class IniFile {
 public:
  // Files larger than this are not read at all: no language file comes near it.
  static constexpr std::size_t kMaxFileBytes = 4 * 1024 * 1024;

  static IniFile Parse(std::string_view text);
  // Empty when the path is not a readable regular file or is too large.
  static std::optional<IniFile> Load(const std::filesystem::path& path);

  bool HasSection(std::string_view section) const;
  std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;
  std::optional<std::string_view> FindAsWritten(std::string_view section, std::string_view key) const;
  std::string GetString(std::string_view section, std::string_view key, std::string_view fallback = {}) const;
  // The keys of a section as first written, in no particular order.
  std::vector<std::string> Keys(std::string_view section) const;
  // Leading decimal digits with an optional sign, as the platform reads numbers:
  // "12abc" is 12, no digits give 0, a negative number gives 0, a missing key the fallback.
  int GetInt(std::string_view section, std::string_view key, int fallback) const;

 private:
  struct Entry {
    std::string name;
    std::string value;
    std::string asWritten;
  };
  using Section = std::unordered_map<std::string, Entry>;

  const Entry* FindEntry(std::string_view section, std::string_view key) const;

  std::unordered_map<std::string, Section> sections_;
};

}  // namespace tusko
