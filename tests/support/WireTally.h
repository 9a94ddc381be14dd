#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "link/CommLogSink.h"
#include "link/FrameEncoder.h"
#include "protocol/DeviceMessage.h"

namespace tusko::test {

// Bytes on the wire, counted from the messages the engine dumps to its
// communication log, each framed as the link frames it; also the requests
// sent, and those that carry one of the given data elements.
class WireTally final : public CommLogSink {
 public:
  explicit WireTally(std::vector<std::uint8_t> dataElements = {}) : dataElements_(std::move(dataElements)) {}

  void AddLine(std::string_view, LogColour) override {}
  void DumpRawInput(std::span<const std::uint8_t>) override {}
  void DumpMessage(std::span<const std::uint8_t> bytes, bool incoming) override {
    std::vector<std::uint8_t> frame;
    EncodeFrame(bytes, frame);
    (incoming ? bytesIn_ : bytesOut_) += frame.size();
    if (incoming) return;
    ++requests_;
    const DeviceMessage message = DeviceMessage::FromBytes(bytes);
    if (std::any_of(dataElements_.begin(), dataElements_.end(),
                    [&message](std::uint8_t element) { return FindElement(message, element).has_value(); })) {
      ++dataRequests_;
    }
  }

  std::size_t BytesOut() const { return bytesOut_; }
  std::size_t BytesIn() const { return bytesIn_; }
  std::size_t Requests() const { return requests_; }
  std::size_t DataRequests() const { return dataRequests_; }

 private:
  const std::vector<std::uint8_t> dataElements_;
  // The engine dumps on the loop's thread only; atomics keep the sink sound for any writer.
  std::atomic<std::size_t> bytesOut_{0};
  std::atomic<std::size_t> bytesIn_{0};
  std::atomic<std::size_t> requests_{0};
  std::atomic<std::size_t> dataRequests_{0};
};

}  // namespace tusko::test
