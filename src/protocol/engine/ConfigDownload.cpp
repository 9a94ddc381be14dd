// Configuration download: the Reading state reads the image in 128-byte
// blocks, keeping a window of requests in flight and leaving out the empty
// tails of the counted tables.
#include <algorithm>
#include <memory>

#include "protocol/ElementNumbers.h"
#include "protocol/engine/ConfigTransfer.h"
#include "protocol/engine/ConfigTransferRules.h"
#include "protocol/engine/OperationEngine.h"

namespace tusko {

namespace {

constexpr RefusalResults kDownloadRefusals{Notification::DownloadResult, Notification::DownloadResult};

// Asks for the block at the next offset, if one is left, and arms the timer
// for what comes after it. True when a request went out.
bool SendReadRequest(EngineOperations& engine, ConfigTransfer& transfer, bool repeat) {
  if (engine.state() != EngineState::Reading) return false;
  ConfigTransfer::Counters& counters = transfer.counters();
  bool sent = false;
  if (!transfer.AllRequested()) {
    DeviceMessage request = CreateMessage(MessageType::Request);
    AddElement(request, ie::ConfigReadData, {});
    AddElement(request, ie::Address, EncodeNumber32(ConfigDeviceAddress(counters.nextOffset)));
    engine.AddPassword(request);
    SealMessage(request);
    sent = engine.SendRequest(std::move(request));
    counters.requestOffset = counters.nextOffset;
    if (!repeat) engine.Notify(Notification::DownloadProgress, transfer.Progress());
    ++counters.pendingCount;
    counters.nextOffset += kReadBlockBytes;
  }
  transfer.ArmAfterRequest(engine, &EngineSettings::communicationTimeoutDataRead);
  return sent;
}

// Starts again from the first block not read yet, as one more try.
void RepeatFromAcknowledged(EngineOperations& engine, ConfigTransfer& transfer) {
  transfer.Rewind();
  SendReadRequest(engine, transfer, true);
  engine.CountAttempt(true);
}

bool StartConfigDownload(EngineOperations& engine, ConfigTransfer& transfer) {
  if (!engine.BeginRequest(false)) return false;
  transfer.Begin(engine.settings().dataReadWriteMaxPendingRequests, kReadBlockBytes);
  // Bytes the gateway does not send stay "not set" rather than keeping an earlier transfer's content.
  transfer.image() = ConfigurationImage();
  engine.SetRetries(0);
  engine.SetState(EngineState::Reading);
  engine.LogLine("Start data download");
  const bool sent = SendReadRequest(engine, transfer, false);
  engine.Notify(Notification::DownloadStarted);
  return sent;
}

class Reading final : public OperationHandler {
 public:
  explicit Reading(ConfigTransfer& transfer) : transfer_(transfer) {}

  void OnMessage(EngineOperations& engine, const DeviceMessage& message) override {
    if (IsOfType(message, MessageType::Reject)) {
      engine.ApplyNegativeReply(message, kDownloadRefusals, [&] { RepeatFromAcknowledged(engine, transfer_); });
      return;
    }
    if (!IsOfType(message, MessageType::Reply)) return;
    if (const auto address = FindElement(message, ie::Address)) {
      OnBlock(engine, message, *address);
    } else if (const auto version = FindElement(message, ie::FirmwareVersion)) {
      // Not an answer to a read: the image is not complete, so the download goes on.
      StoreFirmwareVersion(engine, *version);
    }
  }

  void OnTimeout(EngineOperations& engine) override {
    if (transfer_.Stalled()) {
      RepeatFromAcknowledged(engine, transfer_);
    } else {
      SendReadRequest(engine, transfer_, false);  // the request delay has passed
    }
  }

  bool OnLoaderStarted(EngineOperations& engine, const DeviceMessage&) override {
    engine.ReportCutByRestart();
    engine.NotifyResult(Notification::DownloadResult, OperationResult::Rejected);
    return false;
  }

  // Only a stalled window means a missing answer; the request delay passing
  // on the last try lets the next request go out as usual.
  bool OnTriesExhausted(EngineOperations& engine) override {
    if (transfer_.Stalled()) return OperationHandler::OnTriesExhausted(engine);
    SendReadRequest(engine, transfer_, false);
    return true;
  }

 private:
  // A block shorter than its place in the image would leave a hole in it: the
  // block is asked for again as one more try, and after the last try the
  // download fails like an unanswered one.
  void AskAgain(EngineOperations& engine) {
    engine.StopTimer();
    if (engine.RepeatsLeft()) {
      RepeatFromAcknowledged(engine, transfer_);
      return;
    }
    engine.ReportNoAnswer();
    engine.ClearAllPending();
    engine.SetState(EngineState::Failed);
  }

  void OnBlock(EngineOperations& engine, const DeviceMessage& reply, const ElementView& addressElement) {
    ConfigTransfer::Counters& counters = transfer_.counters();
    const std::uint32_t expected = ConfigDeviceAddress(counters.acknowledgedOffset);
    const auto address = ReadNumber32(addressElement);
    if (address != expected) {
      LogInvalidAddress(engine, address);
      if (address && *address < expected) engine.LogLine("Skip");
      return;
    }
    const auto data = FindElement(reply, ie::ConfigReadData);
    if (!data) {
      engine.LogLine("Missing data IE");
      return;
    }
    const std::size_t room = ConfigurationImage::kSize - counters.acknowledgedOffset;
    if (data->data.size() < std::min<std::size_t>(counters.blockLength, room)) {
      engine.LogLine("Data IE too short (%d)", static_cast<int>(data->data.size()));
      AskAgain(engine);
      return;
    }

    const bool full = transfer_.WindowFull();
    if (full) engine.StopTimer();
    transfer_.CountAnswer();
    transfer_.image().Store(counters.acknowledgedOffset, data->data.first(std::min(data->data.size(), room)));
    transfer_.Acknowledge(counters.blockLength);

    const std::size_t read = counters.acknowledgedOffset;
    counters.acknowledgedOffset = DownloadSkip(transfer_.image(), read);
    if (counters.acknowledgedOffset != read) {
      engine.LogLine("Skip %d B", static_cast<int>(counters.acknowledgedOffset - read));
    }
    // The requests in flight for the skipped part are answered, but no longer awaited.
    if (counters.acknowledgedOffset > counters.nextOffset) transfer_.Rewind();
    engine.SetRetries(0);

    if (transfer_.Complete()) {
      engine.StopTimer();
      engine.Notify(Notification::DownloadProgress, kProgressComplete);
      engine.NotifyResult(Notification::DownloadResult, OperationResult::Done);
      engine.SetState(EngineState::Idle);
    } else if (full) {
      SendReadRequest(engine, transfer_, false);
    }
  }

  ConfigTransfer& transfer_;
};

}  // namespace

bool OperationEngine::StartDownload() { return StartConfigDownload(*this, registry_.Transfer()); }

void OperationEngine::CancelDownload() {
  CancelTransfer(*this, registry_.Transfer(), "Cancel data download", Notification::DownloadResult);
}

void RegisterConfigDownload(OperationRegistry& registry) {
  registry.Add({EngineState::Reading}, std::make_unique<Reading>(registry.Transfer()));
}

}  // namespace tusko
