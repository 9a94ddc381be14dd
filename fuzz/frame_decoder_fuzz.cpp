// Feeds arbitrary bytes to the frame decoder with link-timer ticks mixed in,
// runs every reader of the message codec over each delivered message, and
// checks that a delivered message survives encoding and decoding unchanged.
//
// Input: byte 0 sets the tick schedule (low nibble: a tick burst after every
// that many bytes, 0 for none; bits 4-5: ticks per burst), the rest is the
// received byte stream.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "link/FrameDecoder.h"
#include "link/FrameEncoder.h"
#include "protocol/ElementLayouts.h"

namespace {

using namespace tusko;

void Check(bool condition) {
  if (!condition) std::abort();
}

bool Inside(std::span<const std::uint8_t> part, std::span<const std::uint8_t> whole) {
  return part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size();
}

// The readers get a copy of exactly the element's size, so that any read past
// the element is a read past a heap block the sanitizer watches.
void ReadElement(const ElementView& found) {
  const std::vector<std::uint8_t> exact(found.data.begin(), found.data.end());
  const ElementView element{found.id, exact};

  Check(ElementText(element, kGsmStatusTextCapacity).size() <= kGsmStatusTextCapacity);
  const auto runMode = ReadRunMode(element);
  Check(runMode.dataVersion == 0 || exact.size() >= 7);
  const auto lan = ReadLanInfo(element);
  for (const auto* address : {&lan.ipAddress, &lan.subnetMask, &lan.defaultGateway}) {
    Check(address->size() <= sizeof "255.255.255.255" - 1);
  }
  for (const auto& entry : ReadGsmStatus(element)) {
    Check(entry.index < kGsmModuleCount && entry.text.size() <= kGsmStatusTextCapacity);
  }
  for (const auto& entry : ReadCredit(element)) Check(entry.index < kGsmModuleCount);
  ReadModuleCells(element);
  Check(ReadDateTime(element).has_value() == (exact.size() >= kDateTimeSize));
  Check(ReadLastTimeSync(element).present == !exact.empty());
}

std::vector<std::uint8_t> Reencoded(std::span<const std::uint8_t> bytes) {
  std::vector<std::uint8_t> frame;
  EncodeFrame(bytes, frame);
  std::vector<std::uint8_t> joined;
  EncodeFrameChunks(bytes, [&joined](std::span<const std::uint8_t> chunk) {
    Check(!chunk.empty() && chunk.size() <= kMaxChunkSize);
    joined.insert(joined.end(), chunk.begin(), chunk.end());
  });
  Check(joined == frame);
  return frame;
}

void InspectMessage(const ReceivedFrame& frame) {
  const DeviceMessage& message = frame.message;
  Check(frame.length <= kMaxReceivedLength);
  HasKnownType(message);
  IsChecksumValid(message);
  // An identifier can only be found where its value occurs in the IE area;
  // those are looked up, and one that occurs nowhere must stay unfound (every
  // other absent identifier takes the same walk).
  std::array<bool, 256> occurs{};
  for (std::uint8_t byte : message.ieArea()) occurs[byte] = true;
  bool absentProbed = false;
  for (unsigned id = 0; id <= 0xFF; ++id) {
    if (!occurs[id] && absentProbed) continue;
    const auto element = FindElement(message, static_cast<std::uint8_t>(id));
    if (!occurs[id]) {
      absentProbed = true;
      Check(!element);
    }
    if (!element) continue;
    Check(Inside(element->data, message.ieArea()));
    ReadElement(*element);
  }

  const std::span<const std::uint8_t> received(message.buffer().data(), frame.length);
  FrameDecoder decoder;
  int delivered = 0;
  for (std::uint8_t byte : Reencoded(received)) {
    if (const auto again = decoder.Feed(byte)) {
      ++delivered;
      Check(again->length == frame.length && again->message.buffer() == message.buffer());
    }
  }
  Check(delivered == 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t tickEvery = data[0] & 0x0F;
  const unsigned ticksPerBurst = (data[0] >> 4) & 0x03;

  FrameDecoder decoder;
  for (std::size_t i = 1; i < size; ++i) {
    if (const auto frame = decoder.Feed(data[i])) InspectMessage(*frame);
    if (tickEvery != 0 && i % tickEvery == 0) {
      for (unsigned t = 0; t < ticksPerBurst; ++t) {
        if (decoder.Tick()) Check(!decoder.InFrame());
      }
    }
  }
  return 0;
}
