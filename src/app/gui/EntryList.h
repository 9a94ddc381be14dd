#pragma once

#include <cstddef>
#include <optional>
#include <variant>
#include <vector>

#include <QStringList>
#include <QWidget>

#include "config/ConfigurationPage.h"

class QTreeWidget;

namespace tusko::gui {

class MessageService;

// A page's entries as rows of columns with Add, Change and Delete beside
// them. The list is named `name` and its buttons "<name>/add",
// "<name>/change" and "<name>/delete"; Change and Delete are reported only
// with a row selected. A row the user selects is reported so that the page
// copies the entry into its boxes.
class EntryList final : public QWidget {
  Q_OBJECT

 public:
  // `rows` entries are visible at once; `widthChars` holds the list to that
  // many characters (0: as wide as the page gives).
  EntryList(const QString& name, int rows, int widthChars, QWidget* parent);

  // The column titles; a single column goes without a header, as the list
  // starts.
  void SetTitles(const QStringList& titles);
  // Lists `rows` and selects row `selected` (-1 for none) without reporting it.
  void Fill(const std::vector<QStringList>& rows, int selected);

 signals:
  void addClicked();
  void changeClicked(std::size_t row);
  void deleteClicked(std::size_t row);
  void rowSelected(std::size_t row);

 private:
  int Selected() const;

  QTreeWidget* list_;
};

// The row an Add or Change put its entry in; nothing when it changed nothing
// or was refused, the refusal then shown below `page`.
std::optional<int> TakenRow(QWidget& page, MessageService& messages, const std::variant<std::size_t, PageApply>& result);

}  // namespace tusko::gui
