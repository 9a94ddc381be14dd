#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/engine/EngineHost.h"
#include "support/VirtualClock.h"

namespace tusko {
class OperationEngine;
}

namespace tusko::test {

struct RecordedNotification {
  Notification code;
  int value;
  bool sync;
  bool operator==(const RecordedNotification&) const = default;
};
void PrintTo(const RecordedNotification& notification, std::ostream* out);

struct SentMessage {
  DeviceMessage message;
  std::size_t length;
};

// The engine's host on virtual time: a scripted link and window that record
// what the engine does. The operation timer is a callback on the clock that
// calls the attached engine's OnTimer.
class EngineTestHost : public EngineHost {
 public:
  explicit EngineTestHost(VirtualClock& clock);
  void Attach(OperationEngine& engine) { engine_ = &engine; }

  // ---- Script ----
  LinkState link = LinkState::Open;
  LinkType type = LinkType::Serial;
  // Opens the link for queryLink and reopenLink; returns whether it is open.
  // By default it always succeeds.
  std::function<bool()> openLink;
  // Opens the link for reopenLink instead of openLink, when set.
  std::function<bool()> reopen;
  // queryLink answers used before openLink; a true answer opens the link.
  std::deque<bool> linkAnswers;
  // queryPassword answers: a text is stored in the engine, nullopt is Cancel;
  // when none are left the prompt is cancelled.
  std::deque<std::optional<std::string>> passwordAnswers;
  std::function<void(const DeviceMessage&)> onSend;
  // Runs when the engine asks the window to connect, as the window's connect command would.
  std::function<void()> onConnect;
  // Runs inside notify, as the window's handler would (for sync codes, before the engine goes on).
  std::function<void(const RecordedNotification&)> onNotify;
  std::map<std::string, std::string, std::less<>> texts;

  // ---- Records ----
  std::vector<RecordedNotification> notifications;
  std::vector<std::string> logLines;
  int linesNotInEngineColour = 0;
  std::vector<SentMessage> sent;
  std::vector<std::vector<std::uint8_t>> dumpedIn;
  std::vector<std::vector<std::uint8_t>> dumpedOut;
  std::vector<std::chrono::milliseconds> armedDelays;
  int linkCloses = 0;
  int reopens = 0;
  int connectRequests = 0;
  int linkQueries = 0;
  int passwordQueries = 0;

  bool TimerRunning() const { return timer_.has_value(); }
  // The delay the running timer was armed with.
  std::optional<std::chrono::milliseconds> TimerDelay() const;
  int CountOf(Notification code, std::optional<int> value = std::nullopt) const;
  bool Logged(std::string_view line) const;
  // The main elements of the sent messages, in order.
  std::vector<std::uint8_t> SentElements() const;
  void ClearRecords();

  // ---- EngineHost ----
  LinkState linkState() const override { return link; }
  LinkType linkType() const override { return type; }
  void sendToLink(DeviceMessage message, std::size_t length) override;
  void closeLink() override;
  bool reopenLink() override;
  void requestConnect() override {
    ++connectRequests;
    if (onConnect) onConnect();
  }
  void notify(Notification code, int value, bool sync) override;
  bool queryLink() override;
  bool queryPassword() override;
  void armTimer(std::chrono::milliseconds delay) override;
  void stopTimer() override;
  void log(std::string_view line, LogColour colour) override;
  void dumpMessage(std::span<const std::uint8_t> bytes, bool incoming) override;
  std::string languageText(std::string_view key) const override;

 private:
  VirtualClock& clock_;
  OperationEngine* engine_ = nullptr;
  std::optional<VirtualClock::TimerId> timer_;
  std::chrono::milliseconds timerDelay_{0};
};

}  // namespace tusko::test
