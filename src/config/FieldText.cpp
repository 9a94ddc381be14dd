#include "config/FieldText.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "config/ColumnValues.h"
#include "config/RestoreCode.h"

namespace tusko::catalog {
namespace {

constexpr std::string_view kTrue = "true";
constexpr std::string_view kFalse = "false";
constexpr std::string_view kHexDigits = "0123456789abcdef";
constexpr std::string_view kHostCharacters =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-_";
constexpr std::string_view kListSeparator = ", ";
// Far outside any field, inside what a value can be written from.
constexpr std::int64_t kNumberLimit = std::int64_t{1} << 40;
constexpr unsigned kHexBase = 16;
constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kDelete = 0x7F;

std::optional<std::int64_t> ParseNumber(std::string_view text) {
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (value < -kNumberLimit || value > kNumberLimit) return std::nullopt;
  return value;
}

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  while (!(text = TrimmedText(text)).empty()) {
    const std::size_t end = std::min(text.find_first_of(" \t"), text.size());
    words.push_back(text.substr(0, end));
    text.remove_prefix(end);
  }
  return words;
}

std::optional<std::int64_t> ParseChoice(const Field& field, std::string_view text) {
  // "label (stored)": the stored value decides.
  if (text.ends_with(')')) {
    const std::size_t open = text.rfind('(');
    if (open == std::string_view::npos) return std::nullopt;
    return ParseNumber(TrimmedText(text.substr(open + 1, text.size() - open - 2)));
  }
  for (const Choice& choice : field.choices) {
    if (choice.labelKey == text) return choice.stored;
  }
  return ParseNumber(text);
}

std::optional<std::int64_t> ParseRestore(std::string_view text) {
  const std::vector<std::string_view> words = Words(text);
  const auto number = [&words](std::size_t i) { return ParseNumber(words[i]); };
  RestoreSchedule schedule;
  std::optional<std::int64_t> day;
  std::optional<std::int64_t> week = 0;
  if (words.size() == 2 && words[0] == "day") {
    day = number(1);
  } else if (words.size() == 4 && words[0] == "week" && words[2] == "weekday") {
    schedule.kind = RestoreKind::WeekdayOfMonth;
    week = number(1);
    day = number(3);
  } else if (words.size() == 3 && words[0] == "weekly" && words[1] == "weekday") {
    schedule.kind = RestoreKind::Weekly;
    day = number(2);
  } else {
    return std::nullopt;
  }
  constexpr std::int64_t kByteMax = 255;
  if (!day || !week || *day < 0 || *day > kByteMax || *week < 0 || *week > kByteMax) return std::nullopt;
  schedule.day = static_cast<std::uint8_t>(*day);
  schedule.week = static_cast<std::uint8_t>(*week);
  return EncodeRestoreCode(schedule);
}

std::optional<FieldValue> ParseServer(const Field& field, std::string_view text) {
  if (text == "\"\"") return FieldValue{.number = field.emptyPortShows};
  std::string host;
  std::string_view port;
  if (text.starts_with('"')) {
    const std::size_t close = text.rfind("\":");
    if (close == std::string_view::npos) return std::nullopt;
    const std::optional<std::string> quoted = ParseQuoted(text.substr(0, close + 1));
    if (!quoted) return std::nullopt;
    host = *quoted;
    port = text.substr(close + 2);
  } else {
    const std::size_t colon = text.rfind(':');
    host = std::string(text.substr(0, colon));
    port = colon == std::string_view::npos ? std::string_view("0") : text.substr(colon + 1);
  }
  const std::optional<std::int64_t> number = ParseNumber(port);
  if (!number || host.empty()) return std::nullopt;
  return FieldValue{.number = *number, .text = host};
}

std::optional<FieldValue> ParseByteList(std::string_view text) {
  FieldValue value;
  while (!text.empty()) {
    const std::size_t comma = std::min(text.find(','), text.size());
    const std::string_view item = TrimmedText(text.substr(0, comma));
    if (!ParseNumber(item)) return std::nullopt;
    value.items.emplace_back(item);
    text.remove_prefix(std::min(comma + 1, text.size()));
  }
  return value;
}

bool IsWord(std::string_view text) {
  return text == "R" || (!text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos);
}

std::string JoinedItems(const std::vector<std::string>& items) {
  std::string joined;
  for (const std::string& item : items) {
    if (!joined.empty()) joined += kListSeparator;
    joined += item;
  }
  return joined;
}

}  // namespace

ValueForm FormOf(const FieldRef& ref) {
  const Field& field = *ref.field;
  if (field.encoding == Encoding::Bytes) {
    switch (KindOfColumn(ref)) {
      case ColumnKind::Byte: return ValueForm::Number;
      case ColumnKind::ByteList: return ValueForm::ByteList;
      default: return ValueForm::Text;
    }
  }
  switch (field.editor) {
    case Editor::Check: return ValueForm::Flag;
    case Editor::Choice:
    case Editor::Radio: return ValueForm::Choice;
    case Editor::Restore: return ValueForm::Restore;
    case Editor::List: return ValueForm::List;
    default: break;
  }
  switch (field.encoding) {
    case Encoding::IpDigits: return ValueForm::Address;
    case Encoding::Server: return ValueForm::Server;
    case Encoding::DelayAlerting: return ValueForm::Word;
    case Encoding::CountedString:
    case Encoding::CountedText:
    case Encoding::TerminatedText:
    case Encoding::Digits: return ValueForm::Text;
    default: return ValueForm::Number;
  }
}

const Choice* ChoiceOf(const Field& field, std::int64_t number) {
  const auto found = std::ranges::find(field.choices, number, &Choice::stored);
  return found == field.choices.end() ? nullptr : &*found;
}

std::string_view TrimmedText(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::string RestoreWords(std::int64_t code) {
  const RestoreSchedule schedule = DecodeRestoreCode(static_cast<std::uint8_t>(code));
  const std::string day = std::to_string(schedule.day);
  switch (schedule.kind) {
    case RestoreKind::WeekdayOfMonth: return "week " + std::to_string(schedule.week) + " weekday " + day;
    case RestoreKind::Weekly: return "weekly weekday " + day;
    case RestoreKind::DayOfMonth: break;
  }
  return "day " + day;
}

std::string QuotedText(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"': quoted += "\\\""; break;
      case '\\': quoted += "\\\\"; break;
      case '\n': quoted += "\\n"; break;
      case '\r': quoted += "\\r"; break;
      case '\t': quoted += "\\t"; break;
      default:
        if (byte < kFirstPrintable || byte >= kDelete) {
          quoted += "\\x";
          quoted += kHexDigits[byte / kHexBase];
          quoted += kHexDigits[byte % kHexBase];
        } else {
          quoted += c;
        }
    }
  }
  return quoted + "\"";
}

std::optional<std::string> ParseQuoted(std::string_view text) {
  if (text.size() < 2 || !text.starts_with('"') || !text.ends_with('"')) return std::nullopt;
  text = text.substr(1, text.size() - 2);
  std::string plain;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '"') return std::nullopt;
    if (text[i] != '\\') {
      plain += text[i];
      continue;
    }
    if (++i == text.size()) return std::nullopt;
    switch (text[i]) {
      case '"':
      case '\\': plain += text[i]; break;
      case 'n': plain += '\n'; break;
      case 'r': plain += '\r'; break;
      case 't': plain += '\t'; break;
      case 'x': {
        unsigned byte = 0;
        const char* first = text.data() + i + 1;
        if (i + 2 >= text.size() || std::from_chars(first, first + 2, byte, kHexBase).ptr != first + 2) {
          return std::nullopt;
        }
        plain += static_cast<char>(byte);
        i += 2;
        break;
      }
      default: return std::nullopt;
    }
  }
  return plain;
}

std::optional<std::string> ParseText(std::string_view text) {
  text = TrimmedText(text);
  if (text.starts_with('"')) return ParseQuoted(text);
  return std::string(text);
}

std::string FormatValue(const FieldRef& ref, const FieldValue& value) {
  switch (FormOf(ref)) {
    case ValueForm::Flag: return std::string(value.number != 0 ? kTrue : kFalse);
    case ValueForm::Choice: {
      const Choice* choice = ChoiceOf(*ref.field, value.number);
      const std::string stored = std::to_string(value.number);
      return choice == nullptr ? stored : std::string(choice->labelKey) + " (" + stored + ")";
    }
    case ValueForm::Text: return QuotedText(value.text);
    case ValueForm::Word:
    case ValueForm::Address: return value.text;
    case ValueForm::Server: {
      if (value.text.empty()) return "\"\"";
      const bool plain = value.text.find_first_not_of(kHostCharacters) == std::string::npos;
      return (plain ? value.text : QuotedText(value.text)) + ":" + std::to_string(value.number);
    }
    case ValueForm::Restore: return RestoreWords(value.number);
    case ValueForm::List: {
      std::vector<std::string> quoted;
      for (const std::string& item : value.items) quoted.push_back(QuotedText(item));
      return JoinedItems(quoted);
    }
    case ValueForm::ByteList: return JoinedItems(value.items);
    case ValueForm::Number: break;
  }
  return std::to_string(value.number);
}

std::optional<FieldValue> ParseValue(const FieldRef& ref, std::string_view text) {
  text = TrimmedText(text);
  std::optional<std::int64_t> number;
  switch (FormOf(ref)) {
    case ValueForm::Flag:
      if (text == kTrue || text == "1") return FieldValue{.number = 1};
      if (text == kFalse || text == "0") return FieldValue{.number = 0};
      return std::nullopt;
    case ValueForm::Choice: number = ParseChoice(*ref.field, text); break;
    case ValueForm::Text:
      if (std::optional<std::string> plain = ParseText(text)) return FieldValue{.text = std::move(*plain)};
      return std::nullopt;
    case ValueForm::Word:
      if (IsWord(text)) return FieldValue{.text = std::string(text)};
      return std::nullopt;
    case ValueForm::Address:
      if (text.find_first_not_of("0123456789.") != std::string_view::npos) return std::nullopt;
      return FieldValue{.text = std::string(text)};
    case ValueForm::Server: return ParseServer(*ref.field, text);
    case ValueForm::Restore: number = ParseRestore(text); break;
    case ValueForm::ByteList: return ParseByteList(text);
    case ValueForm::List: return std::nullopt;
    case ValueForm::Number: number = ParseNumber(text); break;
  }
  if (!number) return std::nullopt;
  return FieldValue{.number = *number};
}

}  // namespace tusko::catalog
