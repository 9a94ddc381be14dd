#include "config/JsonFormat.h"

#include <charconv>
#include <cstdint>
#include <optional>
#include <vector>

#include <nlohmann/json.hpp>

#include "config/FieldText.h"
#include "config/TextFormat.h"

namespace tusko::catalog {
namespace {

using Json = nlohmann::ordered_json;

constexpr int kIndent = 2;
constexpr unsigned char kFirstHighByte = 0x80;
constexpr unsigned kSixBits = 6;
constexpr unsigned char kLeadTwoBytes = 0xC0;
constexpr unsigned char kContinuation = 0x80;
constexpr unsigned char kLowSixBits = 0x3F;
constexpr unsigned kTopTwoBits = 0x03;

// Latin-1 to UTF-8, so that every byte of a text keeps a character of its own.
std::string Utf8(std::string_view text) {
  std::string utf8;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < kFirstHighByte) {
      utf8 += c;
    } else {
      utf8 += static_cast<char>(kLeadTwoBytes | (byte >> kSixBits));
      utf8 += static_cast<char>(kContinuation | (byte & kLowSixBits));
    }
  }
  return utf8;
}

Json ValueJson(const FieldRef& ref, const FieldValue& value) {
  switch (FormOf(ref)) {
    case ValueForm::Number: return value.number;
    case ValueForm::Flag: return value.number != 0;
    case ValueForm::Choice: {
      const Choice* choice = ChoiceOf(*ref.field, value.number);
      if (choice == nullptr) return value.number;
      return Json{{"key", std::string(choice->labelKey)}, {"stored", value.number}};
    }
    case ValueForm::Text:
    case ValueForm::Word:
    case ValueForm::Address: return Utf8(value.text);
    case ValueForm::Server: return value.text.empty() ? "" : Utf8(value.text) + ":" + std::to_string(value.number);
    case ValueForm::Restore: return RestoreWords(value.number);
    case ValueForm::List: {
      Json items = Json::array();
      for (const std::string& item : value.items) items.push_back(Utf8(item));
      return items;
    }
    case ValueForm::ByteList: {
      Json bytes = Json::array();
      for (const std::string& item : value.items) {
        int byte = 0;
        std::from_chars(item.data(), item.data() + item.size(), byte);
        bytes.push_back(byte);
      }
      return bytes;
    }
  }
  return nullptr;
}

// UTF-8 back to Latin-1; nothing when a character lies beyond it.
std::optional<std::string> Latin1(std::string_view utf8) {
  std::string text;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto byte = static_cast<unsigned char>(utf8[i]);
    if (byte < kFirstHighByte) {
      text += utf8[i];
      continue;
    }
    // U+0080..U+00FF take the lead bytes 0xC2 and 0xC3; their low two bits are the top of the character.
    if ((byte & ~kTopTwoBits) != kLeadTwoBytes || i + 1 >= utf8.size()) return std::nullopt;
    const auto next = static_cast<unsigned char>(utf8[++i]);
    if ((next & ~kLowSixBits) != kContinuation) return std::nullopt;
    text += static_cast<char>(((byte & kTopTwoBits) << kSixBits) | (next & kLowSixBits));
  }
  return text;
}

// The text form of a JSON value for the field's lines; nothing when the JSON
// value is not of a kind the field takes.
std::optional<std::vector<std::string>> ValueLines(const FieldRef& ref, const Json& value) {
  const std::string id = ref.Id();
  const auto line = [&id](const std::string& text) { return std::vector<std::string>{id + " = " + text}; };
  const auto text = [&value]() -> std::optional<std::string> {
    return value.is_string() ? Latin1(value.get<std::string>()) : std::nullopt;
  };
  switch (FormOf(ref)) {
    case ValueForm::Number:
      if (value.is_number_integer()) return line(std::to_string(value.get<std::int64_t>()));
      break;
    case ValueForm::Flag:
      if (value.is_boolean()) return line(value.get<bool>() ? "true" : "false");
      break;
    case ValueForm::Choice:
      if (value.is_number_integer()) return line(std::to_string(value.get<std::int64_t>()));
      if (value.is_object() && value.contains("stored") && value["stored"].is_number_integer()) {
        return line(std::to_string(value["stored"].get<std::int64_t>()));
      }
      if (value.is_object() && value.contains("key") && value["key"].is_string()) {
        return line(value["key"].get<std::string>());
      }
      break;
    case ValueForm::Text:
      if (const auto latin1 = text()) return line(QuotedText(*latin1));
      break;
    case ValueForm::Word:
    case ValueForm::Address:
    case ValueForm::Restore:
      if (const auto latin1 = text()) return line(*latin1);
      break;
    case ValueForm::Server:
      if (const auto latin1 = text()) {
        const std::size_t colon = latin1->rfind(':');
        if (latin1->empty()) return line("\"\"");
        if (colon != std::string::npos) return line(QuotedText(latin1->substr(0, colon)) + latin1->substr(colon));
      }
      break;
    case ValueForm::List: {
      if (!value.is_array()) break;
      std::vector<std::string> lines{id + " ="};
      for (std::size_t i = 0; i < value.size(); ++i) {
        const std::optional<std::string> item =
            value[i].is_string() ? Latin1(value[i].get<std::string>()) : std::nullopt;
        if (!item) return std::nullopt;
        lines.push_back(id + "[" + std::to_string(i + 1) + "] = " + QuotedText(*item));
      }
      return lines;
    }
    case ValueForm::ByteList: {
      if (!value.is_array()) break;
      std::string bytes;
      for (const Json& byte : value) {
        if (!byte.is_number_integer()) return std::nullopt;
        bytes += (bytes.empty() ? "" : ", ") + std::to_string(byte.get<std::int64_t>());
      }
      return line(bytes);
    }
  }
  return std::nullopt;
}

std::optional<TextProblem> ApplyJsonField(ConfigurationText& text, const Json& field) {
  if (!field.is_object() || !field.contains("id") || !field["id"].is_string() || !field.contains("value")) {
    return TextProblem{"strCliJsonMalformed", {field.dump()}};
  }
  const std::string id = field["id"].get<std::string>();
  const std::optional<std::size_t> order = NamedFieldIndex(id);
  if (!order) return TextProblem{"strCliTextUnknownField", {id}};
  const std::optional<std::vector<std::string>> lines = ValueLines(NamedFields()[*order], field["value"]);
  if (!lines) return TextProblem{"strCliTextBadValue", {id, field["value"].dump()}};
  for (std::size_t i = 0; i < lines->size(); ++i) {
    // A list's entries replace the entries its own first line began.
    const GivenTwice twice = i == 0 ? GivenTwice::Refused : GivenTwice::Replaces;
    if (auto problem = ApplyTextLine(text, (*lines)[i], twice)) return problem;
  }
  return std::nullopt;
}

std::optional<TextProblem> ApplyJsonRaw(ConfigurationText& text, const Json& run) {
  if (!run.is_object() || !run.contains("offset") || !run["offset"].is_number_unsigned() || !run.contains("hex") ||
      !run["hex"].is_string()) {
    return TextProblem{"strCliJsonMalformed", {run.dump()}};
  }
  const std::string line = "raw " + std::to_string(run["offset"].get<std::size_t>()) + " = " + run["hex"].get<std::string>();
  return ApplyTextLine(text, line, GivenTwice::Refused);
}

}  // namespace

TextParse ParseConfigurationJson(std::string_view input) {
  TextParse parse;
  Json json;
  try {
    json = Json::parse(input);
  } catch (const Json::exception& error) {  // a syntax error, or a number too large for any field
    parse.problem = TextProblem{"strCliJsonMalformed", {error.what()}};
    return parse;
  }
  const auto member = [&json](const char* name) { return json.is_object() && json.contains(name) && json[name].is_array(); };
  if (!member("fields") || (json.contains("raw") && !member("raw"))) {
    parse.problem = TextProblem{"strCliJsonMalformed", {"no \"fields\" list"}};
    return parse;
  }
  for (const Json& field : json["fields"]) {
    ++parse.line;
    if ((parse.problem = ApplyJsonField(parse.text, field))) return parse;
  }
  if (!json.contains("raw")) return parse;
  for (const Json& run : json["raw"]) {
    ++parse.line;
    if ((parse.problem = ApplyJsonRaw(parse.text, run))) return parse;
  }
  return parse;
}

std::string WriteConfigurationJson(const ConfigurationText& text) {
  Json fields = Json::array();
  for (const TextEntry& entry : text.entries) {
    fields.push_back({{"id", entry.ref.Id()},
                      {"page", std::string(PageTitleKey(*entry.ref.group))},
                      {"label", std::string(entry.ref.field->labelKey)},
                      {"value", ValueJson(entry.ref, entry.value)}});
  }
  Json raw = Json::array();
  for (const RawRun& run : text.raw) raw.push_back({{"offset", run.offset}, {"hex", HexBytes(run.bytes)}});
  return Json{{"fields", std::move(fields)}, {"raw", std::move(raw)}}.dump(kIndent) + "\n";
}

}  // namespace tusko::catalog
