#pragma once

#include <map>
#include <memory>

#include <QSplitter>

#include "app/gui/PageWidget.h"
#include "app/gui/TreeStepPacer.h"
#include "config/ConfigurationDocument.h"

class QLabel;
class QStackedWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace tusko::gui {

class MessageService;

// The configuration tab: the tree of the configuration's pages beside the
// page of the selected node, over the configuration document. A page is
// checked before the user may leave it; a keyboard step through the tree
// shows its page only after a pause, so that stepping does not build every
// page on the way.
class ConfigurationView final : public QSplitter {
  Q_OBJECT

 public:
  ConfigurationView(const LanguageManager& language, MessageService& messages, QWidget* parent = nullptr);
  ~ConfigurationView() override;

  ConfigurationDocument& document() { return document_; }
  const ConfigurationDocument& document() const { return document_; }

  // Copies the page's fields into its model and applies it; a failure is
  // shown and the page's field gets the focus.
  bool ApplyCurrentPage();
  // Shows why a page could not be applied and puts the focus on its field.
  void ShowApplyFailure(const PageApply& failure);
  // Copies what the user typed into the page model, before the document acts.
  void StoreShownPage();
  // Shows the document's current page again (after it changed underneath).
  void ShowCurrentPage();
  void Retranslate();
  // Selects a node as a mouse click does.
  void SelectNode(PageId id);
  // Where the cell selection page reads the cells a module sees.
  void SetCellSource(OnlineCellSource* source) { cellSource_ = source; }

  // The tree's width that shows every node's text whole in the current language.
  int TreeWidthForTexts() const;

 signals:
  // The document's name or flags may have changed: the title follows.
  void documentChanged();

 private:
  void OnTreeUpdate(TreeUpdate update);
  void RebuildTree();
  void RefreshNodeTexts();
  void OnCurrentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
  void SwitchToPending();
  void Refuse(QTreeWidgetItem* previous, const PageApply& failure);
  static PageId IdOf(const QTreeWidgetItem* item);

  const LanguageManager& language_;
  MessageService& messages_;
  QTreeWidget* tree_;
  QStackedWidget* pages_;
  QLabel* description_;
  std::unique_ptr<PageWidget> widget_;
  PageId widgetId_ = PageId::None;
  std::map<PageId, QTreeWidgetItem*> items_;
  TreeStepPacer pacer_;
  PageId pendingId_ = PageId::None;
  bool quiet_ = false;  // selection changes made by the view itself
  OnlineCellSource* cellSource_ = nullptr;
  ConfigurationDocument document_;
};

}  // namespace tusko::gui
