#include "sim/WireSession.h"

#include "base/HexDump.h"
#include "link/FrameEncoder.h"
#include "protocol/PasswordMask.h"

namespace tusko::sim {

namespace {

// "RX: A1 ..." for the simulator's own log.
std::string LabelledLine(std::string_view label, const std::string& dump) {
  return std::string(label) + " " + dump;
}

}  // namespace

WireSession::WireSession(GatewayModel& model, WireFaults faults, SendBytes send, LogLine log)
    : model_(model), faults_(faults), send_(std::move(send)), log_(std::move(log)) {}

void WireSession::OnBytes(std::span<const std::uint8_t> bytes) {
  for (std::uint8_t byte : bytes) {
    auto frame = decoder_.Feed(byte);
    if (!frame) continue;
    log_(LabelledLine("RX:", MessageDump({frame->message.buffer().data(), frame->length})));
    Queue(model_.Receive(frame->message));
  }
  SendDue();
}

void WireSession::Advance(std::chrono::milliseconds elapsed) {
  now_ += elapsed;
  Queue(model_.Advance(elapsed));
  SendDue();
}

void WireSession::Restart() {
  decoder_.Reset();
  pending_.clear();
  closeRequested_ = false;
}

void WireSession::Queue(std::vector<DeviceMessage> messages) {
  for (auto& message : messages) {
    const bool slow = ++answersQueued_ == faults_.slowAnswer;
    const auto delay = faults_.replyDelay + (slow ? faults_.slowAnswerDelay : std::chrono::milliseconds::zero());
    pending_.push_back({now_ + delay, std::move(message)});
  }
}

void WireSession::SendDue() {
  while (!pending_.empty() && pending_.front().due <= now_ && !closeRequested_) {
    if (DropsReply(pending_.front().message)) {
      log_(LabelledLine("TX (dropped):", HexDump(pending_.front().message.wireBytes())));
    } else {
      Transmit(pending_.front().message);
    }
    pending_.pop_front();
  }
}

void WireSession::Transmit(const DeviceMessage& message) {
  ++answersSent_;
  const auto wire = message.wireBytes();
  std::vector<std::uint8_t> frame;
  EncodeFrame(wire, frame);
  if (answersSent_ == faults_.stallAnswer) {
    log_(LabelledLine("TX (stalled half):", HexDump(wire)));
    send_(std::span<const std::uint8_t>(frame).first(frame.size() / 2));
  } else {
    log_(LabelledLine("TX:", HexDump(wire)));
    send_(frame);
  }
  if (faults_.closeAfterAnswers >= 0 && answersSent_ >= faults_.closeAfterAnswers) {
    log_("closing the connection as asked");
    closeRequested_ = true;
  }
  if (answersSent_ == faults_.restartAfterAnswers) {
    log_("restarting the gateway as asked");
    model_.Restart();
  }
}

bool WireSession::DropsReply(const DeviceMessage& message) {
  constexpr std::uint32_t kPercent = 100;
  if (faults_.dropPercent <= 0 || message.type() != static_cast<std::uint8_t>(MessageType::Reply)) return false;
  return dropOrder_() % kPercent < static_cast<std::uint32_t>(faults_.dropPercent);
}

}  // namespace tusko::sim
