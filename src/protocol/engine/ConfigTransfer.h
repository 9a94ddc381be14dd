#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "config/ConfigurationImage.h"
#include "protocol/DeviceMessage.h"
#include "protocol/engine/EngineSettings.h"
#include "protocol/engine/EngineTypes.h"

namespace tusko {

class EngineOperations;

// What the configuration transfer keeps between its states: the image being
// read or written and the counters that drive its window of pending requests.
// The download (ConfigDownload.cpp) and the upload (ConfigUpload.cpp) share
// it; the main window reads the received image from it.
class ConfigTransfer {
 public:
  // Image offsets and request counts.
  struct Counters {
    std::size_t requestOffset = 0;       // of the last request sent; drives the progress
    std::size_t acknowledgedOffset = 0;  // everything below it is confirmed by the gateway
    std::size_t nextOffset = 0;          // of the next request to send
    std::size_t blockLength = 0;         // download: 128; upload: the last block's
    std::size_t windowLimit = 0;         // pending requests allowed
    std::size_t pendingCount = 0;        // requests sent and not answered yet
  };

  const ConfigurationImage& image() const { return image_; }
  ConfigurationImage& image() { return image_; }
  const Counters& counters() const { return counters_; }
  Counters& counters() { return counters_; }

  // A new transfer: offsets and pending count 0.
  void Begin(std::size_t windowLimit, std::size_t blockLength);

  bool WindowFull() const { return counters_.pendingCount >= counters_.windowLimit; }
  bool AllRequested() const { return counters_.nextOffset >= kImageBytes; }
  bool Complete() const { return counters_.acknowledgedOffset >= kImageBytes; }
  // No further request can go out before an answer comes: when the timer
  // fires now, an answer is missing.
  bool Stalled() const { return WindowFull() || AllRequested(); }

  // One request answered.
  void CountAnswer();
  // Confirms `length` more bytes, at most up to the end of the image.
  void Acknowledge(std::size_t length);
  // Goes back to the first unconfirmed offset; answers still on their way no
  // longer count as pending.
  void Rewind();
  int Progress() const;

  // After a request: the request delay while the window has room and the
  // image is not covered yet, else the time-out held by `timeout`.
  void ArmAfterRequest(EngineOperations& engine, std::uint32_t EngineSettings::*timeout) const;

 private:
  static constexpr std::size_t kImageBytes = ConfigurationImage::kSize;

  ConfigurationImage image_;
  Counters counters_;
};

// Ends the transfer at the user's request: nothing of it goes to the
// gateway, and answers still on their way find the engine in Idle. A loader
// that holds the transfer (a write it restarted for) is asked to start the
// firmware first, and the result waits for that.
void CancelTransfer(EngineOperations& engine, ConfigTransfer& transfer, const char* logLine, Notification result);

// An answer for another place than the one awaited; an Address element that
// does not hold four bytes is shown as FFFFFFFF.
void LogInvalidAddress(EngineOperations& engine, std::optional<std::uint32_t> address);

// Stores and logs the firmware version a reply carries; the other texts stay.
void StoreFirmwareVersion(EngineOperations& engine, const ElementView& version);

}  // namespace tusko
