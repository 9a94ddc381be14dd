#include "monitor/CdrFileName.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>

namespace tusko {

namespace {

constexpr int kNamesTried = 100;
constexpr int kCenturyYears = 100;
constexpr std::uint32_t kTxtFilter = 2;
constexpr std::uint32_t kBinFilter = 3;
constexpr char kFolderSeparator = '/';
constexpr std::size_t kNameCapacity = 64;  // characters; room for any date numbers

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
    const bool same = std::equal(name.begin(), name.end(), extension.begin(), extension.end(), [](char a, char b) {
      return std::toupper(static_cast<unsigned char>(a)) == static_cast<unsigned char>(b);
    });
    if (same) return format;
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

}  // namespace tusko
