// Firmware update: FlashStarting asks the gateway to take a firmware (the
// firmware restarts into its loader for that: FlashWaitLoader), Flashing sends
// the firmware file block by block, each acknowledged by its flash address,
// then the stop; the restart follow-up leads back to Idle through WaitFirmware.
#include "protocol/TransferConstants.h"

#include <array>
#include <memory>
#include <vector>

#include "protocol/ElementNumbers.h"
#include "protocol/engine/OperationEngine.h"
#include "protocol/engine/OperationHandler.h"

namespace tusko {

namespace {

constexpr int kFirmwareProgressComplete = 100;  // percent

// The update can run only with a checked file that has something to send.
bool HasFileToSend(const FirmwareFile& file) { return file.IsOpen() && !file.sections().empty(); }

void LogSectionStart(EngineOperations& engine, const FirmwareFile& file) {
  const auto section = file.CurrentSection();
  if (!section) return;
  engine.LogLine("Loading FLASH block: %08X - %08X", static_cast<unsigned>(section->address),
                 static_cast<unsigned>(section->address + section->length - 1));
}

int Progress(const FirmwareFile& file) {
  const std::uint64_t total = file.BytesTotal();
  return total == 0 ? kFirmwareProgressComplete : static_cast<int>(file.BytesDone() * kFirmwareProgressComplete / total);
}

// Sends a request holding one empty element and arms the block time-out.
void SendFlashControl(EngineOperations& engine, std::uint8_t element, const char* logLine, bool repeat) {
  engine.SendEmptyElement(MessageType::Request, element);
  engine.LogLine("%s", logLine);
  engine.ArmTimeout(&EngineSettings::communicationTimeoutFlashLoad);
  engine.CountAttempt(repeat);
  engine.SetState(EngineState::Flashing);
}

void StopFirmwareUpdate(EngineOperations& engine, bool repeat) {
  engine.ClearPendingFlag(FlashCancelPending);
  SendFlashControl(engine, ie::FlashStop, "Stop firmware update", repeat);
}

void SendFlashCancel(EngineOperations& engine, bool repeat) {
  SendFlashControl(engine, ie::FlashCancel, "Cancel firmware update", repeat);
  engine.SetPending(FlashCancelPending);
}

// Every way out of the update ends here: the file is closed and the result told.
void EndUpdate(EngineOperations& engine, OperationResult result) {
  engine.front().firmwareFile().CloseFile();
  engine.ClearPendingFlag(FlashCancelPending);
  engine.SetState(EngineState::Idle);
  engine.NotifyResult(Notification::FirmwareResult, result);
}

// The cancel is through: the file is closed, and a loader that holds the
// update is asked to start the firmware before the result is told.
void EndCancel(EngineOperations& engine) {
  engine.front().firmwareFile().CloseFile();
  engine.ClearPendingFlag(FlashCancelPending);
  if (engine.LoaderHolds()) {
    engine.ReturnToFirmwareAfterCancel(Notification::FirmwareResult);
  } else {
    engine.EndCancelled(Notification::FirmwareResult, GatewayAfterCancel::Firmware);
  }
}

void SendFlashBlock(EngineOperations& engine, bool repeat) {
  FirmwareFile& file = engine.front().firmwareFile();
  std::array<std::uint8_t, kFlashBlockMaxBytes> buffer{};
  std::uint32_t address = 0;
  const int read = file.ReadBlock(buffer, address);
  if (read <= 0) {
    // The file changed under the update: what the gateway would get is not the file.
    engine.StopTimer();
    engine.LogLine("Firmware file read error");
    EndUpdate(engine, OperationResult::Rejected);
    return;
  }
  std::vector<std::uint8_t> block(buffer.begin(), buffer.begin() + read);
  const std::size_t padded = (block.size() + kFlashBlockGranuleBytes - 1) / kFlashBlockGranuleBytes * kFlashBlockGranuleBytes;
  block.resize(padded, kFlashPadByte);

  DeviceMessage request = CreateMessage(MessageType::Request);
  AddElement(request, ie::FlashData, block);
  AddElement(request, ie::FlashAddress, EncodeNumber32(address));
  SealMessage(request);
  engine.SendRequest(std::move(request));
  if (!repeat) engine.Notify(Notification::FirmwareProgress, Progress(file));
  engine.ArmTimeout(&EngineSettings::communicationTimeoutFlashLoad);
  engine.CountAttempt(repeat);
  engine.SetState(EngineState::Flashing);
}

// What a refusal or a time-out in Flashing tries once more.
void RepeatStepInProgress(EngineOperations& engine) {
  const FirmwareFile& file = engine.front().firmwareFile();
  if (engine.HasPending(FlashCancelPending)) {
    SendFlashCancel(engine, true);
  } else if (file.BytesDone() < file.BytesTotal()) {
    SendFlashBlock(engine, true);
  } else {
    StopFirmwareUpdate(engine, true);
  }
}

// After the last try: the generic failure, with the file closed.
bool CloseFileAndFail(EngineOperations& engine) {
  engine.front().firmwareFile().CloseFile();
  engine.ReportNoAnswer();
  return false;
}

// The update starts again from its start request. When the starter cannot
// even begin (the file was closed under the update, or the link is gone),
// the update ends here with a failure that says where the gateway may be,
// rather than leaving its loader waiting with nobody to answer it.
void StartAgainOrEnd(EngineOperations& engine) {
  if (HasFileToSend(engine.front().firmwareFile())) {
    engine.front().StartFirmwareUpdate();
    if (engine.state() == EngineState::FlashStarting) return;
  }
  engine.StopTimer();
  engine.LogLine("Firmware update cannot go on");
  engine.SetOwnCause("strFlashLeftInLoader");
  EndUpdate(engine, OperationResult::Rejected);
}

class FlashStarting final : public OperationHandler {
 public:
  void OnMessage(EngineOperations& engine, const DeviceMessage& message) override {
    if (IsReplyWith(message, ie::Reset)) {
      // The firmware restarts into its loader, which does the writing.
      engine.AwaitRestart(EngineState::FlashWaitLoader, &EngineSettings::communicationTimeoutSwitchToLoader);
    } else if (IsReplyWith(message, ie::FlashStart)) {
      engine.StopTimer();
      // Only the loader takes the start: the firmware answers it with Reset.
      engine.SetLoaderHolds(true);
      OnLoaderReady(engine);
    } else if (IsOfType(message, MessageType::Reject)) {
      engine.ApplyNegativeReply(message, {Notification::FirmwareResult, Notification::FirmwareResult},
                                [&engine] { StartAgainOrEnd(engine); });
      if (engine.state() == EngineState::Idle) engine.front().firmwareFile().CloseFile();
    }
  }
  void OnTimeout(EngineOperations& engine) override { StartAgainOrEnd(engine); }
  bool OnTriesExhausted(EngineOperations& engine) override { return CloseFileAndFail(engine); }
  // The loader came up while its start was awaited: it gets the start request anew.
  bool OnLoaderStarted(EngineOperations& engine, const DeviceMessage&) override {
    engine.SetState(EngineState::InLoader);
    StartAgainOrEnd(engine);
    return true;
  }

 private:
  static void OnLoaderReady(EngineOperations& engine) {
    FirmwareFile& file = engine.front().firmwareFile();
    if (!HasFileToSend(file)) {
      // The file went away before a block was sent: leave the loader with the old firmware.
      SendFlashCancel(engine, false);
      return;
    }
    LogSectionStart(engine, file);
    SendFlashBlock(engine, false);
    if (engine.state() == EngineState::Flashing) engine.Notify(Notification::FirmwareStarted);
  }
};

// The firmware restarted into the loader for the update. The update starts
// again once the loader is there: when its start event arrives, or when the
// wait is over and the link is back.
class FlashWaitLoader final : public RestartWait {
 public:
  bool OnTriesExhausted(EngineOperations& engine) override { return CloseFileAndFail(engine); }
  // The loader came up for the update: asking it to start the old firmware
  // would end the update without a result.
  bool OnLoaderStarted(EngineOperations& engine, const DeviceMessage&) override {
    StartAgainOrEnd(engine);
    return true;
  }

 private:
  void OnLinkBack(EngineOperations& engine) override { StartAgainOrEnd(engine); }
};

class Flashing final : public OperationHandler {
 public:
  void OnMessage(EngineOperations& engine, const DeviceMessage& message) override {
    if (IsOfType(message, MessageType::Reject)) {
      OnReject(engine, message);
      return;
    }
    if (!IsOfType(message, MessageType::Reply)) return;
    if (const auto address = FindElement(message, ie::FlashAddress)) {
      if (!engine.HasPending(FlashCancelPending)) OnBlockAcknowledged(engine, *address);
    } else if (FindElement(message, ie::FlashStop)) {
      // Only the stop that follows the last acknowledged block ends the update well.
      if (AllBlocksAcknowledged(engine)) {
        OnStopAcknowledged(engine);
      } else {
        engine.LogLine("Stop acknowledge before the last block");
      }
    } else if (FindElement(message, ie::FlashCancel)) {
      engine.StopTimer();
      EndCancel(engine);
    } else if (FindElement(message, ie::Reset) && engine.HasPending(FlashCancelPending)) {
      // The firmware took the start before the cancel and restarts into its
      // loader: the cancel is met there, as after a cancel while waiting for it.
      engine.AwaitRestart(EngineState::FlashWaitLoader, &EngineSettings::communicationTimeoutSwitchToLoader);
      EndCancel(engine);
    }
  }
  void OnTimeout(EngineOperations& engine) override { RepeatStepInProgress(engine); }
  bool OnTriesExhausted(EngineOperations& engine) override {
    if (!engine.HasPending(FlashCancelPending)) return CloseFileAndFail(engine);
    // Nobody confirmed the cancel: where the gateway is, is not known.
    engine.front().firmwareFile().CloseFile();
    engine.ClearPendingFlag(FlashCancelPending);
    engine.LogLine("Operation failed!");
    engine.EndCancelled(Notification::FirmwareResult, GatewayAfterCancel::Unknown);
    return false;
  }
  bool OnLoaderStarted(EngineOperations& engine, const DeviceMessage&) override {
    engine.ReportCutByRestart();
    EndUpdate(engine, OperationResult::Rejected);
    return false;
  }

 private:
  static bool AllBlocksAcknowledged(EngineOperations& engine) {
    const FirmwareFile& file = engine.front().firmwareFile();
    return !engine.HasPending(FlashCancelPending) && file.IsOpen() && file.BytesDone() >= file.BytesTotal();
  }

  static void OnReject(EngineOperations& engine, const DeviceMessage& reject) {
    engine.StopTimer();
    if (engine.RepeatsLeft()) {
      RepeatStepInProgress(engine);
      return;
    }
    engine.SetCauseText(reject);
    EndUpdate(engine, OperationResult::Rejected);
  }

  static void OnBlockAcknowledged(EngineOperations& engine, const ElementView& element) {
    static constexpr std::uint32_t kUnreadable = 0xFFFFFFFF;
    FirmwareFile& file = engine.front().firmwareFile();
    const auto address = ReadNumber32(element);
    if (!address || !file.CurrentSection() || *address != file.CurrentAddress()) {
      // Not the block in flight: its time-out sends it again.
      engine.LogLine("Acknowledge of invalid address (%08X)", static_cast<unsigned>(address.value_or(kUnreadable)));
      return;
    }
    engine.StopTimer();
    bool newSection = false;
    if (file.Advance(newSection)) {
      if (newSection) LogSectionStart(engine, file);
      SendFlashBlock(engine, false);
    } else {
      StopFirmwareUpdate(engine, false);
      engine.Notify(Notification::FirmwareProgress, kFirmwareProgressComplete);
    }
  }

  static void OnStopAcknowledged(EngineOperations& engine) {
    engine.StopTimer();
    engine.front().firmwareFile().CloseFile();
    engine.NotifyResult(Notification::FirmwareResult, OperationResult::Done);
    // The loader starts the new firmware; the restart follow-up waits for it.
    engine.AwaitRestart(EngineState::WaitFirmware, &EngineSettings::communicationTimeoutSwitchToFirmware);
  }
};

}  // namespace

bool OperationEngine::StartFirmwareUpdate() {
  if (!HasFileToSend(firmwareFile())) return false;
  const bool repeat = state() == EngineState::FlashStarting;
  if (!BeginRequest(repeat)) return false;
  DeviceMessage request = CreateMessage(MessageType::Request);
  AddElementBytes(request, ie::FlashStart, {kFlashStartValue});
  AddPassword(request);
  SealMessage(request);
  const bool sent = SendRequest(std::move(request));
  ClearPendingFlag(FlashCancelPending);
  LogLine("Start firmware update");
  Notify(Notification::FirmwareStarted);
  ArmTimeout(&EngineSettings::communicationTimeoutFlashLoadStart);
  CountAttempt(repeat);
  SetState(EngineState::FlashStarting);
  return sent;
}

void OperationEngine::CancelFirmwareUpdate() {
  switch (state()) {
    case EngineState::FlashStarting:
    case EngineState::Flashing:
      SendFlashCancel(*this, false);
      break;
    case EngineState::FlashWaitLoader:
      // The link is down while the loader comes up: a cancel sent now would be
      // lost. The loader, once there, is asked to start the firmware instead.
      LogLine("Cancel firmware update");
      EndCancel(*this);
      break;
    default:
      break;  // no update runs: nothing to cancel
  }
}

FirmwareFile& OperationEngine::firmwareFile() { return registry_.Firmware(); }

void RegisterFirmwareUpdate(OperationRegistry& registry) {
  FirmwareFile& file = registry.Firmware();
  file.SetPageSize(kFlashPageBytes);
  file.AddAllowedRange(kFirmwareFlashWindow);
  registry.Add({EngineState::FlashStarting}, std::make_unique<FlashStarting>());
  registry.Add({EngineState::FlashWaitLoader}, std::make_unique<FlashWaitLoader>());
  registry.Add({EngineState::Flashing}, std::make_unique<Flashing>());
  registry.SetNoFirmwareRecovery([](EngineOperations& engine) { engine.front().StartFirmwareUpdate(); });
}

}  // namespace tusko
