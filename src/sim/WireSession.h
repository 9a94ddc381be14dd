#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "link/FrameDecoder.h"
#include "sim/GatewayModel.h"

namespace tusko::sim {

// Failure modes of the wire itself, beside the gateway model's own faults.
struct WireFaults {
  std::chrono::milliseconds replyDelay{0};  // every answer leaves this much later
  int closeAfterAnswers = -1;               // drop the connection after this many answers (-1: never)
  int stallAnswer = -1;                     // send only the first half of this answer's frame (1-based; -1: none)
  int dropPercent = 0;                      // lose about this share of the replies, in a fixed pseudo-random order
  int restartAfterAnswers = -1;             // the gateway restarts right after this answer (1-based; -1: never)
  int slowAnswer = -1;                      // this answer leaves slowAnswerDelay later than the others (1-based)
  std::chrono::milliseconds slowAnswerDelay{0};
};

// The gateway model on a byte stream: cuts the incoming stream into frames,
// hands each message to the model and frames its answers and events. Pure:
// the front end moves the bytes and the time.
class WireSession {
 public:
  using SendBytes = std::function<void(std::span<const std::uint8_t>)>;
  using LogLine = std::function<void(std::string_view)>;

  WireSession(GatewayModel& model, WireFaults faults, SendBytes send, LogLine log);

  // Bytes that arrived from the utility.
  void OnBytes(std::span<const std::uint8_t> bytes);
  // Time passes: the model moves on, its events go out, delayed answers fall due.
  void Advance(std::chrono::milliseconds elapsed);
  // A new connection (or a reopened line): any half-received frame is forgotten.
  void Restart();
  // True once a wire fault asked for the connection to be dropped; cleared by Restart.
  bool CloseRequested() const { return closeRequested_; }

 private:
  struct Pending {
    std::chrono::milliseconds due;
    DeviceMessage message;
  };

  void Queue(std::vector<DeviceMessage> messages);
  void SendDue();
  void Transmit(const DeviceMessage& message);
  // Whether the drop-rate fault loses this reply.
  bool DropsReply(const DeviceMessage& message);

  GatewayModel& model_;
  WireFaults faults_;
  SendBytes send_;
  LogLine log_;
  FrameDecoder decoder_;
  std::deque<Pending> pending_;
  std::chrono::milliseconds now_{0};
  int answersSent_ = 0;
  int answersQueued_ = 0;
  bool closeRequested_ = false;
  // Fixed seed: a run with dropped replies loses the same ones every time.
  static constexpr std::uint32_t kDropSeed = 20240611;
  std::minstd_rand dropOrder_{kDropSeed};
};

}  // namespace tusko::sim
