#include "sim/WireSession.h"

#include <cstdio>

#include "link/FrameEncoder.h"

namespace tusko::sim {

WireSession::WireSession(GatewayModel& model, WireFaults faults, SendBytes send, LogLine log)
    : model_(model), faults_(faults), send_(std::move(send)), log_(std::move(log)) {}

void WireSession::OnBytes(std::span<const std::uint8_t> bytes) {
  for (std::uint8_t byte : bytes) {
    auto frame = decoder_.Feed(byte);
    if (!frame) continue;
    log_(HexLine("RX:", {frame->message.buffer().data(), frame->length}));
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
  for (auto& message : messages) pending_.push_back({now_ + faults_.replyDelay, std::move(message)});
}

void WireSession::SendDue() {
  while (!pending_.empty() && pending_.front().due <= now_ && !closeRequested_) {
    if (DropsReply(pending_.front().message)) {
      log_(HexLine("TX (dropped):", pending_.front().message.wireBytes()));
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
    log_(HexLine("TX (stalled half):", wire));
    send_(std::span<const std::uint8_t>(frame).first(frame.size() / 2));
  } else {
    log_(HexLine("TX:", wire));
    send_(frame);
  }
  if (faults_.closeAfterAnswers >= 0 && answersSent_ >= faults_.closeAfterAnswers) {
    log_("closing the connection as asked");
    closeRequested_ = true;
  }
}

bool WireSession::DropsReply(const DeviceMessage& message) {
  constexpr std::uint32_t kPercent = 100;
  if (faults_.dropPercent <= 0 || message.type() != static_cast<std::uint8_t>(MessageType::Reply)) return false;
  return dropOrder_() % kPercent < static_cast<std::uint32_t>(faults_.dropPercent);
}

std::string HexLine(std::string_view label, std::span<const std::uint8_t> bytes) {
  std::string line(label);
  char hex[4];
  for (std::uint8_t byte : bytes) {
    std::snprintf(hex, sizeof hex, " %02X", byte);
    line += hex;
  }
  return line;
}

}  // namespace tusko::sim
