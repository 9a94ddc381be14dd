#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tusko {

// Section of the program, file and window settings, and the recent-files list's own section.
inline constexpr std::string_view kSettingsSection = "DravenixIsdnTusko";
inline constexpr std::string_view kRecentDocumentSection = "Recent Document List";

// Where the settings records are kept: sections of named numbers and texts, as
// registry keys hold values. The records read and write through this only, so a
// settings file, an in-memory store or a registry store fit behind it.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;

  // Opens a section for reading and writing, creating it when missing. False
  // when it cannot be opened: readers keep their defaults and nothing is written.
  virtual bool openSection(std::string_view section) = 0;

  // Empty when the value is missing, of the other type or unreadable.
  virtual std::optional<std::uint32_t> readNumber(std::string_view section, std::string_view name) const = 0;
  virtual std::optional<std::string> readText(std::string_view section, std::string_view name) const = 0;

  // False when the value cannot be stored under that name.
  virtual bool writeNumber(std::string_view section, std::string_view name, std::uint32_t value) = 0;
  virtual bool writeText(std::string_view section, std::string_view name, std::string_view value) = 0;
  // Deleting a missing value succeeds.
  virtual bool deleteValue(std::string_view section, std::string_view name) = 0;

  // Makes the writes and deletions so far durable; false when they could not be kept.
  virtual bool commit() = 0;
};

// Section and value names compare without regard to ASCII case, as registry names do.
inline char FoldSettingsNameChar(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline bool SameSettingsName(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, {}, FoldSettingsNameChar, FoldSettingsNameChar);
}

struct SettingsNameLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const {
    return std::ranges::lexicographical_compare(a, b, {}, FoldSettingsNameChar, FoldSettingsNameChar);
  }
};

}  // namespace tusko
