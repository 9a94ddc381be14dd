#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "link/FrameDecoder.h"
#include "protocol/DeviceMessage.h"
#include "sim/GatewayClock.h"

namespace tusko::sim {

struct GatewayState;

inline constexpr std::size_t kTraceCategoryCount = 16;
inline constexpr std::uint16_t kAllTraceCategories = 0xFFFF;
// A few lines a second, as an idle gateway traces; --monitor-rate asks for more.
inline constexpr unsigned kDefaultTraceLinesPerSecond = 2;
inline constexpr unsigned kMaxTraceLinesPerSecond = 100000;
// More lines than this falling due at once (a long jump of time) are lost, as
// in the gateway's own trace buffer.
inline constexpr std::size_t kMaxTraceBurstLines = 1000;
// Trace text per message: the largest message a receiver takes whole
// (kMaxReceivedLength: a full 255-byte element area is dropped) less the
// message's type, length and checksum bytes and the element's header.
inline constexpr std::size_t kMaxTraceTextBytes =
    kMaxReceivedLength - (kMessageBufferSize - kMaxIeAreaLength) - kElementHeaderSize;

// The gateway's trace output while monitoring runs: lines at a steady rate,
// taking the categories the mask selects in turn, each stamped with the
// gateway's clock and ending in CR LF. The stream is cut into message texts
// of at most kMaxTraceTextBytes without regard to line ends, as the gateway
// sends whatever its buffer holds.
class MonitorTrace {
 public:
  // Lines per second, at most kMaxTraceLinesPerSecond; 0 traces nothing.
  void SetRate(unsigned linesPerSecond);
  unsigned Rate() const { return rate_; }
  std::uint16_t Mask() const { return mask_; }
  // Takes the category selection "V=XXXX" (four hexadecimal digits, then CR LF
  // or nothing); false, changing nothing, for any other command.
  bool TakeCommand(std::string_view command);
  // Monitoring starts: the rhythm begins again.
  void Restart();
  // The message texts of the lines that fall due in `elapsed`.
  std::vector<std::string> Advance(std::chrono::milliseconds elapsed, GatewayClock::TimePoint now);

 private:
  std::string NextLine(GatewayClock::TimePoint now);

  unsigned rate_ = kDefaultTraceLinesPerSecond;
  std::uint16_t mask_ = kAllTraceCategories;
  std::chrono::milliseconds running_{0};
  std::uint64_t linesDone_ = 0;  // lines that fell due since the restart, sent or lost
  std::size_t nextCategory_ = 0;
  std::uint64_t sequence_ = 0;
  bool bannerOpen_ = false;  // the start's banner line still lacks its line end
};

// The live monitoring controls. Commands are taken only while monitoring runs;
// the keep-alive poll is always answered.
DeviceMessage HandleMonitorStart(GatewayState& state, const DeviceMessage& request);
DeviceMessage HandleMonitorStop(GatewayState& state, const DeviceMessage& request);
DeviceMessage HandleMonitorPoll(GatewayState& state, const DeviceMessage& request);
DeviceMessage HandleMonitorCommand(GatewayState& state, const DeviceMessage& request);

// The trace output of `elapsed`, one unasked MonitorStart reply per text; none
// unless the firmware runs and monitors.
std::vector<DeviceMessage> AdvanceMonitorTrace(GatewayState& state, std::chrono::milliseconds elapsed);

}  // namespace tusko::sim
