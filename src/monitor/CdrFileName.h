#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "monitor/CdrFile.h"

namespace tusko {

struct CdrFileDate {
  int year = 0;  // four digits
  int month = 0;
  int day = 0;
};

// The extension that goes with a save filter index: 2 "TXT", 3 "BIN", any other "CSV".
std::string_view CdrExtension(std::uint32_t filterIndex);

// The record format of a save filter index, by the same rule; the index of a
// format is its number.
CdrFormat CdrFormatOfFilter(std::uint32_t filterIndex);

// The format an extension or a format name ("csv", "TXT", "bin") stands for,
// without regard to case.
std::optional<CdrFormat> CdrFormatNamed(std::string_view name);

// The folder with a trailing separator.
std::string CdrFolder(std::string_view folder);

// The proposed base name (no folder, no extension) for the CDR file of
// `date`: "CDRyymmdd", or with "_01", "_02"... when that file exists in
// `folder`. After 100 names tried, "_100" is proposed without a test.
std::string ProposeCdrFileName(const CdrFileDate& date, std::string_view folder, std::string_view extension,
                               const std::function<bool(const std::string& path)>& exists);

// Whether a file of that name is on disk with its extension in any case: the
// proposal says "CSV", a save dialog writes "csv", and on a case-sensitive file
// system both name the day's download.
bool CdrNameTaken(const std::string& path);

}  // namespace tusko
