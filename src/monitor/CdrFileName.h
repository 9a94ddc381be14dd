#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tusko {

struct CdrFileDate {
  int year = 0;  // four digits
  int month = 0;
  int day = 0;
};

// The extension that goes with a save filter index: 2 "TXT", 3 "BIN", any other "CSV".
std::string_view CdrExtension(std::uint32_t filterIndex);

// The folder with a trailing separator.
std::string CdrFolder(std::string_view folder);

// The proposed base name (no folder, no extension) for the CDR file of
// `date`: "CDRyymmdd", or with "_01", "_02"... when that file exists in
// `folder`. After 100 names tried, "_100" is proposed without a test.
std::string ProposeCdrFileName(const CdrFileDate& date, std::string_view folder, std::string_view extension,
                               const std::function<bool(const std::string& path)>& exists);

}  // namespace tusko
