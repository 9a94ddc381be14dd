#include "monitor/CdrFileName.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace tusko {

namespace {

constexpr int kNamesTried = 100;
constexpr int kCenturyYears = 100;
constexpr std::uint32_t kTxtFilter = 2;
constexpr std::uint32_t kBinFilter = 3;
constexpr char kFolderSeparator = '/';
constexpr std::size_t kNameCapacity = 64;  // characters; room for any date numbers

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
  });
}

}  // namespace

std::string_view CdrExtension(std::uint32_t filterIndex) {
  switch (filterIndex) {
    case kTxtFilter: return "TXT";
    case kBinFilter: return "BIN";
    default: return "CSV";
  }
}

CdrFormat CdrFormatOfFilter(std::uint32_t filterIndex) {
  switch (filterIndex) {
    case kTxtFilter: return CdrFormat::Txt;
    case kBinFilter: return CdrFormat::Bin;
    default: return CdrFormat::Csv;
  }
}

std::optional<CdrFormat> CdrFormatNamed(std::string_view name) {
  for (const CdrFormat format : {CdrFormat::Csv, CdrFormat::Txt, CdrFormat::Bin}) {
    const std::string_view extension = CdrExtension(static_cast<std::uint32_t>(format));
    if (SameIgnoringCase(name, extension)) return format;
  }
  return std::nullopt;
}

std::string CdrFolder(std::string_view folder) {
  std::string withSeparator(folder);
  if (withSeparator.empty() || withSeparator.back() != kFolderSeparator) withSeparator += kFolderSeparator;
  return withSeparator;
}

std::string ProposeCdrFileName(const CdrFileDate& date, std::string_view folder, std::string_view extension,
                               const std::function<bool(const std::string& path)>& exists) {
  const std::string prefix = CdrFolder(folder);
  const int year = date.year % kCenturyYears;
  std::array<char, kNameCapacity> base{};
  std::snprintf(base.data(), base.size(), "CDR%02d%02d%02d", year, date.month, date.day);
  for (int tried = 1; tried <= kNamesTried; ++tried) {
    if (!exists(prefix + base.data() + "." + std::string(extension))) break;
    std::snprintf(base.data(), base.size(), "CDR%02d%02d%02d_%02d", year, date.month, date.day, tried);
  }
  return base.data();
}

bool CdrNameTaken(const std::string& path) {
  namespace fs = std::filesystem;
  const fs::path wanted(path);
  std::error_code error;
  if (fs::exists(wanted, error)) return true;
  const fs::path folder = wanted.has_parent_path() ? wanted.parent_path() : fs::path(".");
  const std::string name = wanted.filename().string();
  for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
    if (SameIgnoringCase(entry->path().filename().string(), name)) return true;
  }
  return false;
}

}  // namespace tusko
