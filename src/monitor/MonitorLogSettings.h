#pragma once

#include <cstdint>

namespace tusko {

// How the monitor log keeps its lines: the view's line limit, and whether a
// start clears the log and the end saves it.
struct MonitorLogSettings {
  bool operator==(const MonitorLogSettings&) const = default;

  std::uint32_t maxLines = 1000;
  bool clearAtStart = true;
  bool saveAtEnd = true;
};

}  // namespace tusko
