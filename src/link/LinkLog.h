#pragma once

#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "base/SafeFormat.h"
#include "link/CommLogSink.h"
#include "link/LogColour.h"

namespace tusko {

// The operating system's own text for one of its error numbers.
std::string SystemErrorText(int error);

// The link's shared reference to the communication log: lines go to the
// attached log, in the link layer's colour unless told otherwise, and are
// dropped while none is attached. Safe from every link thread; the log must
// stay alive until it is detached and the link threads have ended.
class LinkLog {
 public:
  void Attach(CommLogSink* sink) { sink_.store(sink); }

  void Line(std::string_view text, LogColour colour = LogColour::Link) const;
  void Format(std::string_view format, std::initializer_list<FormatArg> args,
              LogColour colour = LogColour::Link) const;
  // "<what>Error %d - %s" with the error number and the system's text for it.
  void SystemError(std::string_view what, int error) const;
  void RawInput(std::span<const std::uint8_t> bytes) const;

 private:
  std::atomic<CommLogSink*> sink_{nullptr};
};

}  // namespace tusko
