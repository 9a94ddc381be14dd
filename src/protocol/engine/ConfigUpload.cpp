// Configuration upload: WriteStarting asks the gateway to take an image (it
// may restart into its loader for that: WriteWaitLoader), Writing sends the
// image in blocks with a window of requests in flight and leaves out groups of
// 0xFF bytes, and WriteWaitFirmware follows the gateway's restart afterwards.
#include <memory>

#include "protocol/ElementNumbers.h"
#include "protocol/engine/ConfigTransfer.h"
#include "protocol/engine/ConfigTransferRules.h"
#include "protocol/engine/OperationEngine.h"
#include "protocol/engine/OperationHandler.h"

namespace tusko {

namespace {

constexpr RefusalResults kUploadRefusals{Notification::UploadResult, Notification::UploadResult};

bool SendWriteStart(EngineOperations& engine, ConfigTransfer& transfer, bool repeat) {
  DeviceMessage request = CreateMessage(MessageType::Request);
  AddElement(request, ie::ConfigWriteStart, EncodeNumber32(static_cast<std::uint32_t>(kConfigImageSize)));
  AddElement(request, ie::Address, EncodeNumber32(kConfigBaseAddress));
  engine.AddPassword(request);
  SealMessage(request);
  const bool sent = engine.SendRequest(std::move(request));
  engine.LogLine("Start data upload");
  engine.Notify(Notification::UploadStarted);
  engine.ArmTimeout(&EngineSettings::communicationTimeoutDataWriteStart);
  engine.CountAttempt(repeat);
  engine.SetState(EngineState::WriteStarting);
  transfer.Begin(engine.settings().dataReadWriteMaxPendingRequests, 0);
  return sent;
}

// With an image a new upload; without one the start of the upload under way again.
bool StartConfigUpload(EngineOperations& engine, ConfigTransfer& transfer, const ConfigurationImage* image) {
  if (image == nullptr && engine.state() != EngineState::WriteStarting) return false;
  if (!engine.BeginRequest(image == nullptr)) return false;
  if (image != nullptr) {
    transfer.image() = *image;
    StoreSignature(transfer.image());
    transfer.image().Fill(layout::general::kReservedHead, layout::kUnset);
  }
  return SendWriteStart(engine, transfer, engine.state() == EngineState::WriteStarting);
}

// Sends the block at the next offset, if one is left, and arms the timer for
// what comes after it. True when a request went out.
bool SendWriteBlock(EngineOperations& engine, ConfigTransfer& transfer, bool repeat) {
  if (engine.state() != EngineState::WriteStarting && engine.state() != EngineState::Writing) return false;
  ConfigTransfer::Counters& counters = transfer.counters();
  bool sent = false;
  if (!transfer.AllRequested()) {
    const std::vector<std::uint8_t> block = UploadBlock(transfer.image(), counters.nextOffset);
    DeviceMessage request = CreateMessage(MessageType::Request);
    AddElement(request, ie::ConfigWriteData, block);
    AddElement(request, ie::Address, EncodeNumber32(ConfigDeviceAddress(counters.nextOffset)));
    engine.AddPassword(request);
    SealMessage(request);
    sent = engine.SendRequest(std::move(request));
    counters.blockLength = block.size();
    counters.requestOffset = counters.nextOffset;
    if (!repeat) engine.Notify(Notification::UploadProgress, transfer.Progress());
    ++counters.pendingCount;
    const std::size_t after = counters.nextOffset + block.size();
    counters.nextOffset = UploadSkip(transfer.image(), after);
    if (counters.nextOffset > after) engine.LogLine("Skip %d B", static_cast<int>(counters.nextOffset - after));
  }
  transfer.ArmAfterRequest(engine, &EngineSettings::communicationTimeoutDataWrite);
  engine.SetState(EngineState::Writing);
  return sent;
}

void StopUpload(EngineOperations& engine, bool repeat) {
  DeviceMessage request = CreateMessage(MessageType::Request);
  AddElementBytes(request, ie::ConfigWriteStop, {kConfigWriteStopValue});
  SealMessage(request);
  engine.SendRequest(std::move(request));
  engine.LogLine("Stop data upload");
  engine.ArmTimeout(&EngineSettings::communicationTimeoutDataWrite);
  engine.CountAttempt(repeat);
}

// One more try of what the gateway has not confirmed: the stop once every
// block is confirmed, else the blocks from the first unconfirmed one on.
void RepeatUnconfirmed(EngineOperations& engine, ConfigTransfer& transfer) {
  if (transfer.Complete()) {
    StopUpload(engine, true);
    return;
  }
  transfer.Rewind();
  SendWriteBlock(engine, transfer, true);
  engine.CountAttempt(true);
}

class WriteStarting final : public OperationHandler {
 public:
  explicit WriteStarting(ConfigTransfer& transfer) : transfer_(transfer) {}

  void OnMessage(EngineOperations& engine, const DeviceMessage& message) override {
    if (IsReplyWith(message, ie::Reset)) {
      // The firmware restarts into the loader, which does the writing.
      engine.AwaitRestart(EngineState::WriteWaitLoader, &EngineSettings::communicationTimeoutSwitchToLoader);
    } else if (IsReplyWith(message, ie::ConfigWriteStart)) {
      engine.StopTimer();
      SendWriteBlock(engine, transfer_, false);
    } else if (IsOfType(message, MessageType::Reject)) {
      engine.ApplyNegativeReply(message, kUploadRefusals, [&] { SendWriteStart(engine, transfer_, true); });
    }
  }
  void OnTimeout(EngineOperations& engine) override { SendWriteStart(engine, transfer_, true); }
  // The start request is still awaited: only its time-out, which the event stopped, starts again.
  bool OnLoaderStarted(EngineOperations& engine, const DeviceMessage&) override {
    engine.ArmTimeout(&EngineSettings::communicationTimeoutDataWriteStart);
    return true;
  }

 private:
  ConfigTransfer& transfer_;
};

class Writing final : public OperationHandler {
 public:
  explicit Writing(ConfigTransfer& transfer) : transfer_(transfer) {}

  void OnMessage(EngineOperations& engine, const DeviceMessage& message) override {
    if (IsOfType(message, MessageType::Reject)) {
      engine.ApplyNegativeReply(message, kUploadRefusals, [&] { RepeatUnconfirmed(engine, transfer_); });
      return;
    }
    if (!IsOfType(message, MessageType::Reply)) return;
    if (const auto address = FindElement(message, ie::Address)) {
      OnBlockConfirmed(engine, *address);
    } else if (FindElement(message, ie::ConfigWriteStop)) {
      OnStopConfirmed(engine);
    } else if (const auto version = FindElement(message, ie::FirmwareVersion)) {
      StoreFirmwareVersion(engine, *version);
      // Only an answer to the stop ends the upload: before it blocks are still unconfirmed.
      if (transfer_.Complete()) {
        engine.StopTimer();
        engine.NotifyResult(Notification::UploadResult, OperationResult::Done);
        engine.SetState(EngineState::Idle);
      }
    }
  }

  void OnTimeout(EngineOperations& engine) override {
    if (transfer_.Complete() || transfer_.Stalled()) {
      RepeatUnconfirmed(engine, transfer_);
    } else {
      SendWriteBlock(engine, transfer_, false);  // the request delay has passed
    }
  }

  bool OnLoaderStarted(EngineOperations& engine, const DeviceMessage&) override {
    engine.ReportCutByRestart();
    engine.NotifyResult(Notification::UploadResult, OperationResult::Rejected);
    return false;
  }

  // Only a stalled window or an unanswered stop means a missing answer; the
  // request delay passing on the last try lets the next block go out as usual.
  bool OnTriesExhausted(EngineOperations& engine) override {
    if (transfer_.Complete() || transfer_.Stalled()) return OperationHandler::OnTriesExhausted(engine);
    SendWriteBlock(engine, transfer_, false);
    return true;
  }

 private:
  void OnBlockConfirmed(EngineOperations& engine, const ElementView& addressElement) {
    ConfigTransfer::Counters& counters = transfer_.counters();
    const auto address = ReadNumber32(addressElement);
    if (transfer_.Complete() || address != ConfigDeviceAddress(counters.acknowledgedOffset)) {
      LogInvalidAddress(engine, address);
      return;
    }
    const bool full = transfer_.WindowFull();
    if (full) engine.StopTimer();
    transfer_.CountAnswer();
    // The block sent from here had this length, or ended the image.
    transfer_.Acknowledge(UploadBlockLength(counters.acknowledgedOffset));
    counters.acknowledgedOffset = UploadSkip(transfer_.image(), counters.acknowledgedOffset);
    engine.SetRetries(0);
    if (transfer_.Complete()) {
      StopUpload(engine, false);
      engine.Notify(Notification::UploadProgress, kProgressComplete);
    } else if (full) {
      SendWriteBlock(engine, transfer_, false);
    }
  }

  void OnStopConfirmed(EngineOperations& engine) {
    if (!transfer_.Complete()) return;  // no stop was sent: not an answer to this upload
    engine.StopTimer();
    engine.NotifyResult(Notification::UploadResult, OperationResult::Done);
    engine.LogLine("Data upload done");
    engine.AwaitRestart(EngineState::WriteWaitFirmware, &EngineSettings::communicationTimeoutSwitchToFirmware);
  }

  ConfigTransfer& transfer_;
};

// The firmware restarted into the loader for the write. The upload starts
// again once the loader is there: when its start event arrives, or when the
// wait is over and the link is back.
class WriteWaitLoader final : public RestartWait {
 public:
  explicit WriteWaitLoader(ConfigTransfer& transfer) : transfer_(transfer) {}

  // The loader came up for the write: it is not asked to start the firmware.
  bool OnLoaderStarted(EngineOperations& engine, const DeviceMessage&) override {
    RestartInLoader(engine);
    return true;
  }

 private:
  void OnLinkBack(EngineOperations& engine) override { RestartInLoader(engine); }
  // The loader is a new party: its start request gets every try.
  void RestartInLoader(EngineOperations& engine) {
    engine.SetState(EngineState::WriteStarting);
    SendWriteStart(engine, transfer_, false);
  }

  ConfigTransfer& transfer_;
};

// The upload is done and the gateway restarts; once the link is back the
// engine asks who runs.
class WriteWaitFirmware final : public RestartWait {
 private:
  void OnLinkBack(EngineOperations& engine) override {
    engine.SetState(EngineState::Idle);
    engine.NotifyResult(Notification::UploadResult, OperationResult::Done);
    engine.SendEmptyElement(MessageType::Request, ie::LoaderVersion);
    engine.SetRetries(0);
    engine.ArmTimeout(&EngineSettings::communicationTimeout);
  }
};

}  // namespace

bool OperationEngine::StartUpload(const ConfigurationImage& image) {
  return StartConfigUpload(*this, registry_.Transfer(), &image);
}

bool OperationEngine::StartUpload() { return StartConfigUpload(*this, registry_.Transfer(), nullptr); }

void OperationEngine::CancelUpload() {
  CancelTransfer(*this, registry_.Transfer(), "Cancel data upload", Notification::UploadResult);
}

void RegisterConfigUpload(OperationRegistry& registry) {
  ConfigTransfer& transfer = registry.Transfer();
  registry.Add({EngineState::WriteStarting}, std::make_unique<WriteStarting>(transfer));
  registry.Add({EngineState::Writing}, std::make_unique<Writing>(transfer));
  registry.Add({EngineState::WriteWaitLoader}, std::make_unique<WriteWaitLoader>(transfer));
  registry.Add({EngineState::WriteWaitFirmware}, std::make_unique<WriteWaitFirmware>());
}

}  // namespace tusko
