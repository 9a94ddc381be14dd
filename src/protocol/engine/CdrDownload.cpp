// CDR download: the CdrReading state fetches the gateway's call detail
// records chunk by chunk. Each request acknowledges the chunk stored last;
// a chunk the record store cannot take is asked for again with a Reject.
#include <algorithm>
#include <memory>

#include "protocol/ElementNumbers.h"
#include "protocol/engine/CauseText.h"
#include "protocol/engine/CdrTransfer.h"
#include "protocol/engine/ConfigTransfer.h"
#include "protocol/engine/OperationEngine.h"

namespace tusko {

namespace {

constexpr RefusalResults kCdrRefusals{Notification::CdrResult, Notification::CdrResult};

// The records of a chunk that was not stored, as the gateway is told in the Reject.
std::uint32_t RecordsIn(std::size_t chunkBytes) {
  return static_cast<std::uint32_t>((chunkBytes + kCdrRecordBytes - 1) / kCdrRecordBytes);
}

// The request for the next chunk. It acknowledges the last chunk stored and
// never one that was not: after a failed chunk it names the chunk before
// it again, so the gateway cannot take the Reject for a release of records
// that did not reach the file.
bool SendCdrRequest(EngineOperations& engine, CdrTransfer& cdr, bool repeat) {
  const bool first = cdr.position() == kCdrNoPosition;
  DeviceMessage request = CreateMessage(cdr.errorCount() != 0 ? MessageType::Reject : MessageType::Request);
  if (first) {
    AddElement(request, ie::CdrData, {});
  } else {
    const auto length =
        cdr.length() == kCdrNoLength ? kCdrUnknownLength : static_cast<std::uint8_t>(cdr.length());
    AddElementBytes(request, ie::CdrData, {length});
    AddElement(request, ie::CdrAddress, EncodeNumber32(cdr.position()));
  }
  if (cdr.errorCount() != 0) AddElementBytes(request, ie::Cause, {cause::CdrStoreFailed, cdr.errorCount() & 0xFFu});
  engine.AddPassword(request);
  SealMessage(request);
  const bool sent = engine.SendRequest(std::move(request));
  if (first && !repeat) {
    engine.LogLine("Start CDR download");
    engine.Notify(Notification::DownloadStarted);
  }
  engine.ArmTimeout(&EngineSettings::communicationTimeoutDataWrite);
  engine.CountAttempt(repeat);
  engine.SetState(EngineState::CdrReading);
  return sent;
}

// A download from the beginning, into `store` or the store in use: the
// first-request form, after the link is made sure of.
bool StartFresh(EngineOperations& engine, CdrTransfer& cdr, CdrRecordStore* store) {
  if (!engine.BeginRequest(false)) return false;
  if (store != nullptr) cdr.Begin(*store);
  cdr.Rewind();
  return SendCdrRequest(engine, cdr, false);
}

void Finish(EngineOperations& engine, CdrTransfer& cdr, OperationResult result) {
  cdr.End();
  engine.SetState(EngineState::Idle);
  engine.NotifyResult(Notification::CdrResult, result);
}

class CdrReading final : public OperationHandler {
 public:
  explicit CdrReading(CdrTransfer& cdr) : cdr_(cdr) {}

  void OnMessage(EngineOperations& engine, const DeviceMessage& message) override {
    if (IsOfType(message, MessageType::Reject)) {
      OnReject(engine, message);
    } else if (IsOfType(message, MessageType::Reply)) {
      if (const auto data = FindElement(message, ie::CdrData)) OnChunk(engine, message, data->data);
    }
  }

  void OnTimeout(EngineOperations& engine) override { SendCdrRequest(engine, cdr_, true); }

  bool OnTriesExhausted(EngineOperations& engine) override {
    cdr_.End();
    return OperationHandler::OnTriesExhausted(engine);
  }

  bool OnLoaderStarted(EngineOperations& engine, const DeviceMessage&) override {
    engine.ReportCutByRestart();
    Finish(engine, cdr_, OperationResult::Rejected);
    return false;
  }

 private:
  void OnChunk(EngineOperations& engine, const DeviceMessage& reply, std::span<const std::uint8_t> chunk) {
    const auto addressElement = FindElement(reply, ie::CdrAddress);
    const auto address = addressElement ? ReadNumber32(*addressElement) : std::nullopt;
    if (!chunk.empty()) {
      if (!address) {
        engine.LogLine("Address missing");
        return;
      }
      if (!FollowsLastCdrChunk(cdr_.position(), cdr_.length(), *address)) {
        LogInvalidAddress(engine, address);
        return;
      }
    }
    engine.StopTimer();
    CdrRecordStore& store = *cdr_.store();
    if (!store.StoreChunk(chunk)) {
      OnChunkRefused(engine, chunk.size());
      return;
    }
    if (chunk.empty()) {
      const std::uint32_t records = store.RecordCount();
      if (records == 0) {
        engine.LogLine("No new CDR records");
      } else {
        engine.LogLine("Got %d CDR records", static_cast<int>(records));
      }
      Finish(engine, cdr_, OperationResult::Done);
      return;
    }
    cdr_.Stored(*address, static_cast<std::int32_t>(chunk.size()));
    SendCdrRequest(engine, cdr_, false);
  }

  void OnChunkRefused(EngineOperations& engine, std::size_t chunkBytes) {
    engine.LogLine("CDR download error");
    engine.ClearCauseText();
    cdr_.SetErrorCount(std::max<std::uint32_t>(1, RecordsIn(chunkBytes)));
    if (!engine.RepeatsLeft()) {
      Finish(engine, cdr_, OperationResult::Rejected);
      return;
    }
    SendCdrRequest(engine, cdr_, true);
  }

  void OnReject(EngineOperations& engine, const DeviceMessage& reject) {
    if (CauseCode(reject) == cause::CdrRestart) {
      engine.StopTimer();
      engine.SetState(EngineState::Idle);
      if (!StartFresh(engine, cdr_, nullptr)) {
        cdr_.End();
        engine.ReportNoAnswer();
      }
      return;
    }
    engine.ApplyNegativeReply(reject, kCdrRefusals, [&] { SendCdrRequest(engine, cdr_, true); });
    if (engine.state() != EngineState::CdrReading) cdr_.End();
  }

  CdrTransfer& cdr_;
};

}  // namespace

bool OperationEngine::StartCdrDownload(CdrRecordStore& store) { return StartFresh(*this, registry_.Cdr(), &store); }

void OperationEngine::CancelCdr() {
  registry_.Cdr().End();
  state_ = EngineState::Idle;
  StopTimer();
  LogLine("Cancel CDR download");
  NotifyResult(Notification::CdrResult, OperationResult::Cancelled);
}

const CdrTransfer& OperationEngine::cdrTransfer() const { return registry_.Cdr(); }

void RegisterCdrDownload(OperationRegistry& registry) {
  registry.Add({EngineState::CdrReading}, std::make_unique<CdrReading>(registry.Cdr()));
}

}  // namespace tusko
