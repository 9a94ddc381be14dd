#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "app/gui/PageWidget.h"
#include "config/CellSelectionPage.h"

class QComboBox;
class QGroupBox;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace tusko::gui {

// The cell selection page: the allowed cells with their four boxes and Add,
// Change and Delete, which the page model checks as the user edits, and the
// action when the module is in none of them; below them the cells a module
// sees now, read from the gateway, any of which Add copies into the list.
class CellSelectionWidget final : public PageWidget {
  Q_OBJECT

 public:
  explicit CellSelectionWidget(const PageContext& context, QWidget* parent = nullptr);

  void Show(const ConfigurationPage& page) override;
  void Store(ConfigurationPage& page) const override;
  void FocusField(std::string_view field) override;
  void Relabel() override;

 private:
  CellSelectionPage* Page() const;
  Cell Typed() const;
  void Add();
  void Change();
  void Delete();
  // Lists the model's cells and selects `selected` (-1 for none).
  void FillCells(int selected);
  void ShowInBoxes(const Cell& cell);
  QGroupBox* NewOnlineBox();
  void ReadOnline();
  void ShowOnline(const std::string& moduleName, std::optional<std::vector<Cell>> cells);
  void AddOnline();

  PageContext context_;
  std::array<QLineEdit*, 4> boxes_{};
  QTreeWidget* cells_;
  QComboBox* action_;
  QComboBox* module_ = nullptr;
  QTreeWidget* onlineCells_ = nullptr;
  std::vector<Cell> online_;
};

// The four fields of a cell as the columns of a list row.
void SetCellRow(QTreeWidgetItem& row, const Cell& cell);

}  // namespace tusko::gui
