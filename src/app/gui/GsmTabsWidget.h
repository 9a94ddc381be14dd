#pragma once

#include <array>

#include "app/gui/CatalogPageWidget.h"
#include "config/ConfigurationDocument.h"

class QLabel;
class QTabWidget;

namespace tusko::gui {

// The GSM modules, incoming groups and outgoing groups pages: one tab per
// module or group, each built when it is first shown. The model applies both
// records, and a record whose tab was never built is left as it was. The
// document keeps the tab last shown; a group's tab names the modules assigned
// to it.
class GsmTabsWidget final : public CatalogPageWidget {
  Q_OBJECT

 public:
  GsmTabsWidget(PageId id, const PageContext& context, QWidget* parent = nullptr);

  void Relabel() override;

 protected:
  void Build(const CatalogPage& page) override;
  void AfterShow() override;

 private:
  static constexpr std::size_t kTabs = 2;

  void BuildTab(int tab);
  void NameTabs();
  void NameModules();

  PageId id_;
  TabbedPage tabbed_;
  std::array<const char*, kTabs> tabKeys_;
  QTabWidget* tabs_ = nullptr;
  std::array<bool, kTabs> built_{};
  std::array<QLabel*, kTabs> modules_{};
};

}  // namespace tusko::gui
