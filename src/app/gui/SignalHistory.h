#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>

#include "protocol/ElementLayouts.h"

namespace tusko::gui {

// One signal reading of a GSM module.
struct SignalReading {
  std::chrono::system_clock::time_point at;
  std::optional<int> dbm;  // nothing while the module reports no signal or an unknown one
};

// The GSM modules' signal readings of the session, oldest first, for the
// diagnostics chart. The oldest readings give way beyond kReadingLimit so
// that a view left open for days keeps a bounded history.
class SignalHistory {
 public:
  // Readings per module: twelve hours at the default refresh period.
  static constexpr std::size_t kReadingLimit = 8640;

  // A new reading, or with `replaceLast` a newer value of the module's last
  // reading (the first reading is added either way). A module the gateway
  // does not have is ignored.
  void Record(std::size_t module, std::chrono::system_clock::time_point at, std::uint8_t quality, bool replaceLast);
  // Empty for a module the gateway does not have.
  const std::deque<SignalReading>& Readings(std::size_t module) const;

 private:
  std::array<std::deque<SignalReading>, kGsmModuleCount + 1> readings_;  // the last one stays empty
};

}  // namespace tusko::gui
