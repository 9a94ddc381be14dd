#include "app/gui/DiagnosticsView.h"

#include <algorithm>
#include <utility>

#include <QLabel>
#include <QStackedWidget>
#include <QTreeWidget>

#include "app/gui/DescriptionLabel.h"
#include "app/gui/UiText.h"
#include "app/language/LanguageManager.h"
#include "monitor/DiagnosticsTexts.h"
#include "protocol/engine/OperationEngine.h"

namespace tusko::gui {

namespace {

// The period when the setting gives none.
constexpr std::chrono::milliseconds kDefaultRefreshMs{5000};
constexpr int kIdRole = Qt::UserRole + 1;
// Without a kept position the tree takes this share of the window, but at least the minimum.
constexpr int kDefaultTreeShareDivisor = 4;
constexpr int kMinimumTreeWidth = 160;  // pixels

struct NodeEntry {
  DiagNodeId id;
  const char* key;
};

// The root first; the others are its children in this order.
constexpr std::array kNodes{
    NodeEntry{DiagNodeId::Root, "strDiagRoot"},
    NodeEntry{DiagNodeId::IsdnLines, "strDiagIsdnLines"},
    NodeEntry{DiagNodeId::IsdnCredit, "strDiagIsdnCredit"},
    NodeEntry{DiagNodeId::GsmModules, "strDiagGsmModules"},
    NodeEntry{DiagNodeId::GsmCredits, "strDiagGsmCredits"},
};

// Each kind of diagnostics data: what a page asks for and the notification that brings it.
struct DataKind {
  DiagnosticsKind kind;
  Notification data;
};

constexpr std::array kDataKinds{
    DataKind{DiagnosticsKind::IsdnStatus, Notification::IsdnStatusData},
    DataKind{DiagnosticsKind::IsdnCredit, Notification::IsdnCreditData},
    DataKind{DiagnosticsKind::GsmStatus, Notification::GsmStatusData},
    DataKind{DiagnosticsKind::GsmCredit, Notification::GsmCreditData},
};

template <typename Field>
std::optional<std::size_t> KindIndex(Field DataKind::*field, Field value) {
  const auto found =
      std::find_if(kDataKinds.begin(), kDataKinds.end(), [&](const DataKind& entry) { return entry.*field == value; });
  if (found == kDataKinds.end()) return std::nullopt;
  return static_cast<std::size_t>(found - kDataKinds.begin());
}

// Copies the store of one kind: the others keep what came before.
void KeepData(DiagnosticsKind kind, const DiagnosticsData& from, DiagnosticsData& to) {
  switch (kind) {
    case DiagnosticsKind::IsdnStatus: to.isdnStatus = from.isdnStatus; break;
    case DiagnosticsKind::IsdnCredit: to.isdnCredit = from.isdnCredit; break;
    case DiagnosticsKind::GsmStatus: to.gsmStatus = from.gsmStatus; break;
    case DiagnosticsKind::GsmCredit: to.gsmCredit = from.gsmCredit; break;
  }
}

DiagNodeId IdOf(const QTreeWidgetItem* item) { return static_cast<DiagNodeId>(item->data(0, kIdRole).toInt()); }

}  // namespace

DiagnosticsView::DiagnosticsView(const LanguageManager& language, OperationEngine& engine,
                                 std::function<LinkState()> linkState, std::chrono::milliseconds refresh,
                                 QWidget* parent)
    : QSplitter(Qt::Horizontal, parent),
      language_(language),
      engine_(engine),
      linkState_(std::move(linkState)),
      refresh_(refresh > std::chrono::milliseconds::zero() ? refresh : kDefaultRefreshMs),
      tree_(new QTreeWidget(this)),
      pages_(new QStackedWidget(this)),
      description_(NewDescriptionLabel(pages_)),
      pacer_(*tree_, [this] { ShowPage(pendingId_); }),
      noResponseBox_(language, *this),
      noResponse_(&noResponseBox_),
      clock_([] { return std::chrono::system_clock::now(); }) {
  static_assert(kDataKinds.size() == kDataKindCount);
  tree_->setObjectName("diagnosticsTree");
  pages_->addWidget(description_);
  setStretchFactor(1, 1);
  refreshTimer_.setInterval(refresh_);
  connect(&refreshTimer_, &QTimer::timeout, this, &DiagnosticsView::RefreshTick);
  connect(tree_, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* current, QTreeWidgetItem*) { OnCurrentItemChanged(current); });
  BuildTree();
  SetSplitterPosition(0);
}

DiagnosticsView::~DiagnosticsView() = default;

// ---- The tree ----

void DiagnosticsView::BuildTree() {
  quiet_ = true;
  QTreeWidgetItem* root = nullptr;
  for (const NodeEntry& node : kNodes) {
    auto* item = root == nullptr ? new QTreeWidgetItem(tree_) : new QTreeWidgetItem(root);
    item->setData(0, kIdRole, static_cast<int>(node.id));
    items_[node.id] = item;
    if (root == nullptr) root = item;
  }
  RefreshNodeTexts();
  root->setExpanded(true);
  tree_->setCurrentItem(root);
  pages_->setCurrentWidget(description_);
  quiet_ = false;
}

void DiagnosticsView::RefreshNodeTexts() {
  tree_->setHeaderLabel(ToQString(language_.GetString("strDiagSystem")));
  for (const NodeEntry& node : kNodes) items_.at(node.id)->setText(0, ToQString(language_.GetString(node.key)));
  description_->setText(ToQString(language_.GetString("strDiagRootDescr")));
}

void DiagnosticsView::OnCurrentItemChanged(QTreeWidgetItem* current) {
  if (quiet_ || current == nullptr) return;
  if (pacer_.ByMouse()) {
    pacer_.Cancel();
    ShowPage(IdOf(current));
    return;
  }
  pendingId_ = IdOf(current);
  pacer_.Defer();
}

void DiagnosticsView::SelectNode(DiagNodeId id) {
  const auto item = items_.find(id);
  if (item == items_.end()) return;
  pacer_.MarkMouse();
  tree_->setCurrentItem(item->second);
}

// ---- The page ----

void DiagnosticsView::ShowPage(DiagNodeId id) {
  if (id == shownId_) return;
  refreshTimer_.stop();
  if (page_) pages_->removeWidget(page_.get());
  page_.reset();
  shownId_ = id;
  page_ = MakeDiagnosticsPage(id, language_, [this](int module) { engine_.GetModuleInfo(module); });
  if (!page_) {
    pages_->setCurrentWidget(description_);
    return;
  }
  pages_->addWidget(page_.get());
  pages_->setCurrentWidget(page_.get());
  dataReceived_ = false;
  StartPage();
}

void DiagnosticsView::StartPage() {
  if (!page_) return;
  if (active_) {
    refreshTimer_.start();
    Ask();
  }
  Redraw();
}

void DiagnosticsView::Ask() {
  if (!page_ || stopped_) return;
  const bool received = dataReceived_;
  dataReceived_ = false;  // before sending: an answer may come back at once
  if (SendRequests(page_->kind())) {
    if (page_->kind() == DiagnosticsKind::GsmStatus) newSignalRound_ = true;
  } else {
    dataReceived_ = received;
  }
}

// The GSM status request names one module: both are asked, the second only
// when the first went out (a closed link is reported once).
bool DiagnosticsView::SendRequests(DiagnosticsKind kind) {
  if (kind != DiagnosticsKind::GsmStatus) return engine_.RequestDiagnostics(kind);
  if (!engine_.RequestDiagnostics(kind, 0)) return false;
  for (int module = 1; module < static_cast<int>(kGsmModuleCount); ++module) engine_.RequestDiagnostics(kind, module);
  return true;
}

void DiagnosticsView::Redraw() {
  if (!page_) return;
  const std::size_t kind = KindIndex(&DataKind::kind, page_->kind()).value_or(0);
  page_->Draw({shown_, receivedAt_[kind], history_, beforeRestart_[kind]});
}

void DiagnosticsView::RefreshTick() {
  if (!page_) return;
  if (linkState_ && linkState_() == LinkState::Connecting) return;
  if (!dataReceived_) noResponse_->Show();
  Ask();
}

// ---- The main window's side ----

void DiagnosticsView::OnData(Notification code) {
  const auto kind = KindIndex(&DataKind::data, code);
  if (!kind) return;
  const auto now = clock_();
  receivedAt_[*kind] = now;
  beforeRestart_[*kind] = false;
  KeepData(kDataKinds[*kind].kind, engine_.diagnostics(), shown_);
  if (code == Notification::GsmStatusData) {
    for (std::size_t module = 0; module < kGsmModuleCount; ++module) {
      history_.Record(module, now, ReadGsmModuleStatus(engine_.diagnostics(), module).signal, !newSignalRound_);
    }
    newSignalRound_ = false;
  }
  dataReceived_ = true;
  noResponse_->Close();
  Redraw();
}

void DiagnosticsView::OnGatewayRestart() {
  for (std::size_t kind = 0; kind < kDataKindCount; ++kind) beforeRestart_[kind] = receivedAt_[kind].has_value();
  Redraw();
}

void DiagnosticsView::StopRefresh() {
  stopped_ = true;
  refreshTimer_.stop();
}

void DiagnosticsView::AllowRefresh() { stopped_ = false; }

void DiagnosticsView::SetActive(bool active) {
  active_ = active;
  if (!active) {
    refreshTimer_.stop();
    return;
  }
  StartPage();
}

void DiagnosticsView::StopModulePageRefresh() {
  if (shownId_ == DiagNodeId::GsmModules) refreshTimer_.stop();
}

void DiagnosticsView::RestartModulePageRefresh() {
  if (shownId_ == DiagNodeId::GsmModules && page_ && active_) refreshTimer_.start();
}

void DiagnosticsView::Retranslate() {
  RefreshNodeTexts();
  if (!page_) return;
  RetranslateWindow(*page_, language_);
  Redraw();
}

void DiagnosticsView::SetSplitterPosition(int position) {
  givenSplitterPosition_ = std::max(position, 0);
  if (position <= 0) position = std::max(kMinimumTreeWidth, window()->width() / kDefaultTreeShareDivisor);
  setSizes({position, std::max(1, width() - position)});
}

int DiagnosticsView::SplitterPosition() const { return everShown_ ? sizes().value(0) : givenSplitterPosition_; }

void DiagnosticsView::showEvent(QShowEvent* event) {
  everShown_ = true;
  QSplitter::showEvent(event);
}

void DiagnosticsView::SetNoResponseNotice(NoResponseNotice& notice) {
  noResponse_->Close();
  noResponse_ = &notice;
}

}  // namespace tusko::gui
