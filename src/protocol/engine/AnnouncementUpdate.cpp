// Announcement update: AnnouncementStarting asks the gateway to take a new
// announcement, AnnouncementSending sends the WAV file in 128-byte blocks
// addressed by their file offset, one at a time, and then the stop. The
// gateway may answer a block with FlashErasing while it prepares a sector;
// the block goes again after a pause that does not count as a lost try.
#include "protocol/engine/AnnouncementUpdate.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <memory>

#include "protocol/ElementNumbers.h"
#include "protocol/engine/CauseText.h"
#include "protocol/engine/ConfigTransferRules.h"
#include "protocol/engine/OperationEngine.h"
#include "protocol/engine/OperationHandler.h"

namespace tusko {

namespace {

constexpr std::size_t kBlockBytes = 128;
constexpr std::size_t kBlockGranuleBytes = 8;  // a short last block is padded to a multiple of this
constexpr std::uint8_t kBlockPadding = 0xFF;
// Pause before a block goes again after FlashErasing or a wrong acknowledgement.
constexpr std::chrono::milliseconds kResendDelayMs{1000};
// While the erase count is within this, a re-sent block starts its tries afresh.
constexpr int kMaxForgivenErasing = 4;

constexpr RefusalResults kAnnouncementRefusals{Notification::AnnouncementResult, Notification::AnnouncementResult};

bool ErasingForgiven(const AnnouncementUpdate& update) {
  return update.eraseCount >= 1 && update.eraseCount <= kMaxForgivenErasing;
}

bool SendStart(EngineOperations& engine, AnnouncementUpdate& update, AnnouncementKind kind) {
  const bool repeat = engine.state() == EngineState::AnnouncementStarting;
  if (!engine.BeginRequest(repeat)) return false;
  DeviceMessage request = CreateMessage(MessageType::Request);
  AddElementBytes(request, ie::AnnouncementStart, {static_cast<unsigned>(kind)});
  AddElement(request, ie::Address, EncodeNumber32(AnnouncementFile::HeaderEnd()));
  engine.AddPassword(request);
  SealMessage(request);
  const bool sent = engine.SendRequest(std::move(request));
  engine.LogLine("Start announcements update");
  engine.Notify(Notification::AnnouncementStarted);
  engine.ArmTimeout(&EngineSettings::communicationTimeoutFlashLoadStart);
  engine.CountAttempt(repeat);
  engine.SetState(EngineState::AnnouncementStarting);
  update.eraseCount = 0;
  update.kind = kind;
  return sent;
}

void EndUpdate(EngineOperations& engine, AnnouncementUpdate& update, OperationResult result);

void SendBlock(EngineOperations& engine, AnnouncementUpdate& update, bool repeat) {
  AnnouncementFile& file = update.file;
  std::array<std::uint8_t, kBlockBytes> block{};
  const std::size_t expected = std::min<std::size_t>(kBlockBytes, file.FileSize() - file.Position());
  const std::size_t got = file.ReadBlock(block);
  if (got < expected) {
    // The file changed under the update: what the gateway would get is not the checked file.
    engine.StopTimer();
    engine.LogLine("Announcement file read error");
    engine.SetOwnCause("strAnnouncementFileErrorFormat");
    EndUpdate(engine, update, OperationResult::Rejected);
    return;
  }
  const std::size_t padded = (got + kBlockGranuleBytes - 1) / kBlockGranuleBytes * kBlockGranuleBytes;
  const std::size_t length = std::min(kBlockBytes, padded);
  std::fill(block.begin() + static_cast<std::ptrdiff_t>(got), block.begin() + static_cast<std::ptrdiff_t>(length),
            kBlockPadding);
  DeviceMessage request = CreateMessage(MessageType::Request);
  AddElement(request, ie::AnnouncementData, std::span(block.data(), length));
  AddElement(request, ie::Address, EncodeNumber32(file.Position()));
  SealMessage(request);
  engine.SendRequest(std::move(request));
  if (!repeat && file.FileSize() > 0) {
    engine.Notify(Notification::AnnouncementProgress,
                  static_cast<int>(std::uint64_t{file.Position()} * kProgressComplete / file.FileSize()));
  }
  engine.ArmTimeout(&EngineSettings::communicationTimeoutFlashLoad);
  engine.CountAttempt(repeat);
  engine.SetState(EngineState::AnnouncementSending);
}

void SendStop(EngineOperations& engine, AnnouncementUpdate& update, bool repeat) {
  DeviceMessage request = CreateMessage(MessageType::Request);
  AddElementBytes(request, ie::AnnouncementStop, {kAnnouncementStopValue});
  SealMessage(request);
  engine.SendRequest(std::move(request));
  engine.LogLine("Stop announcements update");
  engine.ArmTimeout(&EngineSettings::communicationTimeoutFlashLoad);
  engine.CountAttempt(repeat);
  engine.SetState(EngineState::AnnouncementSending);
  update.eraseCount = 0;
}

// Every way back to Idle closes the file.
void EndUpdate(EngineOperations& engine, AnnouncementUpdate& update, OperationResult result) {
  update.file.CloseFile();
  engine.SetState(EngineState::Idle);
  engine.NotifyResult(Notification::AnnouncementResult, result);
}

// The loader started in the middle of the update.
bool EndCutByRestart(EngineOperations& engine, AnnouncementUpdate& update) {
  engine.ReportCutByRestart();
  EndUpdate(engine, update, OperationResult::Rejected);
  return false;
}

void EndRejected(EngineOperations& engine, AnnouncementUpdate& update, const DeviceMessage& reject) {
  engine.StopTimer();
  engine.SetCauseText(reject);
  EndUpdate(engine, update, OperationResult::Rejected);
}

class AnnouncementStarting final : public OperationHandler {
 public:
  explicit AnnouncementStarting(AnnouncementUpdate& update) : update_(update) {}

  void OnMessage(EngineOperations& engine, const DeviceMessage& message) override {
    if (IsReplyWith(message, ie::AnnouncementStart)) {
      engine.StopTimer();
      update_.eraseCount = 0;
      // Only the caller's side closes the file under a running update: it gave up on it.
      if (!update_.file.IsOpen()) {
        EndUpdate(engine, update_, OperationResult::Cancelled);
        return;
      }
      SendBlock(engine, update_, false);
    } else if (IsOfType(message, MessageType::Reject)) {
      OnRefusal(engine, message);
    }
  }

  void OnTimeout(EngineOperations& engine) override { SendStart(engine, update_, update_.kind); }

  bool OnTriesExhausted(EngineOperations& engine) override {
    update_.file.CloseFile();
    return OperationHandler::OnTriesExhausted(engine);
  }
  bool OnLoaderStarted(EngineOperations& engine, const DeviceMessage&) override {
    return EndCutByRestart(engine, update_);
  }

 private:
  // A password prompt and NotAllowed as everywhere; any other refusal ends
  // the update at once.
  void OnRefusal(EngineOperations& engine, const DeviceMessage& reject) {
    const bool passwordAsked = CauseCode(reject) == cause::PasswordRequired;
    engine.ApplyNegativeReply(reject, kAnnouncementRefusals, [&] {
      if (passwordAsked) {
        SendStart(engine, update_, update_.kind);
      } else {
        EndRejected(engine, update_, reject);
      }
    });
    if (engine.state() == EngineState::Idle) update_.file.CloseFile();
  }

  AnnouncementUpdate& update_;
};

class AnnouncementSending final : public OperationHandler {
 public:
  explicit AnnouncementSending(AnnouncementUpdate& update) : update_(update) {}

  void OnMessage(EngineOperations& engine, const DeviceMessage& message) override {
    if (IsOfType(message, MessageType::Reject)) {
      EndRejected(engine, update_, message);
    } else if (IsReplyWith(message, ie::AnnouncementData)) {
      OnBlockAcknowledged(engine, message);
    } else if (IsReplyWith(message, ie::FlashErasing)) {
      engine.StopTimer();
      ++update_.eraseCount;
      engine.LogLine("Erasing flash sector");
      engine.ArmTimer(kResendDelayMs);
    } else if (IsReplyWith(message, ie::AnnouncementStop) && AllSent()) {
      engine.StopTimer();
      EndUpdate(engine, update_, OperationResult::Done);
    }
  }

  void OnTimeout(EngineOperations& engine) override {
    if (AllSent()) {
      SendStop(engine, update_, true);
      return;
    }
    SendBlock(engine, update_, true);
    if (ErasingForgiven(update_)) engine.SetRetries(0);
  }

  bool OnLoaderStarted(EngineOperations& engine, const DeviceMessage&) override {
    return EndCutByRestart(engine, update_);
  }

  // Time spent erasing never uses up tries, not even the last one.
  bool OnTriesExhausted(EngineOperations& engine) override {
    if (!AllSent() && ErasingForgiven(update_)) {
      OnTimeout(engine);
      return true;
    }
    update_.file.CloseFile();
    return OperationHandler::OnTriesExhausted(engine);
  }

 private:
  // The stop goes out once the read position has reached the end of the file.
  bool AllSent() const { return update_.file.Position() >= update_.file.FileSize(); }

  void OnBlockAcknowledged(EngineOperations& engine, const DeviceMessage& reply) {
    engine.StopTimer();
    const auto addressElement = FindElement(reply, ie::Address);
    const auto address = addressElement ? ReadNumber32(*addressElement) : std::nullopt;
    if (address != update_.file.Position() || AllSent()) {
      static constexpr std::uint32_t kUnreadable = 0xFFFFFFFF;
      engine.LogLine("Acknowledge of invalid address (%08X)", static_cast<unsigned>(address.value_or(kUnreadable)));
      engine.ArmTimer(kResendDelayMs);
      return;
    }
    update_.eraseCount = 0;
    if (update_.file.Advance(kBlockBytes)) {
      SendStop(engine, update_, false);
      engine.Notify(Notification::AnnouncementProgress, kProgressComplete);
    } else {
      SendBlock(engine, update_, false);
    }
  }

  AnnouncementUpdate& update_;
};

}  // namespace

AnnouncementFile& OperationEngine::announcementFile() { return registry_.Announcement().file; }

bool OperationEngine::StartAnnouncementUpdate(AnnouncementKind kind) {
  AnnouncementUpdate& update = registry_.Announcement();
  // Only a checked file goes to the gateway.
  if (!update.file.Accepted()) return false;
  return SendStart(*this, update, kind);
}

void OperationEngine::CancelAnnouncementUpdate() {
  AnnouncementUpdate& update = registry_.Announcement();
  SetRetries(0);
  update.eraseCount = 0;
  update.file.CloseFile();
  StopTimer();
  LogLine("Cancel announcements update");
  // Only the firmware takes announcements, so it runs on. Nothing is sent:
  // the stop would store the blocks sent so far.
  EndCancelled(Notification::AnnouncementResult, GatewayAfterCancel::Firmware);
}

void RegisterAnnouncementUpdate(OperationRegistry& registry) {
  AnnouncementUpdate& update = registry.Announcement();
  registry.Add({EngineState::AnnouncementStarting}, std::make_unique<AnnouncementStarting>(update));
  registry.Add({EngineState::AnnouncementSending}, std::make_unique<AnnouncementSending>(update));
}

}  // namespace tusko
