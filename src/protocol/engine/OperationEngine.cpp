#include "protocol/engine/OperationEngine.h"

#include <algorithm>
#include <array>
#include <cstdarg>
#include <cstdio>
#include <span>
#include <utility>

#include "protocol/engine/CauseText.h"

namespace tusko {

namespace {

constexpr std::size_t kLogLineCapacity = 256;  // characters; longer lines are cut

// The diagnostics view reads its store while the window handles these codes,
// and an InvalidData refusal stops its polling before the next tick.
bool IsAlwaysSynchronous(Notification code) {
  switch (code) {
    case Notification::IsdnStatusData:
    case Notification::IsdnCreditData:
    case Notification::GsmStatusData:
    case Notification::GsmCreditData:
    case Notification::InvalidData:
      return true;
    default:
      return false;
  }
}

}  // namespace

OperationEngine::OperationEngine(EngineHost& host, const EngineSettings& settings)
    : EngineOperations(host, settings) {
  RegisterOperations(registry_);
}

OperationEngine& EngineOperations::front() { return static_cast<OperationEngine&>(*this); }

void OperationEngine::SetLoginPassword(std::string_view password) {
  loginPassword_ = std::string(password.substr(0, kLoginPasswordCapacity));
}

// ---- Dispatch ----

void OperationEngine::OnMessage(DeviceMessage message, std::size_t length) {
  const std::span<const std::uint8_t> received(message.buffer());
  host_.dumpMessage(received.first(std::min(length, received.size())), true);

  if (!HasKnownType(message)) {
    LogLine("Incorrect message structure!!!");
    return;
  }
  if (!IsChecksumValid(message)) {
    LogLine("Incorrect message checksum!!!");
    return;
  }
  if (IsOfType(message, MessageType::Request) && OnEvent(message)) return;

  if (OperationHandler* handler = registry_.For(state_)) handler->OnMessage(*this, message);

  // A refusal of a diagnostics request echoes its element without data: that is no fresh data.
  if (!IsOfType(message, MessageType::Reject)) {
    if (const auto code = StoreDiagnostics(diagnostics_, message)) Notify(*code);
  }
  OnRefusalCause(message);
}

bool OperationEngine::OnEvent(const DeviceMessage& event) {
  if (FindElement(event, ie::LoaderStarted)) {
    OnLoaderStarted(event);
    return true;
  }
  if (FindElement(event, ie::QuietEvent)) return true;
  if (FindElement(event, ie::FirmwareStarted)) {
    OnFirmwareStarted(event);
    return true;
  }
  if (FindElement(event, ie::PowerDown)) {
    OnLinkGoingDown("Power down");
  } else if (FindElement(event, ie::SwitchToFirmware)) {
    OnLinkGoingDown("Switch to firmware");
  }
  return false;
}

void OperationEngine::OnLoaderStarted(const DeviceMessage& event) {
  // In WaitFirmware the switch time-out keeps running: the loader may still start the firmware.
  if (state_ != EngineState::WaitFirmware) StopTimer();
  LogLine("Restart loader");
  Notify(Notification::LoaderRestarted);
  EnterProgram(RunMode::Loader, event);
  if (monitor_ != nullptr) monitor_->monitoringStopped();

  OperationHandler* handler = registry_.For(state_);
  if (handler != nullptr && handler->OnLoaderStarted(*this, event)) return;

  if (state_ != EngineState::WaitFirmware) state_ = EngineState::InLoader;
  SendEmptyElement(MessageType::Reply, ie::RestartAck);
  if (!HasPending(SwitchToFirmwareSent)) RequestSwitchToFirmware();
  if (CauseCode(event) == cause::NoFirmware) {
    SetPending(NoFirmwareSeen);
    Notify(Notification::NoFirmware);
    if (const auto& recovery = registry_.noFirmwareRecovery()) recovery(*this);
  } else {
    ClearPendingFlag(NoFirmwareSeen);
  }
}

void OperationEngine::OnFirmwareStarted(const DeviceMessage& event) {
  const EngineState was = state_;
  StopTimer();
  LogLine("Restart firmware");
  Notify(Notification::FirmwareRunning);
  EnterProgram(RunMode::Firmware, event);
  if (monitor_ != nullptr) monitor_->monitoringStopped();
  // A transfer the firmware was serving is cut off by its restart as by one
  // into the loader: its handler ends it with its result, else it would be
  // awaited for ever.
  const bool transfer = was == EngineState::Reading || was == EngineState::Writing || was == EngineState::CdrReading ||
                        was == EngineState::AnnouncementStarting || was == EngineState::AnnouncementSending;
  if (OperationHandler* handler = registry_.For(was); transfer && handler != nullptr) {
    handler->OnLoaderStarted(*this, event);
  }
  state_ = EngineState::Idle;
  EndCancelFollowUp(GatewayAfterCancel::Firmware);
}

void OperationEngine::OnLinkGoingDown(const char* line) {
  LogLine("%s", line);
  host_.closeLink();
  Notify(Notification::LinkClosed);
}

void OperationEngine::OnRefusalCause(const DeviceMessage& message) {
  if (!IsOfType(message, MessageType::Reject)) return;
  const auto cause = CauseCode(message);
  if (cause == cause::InvalidData) {
    SetCauseText(message);
    Notify(Notification::InvalidData);
  } else if (cause == cause::NoFirmware) {
    SetCauseText(message);
    Notify(Notification::NoFirmware);
  }
}

// ---- Time-outs ----

void OperationEngine::OnTimer() {
  StopTimer();
  if (!std::exchange(pacing_, false)) LogLine("Timer timeout! (status: %d)", static_cast<int>(state_));
  if (!RepeatsLeft()) {
    GiveUp();
    return;
  }
  if (OperationHandler* handler = registry_.For(state_)) handler->OnTimeout(*this);
}

void EngineOperations::GiveUp() {
  OperationHandler* handler = registry_.For(state_);
  const bool goesOn = handler != nullptr ? handler->OnTriesExhausted(*this) : (ReportNoAnswer(), false);
  if (!goesOn) {
    ClearAllPending();
    state_ = EngineState::Failed;
  }
}

void EngineOperations::ReportNoAnswer() {
  LogLine("Operation failed!");
  if (HasPending(ModuleInfoPending)) {
    NotifyResult(Notification::ModuleInfoResult, OperationResult::NoAnswer);
  } else {
    Notify(Notification::OperationFailed);
  }
}

void EngineOperations::ReportCutByRestart() {
  StopTimer();
  LogLine("Transfer cut off by a restart");
  SetOwnCause("strErrorTransferRestart");
}

// ---- Sending ----

bool EngineOperations::BeginRequest(bool repeat) {
  if (repeat) return true;
  // A cancel still on its way back to the firmware is told before anything else begins.
  EndCancelFollowUp(loaderHolds_ ? GatewayAfterCancel::Loader : GatewayAfterCancel::Unknown);
  causeText_.clear();
  return host_.queryLink();
}

bool EngineOperations::SendRequest(DeviceMessage message) {
  if (host_.linkState() != LinkState::Open) return false;
  const std::size_t length = message.wireSize();
  host_.dumpMessage(message.wireBytes(), false);
  host_.sendToLink(std::move(message), length);
  return true;
}

bool EngineOperations::SendEmptyElement(MessageType type, std::uint8_t element) {
  DeviceMessage message = CreateMessage(type);
  AddElement(message, element, {});
  SealMessage(message);
  return SendRequest(std::move(message));
}

void EngineOperations::AddPassword(DeviceMessage& request) const {
  AddTextElement(request, ie::Password, loginPassword_, true);
}

void EngineOperations::RequestSwitchToFirmware() {
  SendEmptyElement(MessageType::Request, ie::SwitchToFirmware);
  SetPending(SwitchToFirmwareSent);
  ArmTimeout(&EngineSettings::communicationTimeout);
}

void EngineOperations::ArmTimer(std::chrono::milliseconds delay) {
  pacing_ = false;
  host_.armTimer(delay);
}

void EngineOperations::ArmTimeout(std::uint32_t EngineSettings::*setting) {
  ArmTimer(std::chrono::milliseconds(settings_.*setting));
  pacing_ = setting == &EngineSettings::dataReadWriteRequestDelay;
}

void EngineOperations::StopTimer() { host_.stopTimer(); }

// ---- Reporting ----

void EngineOperations::LogLine(const char* format, ...) {
  std::array<char, kLogLineCapacity> line{};
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(line.data(), line.size(), format, arguments);
  va_end(arguments);
  host_.log(line.data(), LogColour::Engine);
}

void EngineOperations::Notify(Notification code, int value) { host_.notify(code, value, IsAlwaysSynchronous(code)); }

void EngineOperations::NotifyNow(Notification code, int value) { host_.notify(code, value, true); }

// ---- Refusals ----

void EngineOperations::SetCauseText(const DeviceMessage& reject) {
  const auto cause = FindElement(reject, ie::Cause);
  causeText_ = cause && !cause->data.empty() ? FormatCauseBytes(cause->data) : host_.languageText("strErrorCauseNone");
  if (causeText_.size() > kCauseTextCapacity) causeText_.resize(kCauseTextCapacity);
}

void EngineOperations::SetOwnCause(std::string_view languageKey) {
  causeText_ = host_.languageText(languageKey);
  if (causeText_.size() > kCauseTextCapacity) causeText_.resize(kCauseTextCapacity);
}

bool EngineOperations::AskPasswordForRepeat() {
  if (retries_ >= kMaxRepeats) retries_ = kMaxRepeats - 1;
  return host_.queryPassword();
}

void EngineOperations::ApplyNegativeReply(const DeviceMessage& reject, RefusalResults results,
                                         const std::function<void()>& repeat) {
  StopTimer();
  const auto cause = CauseCode(reject);
  if (cause == cause::PasswordRequired) {
    const EngineState asking = state_;
    if (!AskPasswordForRepeat()) {
      state_ = EngineState::Idle;
      NotifyResult(results.passwordRefused, OperationResult::PasswordRefused);
      return;
    }
    // The prompt runs a message loop: another event may have moved the engine on.
    if (state_ != asking) return;
  } else if (cause == cause::NotAllowed) {
    state_ = EngineState::Idle;
    Notify(Notification::NotAllowed);
    return;
  }
  if (RepeatsLeft()) {
    repeat();
    return;
  }
  SetCauseText(reject);
  state_ = EngineState::Idle;
  NotifyResult(results.rejected, OperationResult::Rejected);
}

// ---- What the gateway tells about itself ----

void EngineOperations::StoreVersions(const DeviceMessage& message) {
  struct Text {
    std::uint8_t id;
    std::size_t capacity;
    std::string SystemInformation::*field;
    const char* label;
  };
  static constexpr std::array<Text, 3> kTexts{{
      {ie::LoaderVersion, kVersionTextCapacity, &SystemInformation::loaderVersion, "Loader version: "},
      {ie::FirmwareVersion, kVersionTextCapacity, &SystemInformation::firmwareVersion, "Firmware version: "},
      {ie::DeviceName, kDeviceNameCapacity, &SystemInformation::deviceName, "Sentarix name: "},
  }};
  for (const Text& text : kTexts) {
    const auto element = FindElement(message, text.id);
    std::string& field = info_.system.*text.field;
    field = element ? ElementText(*element, text.capacity) : std::string();
    LogLine("%s%s", text.label, field.c_str());
  }
}

void EngineOperations::StoreRunMode(const ElementView& runMode) {
  const RunModeInfo read = ReadRunMode(runMode);
  if (read.mode == kRunModeLoader || read.mode == kRunModeFirmware) info_.system.runMode = RunMode{read.mode};
  loaderHolds_ = info_.system.runMode == RunMode::Loader;
  info_.system.dataVersion = read.dataVersion;
  LogLine("Run mode: %d, data version: %#08x", static_cast<int>(info_.system.runMode),
          static_cast<unsigned>(info_.system.dataVersion));
}

void EngineOperations::EnterProgram(RunMode mode, const DeviceMessage& announcement) {
  retries_ = 0;
  ClearAllPending();
  ClearDiagnostics();
  info_.system.runMode = mode;
  loaderHolds_ = mode == RunMode::Loader;
  info_.system.dataVersion = 0;
  StoreVersions(announcement);
}

void EngineOperations::ClearDiagnostics() {
  diagnostics_.Clear();
  info_.module.cells = {};
}

}  // namespace tusko
