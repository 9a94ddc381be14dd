// The gateway restart and the way back to Idle: ResetDevice, then the states
// that follow the gateway through its loader and back into its firmware.
#include <chrono>
#include <memory>

#include "protocol/engine/OperationEngine.h"

namespace tusko {

namespace {

// While the serial port is gone the timer polls for its return at this pace;
// the port reopens by itself when the gateway's USB device arrives.
constexpr std::chrono::milliseconds kSerialReconnectPollMs{1000};

bool IsReplyWith(const DeviceMessage& message, std::uint8_t element) {
  return IsOfType(message, MessageType::Reply) && FindElement(message, element);
}

// A request with one empty element, answered within CommunicationTimeout.
void SendProbe(OperationEngine& engine, std::uint8_t element) {
  engine.SendEmptyElement(MessageType::Request, element);
  engine.ArmTimeout(&ProgramSettings::communicationTimeout);
}

// The gateway is about to restart: let go of the link and wait for it to come back.
void AwaitRestart(OperationEngine& engine, EngineState waitState, std::uint32_t ProgramSettings::*timeout) {
  engine.StopTimer();
  engine.host().closeLink(true);
  engine.Notify(Notification::LinkClosed);
  engine.SetState(waitState);
  engine.SetRetries(0);
  engine.ArmTimeout(timeout);
}

class ResetSent final : public OperationHandler {
 public:
  void OnMessage(OperationEngine& engine, const DeviceMessage& message) override {
    if (IsReplyWith(message, ie::Reset)) {
      AwaitRestart(engine, EngineState::WaitLoader, &ProgramSettings::communicationTimeoutSwitchToLoader);
    } else if (IsOfType(message, MessageType::Reject)) {
      engine.ApplyNegativeReply(message, {Notification::Reset, Notification::ResetRejected},
                                [&engine] { engine.ResetDevice(); });
    }
  }
  void OnTimeout(OperationEngine& engine) override { engine.ResetDevice(); }
};

// The gateway is restarting; only the timer moves on. Once the link is back,
// the program it restarts into is asked who it is.
class AwaitReconnect final : public OperationHandler {
 public:
  AwaitReconnect(EngineState probing, bool probeIsRepeat) : probing_(probing), probeIsRepeat_(probeIsRepeat) {}
  void OnMessage(OperationEngine&, const DeviceMessage&) override {}
  void OnTimeout(OperationEngine& engine) override {
    if (engine.ReconnectAfterRestart() == OperationEngine::Reconnect::Waiting) return;
    engine.Notify(Notification::LinkClosed);
    engine.SetState(probing_);
    SendProbe(engine, ie::LoaderVersion);
    engine.CountAttempt(probeIsRepeat_);
  }

 private:
  EngineState probing_;
  bool probeIsRepeat_;
};

// Connected to the freshly started loader: ask who it is, then have it start the firmware.
class InLoader final : public OperationHandler {
 public:
  void OnMessage(OperationEngine& engine, const DeviceMessage& message) override {
    if (IsReplyWith(message, ie::SwitchToFirmware)) {
      AwaitRestart(engine, EngineState::WaitFirmware, &ProgramSettings::communicationTimeoutSwitchToFirmware);
    } else if (IsReplyWith(message, ie::LoaderVersion)) {
      if (engine.HasPending(SwitchToFirmwareSent)) return;
      engine.StopTimer();
      engine.RequestSwitchToFirmware();
    } else if (IsOfType(message, MessageType::Reject)) {
      engine.SendEmptyElement(MessageType::Reply, ie::RestartAck);
    }
  }
  void OnTimeout(OperationEngine& engine) override {
    SendProbe(engine, engine.HasPending(SwitchToFirmwareSent) ? ie::SwitchToFirmware : ie::LoaderVersion);
    engine.CountAttempt(true);
  }
  // The loader stopped answering: give the firmware one more chance to answer instead.
  bool OnTriesExhausted(OperationEngine& engine) override {
    SendProbe(engine, ie::LoaderVersion);
    engine.SetState(EngineState::WaitFirmwareInfo);
    return true;
  }
};

// Waiting for the started firmware to tell who it is; its answer ends the restart.
class WaitFirmwareInfo final : public OperationHandler {
 public:
  void OnMessage(OperationEngine& engine, const DeviceMessage& message) override {
    if (!FindElement(message, ie::LoaderVersion)) return;
    engine.StopTimer();
    engine.Notify(Notification::FirmwareRunning);
    engine.SetState(EngineState::Idle);
    engine.EnterProgram(RunMode::Firmware, message);
    // The answer says which program really runs: after the loader stopped
    // answering, this probe may still reach the loader.
    if (const auto runMode = FindElement(message, ie::RunMode)) engine.StoreRunMode(*runMode);
  }
  void OnTimeout(OperationEngine& engine) override {
    SendProbe(engine, ie::LoaderVersion);
    engine.CountAttempt(true);
  }
  bool OnTriesExhausted(OperationEngine& engine) override {
    engine.Notify(Notification::RestartFailed);
    return false;
  }
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
  ArmTimeout(&ProgramSettings::communicationTimeoutReset);
  CountAttempt(repeat);
  SetState(EngineState::ResetSent);
  return sent;
}

OperationEngine::Reconnect OperationEngine::ReconnectAfterRestart() {
  if (host().linkState() == LinkState::Open) return Reconnect::Ready;
  if (host().linkType() == LinkType::Serial) {
    ArmTimer(kSerialReconnectPollMs);
    return Reconnect::Waiting;
  }
  // A TCP connection comes back only when asked for; the probe that follows
  // goes out once it is up, or is repeated by the time-out.
  host().reopenLink();
  return Reconnect::Ready;
}

void RegisterRestartFollowUp(OperationRegistry& registry) {
  registry.Add({EngineState::ResetSent}, std::make_unique<ResetSent>());
  registry.Add({EngineState::WaitLoader}, std::make_unique<AwaitReconnect>(EngineState::InLoader, false));
  registry.Add({EngineState::InLoader}, std::make_unique<InLoader>());
  // The loader was asked already: the firmware's probe counts as a repeat.
  registry.Add({EngineState::WaitFirmware}, std::make_unique<AwaitReconnect>(EngineState::WaitFirmwareInfo, true));
  registry.Add({EngineState::WaitFirmwareInfo}, std::make_unique<WaitFirmwareInfo>());
}

}  // namespace tusko
