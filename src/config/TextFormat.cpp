#include "config/TextFormat.h"

#include <algorithm>
#include <charconv>

#include "config/ConfigurationTree.h"
#include "config/FieldText.h"

namespace tusko::catalog {
namespace {

constexpr std::string_view kRaw = "raw";
constexpr std::size_t kRawBytesPerLine = 32;
constexpr std::string_view kHexDigits = "0123456789abcdef";
constexpr unsigned kHexBase = 16;

std::optional<std::size_t> ParseCount(std::string_view text) {
  std::size_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

TextProblem Problem(std::string_view key, std::vector<std::string> args) { return {std::string(key), std::move(args)}; }

std::optional<TextProblem> ApplyRaw(ConfigurationText& text, std::string_view line, std::string_view offsetText,
                                    std::string_view hex) {
  const std::optional<std::size_t> offset = ParseCount(TrimmedText(offsetText));
  RawRun run{offset.value_or(0), {}};
  bool valid = offset.has_value() && hex.size() % 2 == 0 && !hex.empty();
  for (std::size_t i = 0; valid && i < hex.size(); i += 2) {
    unsigned byte = 0;
    valid = std::from_chars(hex.data() + i, hex.data() + i + 2, byte, kHexBase).ptr == hex.data() + i + 2;
    run.bytes.push_back(static_cast<std::uint8_t>(byte));
  }
  if (!valid) return Problem("strCliTextBadRaw", {std::string(line)});
  if (run.offset > ConfigurationImage::kSize || run.bytes.size() > ConfigurationImage::kSize - run.offset) {
    return Problem("strDataRawOutside", {std::to_string(run.offset)});
  }
  text.raw.push_back(std::move(run));
  return std::nullopt;
}

TextEntry& EntryOf(ConfigurationText& text, std::size_t order, bool& existed) {
  const auto at = std::ranges::lower_bound(text.entries, order, {}, &TextEntry::order);
  existed = at != text.entries.end() && at->order == order;
  if (existed) return *at;
  return *text.entries.insert(at, TextEntry{NamedFields()[order], order, {}});
}

std::optional<TextProblem> ApplyItem(TextEntry& entry, std::string_view name, std::size_t number,
                                     std::string_view valueText, GivenTwice twice) {
  std::vector<std::string>& items = entry.value.items;
  const std::optional<std::string> item = ParseText(valueText);
  if (!item) return Problem("strCliTextBadValue", {std::string(name), std::string(valueText)});
  if (number == 0 || number > items.size() + 1) return Problem("strCliTextEntryGap", {std::string(name)});
  if (number <= items.size() && twice == GivenTwice::Refused) return Problem("strCliTextTwice", {std::string(name)});
  if (number > items.size()) {
    items.push_back(*item);
  } else if (item->empty()) {
    items.erase(items.begin() + static_cast<std::ptrdiff_t>(number - 1));
  } else {
    items[number - 1] = *item;
  }
  return std::nullopt;
}

}  // namespace

std::string_view PageTitleKey(const Group& group) {
  return FindTreeNode(group.page == PageId::None ? PageId::Root : group.page)->textKey;
}

std::string HexBytes(std::span<const std::uint8_t> bytes) {
  std::string hex;
  for (const std::uint8_t byte : bytes) {
    hex += kHexDigits[byte / kHexBase];
    hex += kHexDigits[byte % kHexBase];
  }
  return hex;
}

std::vector<std::string> FieldLines(const FieldRef& ref, const FieldValue& value) {
  const std::string id = ref.Id();
  if (FormOf(ref) != ValueForm::List) return {id + " = " + FormatValue(ref, value)};
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < value.items.size(); ++i) {
    lines.push_back(id + "[" + std::to_string(i + 1) + "] = " + QuotedText(value.items[i]));
  }
  return lines;
}

std::string WriteConfigurationText(const ConfigurationText& text, const TextLookup& lookup) {
  std::string out;
  const Group* group = nullptr;
  for (const TextEntry& entry : text.entries) {
    if (group == nullptr || group->page != entry.ref.group->page) {
      out += (group == nullptr ? "# " : "\n# ") + lookup(PageTitleKey(*entry.ref.group)) + "\n";
    }
    group = entry.ref.group;
    for (const std::string& line : FieldLines(entry.ref, entry.value)) out += line + "\n";
  }
  if (!text.raw.empty()) out += "\n";
  for (const RawRun& run : text.raw) {
    for (std::size_t at = 0; at < run.bytes.size(); at += kRawBytesPerLine) {
      const std::size_t length = std::min(kRawBytesPerLine, run.bytes.size() - at);
      out += std::string(kRaw) + " " + std::to_string(run.offset + at) + " = " +
             HexBytes(std::span(run.bytes).subspan(at, length)) + "\n";
    }
  }
  return out;
}

std::optional<TextProblem> ApplyTextLine(ConfigurationText& text, std::string_view line, GivenTwice twice) {
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return Problem("strCliTextMalformed", {std::string(TrimmedText(line))});
  const std::string_view name = TrimmedText(line.substr(0, equals));
  const std::string_view valueText = TrimmedText(line.substr(equals + 1));
  if (name.starts_with(kRaw) && name.size() > kRaw.size() && (name[kRaw.size()] == ' ' || name[kRaw.size()] == '\t')) {
    return ApplyRaw(text, TrimmedText(line), name.substr(kRaw.size()), valueText);
  }
  std::string_view id = name;
  std::optional<std::size_t> number;
  if (const std::size_t open = name.find('['); open != std::string_view::npos && name.ends_with(']')) {
    id = name.substr(0, open);
    number = ParseCount(name.substr(open + 1, name.size() - open - 2));
    if (!number) return Problem("strCliTextUnknownField", {std::string(name)});
  }
  const std::optional<std::size_t> order = NamedFieldIndex(id);
  if (!order) return Problem("strCliTextUnknownField", {std::string(name)});
  const FieldRef& ref = NamedFields()[*order];
  const bool list = FormOf(ref) == ValueForm::List;
  if (number && !list) return Problem("strCliTextUnknownField", {std::string(name)});
  // A list is cleared by giving it nothing; its entries are given one by one.
  if (!number && list && !valueText.empty()) {
    return Problem("strCliTextBadValue", {std::string(name), std::string(valueText)});
  }
  bool existed = false;
  TextEntry& entry = EntryOf(text, *order, existed);
  if (number) return ApplyItem(entry, name, *number, valueText, twice);
  if (existed && twice == GivenTwice::Refused) return Problem("strCliTextTwice", {std::string(name)});
  std::optional<FieldValue> value = list ? FieldValue{} : ParseValue(ref, valueText);
  if (!value) {
    if (!existed) text.entries.erase(text.entries.begin() + (&entry - text.entries.data()));
    return Problem("strCliTextBadValue", {std::string(name), std::string(valueText)});
  }
  entry.value = std::move(*value);
  return std::nullopt;
}

TextParse ParseConfigurationText(std::string_view input) {
  TextParse parse;
  while (!input.empty()) {
    ++parse.line;
    const std::size_t end = std::min(input.find('\n'), input.size());
    const std::string_view line = TrimmedText(input.substr(0, end));
    input.remove_prefix(std::min(end + 1, input.size()));
    if (line.empty() || line.starts_with('#')) continue;
    parse.problem = ApplyTextLine(parse.text, line, GivenTwice::Refused);
    if (parse.problem) return parse;
  }
  return parse;
}

}  // namespace tusko::catalog
