#include "config/PageEntryChecks.h"

#include "config/CellSelectionPage.h"
#include "config/ClipFromGsmPage.h"
#include "config/LcrClipPage.h"
#include "config/LcrRoutingPage.h"
#include "config/MobilityPage.h"
#include "config/WorkingHoursPage.h"

namespace tusko::catalog {
namespace {

template <typename Page, typename... Check>
PageApply Checked(Page page, const ConfigurationImage& image, const Check&... check) {
  ConfigurationImage working = image;
  page.Load(working);
  return page.CheckEntries(check...);
}

}  // namespace

PageApply CheckPageEntries(const ConfigurationImage& image, PageId page, const TextLookup& text) {
  switch (page) {
    case PageId::GsmCellSelect: return Checked(CellSelectionPage{}, image);
    case PageId::LcrClipTab: return Checked(LcrClipPage{}, image);
    case PageId::LcrRoutingTab: return Checked(LcrRoutingPage{}, image, text);
    case PageId::ClipGsmNumbers: return Checked(ClipFromGsmPage{}, image);
    case PageId::MobilityExtensionNumbers: return Checked(MobilityPage(text), image);
    case PageId::MobilityExtensionWorkingHours: return Checked(WorkingHoursPage(text), image);
    default: return PageApply::Success();
  }
}

}  // namespace tusko::catalog
