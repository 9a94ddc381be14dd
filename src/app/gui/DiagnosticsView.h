#pragma once

#include <array>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <utility>

#include <QSplitter>
#include <QTimer>

#include "app/gui/DiagnosticsPages.h"
#include "app/gui/NoResponseNotice.h"
#include "app/gui/SignalHistory.h"
#include "app/gui/TreeStepPacer.h"
#include "link/LinkState.h"
#include "protocol/engine/DiagnosticsKind.h"
#include "protocol/engine/EngineTypes.h"

class QLabel;
class QStackedWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace tusko {
class LanguageManager;
class OperationEngine;
}  // namespace tusko

namespace tusko::gui {

// The diagnostics tab: a tree of the gateway's live-state pages beside the
// page of the selected node. The page shown polls the gateway through the
// engine every refresh period while the tab is active; the engine stores the
// answers and the main window passes their notifications to OnData, after
// which the page draws itself from the engine's stores.
class DiagnosticsView final : public QSplitter {
  Q_OBJECT

 public:
  using Clock = std::function<std::chrono::system_clock::time_point()>;

  // A `refresh` of zero stands for the default period.
  DiagnosticsView(const LanguageManager& language, OperationEngine& engine, std::function<LinkState()> linkState,
                  std::chrono::milliseconds refresh, QWidget* parent = nullptr);
  ~DiagnosticsView() override;

  // ---- The main window's side ----

  // The engine stored new diagnostics data (notifications 100, 101, 111, 112;
  // other codes are ignored): the shown page counts it as an answer and draws
  // itself again, and the no-response window goes away.
  void OnData(Notification code);
  // No more requests until AllowRefresh; the shown page's timer stops.
  void StopRefresh();
  // Requests may go out again; a stopped timer waits for the next page or tab activation.
  void AllowRefresh();
  bool RefreshStopped() const { return stopped_; }
  // The tab was activated (the page restarts its timer, asks and draws) or
  // left (its timer stops). The view counts as active until told otherwise.
  void SetActive(bool active);
  // Around a module-information request: only while the GSM modules page is shown.
  void StopModulePageRefresh();
  void RestartModulePageRefresh();
  void Retranslate();
  // The gateway restarted, which empties the engine's stores: the pages go on
  // showing the last data, marked as from before the restart, until new data comes.
  void OnGatewayRestart();
  // The tree's width; 0 gives a default derived from the window's width.
  void SetSplitterPosition(int position);
  // The position to keep: the tree's width once the view has been shown, else
  // the position it was given (a splitter never laid out has no width of its own).
  int SplitterPosition() const;

  // ---- Navigation and state, for the window and its tests ----

  // Selects a node as a mouse click does.
  void SelectNode(DiagNodeId id);
  DiagNodeId CurrentNode() const { return shownId_; }
  // The data page shown, null on the root.
  DiagnosticsPage* CurrentPage() const { return page_.get(); }
  bool RefreshRunning() const { return refreshTimer_.isActive(); }
  std::chrono::milliseconds RefreshPeriod() const { return refresh_; }
  // One tick of the shown page's refresh timer.
  void RefreshTick();
  const SignalHistory& signalHistory() const { return history_; }

  // Replaces the no-response window (tests record it instead). The notice
  // stays the caller's and must outlive the view.
  void SetNoResponseNotice(NoResponseNotice& notice);
  // Replaces the clock that stamps received data.
  void SetClock(Clock clock) { clock_ = std::move(clock); }

 private:
  void BuildTree();
  void RefreshNodeTexts();
  void OnCurrentItemChanged(QTreeWidgetItem* current);
  void ShowPage(DiagNodeId id);
  // Restarts the page's timer when the tab is active, asks and draws.
  void StartPage();
  // Sends the page's request unless refreshing is stopped; the data-received
  // flag is cleared when it went out.
  void Ask();
  bool SendRequests(DiagnosticsKind kind);
  void Redraw();
  void showEvent(QShowEvent* event) override;
  static constexpr std::size_t kDataKindCount = 4;

  const LanguageManager& language_;
  OperationEngine& engine_;
  std::function<LinkState()> linkState_;
  std::chrono::milliseconds refresh_;
  QTreeWidget* tree_;
  QStackedWidget* pages_;
  QLabel* description_;
  std::map<DiagNodeId, QTreeWidgetItem*> items_;
  TreeStepPacer pacer_;
  DiagNodeId pendingId_ = DiagNodeId::Root;
  DiagNodeId shownId_ = DiagNodeId::Root;
  bool quiet_ = false;  // selection changes made by the view itself
  std::unique_ptr<DiagnosticsPage> page_;
  QTimer refreshTimer_;
  bool dataReceived_ = false;
  bool stopped_ = false;  // DiagnosticsStopped
  bool active_ = true;
  NoResponseBox noResponseBox_;
  NoResponseNotice* noResponse_;
  Clock clock_;
  std::array<std::optional<std::chrono::system_clock::time_point>, kDataKindCount> receivedAt_{};
  // The last data of each kind, kept over a restart of the gateway.
  DiagnosticsData shown_;
  std::array<bool, kDataKindCount> beforeRestart_{};
  int givenSplitterPosition_ = 0;
  bool everShown_ = false;
  SignalHistory history_;
  // The GSM status of both modules comes in one answer each; a round of
  // requests makes one reading per module.
  bool newSignalRound_ = true;
};

}  // namespace tusko::gui
