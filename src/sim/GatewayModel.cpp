#include "sim/GatewayModel.h"

#include <utility>

#include "sim/GatewayMonitoring.h"
#include "sim/GatewayReplies.h"
#include "sim/GatewayRequestTable.h"
#include "sim/GatewayRestarts.h"

namespace tusko::sim {

namespace {

constexpr std::uint8_t kNoElement = 0;

// The request's main element: elements stand in ascending order and the
// protocol's companions (Address, Password...) all rank above the main one.
std::uint8_t MainElement(const DeviceMessage& message) {
  return message.ieLength() >= kElementHeaderSize ? message.ieArea()[0] : kNoElement;
}

bool IsCdrRefusal(const DeviceMessage& message) {
  return message.type() == static_cast<std::uint8_t>(MessageType::Reject) && MainElement(message) == ie::CdrData;
}

}  // namespace

GatewayModel::GatewayModel(GatewayIdentity identity) : state_(std::move(identity)) {}

std::vector<DeviceMessage> GatewayModel::Receive(const DeviceMessage& message) {
  if (!LinkAvailable() || !HasKnownType(message) || !IsChecksumValid(message)) return {};
  // The utility sends one Reject of its own: a CDR chunk it could not store.
  if (message.type() != static_cast<std::uint8_t>(MessageType::Request) && !IsCdrRefusal(message)) return {};

  const std::uint8_t requestIe = MainElement(message);
  ++requestCounts_[requestIe];
  const auto fault = faults_.Take(requestIe);
  if (fault && (fault->kind == FaultKind::DropReply || fault->kind == FaultKind::Silent)) return {};

  DeviceMessage answer =
      fault && fault->kind == FaultKind::Reject ? MakeReject(fault->cause) : Answer(requestIe, message);
  SealMessage(answer);
  if (fault) Damage(answer, fault->kind);
  if (const auto delay = state_.flash.TakeAnswerDelay(); delay > std::chrono::milliseconds::zero()) {
    held_.push_back({delay, answer});
    return {};
  }
  return {answer};
}

DeviceMessage GatewayModel::Answer(std::uint8_t requestIe, const DeviceMessage& request) {
  const RequestRoute* route = FindRoute(requestIe);
  if (route == nullptr || !RunsInPhase(*route, state_.phase)) return MakeReject(cause::NotAllowed);
  if (NeedsPassword(requestIe) && !AcceptsPassword(state_.identity, request)) {
    return MakeReject(cause::PasswordRequired);
  }
  return route->handler(state_, request);
}

std::vector<DeviceMessage> GatewayModel::Advance(std::chrono::milliseconds elapsed) {
  state_.clock.Advance(elapsed);
  state_.diagnostics.Advance(elapsed);
  std::vector<DeviceMessage> sent = ReleaseHeldAnswers(elapsed);
  // A silent gateway's trace runs on, but nothing of it goes out.
  for (DeviceMessage& output : AdvanceMonitorTrace(state_, elapsed)) {
    if (faults_.Holds(FaultKind::Silent)) continue;
    SealMessage(output);
    sent.push_back(std::move(output));
  }
  if (auto event = AdvanceBoot(state_, elapsed)) {
    SealMessage(*event);
    sent.push_back(*event);
  }
  return sent;
}

std::vector<DeviceMessage> GatewayModel::ReleaseHeldAnswers(std::chrono::milliseconds elapsed) {
  std::vector<DeviceMessage> due;
  for (auto held = held_.begin(); held != held_.end();) {
    held->remaining -= elapsed;
    if (held->remaining > std::chrono::milliseconds::zero()) {
      ++held;
      continue;
    }
    // An answer is lost when the link end went away meanwhile.
    if (LinkAvailable()) due.push_back(std::move(held->message));
    held = held_.erase(held);
  }
  return due;
}

bool GatewayModel::LinkAvailable() const {
  return state_.phase == GatewayPhase::Firmware || state_.phase == GatewayPhase::Loader;
}

void GatewayModel::Restart() {
  if (!LinkAvailable()) return;
  const GatewayPhase running = state_.phase;
  BeginRestart(state_, running,
               running == GatewayPhase::Firmware ? state_.identity.restartToFirmware : state_.identity.restartToLoader);
  state_.flash.Abort();
  state_.announcements.Abort();
}

std::vector<DeviceMessage> GatewayModel::PowerDown() {
  std::vector<DeviceMessage> events;
  if (LinkAvailable()) {
    events.push_back(MakeEvent(ie::PowerDown));
    SealMessage(events.back());
  }
  state_.phase = GatewayPhase::Off;
  state_.boot.reset();
  state_.monitoring = false;
  return events;
}

}  // namespace tusko::sim
