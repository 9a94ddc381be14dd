#include "app/gui/ConfigurationView.h"

#include <algorithm>

#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QStackedWidget>
#include <QTreeWidget>

#include "app/gui/DescriptionLabel.h"
#include "app/gui/MessageService.h"
#include "app/gui/UiText.h"
#include "app/language/LanguageManager.h"
#include "config/ConfigurationPages.h"
#include "config/ConfigurationTree.h"

namespace tusko::gui {

namespace {

constexpr int kIdRole = Qt::UserRole + 1;
// The split until the user moves it (the setting SplitterPos1 keeps it then).
constexpr int kDefaultTreeWidth = 260;
constexpr int kDefaultPageWidth = 740;
// Room beside a node's text for the item's own margins and the vertical scroll bar.
constexpr int kTreeTextMargin = 32;

// The tree's selection stays on its current node. A click moves the current
// node first and selects the clicked one after: where the open page refuses
// to be left, the current node has gone back, and so must the selection.
class PageTree final : public QTreeWidget {
 public:
  using QTreeWidget::QTreeWidget;

 protected:
  void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override {
    QTreeWidget::setSelection(rect, command);
    if (currentItem() != nullptr && !currentItem()->isSelected()) {
      selectionModel()->select(currentIndex(), QItemSelectionModel::ClearAndSelect);
    }
  }
};

}  // namespace

ConfigurationView::ConfigurationView(const LanguageManager& language, MessageService& messages, QWidget* parent)
    : QSplitter(Qt::Horizontal, parent),
      language_(language),
      messages_(messages),
      tree_(new PageTree(this)),
      pages_(new QStackedWidget(this)),
      description_(NewDescriptionLabel(pages_)),
      pacer_(*tree_, [this] { SwitchToPending(); }),
      document_(
          [&language](PageId id) {
            return MakeConfigurationPage(id, [&language](std::string_view key) { return language.GetString(key); });
          },
                [this](TreeUpdate update) { OnTreeUpdate(update); }) {
  tree_->setObjectName("configurationTree");
  tree_->setHeaderHidden(true);
  pages_->addWidget(description_);
  setStretchFactor(1, 1);
  setSizes({std::max(kDefaultTreeWidth, TreeWidthForTexts()), kDefaultPageWidth});
  connect(tree_, &QTreeWidget::currentItemChanged, this, &ConfigurationView::OnCurrentItemChanged);
}

ConfigurationView::~ConfigurationView() = default;

PageId ConfigurationView::IdOf(const QTreeWidgetItem* item) {
  return item == nullptr ? PageId::None : static_cast<PageId>(item->data(0, kIdRole).toInt());
}

// ---- The document's tree ----

void ConfigurationView::OnTreeUpdate(TreeUpdate update) {
  switch (update) {
    case TreeUpdate::Rebuild: RebuildTree(); break;
    case TreeUpdate::RefreshTexts: RefreshNodeTexts(); break;
    case TreeUpdate::Clear:
      quiet_ = true;
      tree_->clear();
      items_.clear();
      quiet_ = false;
      break;
  }
  ShowCurrentPage();
  emit documentChanged();
}

void ConfigurationView::RebuildTree() {
  quiet_ = true;
  pacer_.Cancel();
  tree_->clear();
  items_.clear();
  const auto text = [this](std::string_view key) { return language_.GetString(key); };
  for (const TreeNode& node : BuildTreeNodes(text)) {
    QTreeWidgetItem* parent = node.entry.kind == NodeKind::Root ? nullptr : items_.at(node.entry.parent);
    auto* item = parent == nullptr ? new QTreeWidgetItem(tree_) : new QTreeWidgetItem(parent);
    item->setText(0, ToQString(node.text));
    item->setData(0, kIdRole, static_cast<int>(node.entry.id));
    items_[node.entry.id] = item;
  }
  tree_->expandAll();
  RefreshNodeTexts();
  if (const auto root = items_.find(PageId::Root); root != items_.end()) tree_->setCurrentItem(root->second);
  quiet_ = false;
}

void ConfigurationView::RefreshNodeTexts() {
  const auto text = [this](std::string_view key) { return language_.GetString(key); };
  // The full text as a tooltip, for a tree narrowed below its texts.
  const auto show = [](QTreeWidgetItem& item, const std::string& shown) {
    item.setText(0, ToQString(shown));
    item.setToolTip(0, ToQString(shown));
  };
  for (const TreeNode& node : BuildTreeNodes(text)) {
    if (const auto item = items_.find(node.entry.id); item != items_.end()) show(*item->second, node.text);
  }
  if (const auto root = items_.find(PageId::Root); root != items_.end()) {
    show(*root->second, RootText(document_.CommittedImage(), text));
  }
}

int ConfigurationView::TreeWidthForTexts() const {
  const auto text = [this](std::string_view key) { return language_.GetString(key); };
  const QFontMetrics metrics(tree_->font());
  int widest = 0;
  for (const TreeNode& node : BuildTreeNodes(text)) {
    const int depth = node.entry.kind == NodeKind::Root ? 0 : (node.entry.kind == NodeKind::Section ? 1 : 2);
    // Each level indents once more; the root's decoration takes one indent as well.
    widest = std::max(widest, metrics.horizontalAdvance(ToQString(node.text)) + tree_->indentation() * (depth + 1));
  }
  return widest + 2 * tree_->frameWidth() + kTreeTextMargin;
}

// ---- Moving through the tree ----

void ConfigurationView::OnCurrentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous) {
  if (quiet_ || current == nullptr) return;
  const PageId id = IdOf(current);
  if (pacer_.ByMouse()) {
    pacer_.Cancel();
    StoreShownPage();
    const PageApply result = document_.SelectPage(id);
    if (!result.ok) {
      Refuse(previous, result);
      return;
    }
    ShowCurrentPage();
    emit documentChanged();
    return;
  }
  // A keyboard step is checked at once and shown after the pause.
  StoreShownPage();
  const PageApply result = document_.ApplyCurrentPage();
  if (!result.ok) {
    Refuse(previous, result);
    return;
  }
  pendingId_ = id;
  pacer_.Defer();
}

void ConfigurationView::SwitchToPending() {
  StoreShownPage();
  document_.SwitchPage(pendingId_);
  ShowCurrentPage();
  emit documentChanged();
}

void ConfigurationView::SelectNode(PageId id) {
  const auto item = items_.find(id);
  if (item == items_.end()) return;
  pacer_.MarkMouse();
  tree_->setCurrentItem(item->second);
}

void ConfigurationView::Refuse(QTreeWidgetItem* previous, const PageApply& failure) {
  quiet_ = true;
  tree_->setCurrentItem(previous);
  quiet_ = false;
  ShowApplyFailure(failure);
}

// ---- The page ----

void ConfigurationView::StoreShownPage() {
  if (widget_ && document_.CurrentPage() != nullptr && document_.CurrentPageId() == widgetId_) {
    widget_->Store(*document_.CurrentPage());
  }
}

bool ConfigurationView::ApplyCurrentPage() {
  StoreShownPage();
  const PageApply result = document_.ApplyCurrentPage();
  if (!result.ok) ShowApplyFailure(result);
  emit documentChanged();
  return result.ok;
}

void ConfigurationView::ShowApplyFailure(const PageApply& failure) {
  std::vector<FormatArg> args(failure.args.begin(), failure.args.end());
  messages_.Show(failure.messageKey, "strError", kStyleWarning, std::span<const FormatArg>(args));
  if (widget_) widget_->FocusField(failure.focusField);
}

void ConfigurationView::ShowCurrentPage() {
  const PageId id = document_.CurrentPageId();
  ConfigurationPage* page = document_.CurrentPage();
  if (page == nullptr) {
    if (widget_) pages_->removeWidget(widget_.get());
    widget_.reset();
    widgetId_ = PageId::None;
    const TreeNodeEntry* node = FindTreeNode(id);
    const bool described = node != nullptr && !node->descriptionKey.empty();
    description_->setText(described ? ToQString(language_.GetString(node->descriptionKey)) : QString());
    pages_->setCurrentWidget(description_);
    return;
  }
  if (widgetId_ != id || !widget_) {
    if (widget_) pages_->removeWidget(widget_.get());
    widget_ = MakePageWidget(id, {language_, messages_, document_, cellSource_});
    widgetId_ = id;
    if (widget_) pages_->addWidget(widget_.get());
  }
  if (!widget_) {
    description_->clear();
    pages_->setCurrentWidget(description_);
    return;
  }
  widget_->Show(*page);
  pages_->setCurrentWidget(widget_.get());
}

void ConfigurationView::Retranslate() {
  // The page is shown again from its model: what the user typed goes there first.
  StoreShownPage();
  RefreshNodeTexts();
  if (widget_) {
    RetranslateWindow(*widget_, language_);
    widget_->Relabel();
  }
  ShowCurrentPage();
}

}  // namespace tusko::gui
