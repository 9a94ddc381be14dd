#pragma once

#include <optional>
#include <vector>

#include "app/gui/PageWidget.h"
#include "config/LcrRoutingPage.h"

class QTabWidget;
class QTreeWidget;

namespace tusko::gui {

// The LCR routing table: one tab per routing profile, each listing its rules
// in six columns and built when first shown, with Add, Edit (or a double
// click) and Delete on the tab shown. Add and Edit open the routing item
// dialog. The document keeps the profile of the tab last shown.
class LcrRoutingWidget final : public PageWidget {
  Q_OBJECT

 public:
  explicit LcrRoutingWidget(const PageContext& context, QWidget* parent = nullptr);

  void Show(const ConfigurationPage& page) override;
  void Store(ConfigurationPage&) const override {}
  void FocusField(std::string_view field) override;
  void Relabel() override;

 private:
  LcrRoutingPage* Page() const;
  int Profile() const;
  QTreeWidget* List(int tab) const;
  int Selected() const;
  void ShowTab(int tab);
  void Fill(int tab, int selected);
  void NameTabs();
  void Add();
  void Edit();
  void Delete();
  void OpenItem(const RoutingRecord& record, std::optional<std::size_t> edited);

  PageContext context_;
  QTabWidget* tabs_;
  std::vector<int> profiles_;
};

}  // namespace tusko::gui
