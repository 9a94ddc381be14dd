#pragma once

#include <cstdint>
#include <mutex>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "link/CommLogSink.h"

namespace tusko::cli {

// The communication log of tuskoctl: one line per write on a stream (the
// terminal or a file), whole lines only, whatever thread writes. On a terminal
// each writer's colour shows as the nearest terminal colour.
class StreamCommLog final : public CommLogSink {
 public:
  StreamCommLog(std::ostream& out, bool coloured) : out_(out), coloured_(coloured) {}

  void AddLine(std::string_view text, LogColour colour) override;
  void DumpMessage(std::span<const std::uint8_t> bytes, bool incoming) override;
  void DumpRawInput(std::span<const std::uint8_t> bytes) override;

 private:
  // With mutex_ held.
  void Put(std::string_view text, LogColour colour);
  void Dump(std::string_view label, LogColour labelColour, LogColour bytesColour, const std::string& dump);

  std::mutex mutex_;
  std::ostream& out_;
  bool coloured_;
};

}  // namespace tusko::cli
