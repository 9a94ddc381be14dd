#pragma once

#include <cstdint>

namespace tusko {

// A date and time as the windows pick and show it: the time to set on the
// gateway, or the time read from it. The gateway itself knows neither the day
// of the week nor milliseconds; a read time has them 0.
struct DateTimeRecord {
  std::uint16_t year = 0;
  std::uint16_t month = 0;
  std::uint16_t dayOfWeek = 0;
  std::uint16_t day = 0;
  std::uint16_t hour = 0;
  std::uint16_t minute = 0;
  std::uint16_t second = 0;
  std::uint16_t milliseconds = 0;
  bool operator==(const DateTimeRecord&) const = default;
};

// When the gateway last had its clock set, as its LastTimeSync element says.
struct LastSyncRecord {
  std::uint8_t reported = 0;  // 1 when the gateway sent a LastTimeSync element
  std::uint8_t first = 0;     // the two date numbers, in the order the language text prints them
  std::uint8_t second = 0;
  std::uint16_t year = 0;  // 0 when the gateway's clock was never set
  bool operator==(const LastSyncRecord&) const = default;
  // All three numbers 0: the last synchronisation failed ("strDateTimeLastSyncError").
  bool Failed() const { return first == 0 && second == 0 && year == 0; }
};

// The engine's clock: the date/time record, then the last synchronisation.
struct DeviceClock {
  DateTimeRecord time;
  LastSyncRecord lastSync;
  bool operator==(const DeviceClock&) const = default;
};

}  // namespace tusko
