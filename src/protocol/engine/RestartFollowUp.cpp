// The gateway restart and the way back to Idle: ResetDevice, then the states
// that follow the gateway through its loader and back into its firmware.
#include <chrono>
#include <memory>

#include "protocol/engine/OperationEngine.h"
#include "protocol/engine/OperationHandler.h"

namespace tusko {

namespace {

// While the serial port is gone the timer looks for its return at this pace;
// the port reopens by itself when the gateway's USB device arrives. A TCP
// connection is asked for again at the same pace.
constexpr std::chrono::milliseconds kReconnectPollMs{1000};
// A TCP connection under way is looked at this often: it is usually up at once.
constexpr std::chrono::milliseconds kConnectingPollMs{100};

// A request with one empty element, answered within CommunicationTimeout.
void SendProbe(EngineOperations& engine, std::uint8_t element) {
  engine.SendEmptyElement(MessageType::Request, element);
  engine.ArmTimeout(&EngineSettings::communicationTimeout);
}

// A probe that the link cannot carry would use up a try the gateway never
// saw: while the link is away the probe waits for it instead.
void ProbeOnceLinked(EngineOperations& engine, std::uint8_t element) {
  if (!engine.ReconnectAfterRestart()) return;
  SendProbe(engine, element);
  engine.CountAttempt(true);
}

// The gateway did not come back: a cancel that waited for it says so, else the restart failed.
bool ReportNotBack(EngineOperations& engine) {
  if (!engine.EndCancelFollowUp(GatewayAfterCancel::Unknown)) engine.Notify(Notification::RestartFailed);
  return false;
}

class ResetSent final : public OperationHandler {
 public:
  void OnMessage(EngineOperations& engine, const DeviceMessage& message) override {
    if (IsReplyWith(message, ie::Reset)) {
      engine.AwaitRestart(EngineState::WaitLoader, &EngineSettings::communicationTimeoutSwitchToLoader);
    } else if (IsOfType(message, MessageType::Reject)) {
      engine.ApplyNegativeReply(message, {Notification::Reset, Notification::ResetRejected},
                                [&engine] { engine.front().ResetDevice(); });
    }
  }
  void OnTimeout(EngineOperations& engine) override { engine.front().ResetDevice(); }
};

// The gateway is restarting. Once the link is back, the program it restarts
// into is asked who it is; the probe is a first try, whichever program it is.
class AwaitReconnect final : public RestartWait {
 public:
  explicit AwaitReconnect(EngineState probing) : probing_(probing) {}
  // The link never came back: the gateway did not either.
  bool OnTriesExhausted(EngineOperations& engine) override { return ReportNotBack(engine); }

 private:
  void OnLinkBack(EngineOperations& engine) override {
    engine.SetState(probing_);
    SendProbe(engine, ie::LoaderVersion);
    engine.CountAttempt(false);
  }

  EngineState probing_;
};

// Connected to the freshly started loader: ask who it is, then have it start the firmware.
class InLoader final : public OperationHandler {
 public:
  void OnMessage(EngineOperations& engine, const DeviceMessage& message) override {
    if (IsReplyWith(message, ie::SwitchToFirmware)) {
      engine.AwaitRestart(EngineState::WaitFirmware, &EngineSettings::communicationTimeoutSwitchToFirmware);
    } else if (IsReplyWith(message, ie::LoaderVersion)) {
      if (engine.HasPending(SwitchToFirmwareSent)) return;
      engine.StopTimer();
      engine.RequestSwitchToFirmware();
    } else if (IsOfType(message, MessageType::Reject)) {
      engine.SendEmptyElement(MessageType::Reply, ie::RestartAck);
    }
  }
  void OnTimeout(EngineOperations& engine) override {
    ProbeOnceLinked(engine, engine.HasPending(SwitchToFirmwareSent) ? ie::SwitchToFirmware : ie::LoaderVersion);
  }
  // The loader stopped answering: give the firmware one more chance to answer instead.
  bool OnTriesExhausted(EngineOperations& engine) override {
    SendProbe(engine, ie::LoaderVersion);
    engine.SetState(EngineState::WaitFirmwareInfo);
    return true;
  }
};

// Waiting for the started firmware to tell who it is; its answer ends the restart.
class WaitFirmwareInfo final : public OperationHandler {
 public:
  void OnMessage(EngineOperations& engine, const DeviceMessage& message) override {
    if (!FindElement(message, ie::LoaderVersion)) return;
    engine.StopTimer();
    engine.Notify(Notification::FirmwareRunning);
    engine.SetState(EngineState::Idle);
    engine.EnterProgram(RunMode::Firmware, message);
    // The answer says which program really runs: after the loader stopped
    // answering, this probe may still reach the loader.
    if (const auto runMode = FindElement(message, ie::RunMode)) engine.StoreRunMode(*runMode);
    engine.EndCancelFollowUp(engine.LoaderHolds() ? GatewayAfterCancel::Loader : GatewayAfterCancel::Firmware);
  }
  void OnTimeout(EngineOperations& engine) override { ProbeOnceLinked(engine, ie::LoaderVersion); }
  bool OnTriesExhausted(EngineOperations& engine) override { return ReportNotBack(engine); }
};

}  // namespace

bool OperationEngine::ResetDevice() {
  const bool repeat = state() == EngineState::ResetSent;
  if (!BeginRequest(repeat)) return false;
  DeviceMessage request = CreateMessage(MessageType::Request);
  AddElement(request, ie::Reset, {});
  AddPassword(request);
  SealMessage(request);
  // A new restart: the loader it leads to has not been asked to start the firmware yet.
  ClearPendingFlag(SwitchToFirmwareSent);
  const bool sent = SendRequest(std::move(request));
  LogLine("Device RESET");
  Notify(Notification::Reset);
  ArmTimeout(&EngineSettings::communicationTimeoutReset);
  CountAttempt(repeat);
  SetState(EngineState::ResetSent);
  return sent;
}

void EngineOperations::AwaitRestart(EngineState waiting, std::uint32_t EngineSettings::*timeout) {
  StopTimer();
  loaderHolds_ = waiting == EngineState::WaitLoader || waiting == EngineState::FlashWaitLoader ||
                 waiting == EngineState::WriteWaitLoader;
  host().closeLink();
  Notify(Notification::LinkClosed);
  SetState(waiting);
  SetRetries(0);
  ArmTimeout(timeout);
  reconnectWaitLeft_.reset();
}

bool EngineOperations::ReconnectAfterRestart() {
  // A TCP connection comes back only when asked for.
  if (host().linkType() == LinkType::Tcp && host().linkState() == LinkState::Closed) host().reopenLink();
  if (host().linkState() == LinkState::Open) {
    reconnectWaitLeft_.reset();
    return true;
  }
  // The gateway gets as long to come back as it gets to start its firmware.
  if (!reconnectWaitLeft_) reconnectWaitLeft_ = std::chrono::milliseconds(settings().communicationTimeoutSwitchToFirmware);
  if (*reconnectWaitLeft_ <= std::chrono::milliseconds::zero()) {
    LogLine("Link not back after the restart");
    GiveUp();
    return false;
  }
  const bool connecting = host().linkType() == LinkType::Tcp && host().linkState() == LinkState::Connecting;
  const std::chrono::milliseconds poll = connecting ? kConnectingPollMs : kReconnectPollMs;
  *reconnectWaitLeft_ -= poll;
  ArmTimer(poll);
  return false;
}

void EngineOperations::EndCancelled(Notification result, GatewayAfterCancel where) {
  cancelReport_.reset();
  afterCancel_ = where;
  state_ = EngineState::Idle;
  NotifyResult(result, OperationResult::Cancelled);
}

void EngineOperations::ReturnToFirmwareAfterCancel(Notification result) {
  cancelReport_ = result;
  // This loader has not been asked for the firmware yet, whatever an earlier restart asked.
  ClearPendingFlag(SwitchToFirmwareSent);
  retries_ = 0;
  if (state_ == EngineState::FlashWaitLoader || state_ == EngineState::WriteWaitLoader) {
    // Its timer already waits for the link; the loader is met as after a restart.
    state_ = EngineState::WaitLoader;
    return;
  }
  StopTimer();
  state_ = EngineState::InLoader;
  RequestSwitchToFirmware();
}

bool EngineOperations::EndCancelFollowUp(GatewayAfterCancel where) {
  if (!cancelReport_) return false;
  EndCancelled(*cancelReport_, where);
  return true;
}

void RestartWait::OnTimeout(EngineOperations& engine) {
  if (!engine.ReconnectAfterRestart()) return;
  engine.Notify(Notification::LinkClosed);
  OnLinkBack(engine);
}

void RegisterRestartFollowUp(OperationRegistry& registry) {
  registry.Add({EngineState::ResetSent}, std::make_unique<ResetSent>());
  registry.Add({EngineState::WaitLoader}, std::make_unique<AwaitReconnect>(EngineState::InLoader));
  registry.Add({EngineState::InLoader}, std::make_unique<InLoader>());
  registry.Add({EngineState::WaitFirmware}, std::make_unique<AwaitReconnect>(EngineState::WaitFirmwareInfo));
  registry.Add({EngineState::WaitFirmwareInfo}, std::make_unique<WaitFirmwareInfo>());
}

}  // namespace tusko
