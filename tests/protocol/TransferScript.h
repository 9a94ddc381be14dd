#pragma once

// The gateway's side of the transfers, played message by message against a
// scripted engine, the files and record store the transfers work on, and a
// monitoring view.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config/ConfigurationImage.h"
#include "protocol/AnnouncementFile.h"
#include "protocol/ElementNumbers.h"
#include "protocol/FirmwareFile.h"
#include "protocol/engine/CdrRecordStore.h"
#include "protocol/engine/ConfigTransfer.h"
#include "protocol/engine/ConfigTransferRules.h"
#include "protocol/engine/OperationEngine.h"
#include "support/FirmwareFiles.h"
#include "support/ScriptedEngine.h"
#include "support/TempFolder.h"
#include "support/TestMessages.h"
#include "support/TestWavFile.h"

namespace tusko::test {

// An image in which no byte is 0xFF: neither direction skips any of it.
inline ConfigurationImage DenseImage() {
  ConfigurationImage image;
  for (std::size_t offset = 0; offset < kConfigImageSize; ++offset) {
    image.SetByte(offset, static_cast<std::uint8_t>(offset % 251));
  }
  return image;
}

// An idle engine on a scripted host.
class TransferTest : public ::testing::Test, public ScriptedEngine {
 public:
  TransferTest() { OperationsOf(engine).SetState(EngineState::Idle); }

  // The time a setting names, e.g. the time-out of a request.
  std::chrono::milliseconds Ms(std::uint32_t EngineSettings::*setting) const {
    return std::chrono::milliseconds(settings.*setting);
  }
  const DeviceMessage& LastSent() const { return host.sent.back().message; }
};

inline std::vector<std::uint8_t> Number32(std::uint32_t value) {
  const auto bytes = EncodeNumber32(value);
  return {bytes.begin(), bytes.end()};
}

inline DeviceMessage ReadReply(std::uint32_t address, std::span<const std::uint8_t> data) {
  return ReplyWith({{ie::ConfigReadData, {data.begin(), data.end()}}, {ie::Address, Number32(address)}});
}

inline DeviceMessage AddressReply(std::uint32_t address) { return ReplyWith({{ie::Address, Number32(address)}}); }

// The Address a request carries, if it holds one.
inline std::optional<std::uint32_t> AddressOf(const DeviceMessage& message) {
  const auto element = FindElement(message, ie::Address);
  return element ? ReadNumber32(*element) : std::nullopt;
}

inline std::vector<std::uint8_t> ElementData(const DeviceMessage& message, std::uint8_t id) {
  const auto element = FindElement(message, id);
  return element ? std::vector<std::uint8_t>(element->data.begin(), element->data.end()) : std::vector<std::uint8_t>{};
}

// Answers what the engine sends, in order, and lets virtual time pass while
// nothing is left to answer or `ready` says to wait, until `done` or until
// `limit` has passed. `answer` returns the reply to a request, or nothing.
template <typename Done, typename Answer, typename Ready>
void AnswerUntil(ScriptedEngine& scripted, Done done, Answer answer, Ready ready,
                 std::chrono::milliseconds limit = std::chrono::minutes(1)) {
  constexpr std::chrono::milliseconds kStep{1};
  std::size_t answered = 0;
  const auto end = scripted.clock.Now() + limit;
  while (!done() && scripted.clock.Now() < end) {
    if (answered < scripted.host.sent.size() && ready()) {
      const DeviceMessage request = scripted.host.sent[answered++].message;
      if (const auto reply = answer(request)) scripted.Receive(*reply);
    } else {
      scripted.clock.Advance(kStep);
    }
  }
}

// The gateway's answer to a read request: the image bytes at its address.
inline std::optional<DeviceMessage> ServeRead(const ConfigurationImage& image, const DeviceMessage& request) {
  const auto address = AddressOf(request);
  const auto offset = address ? ConfigImageOffset(*address) : std::nullopt;
  if (!offset) return std::nullopt;
  return ReadReply(*address, image.Range(*offset, std::min(kReadBlockBytes, kConfigImageSize - *offset)));
}

// Writes an A-law WAV file of `samples` and opens it in the engine, checked unless told otherwise.
inline std::unique_ptr<TempFile> LoadAnnouncement(OperationEngine& engine, std::uint32_t samples, bool check = true) {
  auto stored = std::make_unique<TempFile>(AlawWav(samples));
  EXPECT_TRUE(engine.announcementFile().OpenFile(stored->path()));
  if (check) {
    EXPECT_EQ(engine.announcementFile().CheckWav(), WavCheck::Ok);
  }
  return stored;
}

// The gateway's acknowledgement of the announcement block at `address`.
inline DeviceMessage AnnouncementBlockAck(std::uint32_t address) {
  return ReplyWith({{ie::AnnouncementData, {}}, {ie::Address, Number32(address)}});
}

// A record store that keeps the chunks in memory and fails when told to.
class MemoryCdrStore final : public CdrRecordStore {
 public:
  bool StoreChunk(std::span<const std::uint8_t> chunk) override {
    ++offered;
    if (failures > 0) {
      --failures;
      return false;
    }
    if (!chunk.empty()) chunks.emplace_back(chunk.begin(), chunk.end());
    records += static_cast<std::uint32_t>(chunk.size() / kCdrRecordBytes);
    return true;
  }
  std::uint32_t RecordCount() const override { return records; }
  void Close() override { ++closes; }

  int failures = 0;
  int offered = 0;
  int closes = 0;
  std::uint32_t records = 0;
  std::vector<std::vector<std::uint8_t>> chunks;
};

// The gateway's answer holding `length` bytes of records stored at `address`.
inline DeviceMessage CdrChunkReply(std::uint32_t address, std::size_t length) {
  return ReplyWith({{ie::CdrData, std::vector<std::uint8_t>(length, 0x01)}, {ie::CdrAddress, Number32(address)}});
}

// A monitoring view that writes down what it is told.
class RecordingMonitor : public MonitorSink {
 public:
  void monitoringStarted() override { calls.push_back("started"); }
  void monitoringStopped() override { calls.push_back("stopped"); }
  void gatewayAnswered() override { calls.push_back("answered"); }
  void monitorOutput(std::string_view text) override { calls.push_back("output " + std::string(text)); }
  bool isPaused() const override { return paused; }

  std::vector<std::string> calls;
  bool paused = false;
};

}  // namespace tusko::test
