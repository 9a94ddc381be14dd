#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tusko {

// The settings file as lines: "[Section]" headers and "Name=value" lines, with
// every other line (comments, blank lines, anything typed by hand) kept as it
// is. Changing a value rewrites its own line only, so the text of everything
// else survives. Names compare without regard to ASCII case.
class SettingsDocument {
 public:
  static SettingsDocument Parse(std::string_view text);
  std::string text() const;

  // The text after the '=' without surrounding blanks; the first line of that
  // name in the section counts.
  std::optional<std::string_view> value(std::string_view section, std::string_view name) const;
  // False, and nothing changes, when the section, name or value cannot be
  // written as a line that reads back the same.
  bool setValue(std::string_view section, std::string_view name, std::string_view raw);
  // Removes every line of that name in the section.
  void removeValue(std::string_view section, std::string_view name);

 private:
  enum class LineKind { Other, Header, Value };
  struct Line {
    std::string text{};     // as written, including a carriage return of a CRLF file
    LineKind kind = LineKind::Other;
    std::string section{};  // the header's own name, or that of the section the line is in
    std::string name{};
    std::string value{};
  };

  static Line ParseLine(std::string_view text, std::string_view section);
  static bool IsValueLine(const Line& line, std::string_view section, std::string_view name);

  std::vector<Line> lines_;
};

}  // namespace tusko
