#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "link/LinkState.h"
#include "link/LogColour.h"
#include "protocol/DeviceMessage.h"
#include "protocol/engine/EngineTypes.h"

namespace tusko {

// Everything the operation engine needs from outside. The engine is
// single-threaded and never blocks: the GUI implements this with queued calls
// and a QTimer, the command line with the core's event loop, tests with a
// virtual clock. Every call comes from the engine's own thread.
class EngineHost {
 public:
  virtual ~EngineHost() = default;

  // Link (the front that the link control offers the engine).
  virtual LinkState linkState() const = 0;
  virtual LinkType linkType() const = 0;
  // Hands the message to the link's writer; `length` is the wire size.
  virtual void sendToLink(DeviceMessage message, std::size_t length) = 0;
  // Closes the transport only; reader, writer and timer keep running.
  virtual void closeLink() = 0;
  // Opens the link again quietly (no message box); true when it is usable or connecting.
  virtual bool reopenLink() = 0;
  // The main window's Connect command, as the diagnostics requests use it.
  virtual void requestConnect() = 0;

  // Notifications to the main window; `sync` ones are handled before the call returns.
  virtual void notify(Notification code, int value, bool sync) = 0;
  // Makes sure the link is open, answering true when it is.
  virtual bool queryLink() = 0;
  // Asks for the login password; on true the host has stored it
  // in the engine with SetLoginPassword.
  virtual bool queryPassword() = 0;

  // The single operation timer: arming replaces a running one.
  virtual void armTimer(std::chrono::milliseconds delay) = 0;
  virtual void stopTimer() = 0;

  // Communication log; dropped when no log is attached.
  virtual void log(std::string_view line, LogColour colour) = 0;
  virtual void dumpMessage(std::span<const std::uint8_t> bytes, bool incoming) = 0;

  // A text of the current language file, by key.
  virtual std::string languageText(std::string_view key) const = 0;
};

// The monitoring view as the engine sees it.
class MonitorSink {
 public:
  virtual ~MonitorSink() = default;
  virtual void monitoringStarted() = 0;
  virtual void monitoringStopped() = 0;
  virtual void gatewayAnswered() = 0;
  virtual void monitorOutput(std::string_view text) = 0;
  virtual bool isPaused() const = 0;
};

}  // namespace tusko
