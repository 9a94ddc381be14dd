#include "monitor/MonitorLog.h"

#include "base/Latin1Text.h"

namespace tusko {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

}  // namespace

MonitorLog::MonitorLog(MonitorRequests& engine, MonitorLogHost& host, const MonitorLogSettings& settings,
                       const std::filesystem::path& tempFolder)
    : engine_(engine),
      host_(host),
      clearAtStart_(settings.clearAtStart),
      saveAtEnd_(settings.saveAtEnd),
      tempFile_(tempFolder) {
  view_.SetMaxLines(settings.maxLines);
}

// ---- The engine's side ----

void MonitorLog::monitoringStarted() {
  // A start confirmed again (after a resume) finds the log running: the
  // gateway only needs its categories again.
  if (active_) {
    SendCategoryMask();
    return;
  }
  SetActive(true);
}

void MonitorLog::monitoringStopped() {
  // A restart of the gateway in the middle of the operation that paused the
  // log (a firmware update) ends no monitoring: Resume starts it again.
  if (active_ && pause_ != PauseState::Paused) SetActive(false);
}

void MonitorLog::gatewayAnswered() {
  if (!active_) return;
  host_.StopTimer(MonitorTimer::Answer);
  RecoverIfLost();
}

void MonitorLog::monitorOutput(std::string_view text) {
  if (!active_) SetActive(true);
  host_.StopTimer(MonitorTimer::Answer);
  RecoverIfLost();
  view_.AppendText(Latin1ToUtf8(text.substr(0, text.find('\0'))), LogColour::Text);
  tempFile_.Write(text);
}

// ---- The page's controls ----

bool MonitorLog::Start() {
  if (active_) return false;
  stoppedByUser_ = false;
  if (!engine_.StartMonitoring()) return false;
  if (clearAtStart_) Clear();
  return true;
}

bool MonitorLog::Stop() {
  if (!active_ || !engine_.StopMonitoring()) return false;
  stoppedByUser_ = true;
  return true;
}

bool MonitorLog::Execute() {
  if (!CanExecute()) return false;
  return engine_.SendMonitorCommand(commandLine_ + std::string(kLineEnd));
}

void MonitorLog::SetCommandLine(std::string_view text) {
  commandLine_ = std::string(text.substr(0, kMonitorCommandEditLength));
}

bool MonitorLog::SetCategory(std::size_t index, bool checked) {
  const bool changed = categories_.IsChecked(index) != checked;
  if (!categories_.SetChecked(index, checked)) return false;
  if (changed && active_) SendCategoryMask();
  return true;
}

void MonitorLog::Retranslate(const TextLookup& text) {
  const std::uint16_t before = categories_.Mask();
  categories_.Retranslate(text);
  // A category that lost its box must not go on tracing unseen.
  if (active_ && categories_.Mask() != before) SendCategoryMask();
}

// ---- The main window's side ----

void MonitorLog::Pause() {
  if (!active_ || pause_ == PauseState::Paused) return;
  pause_ = PauseState::Paused;
  AddMarker(MonitorMarker::Paused);
  Changed();
}

void MonitorLog::Resume() {
  if (!active_ || pause_ != PauseState::Paused) return;
  pause_ = PauseState::ResumePending;
  AddMarker(MonitorMarker::Resumed);
  lost_ = false;
  if (engine_.LinkOpen()) {
    pause_ = PauseState::Running;
    engine_.StartMonitoring();
  }
  Changed();
}

void MonitorLog::ClearCommandLine() {
  commandLine_.clear();
  Changed();
}

void MonitorLog::Clear() {
  view_.Clear();
  tempFile_.Restart();
}

std::error_code MonitorLog::Save(const std::filesystem::path& path) { return tempFile_.CopyTo(path); }

void MonitorLog::OnTimer(MonitorTimer timer) {
  if (timer == MonitorTimer::KeepAlive) {
    OnKeepAlive();
  } else {
    OnAnswerTimeout();
  }
}

// ---- Inside ----

void MonitorLog::SetActive(bool on) {
  active_ = on;
  if (!on) commandLine_.clear();
  AddMarker(on ? MonitorMarker::Started : MonitorMarker::Stopped);
  if (on) {
    lost_ = false;
    SendCategoryMask();
    host_.ArmTimer(MonitorTimer::KeepAlive, kMonitorKeepAliveMs);
  } else {
    host_.StopTimer(MonitorTimer::KeepAlive);
    // A poll left unanswered before the stop is no lost contact after it.
    host_.StopTimer(MonitorTimer::Answer);
  }
  const bool askToSave = !on && stoppedByUser_ && saveAtEnd_;
  stoppedByUser_ = false;
  pause_ = PauseState::Running;
  Changed();
  if (askToSave) host_.AskToSaveLog();
}

void MonitorLog::AddMarker(MonitorMarker marker) {
  std::string text = MarkerText(marker, host_.LocalTime(), engine_.GatewayVersions());
  if (MarkerGoesToFile(marker)) tempFile_.Write(text + std::string(kLineEnd));
  view_.AddLine(Latin1ToUtf8(text), kMarkerColour);
}

void MonitorLog::SendCategoryMask() { engine_.SendMonitorCommand(MonitorMaskCommand(categories_.Mask())); }

void MonitorLog::RecoverIfLost() {
  if (!lost_) return;
  AddMarker(MonitorMarker::CommunicationRecovery);
  lost_ = false;
}

void MonitorLog::OnKeepAlive() {
  if (!active_) return;
  host_.ArmTimer(MonitorTimer::KeepAlive, kMonitorKeepAliveMs);
  switch (pause_) {
    case PauseState::Running:
      // A poll the engine holds back because another operation is talking to
      // the gateway over an open link waits for no answer: that is no lost contact.
      if (engine_.PollMonitoring() || !engine_.LinkOpen()) {
        host_.ArmTimer(MonitorTimer::Answer, kMonitorAnswerTimeoutMs);
      }
      break;
    case PauseState::ResumePending:
      if (engine_.LinkOpen()) {
        pause_ = PauseState::Running;
        engine_.StartMonitoring();
        Changed();
      }
      break;
    case PauseState::Paused:
      break;
  }
}

void MonitorLog::OnAnswerTimeout() {
  if (!active_ || pause_ != PauseState::Running || lost_) return;
  AddMarker(MonitorMarker::CommunicationLost);
  lost_ = true;
}

void MonitorLog::Changed() {
  if (observer_) observer_();
}

}  // namespace tusko
