#include "cli/StreamCommLog.h"

#include "sim/WireSession.h"

namespace tusko::cli {

namespace {

constexpr std::string_view kResetColour = "\033[0m";

std::string_view TerminalColour(LogColour colour) {
  switch (colour) {
    case LogColour::Link: return "\033[31m";
    case LogColour::OutLabel: return "\033[34m";
    case LogColour::Device: return "\033[35m";
    case LogColour::Engine: return "\033[36m";
    case LogColour::Text: break;
  }
  return {};
}

}  // namespace

void StreamCommLog::AddLine(std::string_view text, LogColour colour) {
  std::lock_guard lock(mutex_);
  Put(text, colour);
  out_ << '\n' << std::flush;
}

void StreamCommLog::DumpMessage(std::span<const std::uint8_t> bytes, bool incoming) {
  if (incoming) {
    Dump(" IN:", LogColour::Link, LogColour::Text, bytes);
  } else {
    Dump("OUT:", LogColour::OutLabel, LogColour::Text, bytes);
  }
}

void StreamCommLog::DumpRawInput(std::span<const std::uint8_t> bytes) {
  Dump("RAW INPUT >", LogColour::Device, LogColour::Device, bytes);
}

void StreamCommLog::Dump(std::string_view label, LogColour labelColour, LogColour bytesColour,
                         std::span<const std::uint8_t> bytes) {
  std::lock_guard lock(mutex_);
  Put(label, labelColour);
  // " 7E A1 ..." in the same form as the simulator's own log.
  Put(sim::HexLine("", bytes), bytesColour);
  out_ << '\n' << std::flush;
}

void StreamCommLog::Put(std::string_view text, LogColour colour) {
  const std::string_view start = coloured_ ? TerminalColour(colour) : std::string_view();
  out_ << start << text;
  if (!start.empty()) out_ << kResetColour;
}

}  // namespace tusko::cli
