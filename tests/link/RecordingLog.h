#pragma once

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "link/CommLogSink.h"
#include "link/LogColour.h"

namespace tusko {

// A communication log for the link tests: keeps every line and the raw input,
// for any thread.
class RecordingLog final : public CommLogSink {
 public:
  void AddLine(std::string_view text, LogColour) override {
    std::lock_guard lock(mutex_);
    lines_.emplace_back(text);
  }
  void DumpMessage(std::span<const std::uint8_t>, bool) override {}
  void DumpRawInput(std::span<const std::uint8_t> bytes) override {
    std::lock_guard lock(mutex_);
    rawInput_.insert(rawInput_.end(), bytes.begin(), bytes.end());
  }

  std::vector<std::string> Texts() const {
    std::lock_guard lock(mutex_);
    return lines_;
  }
  // The lines equal to `text`, or with `whole` false, those starting with it.
  std::size_t Count(std::string_view text, bool whole = true) const {
    const auto texts = Texts();
    return static_cast<std::size_t>(std::count_if(texts.begin(), texts.end(), [&](const std::string& line) {
      return whole ? line == text : line.starts_with(text);
    }));
  }
  std::vector<std::uint8_t> RawInput() const {
    std::lock_guard lock(mutex_);
    return rawInput_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
  std::vector<std::uint8_t> rawInput_;
};

}  // namespace tusko
