#include "config/ConfigurationPages.h"

#include "config/CatalogPage.h"
#include "config/CellSelectionPage.h"
#include "config/ClipFromGsmPage.h"
#include "config/LcrClipPage.h"
#include "config/LcrRoutingPage.h"
#include "config/MobilityPage.h"
#include "config/WorkingHoursPage.h"

namespace tusko {
namespace {

// The pages whose fields are all in place; the others show their description.
bool IsBuilt(PageId id) {
  switch (id) {
    case PageId::SystemGeneral:
    case PageId::SystemNetwork:
    case PageId::SystemAlarmIndication:
    case PageId::SystemCdr:
    case PageId::SystemSms:
    case PageId::SystemHttp:
    case PageId::SystemCredit:
    case PageId::IsdnCommon:
    case PageId::IsdnLines:
    case PageId::GsmModules:
    case PageId::GsmOutgoingGroup:
    case PageId::GsmIncomingGroup: return true;
    default: return false;
  }
}

}  // namespace

std::unique_ptr<ConfigurationPage> MakeConfigurationPage(PageId id, const TextLookup& text) {
  if (id == PageId::GsmCellSelect) return std::make_unique<CellSelectionPage>();
  if (id == PageId::LcrClipTab) return std::make_unique<LcrClipPage>();
  if (id == PageId::LcrRoutingTab) return std::make_unique<LcrRoutingPage>();
  if (id == PageId::ClipGsmNumbers) return std::make_unique<ClipFromGsmPage>();
  if (id == PageId::MobilityExtensionNumbers) return std::make_unique<MobilityPage>(text);
  if (id == PageId::MobilityExtensionWorkingHours) return std::make_unique<WorkingHoursPage>(text);
  if (!IsBuilt(id)) return nullptr;
  return std::make_unique<CatalogPage>(id, text);
}

}  // namespace tusko
