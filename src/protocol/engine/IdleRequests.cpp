#include "protocol/engine/IdleRequests.h"

#include <array>
#include <utility>

#include "protocol/engine/CauseText.h"
#include "protocol/engine/OperationEngine.h"

namespace tusko {

namespace {

// A reply is decided by the first of these elements it carries.
constexpr std::array<std::uint8_t, 11> kReplyOrder{
    ie::MonitorStart, ie::MonitorStop, ie::MonitorCommand, ie::MonitorPoll, ie::FirmwareVersion, ie::LanInfo,
    ie::NewPassword,  ie::DateTime,    ie::ModuleType,     ie::ModuleReset, ie::ModuleCells,
};

// Refusals and time-outs concern the first of these requests that is pending.
constexpr std::array<PendingRequest, 12> kRequestOrder{
    MonitorStartPending, MonitorStopPending, MonitorCommandPending, SystemInfoPending,
    SystemInfoCheckPending, LanInfoPending, PasswordChangePending, GetTimePending,
    SetTimePending, ModuleInfoPending, ModuleResetPending, CellsPending,
};

}  // namespace

bool SendIdleRequest(EngineOperations& engine, const IdleRequestStart& start, DeviceMessage request, bool repeat) {
  if (start.withPassword) engine.AddPassword(request);
  SealMessage(request);
  const bool sent = engine.SendRequest(std::move(request));
  if (start.logLine != nullptr) engine.LogLine("%s", start.logLine);
  engine.Notify(start.started);
  engine.ArmTimeout(start.timeout);
  engine.CountAttempt(repeat);
  engine.SetPending(start.flag);
  engine.SetState(EngineState::Idle);
  return sent;
}

void IdleRequests::AddRequest(PendingRequest flag, IdleRequestRules rules) {
  requests_.insert_or_assign(flag, std::move(rules));
}

void IdleRequests::AddReply(std::uint8_t element, IdleReplyHandler handler) {
  replies_.insert_or_assign(element, std::move(handler));
}

void IdleRequests::OnMessage(EngineOperations& engine, const DeviceMessage& message) {
  switch (static_cast<MessageType>(message.type())) {
    case MessageType::Reply:
      OnReply(engine, message);
      break;
    case MessageType::Reject:
      OnRefusal(engine, message);
      break;
    case MessageType::Request:
      break;
  }
}

void IdleRequests::OnReply(EngineOperations& engine, const DeviceMessage& reply) {
  for (std::uint8_t id : kReplyOrder) {
    const auto element = FindElement(reply, id);
    if (!element) continue;
    if (const auto handler = replies_.find(id); handler != replies_.end()) handler->second(engine, reply, *element);
    return;
  }
}

void IdleRequests::OnRefusal(EngineOperations& engine, const DeviceMessage& reject) {
  engine.SetCauseText(reject);
  const auto flag = Current(engine);
  if (!flag) return;
  const IdleRequestRules& rules = requests_.at(*flag);
  engine.StopTimer();

  const auto cause = CauseCode(reject);
  if (cause == cause::PasswordRequired) {
    switch (rules.onPasswordRequired) {
      case PasswordRule::AsOtherwise:
        break;
      case PasswordRule::OldPasswordWrong:
        End(engine, *flag, OperationResult::OldPasswordWrong);
        return;
      case PasswordRule::AskPassword:
        if (!engine.AskPasswordForRepeat()) {
          End(engine, *flag, OperationResult::PasswordRefused);
          return;
        }
        // The prompt runs a message loop: the request may have ended meanwhile.
        if (!engine.HasPending(*flag)) return;
        break;
    }
  }
  if (engine.RepeatsLeft() && (!rules.repeatsRefusal || rules.repeatsRefusal(engine, cause))) {
    rules.repeat(engine);
  } else {
    End(engine, *flag, OperationResult::Rejected);
  }
}

void IdleRequests::OnTimeout(EngineOperations& engine) {
  const auto flag = Current(engine);
  if (!flag) return;
  const IdleRequestRules& rules = requests_.at(*flag);
  if (engine.retries() >= rules.timeoutRepeats) {
    End(engine, *flag, OperationResult::NoAnswer);
  } else {
    rules.repeat(engine);
  }
}

std::optional<PendingRequest> IdleRequests::Current(const EngineOperations& engine) const {
  for (PendingRequest flag : kRequestOrder) {
    if (engine.HasPending(flag) && requests_.contains(flag)) return flag;
  }
  return std::nullopt;
}

void IdleRequests::End(EngineOperations& engine, PendingRequest flag, OperationResult result) {
  engine.ClearPendingFlag(flag);
  engine.NotifyResult(requests_.at(flag).result, result);
}

}  // namespace tusko
