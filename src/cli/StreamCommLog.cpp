#include "cli/StreamCommLog.h"

#include "base/HexDump.h"
#include "protocol/PasswordMask.h"

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
    Dump(" IN:", LogColour::Link, LogColour::Text, MessageDump(bytes));
  } else {
    Dump("OUT:", LogColour::OutLabel, LogColour::Text, MessageDump(bytes));
  }
}

void StreamCommLog::DumpRawInput(std::span<const std::uint8_t> bytes) {
  Dump("RAW INPUT >", LogColour::Device, LogColour::Device, HexDump(bytes));
}

void StreamCommLog::Dump(std::string_view label, LogColour labelColour, LogColour bytesColour, const std::string& dump) {
  std::lock_guard lock(mutex_);
  Put(label, labelColour);
  if (!dump.empty()) Put(" " + dump, bytesColour);
  out_ << '\n' << std::flush;
}

void StreamCommLog::Put(std::string_view text, LogColour colour) {
  const std::string_view start = coloured_ ? TerminalColour(colour) : std::string_view();
  out_ << start << text;
  if (!start.empty()) out_ << kResetColour;
}

}  // namespace tusko::cli
