#include "link/LinkLog.h"

#include <system_error>

namespace tusko {

std::string SystemErrorText(int error) { return std::system_category().message(error); }

void LinkLog::Line(std::string_view text, LogColour colour) const {
  if (CommLogSink* sink = sink_.load()) sink->AddLine(text, colour);
}

void LinkLog::Format(std::string_view format, std::initializer_list<FormatArg> args, LogColour colour) const {
  if (CommLogSink* sink = sink_.load()) sink->AddFormattedLine(colour, format, args);
}

void LinkLog::SystemError(std::string_view what, int error) const {
  if (CommLogSink* sink = sink_.load()) {
    sink->AddFormattedLine(LogColour::Link, "%sError %d - %s", {what, error, SystemErrorText(error)});
  }
}

void LinkLog::RawInput(std::span<const std::uint8_t> bytes) const {
  if (CommLogSink* sink = sink_.load()) sink->DumpRawInput(bytes);
}

}  // namespace tusko
