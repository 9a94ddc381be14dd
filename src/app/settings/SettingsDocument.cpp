#include "app/settings/SettingsDocument.h"

#include <algorithm>

#include "app/settings/SettingsStore.h"

namespace tusko {
namespace {

// A carriage return ends the lines of a file written with CRLF line ends.
constexpr std::string_view kBlanks = " \t\r";
constexpr std::string_view kLineBreaks = "\r\n";
constexpr std::string_view kCommentStarts = ";#";
constexpr char kHeaderOpen = '[';
constexpr char kHeaderClose = ']';
constexpr char kAssign = '=';

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// A piece of a line that parsing gives back unchanged: no line breaks, and no
// blanks at its ends that trimming would drop.
bool KeepsToLine(std::string_view text) {
  return text.find_first_of(kLineBreaks) == std::string_view::npos && Trim(text).size() == text.size();
}

bool IsWritableSection(std::string_view section) { return !section.empty() && KeepsToLine(section); }

bool IsWritableName(std::string_view name) {
  return !name.empty() && KeepsToLine(name) && name.find(kAssign) == std::string_view::npos &&
         name.front() != kHeaderOpen && kCommentStarts.find(name.front()) == std::string_view::npos;
}

}  // namespace

SettingsDocument::Line SettingsDocument::ParseLine(std::string_view text, std::string_view section) {
  Line line{.text = std::string(text), .section = std::string(section)};
  const auto content = Trim(text);
  if (content.size() >= 2 && content.front() == kHeaderOpen && content.back() == kHeaderClose) {
    line.kind = LineKind::Header;
    line.section = std::string(Trim(content.substr(1, content.size() - 2)));
    return line;
  }
  const auto assign = content.find(kAssign);
  if (content.empty() || kCommentStarts.find(content.front()) != std::string_view::npos ||
      assign == std::string_view::npos || Trim(content.substr(0, assign)).empty()) {
    return line;
  }
  line.kind = LineKind::Value;
  line.name = std::string(Trim(content.substr(0, assign)));
  line.value = std::string(Trim(content.substr(assign + 1)));
  return line;
}

SettingsDocument SettingsDocument::Parse(std::string_view text) {
  SettingsDocument document;
  std::string section;
  while (!text.empty()) {
    const auto end = text.find('\n');
    auto line = ParseLine(text.substr(0, end), section);
    if (line.kind == LineKind::Header) section = line.section;
    document.lines_.push_back(std::move(line));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
  return document;
}

std::string SettingsDocument::text() const {
  std::string text;
  for (const auto& line : lines_) {
    text += line.text;
    text += '\n';
  }
  return text;
}

bool SettingsDocument::IsValueLine(const Line& line, std::string_view section, std::string_view name) {
  return line.kind == LineKind::Value && SameSettingsName(line.section, section) && SameSettingsName(line.name, name);
}

std::optional<std::string_view> SettingsDocument::value(std::string_view section, std::string_view name) const {
  const auto line = std::ranges::find_if(lines_, [&](const Line& l) { return IsValueLine(l, section, name); });
  if (line == lines_.end()) return std::nullopt;
  return line->value;
}

bool SettingsDocument::setValue(std::string_view section, std::string_view name, std::string_view raw) {
  if (!IsWritableSection(section) || !IsWritableName(name) || !KeepsToLine(raw)) return false;
  const auto existing = std::ranges::find_if(lines_, [&](const Line& l) { return IsValueLine(l, section, name); });
  if (existing != lines_.end()) {
    // Keeps the name as it was typed; it matches anyway.
    existing->text = existing->name + std::string(1, kAssign) + std::string(raw);
    existing->value = std::string(raw);
    return true;
  }
  Line line{.text = std::string(name) + std::string(1, kAssign) + std::string(raw),
            .kind = LineKind::Value,
            .section = std::string(section),
            .name = std::string(name),
            .value = std::string(raw)};
  // After the section's last value, so that comments and blank lines after it stay where they are.
  const auto last = std::find_if(lines_.rbegin(), lines_.rend(), [&](const Line& l) {
    return l.kind != LineKind::Other && SameSettingsName(l.section, section);
  });
  if (last != lines_.rend()) {
    lines_.insert(last.base(), std::move(line));
    return true;
  }
  if (!lines_.empty() && !Trim(lines_.back().text).empty()) lines_.push_back(ParseLine("", ""));
  std::string header = std::string(1, kHeaderOpen) + std::string(section) + std::string(1, kHeaderClose);
  lines_.push_back(ParseLine(header, section));
  lines_.push_back(std::move(line));
  return true;
}

void SettingsDocument::removeValue(std::string_view section, std::string_view name) {
  std::erase_if(lines_, [&](const Line& l) { return IsValueLine(l, section, name); });
}

}  // namespace tusko
