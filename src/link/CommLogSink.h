#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>

#include "base/SafeFormat.h"
#include "link/LogColour.h"

namespace tusko {

// A formatted log line is cut to this many characters.
inline constexpr std::size_t kMaxFormattedLineLength = 259;

// Where the link, the operation engine and the device-change handler write the
// communication log. Implementations take whole writes from any thread and keep
// them from interleaving.
class CommLogSink {
 public:
  virtual ~CommLogSink() = default;

  virtual void AddLine(std::string_view text, LogColour colour) = 0;
  // A hexadecimal dump of one message: " IN:" for a received one, "OUT:" for a sent one.
  virtual void DumpMessage(std::span<const std::uint8_t> bytes, bool incoming) = 0;
  // A hexadecimal dump of bytes as the serial port delivered them.
  virtual void DumpRawInput(std::span<const std::uint8_t> bytes) = 0;

  // printf rules through SafeFormat, so a format that does not fit its
  // arguments prints harmless text; the line is cut to kMaxFormattedLineLength.
  void AddFormattedLine(LogColour colour, std::string_view format, std::initializer_list<FormatArg> args) {
    AddLine(SafeFormat(format, args, kMaxFormattedLineLength), colour);
  }
};

}  // namespace tusko
