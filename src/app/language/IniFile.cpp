#include "app/language/IniFile.h"

#include <charconv>
#include <climits>
#include <fstream>
#include <iterator>
#include <system_error>

#include "app/language/TextKeys.h"

namespace tusko {
namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

std::string_view TrimLeft(std::string_view text) {
  const auto first = text.find_first_not_of(kBlanks);
  return first == std::string_view::npos ? std::string_view{} : text.substr(first);
}

std::string_view Trim(std::string_view text) {
  text = TrimLeft(text);
  const auto last = text.find_last_not_of(kBlanks);
  return last == std::string_view::npos ? std::string_view{} : text.substr(0, last + 1);
}

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

}  // namespace

IniFile IniFile::Parse(std::string_view text) {
  if (text.starts_with(kUtf8ByteOrderMark)) text.remove_prefix(kUtf8ByteOrderMark.size());

  IniFile ini;
  Section* current = nullptr;  // null before the first section and inside a repeated one
  while (!text.empty()) {
    const auto end = text.find_first_of("\r\n");
    const std::string_view rawLine = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);

    const std::string_view line = Trim(rawLine);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      const auto close = line.rfind(']');
      if (close == std::string_view::npos) continue;
      const auto [it, inserted] = ini.sections_.try_emplace(AsciiLower(Trim(line.substr(1, close - 1))));
      current = inserted ? &it->second : nullptr;
      continue;
    }
    const auto equals = line.find('=');
    if (current == nullptr || equals == std::string_view::npos) continue;
    const std::string_view key = Trim(line.substr(0, equals));
    if (key.empty()) continue;
    const std::string_view afterEquals = rawLine.substr(rawLine.find('=') + 1);
    current->try_emplace(AsciiLower(key),
                         Entry{std::string(key), std::string(Unquote(Trim(afterEquals))), std::string(TrimLeft(afterEquals))});
  }
  return ini;
}

std::optional<IniFile> IniFile::Load(const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
  const auto size = std::filesystem::file_size(path, error);
  if (error || size > kMaxFileBytes) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  const std::string content{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) return std::nullopt;
  return Parse(content);
}

const IniFile::Entry* IniFile::FindEntry(std::string_view section, std::string_view key) const {
  const auto sectionIt = sections_.find(AsciiLower(section));
  if (sectionIt == sections_.end()) return nullptr;
  const auto entryIt = sectionIt->second.find(AsciiLower(key));
  return entryIt == sectionIt->second.end() ? nullptr : &entryIt->second;
}

bool IniFile::HasSection(std::string_view section) const {
  return sections_.contains(AsciiLower(section));
}

std::optional<std::string_view> IniFile::Find(std::string_view section, std::string_view key) const {
  const Entry* entry = FindEntry(section, key);
  if (entry == nullptr) return std::nullopt;
  return std::string_view(entry->value);
}

std::optional<std::string_view> IniFile::FindAsWritten(std::string_view section, std::string_view key) const {
  const Entry* entry = FindEntry(section, key);
  if (entry == nullptr) return std::nullopt;
  return std::string_view(entry->asWritten);
}

std::string IniFile::GetString(std::string_view section, std::string_view key, std::string_view fallback) const {
  return std::string(Find(section, key).value_or(fallback));
}

std::vector<std::string> IniFile::Keys(std::string_view section) const {
  std::vector<std::string> keys;
  if (const auto it = sections_.find(AsciiLower(section)); it != sections_.end()) {
    for (const auto& entry : it->second) keys.push_back(entry.second.name);
  }
  return keys;
}

int IniFile::GetInt(std::string_view section, std::string_view key, int fallback) const {
  const auto value = Find(section, key);
  if (!value) return fallback;
  std::string_view digits = *value;
  bool negative = false;
  if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
    negative = digits.front() == '-';
    digits.remove_prefix(1);
  }
  long long number = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (end == digits.data() || negative || number < 0) return 0;
  if (error == std::errc::result_out_of_range || number > INT_MAX) return INT_MAX;
  return static_cast<int>(number);
}

}  // namespace tusko
