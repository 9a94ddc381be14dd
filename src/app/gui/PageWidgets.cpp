#include "app/gui/PageWidget.h"

#include "app/gui/CatalogPageWidget.h"
#include "app/gui/IsdnLinesWidget.h"

namespace tusko::gui {

// Every page with a model is a catalog page; the tabbed ones lay it out their own way.
std::unique_ptr<PageWidget> MakePageWidget(PageId id, const PageContext& context) {
  if (id == PageId::IsdnLines) return std::make_unique<IsdnLinesWidget>(context);
  return std::make_unique<CatalogPageWidget>(context);
}

}  // namespace tusko::gui
