#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include <QDialog>

#include "app/gui/PageWidget.h"
#include "config/RoutingRule.h"

class QComboBox;
class QLineEdit;
class QSpinBox;
class QTreeWidget;

namespace tusko::gui {

// One routing rule: input line, number, digits to cut, insert and dial, and
// up to five targets in order. OK runs the rule's checks against the tab's
// other rules and then hands the record to `store` (the page); a refusal of
// either is shown and keeps the dialog open on the field it names.
class RoutingItemDialog final : public QDialog {
  Q_OBJECT

 public:
  using Store = std::function<PageApply(const RoutingRecord&)>;

  RoutingItemDialog(const PageContext& context, const RoutingRecord& record, std::vector<RoutingRecord> others,
                    Store store, QWidget* parent);

  const RoutingRecord& record() const { return record_; }

 private:
  void Ok();
  RoutingTarget NewTarget() const;
  int SelectedTarget() const;
  void AddTarget();
  void ChangeTarget();
  void DeleteTarget();
  void MoveTarget(bool up);
  void ShowTarget(const RoutingTarget& target);
  void FillTargets(int selected);

  PageContext context_;
  RoutingRecord record_;
  std::vector<RoutingRecord> others_;
  Store store_;
  RoutingItem item_;
  std::vector<std::uint8_t> choices_;  // the target code of each entry of the new target list
  QComboBox* line_;
  QLineEdit* number_;
  QSpinBox* cut_;
  QLineEdit* insert_;
  QTreeWidget* targets_;
  QComboBox* newTarget_;
  QSpinBox* aoc_;
  QComboBox* credit_;
  QSpinBox* dial_;
};

}  // namespace tusko::gui
