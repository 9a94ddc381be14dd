#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <memory>

#include <QTimer>
#include <QWidget>

#include "app/settings/ProgramSettings.h"
#include "monitor/EngineMonitorRequests.h"
#include "monitor/MonitorCategories.h"
#include "monitor/MonitorLog.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace tusko {
class LanguageManager;
class OperationEngine;
}  // namespace tusko

namespace tusko::gui {

class LogWidget;
class MessageService;

// The Monitor tab: the trace categories, Start, Stop, the command line with
// Execute, and the monitor log's view. The rules live in the core's
// MonitorLog; this page binds the controls to it and runs its two timers.
class MonitorPage final : public QWidget, private MonitorLogHost {
  Q_OBJECT

 public:
  // `saveLog` is the main window's log Save As, for the save question after a stop.
  MonitorPage(const LanguageManager& language, MessageService& messages, OperationEngine& engine,
              const ProgramSettings& settings, const std::filesystem::path& tempFolder, std::function<void()> saveLog,
              QWidget* parent = nullptr);
  ~MonitorPage() override;

  MonitorLog& log() { return *log_; }
  LogWidget& view() { return *view_; }
  void Retranslate();

 private:
  // ---- MonitorLogHost ----
  void ArmTimer(MonitorTimer timer, std::chrono::milliseconds delay) override;
  void StopTimer(MonitorTimer timer) override;
  MarkerTime LocalTime() const override { return LocalMarkerTime(); }
  void AskToSaveLog() override;

  void UpdateControls();
  QTimer& TimerFor(MonitorTimer timer) { return timer == MonitorTimer::KeepAlive ? keepAlive_ : answer_; }

  const LanguageManager& language_;
  MessageService& messages_;
  std::function<void()> saveLog_;
  EngineMonitorRequests requests_;
  QTimer keepAlive_;
  QTimer answer_;
  std::unique_ptr<MonitorLog> log_;
  std::array<QCheckBox*, kMonitorCategoryCount> categories_{};
  QPushButton* start_;
  QPushButton* stop_;
  QLineEdit* command_;
  QPushButton* execute_;
  LogWidget* view_;
};

}  // namespace tusko::gui
