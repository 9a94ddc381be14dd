#include "app/gui/SignalHistory.h"

#include "monitor/DiagnosticsTexts.h"

namespace tusko::gui {

namespace {
constexpr std::size_t kNoModule = kGsmModuleCount;
}  // namespace

void SignalHistory::Record(std::size_t module, std::chrono::system_clock::time_point at, std::uint8_t quality,
                           bool replaceLast) {
  if (module >= kGsmModuleCount) return;
  std::deque<SignalReading>& readings = readings_[module];
  if (replaceLast && !readings.empty()) {
    readings.back() = {at, GsmSignalDbm(quality)};
    return;
  }
  readings.push_back({at, GsmSignalDbm(quality)});
  if (readings.size() > kReadingLimit) readings.pop_front();
}

const std::deque<SignalReading>& SignalHistory::Readings(std::size_t module) const {
  return readings_[module < kGsmModuleCount ? module : kNoModule];
}

}  // namespace tusko::gui
