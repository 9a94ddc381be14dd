#include "config/JsonFormat.h"

#include <charconv>

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

}  // namespace

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
