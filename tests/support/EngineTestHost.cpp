#include "support/EngineTestHost.h"

#include <algorithm>
#include <utility>

#include "protocol/engine/OperationEngine.h"
#include "support/TestMessages.h"

namespace tusko::test {

void PrintTo(const RecordedNotification& notification, std::ostream* out) {
  *out << "{" << static_cast<int>(notification.code) << ", " << notification.value
       << (notification.sync ? ", sync}" : "}");
}

EngineTestHost::EngineTestHost(VirtualClock& clock) : clock_(clock) {
  openLink = [this] {
    link = LinkState::Open;
    return true;
  };
}

std::optional<std::chrono::milliseconds> EngineTestHost::TimerDelay() const {
  if (!timer_) return std::nullopt;
  return timerDelay_;
}

int EngineTestHost::CountOf(Notification code, std::optional<int> value) const {
  return static_cast<int>(std::count_if(notifications.begin(), notifications.end(), [&](const auto& n) {
    return n.code == code && (!value || n.value == *value);
  }));
}

bool EngineTestHost::Logged(std::string_view line) const {
  return std::find(logLines.begin(), logLines.end(), line) != logLines.end();
}

std::vector<std::uint8_t> EngineTestHost::SentElements() const {
  std::vector<std::uint8_t> elements;
  for (const SentMessage& s : sent) elements.push_back(MainElement(s.message));
  return elements;
}

void EngineTestHost::ClearRecords() {
  notifications.clear();
  logLines.clear();
  linesNotInEngineColour = 0;
  sent.clear();
  dumpedIn.clear();
  dumpedOut.clear();
  armedDelays.clear();
  linkCloses = reopens = connectRequests = linkQueries = passwordQueries = 0;
}

void EngineTestHost::sendToLink(DeviceMessage message, std::size_t length) {
  sent.push_back({message, length});
  if (onSend) onSend(message);
}

void EngineTestHost::closeLink() {
  ++linkCloses;
  link = LinkState::Closed;
}

bool EngineTestHost::reopenLink() {
  ++reopens;
  return reopen ? reopen() : openLink();
}

void EngineTestHost::notify(Notification code, int value, bool sync) {
  notifications.push_back({code, value, sync});
  if (onNotify) onNotify(notifications.back());
}

bool EngineTestHost::queryLink() {
  ++linkQueries;
  if (linkAnswers.empty()) return openLink();
  const bool answer = linkAnswers.front();
  linkAnswers.pop_front();
  if (answer) link = LinkState::Open;
  return answer;
}

bool EngineTestHost::queryPassword() {
  ++passwordQueries;
  if (passwordAnswers.empty()) return false;
  const auto answer = std::move(passwordAnswers.front());
  passwordAnswers.pop_front();
  if (!answer) return false;
  if (engine_ != nullptr) engine_->SetLoginPassword(*answer);
  return true;
}

void EngineTestHost::armTimer(std::chrono::milliseconds delay) {
  stopTimer();
  armedDelays.push_back(delay);
  timerDelay_ = delay;
  timer_ = clock_.Schedule(delay, [this] {
    timer_.reset();
    if (engine_ != nullptr) engine_->OnTimer();
  });
}

void EngineTestHost::stopTimer() {
  if (timer_) clock_.Cancel(*timer_);
  timer_.reset();
}

void EngineTestHost::log(std::string_view line, LogColour colour) {
  logLines.emplace_back(line);
  if (colour != LogColour::Engine) ++linesNotInEngineColour;
}

void EngineTestHost::dumpMessage(std::span<const std::uint8_t> bytes, bool incoming) {
  (incoming ? dumpedIn : dumpedOut).emplace_back(bytes.begin(), bytes.end());
}

std::string EngineTestHost::languageText(std::string_view key) const {
  const auto found = texts.find(key);
  return found == texts.end() ? std::string(key) : found->second;
}

}  // namespace tusko::test
