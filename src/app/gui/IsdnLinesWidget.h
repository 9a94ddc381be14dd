#pragma once

#include "app/gui/CatalogPageWidget.h"

class QTabWidget;

namespace tusko::gui {

// The ISDN lines page as tabs: the ISDN mode, then one tab per ISDN link with
// the link's fields, its Expert button and its credit block. The document
// keeps the tab last shown while the configuration stays open.
class IsdnLinesWidget final : public CatalogPageWidget {
  Q_OBJECT

 public:
  explicit IsdnLinesWidget(const PageContext& context, QWidget* parent = nullptr);

  // The signalling list gains "strIsdnLinkDisabled"; the point-to-point
  // choices are named by the signalling.
  void Relabel() override;

 protected:
  void Build(const CatalogPage& page) override;
  void AfterShow() override;

 private:
  void NameTabs();
  void NamePointToPoint();

  QTabWidget* tabs_ = nullptr;
  bool relabelled_ = false;
};

}  // namespace tusko::gui
