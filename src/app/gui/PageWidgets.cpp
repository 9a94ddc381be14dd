#include "app/gui/PageWidget.h"

#include <vector>

#include "app/gui/CatalogPageWidget.h"
#include "app/gui/CellSelectionWidget.h"
#include "app/gui/ClipFromGsmWidget.h"
#include "app/gui/GsmTabsWidget.h"
#include "app/gui/IsdnLinesWidget.h"
#include "app/gui/LcrClipWidget.h"
#include "app/gui/LcrRoutingWidget.h"
#include "app/gui/MessageService.h"
#include "app/gui/MobilityWidget.h"
#include "app/gui/WorkingHoursWidget.h"

namespace tusko::gui {

// A catalog page unless the page has a model of its own; the tabbed ones lay it out their own way.
std::unique_ptr<PageWidget> MakePageWidget(PageId id, const PageContext& context) {
  switch (id) {
    case PageId::IsdnLines: return std::make_unique<IsdnLinesWidget>(context);
    case PageId::GsmModules:
    case PageId::GsmIncomingGroup:
    case PageId::GsmOutgoingGroup: return std::make_unique<GsmTabsWidget>(id, context);
    case PageId::GsmCellSelect: return std::make_unique<CellSelectionWidget>(context);
    case PageId::LcrClipTab: return std::make_unique<LcrClipWidget>(context);
    case PageId::LcrRoutingTab: return std::make_unique<LcrRoutingWidget>(context);
    case PageId::ClipGsmNumbers: return std::make_unique<ClipFromGsmWidget>(context);
    case PageId::MobilityExtensionNumbers: return std::make_unique<MobilityWidget>(context);
    case PageId::MobilityExtensionWorkingHours: return std::make_unique<WorkingHoursWidget>(context);
    default: return std::make_unique<CatalogPageWidget>(context);
  }
}

void ShowRefusal(QWidget& page, MessageService& messages, const PageApply& refusal) {
  const std::vector<FormatArg> args(refusal.args.begin(), refusal.args.end());
  messages.Show(refusal.messageKey, refusal.warning ? "strWarning" : "strError", kStyleWarning,
                std::span<const FormatArg>(args));
  FocusNamed(page, refusal.focusField);
}

}  // namespace tusko::gui
