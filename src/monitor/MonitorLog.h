#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include "monitor/LogView.h"
#include "monitor/MonitorCategories.h"
#include "monitor/MonitorLogHost.h"
#include "monitor/MonitorLogSettings.h"
#include "monitor/MonitorMarkers.h"
#include "monitor/MonitorTempFile.h"
#include "protocol/engine/EngineHost.h"

namespace tusko {

// How often a running monitor polls the gateway, and how long it waits for the answer.
inline constexpr std::chrono::milliseconds kMonitorKeepAliveMs{20000};
inline constexpr std::chrono::milliseconds kMonitorAnswerTimeoutMs{5000};
// The command edit takes this many characters; CR LF makes up the sent line.
inline constexpr std::size_t kMonitorCommandEditLength = 125;

enum class PauseState {
  Running = 0,        // not paused
  Paused = 1,         // temporarily stopped around an upload, a restart or a firmware update
  ResumePending = 2,  // resumed while the link was down: restarted once it is open
};

// The Monitor tab without its widgets: the gateway's trace in a log view and
// in a temporary file, the timestamped marker lines, the category mask, the
// command line, the keep-alive and the pause around other operations.
//
// The engine tells it about replies (MonitorSink); the window calls the rest
// and reads the state to enable its controls. Single-threaded: everything,
// the host's timers included, runs on the thread of the engine.
class MonitorLog final : public MonitorSink {
 public:
  // Reads MonitorLogMaxLines, MonitorLogClearAtStart and MonitorLogSaveAtEnd
  // once; creates the temporary file in `tempFolder` (see MonitorTempFile).
  MonitorLog(MonitorRequests& engine, MonitorLogHost& host, const MonitorLogSettings& settings,
             const std::filesystem::path& tempFolder);
  // The temporary file is deleted. The host stops its timers before it goes.
  ~MonitorLog() override = default;
  MonitorLog(const MonitorLog&) = delete;
  MonitorLog& operator=(const MonitorLog&) = delete;

  // ---- The engine's side ----
  void monitoringStarted() override;
  void monitoringStopped() override;
  void gatewayAnswered() override;
  void monitorOutput(std::string_view text) override;
  bool isPaused() const override { return pause_ != PauseState::Running; }

  // ---- The page's controls ----
  // Start button; false when the request could not go out (the log is then kept).
  bool Start();
  // Stop button; only a stop that went out asks the save question.
  bool Stop();
  // Execute button: sends the command line with CR LF.
  bool Execute();
  // The command edit's text, cut to kMonitorCommandEditLength.
  void SetCommandLine(std::string_view text);
  const std::string& CommandLine() const { return commandLine_; }
  // A category check box; while monitoring runs the new mask is sent at once.
  bool SetCategory(std::size_t index, bool checked);
  const MonitorCategories& Categories() const { return categories_; }
  // After a language change; a category without text is hidden and unchecked.
  void Retranslate(const TextLookup& text);

  bool CanStart() const { return !active_; }
  bool CanStop() const { return active_; }
  bool CanEditCommand() const { return active_; }
  bool CanExecute() const { return active_ && !commandLine_.empty(); }

  // ---- The main window's side ----
  bool IsActive() const { return active_; }
  PauseState CurrentPauseState() const { return pause_; }
  bool IsCommunicationLost() const { return lost_; }
  // Before an upload, a restart or a firmware update: the keep-alive rests and
  // a stop the gateway confirms meanwhile does not end the log.
  void Pause();
  // After it: monitoring is started again, at once when the link is open,
  // else by the keep-alive timer once it is.
  void Resume();
  // The engine reported a monitoring request done (notification 31 with 1).
  void ClearCommandLine();
  // Empties the view and starts the temporary file anew.
  void Clear();
  // Copies the temporary file to `path`; empty on success.
  std::error_code Save(const std::filesystem::path& path);
  // A timer armed through the host fell due.
  void OnTimer(MonitorTimer timer);

  LogView& View() { return view_; }
  const LogView& View() const { return view_; }
  const std::filesystem::path& TempFilePath() const { return tempFile_.Path(); }
  // Why the temporary file could not be made; the view works without it.
  std::error_code TempFileError() const { return tempFile_.Error(); }
  // Called after a change the page did not make itself (monitoring on or
  // off, pause, the command line cleared), to refresh its controls.
  void SetChangeObserver(std::function<void()> observer) { observer_ = std::move(observer); }

 private:
  void SetActive(bool on);
  void AddMarker(MonitorMarker marker);
  void SendCategoryMask();
  void RecoverIfLost();
  void OnKeepAlive();
  void OnAnswerTimeout();
  void Changed();

  MonitorRequests& engine_;
  MonitorLogHost& host_;
  bool clearAtStart_;
  bool saveAtEnd_;
  LogView view_;
  MonitorTempFile tempFile_;
  MonitorCategories categories_;
  std::function<void()> observer_;

  bool active_ = false;
  PauseState pause_ = PauseState::Running;
  bool lost_ = false;
  bool stoppedByUser_ = false;
  std::string commandLine_;  // the command edit
};

}  // namespace tusko
