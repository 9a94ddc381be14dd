#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "base/EventLoop.h"
#include "link/CommLogSink.h"
#include "link/FrameEncoder.h"
#include "protocol/DeviceMessage.h"

namespace tusko::bench {

// A stretch of a run between two messages, both included.
struct WireStretch {
  std::chrono::duration<double> time{};  // from the first message to the last
  std::size_t bytes = 0;                 // frame bytes of every message in it, both directions
};

// Every message of a run as the engine dumps it to its communication log,
// with the moment it was sent or received and its size as a frame on the wire.
class WireLog final : public CommLogSink {
 public:
  using Clock = EventLoop::Clock;
  using Match = std::function<bool(const DeviceMessage& message, bool incoming)>;

  void AddLine(std::string_view, LogColour) override {}
  void DumpRawInput(std::span<const std::uint8_t>) override {}
  void DumpMessage(std::span<const std::uint8_t> bytes, bool incoming) override {
    std::vector<std::uint8_t> frame;
    EncodeFrame(bytes, frame);
    const std::lock_guard lock(mutex_);
    entries_.push_back({Clock::now(), incoming, frame.size(), DeviceMessage::FromBytes(bytes)});
  }

  // From the first message that `opens` to the first one after it that `closes`.
  std::optional<WireStretch> Between(const Match& opens, const Match& closes) const {
    const std::lock_guard lock(mutex_);
    std::optional<Clock::time_point> start;
    WireStretch stretch;
    for (const Entry& entry : entries_) {
      if (!start && opens(entry.message, entry.incoming)) start = entry.at;
      if (!start) continue;
      stretch.bytes += entry.frameBytes;
      if (closes(entry.message, entry.incoming)) {
        stretch.time = entry.at - *start;
        return stretch;
      }
    }
    return std::nullopt;
  }
  // When the first message that `matches` went or came.
  std::optional<Clock::time_point> FirstAt(const Match& matches) const {
    const std::lock_guard lock(mutex_);
    for (const Entry& entry : entries_) {
      if (matches(entry.message, entry.incoming)) return entry.at;
    }
    return std::nullopt;
  }

 private:
  struct Entry {
    Clock::time_point at;
    bool incoming;
    std::size_t frameBytes;
    DeviceMessage message;
  };

  // The engine dumps on the loop's thread; the lock keeps the log sound for any writer.
  mutable std::mutex mutex_;
  std::vector<Entry> entries_;
};

// A message of the utility's (`incoming` false) or the gateway's that carries `element`.
inline WireLog::Match Carrying(std::uint8_t element, bool incoming) {
  return [element, incoming](const DeviceMessage& message, bool in) {
    return in == incoming && FindElement(message, element).has_value();
  };
}

}  // namespace tusko::bench
