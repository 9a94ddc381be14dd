#include "config/ConfigurationTree.h"

#include <algorithm>
#include <array>

#include "base/SafeFormat.h"
#include "config/TextFields.h"

namespace tusko {
namespace {

namespace L = layout;

constexpr std::size_t kMaxNodeTextChars = 259;  // a tree item's text buffer

constexpr TreeNodeEntry Root() {
  return {PageId::Root, "strDataRoot", "strDataRootDescr", NodeKind::Root, PageId::None};
}
constexpr TreeNodeEntry Section(PageId id, std::string_view textKey, std::string_view descriptionKey) {
  return {id, textKey, descriptionKey, NodeKind::Section, PageId::Root};
}
constexpr TreeNodeEntry Page(PageId id, std::string_view textKey, PageId parent) {
  return {id, textKey, {}, NodeKind::Page, parent};
}

constexpr std::array kNodeTable{
    Root(),
    Section(PageId::System, "strDataSystem", "strDataSystemDescr"),
    Page(PageId::SystemGeneral, "strDataSystemGeneral", PageId::System),
    Page(PageId::SystemNetwork, "strDataSystemNetwork", PageId::System),
    Page(PageId::SystemAlarmIndication, "strDataSystemAlarmIndication", PageId::System),
    Page(PageId::SystemCdr, "strDataSystemCdr", PageId::System),
    Page(PageId::SystemCredit, "strDataSystemCredit", PageId::System),
    Page(PageId::SystemSms, "strDataSystemSms", PageId::System),
    Page(PageId::SystemHttp, "strDataSystemHttp", PageId::System),
    Section(PageId::Isdn, "strDataIsdn", "strDataIsdnDescr"),
    Page(PageId::IsdnCommon, "strDataIsdnCommon", PageId::Isdn),
    Page(PageId::IsdnLines, "strDataIsdnLines", PageId::Isdn),
    Section(PageId::Gsm, "strDataGsm", "strDataGsmDescr"),
    Page(PageId::GsmModules, "strDataGsmModules", PageId::Gsm),
    Page(PageId::GsmIncomingGroup, "strDataGsmIncomingGroup", PageId::Gsm),
    Page(PageId::GsmOutgoingGroup, "strDataGsmOutgoingGroup", PageId::Gsm),
    Page(PageId::GsmCellSelect, "strDataGsmCellSelect", PageId::Gsm),
    Section(PageId::Lcr, "strDataLcr", "strDataLcrDescr"),
    Page(PageId::LcrClipTab, "strDataLcrClipTab", PageId::Lcr),
    Page(PageId::LcrRoutingTab, "strDataLcrRoutingTab", PageId::Lcr),
    Section(PageId::ClipGsm, "strDataClipGsm", "strDataClipGsmDescr"),
    Page(PageId::ClipGsmNumbers, "strDataClipGsm", PageId::ClipGsm),
    Section(PageId::MobilityExtension, "strDataMobilityExtension", "strDataMobilityExtensionDescr"),
    Page(PageId::MobilityExtensionNumbers, "strDataMobilityExtensionNumbers", PageId::MobilityExtension),
    Page(PageId::MobilityExtensionWorkingHours, "strDataMobilityExtensionWorkingHours", PageId::MobilityExtension),
};

// Pages that the language file can switch off by giving their node no text.
bool IsOptionalPage(PageId id) { return id == PageId::SystemHttp || id == PageId::GsmCellSelect; }

constexpr ImageArea Byte(std::size_t offset) { return {offset, 1}; }
constexpr ImageArea Area(std::size_t offset, std::size_t size) { return {offset, size}; }

constexpr std::size_t kWord16 = 2;
constexpr std::size_t kWord32 = 4;
constexpr std::size_t kPortDigits = L::kPortDigitsWidth;
constexpr std::size_t kIpDigits = L::kIpDigitsWidth;
constexpr ImageArea kDeviceNameArea{L::general::kDeviceName.lengthOffset, 1 + L::general::kDeviceName.area};
// Reserved bytes behind the portability tone that the ISDN common page keeps with its settings.
constexpr ImageArea kIsdnCommonReserved{332, 8};
constexpr std::size_t kGsmAssignmentBytes = 4;

constexpr std::array kGeneralAreas{
    kDeviceNameArea,
    Byte(L::isdnCommon::kMobilityMode),
    Byte(L::isdnCommon::kNumberPortabilityTone),
    Byte(L::isdnCommon::kAnnouncements),
    Byte(L::isdnCommon::kBeepTime),
    L::timeSync::kSection,
};
constexpr std::array kNetworkAreas{
    Area(L::network::kLanIp.offset, kIpDigits),          Area(L::network::kSubnetMask.offset, kIpDigits),
    Area(L::network::kPort.offset, kPortDigits),         Area(L::network::kDefaultGateway.offset, kIpDigits),
    Area(L::network::kDns1.offset, kIpDigits),           Area(L::network::kDns2.offset, kIpDigits),
};
constexpr std::array kAlarmAreas{L::alarm::kSection};
constexpr std::array kCdrAreas{L::cdr::kSection, Byte(L::isdnCommon::kCdrStoring)};
constexpr std::array kSmsAreas{L::smsServer::kSection, L::smsNotification::kSection};
constexpr std::array kHttpAreas{L::httpOut::kSection, L::httpIn::kSection};
constexpr std::array kCreditAreas{L::creditReport::kSection, Area(L::creditReport::kAlarmLimit, kWord32)};
constexpr std::array kIsdnCommonAreas{
    Area(L::isdnCommon::kWaitDialing, kWord16),
    Byte(L::isdnCommon::kDialTone),
    Byte(L::isdnCommon::kTimeSaveCallback),
    Byte(L::isdnCommon::kChannelAssociation),
    Byte(L::isdnCommon::kTimeoutNoAnswer),
    Byte(L::isdnCommon::kProgressTone),
    Byte(L::isdnCommon::kDelayAlerting),
    Byte(L::isdnCommon::kSubstituteInternational),
    Byte(L::isdnCommon::kCauseGsmBusy),
    kIsdnCommonReserved,
    Area(L::isdnCommon::kCountryPrefix.offset, L::isdnCommon::kCountryPrefix.width),
    Byte(L::isdnCommon::kCutPrefix),
    Byte(L::isdnCommon::kConnectWithAlerting),
};
constexpr std::array kIsdnLinesAreas{
    Area(L::isdnLink::Record(0), L::isdnLink::kRecordSize),
    Area(L::isdnLink::Record(1), L::isdnLink::kRecordSize),
    Byte(L::isdnCommon::kIsdnMode),
    L::isdnCredit::kSection,
};
constexpr std::array kGsmModulesAreas{
    Area(L::gsmGroup::Assignment(0), L::gsmModule::kCount * kGsmAssignmentBytes),
    Area(L::gsmModule::Record(0), L::gsmModule::kCount * L::gsmModule::kRecordSize),
    L::gsmModule::kSecondSection,
};
constexpr std::array kGsmOutgoingAreas{Area(L::gsmGroup::OutRecord(0), L::gsmGroup::OutRecord(L::gsmGroup::kCount) -
                                                                           L::gsmGroup::OutRecord(0))};
constexpr std::array kGsmIncomingAreas{
    Area(L::gsmInGroup::Record(0), L::gsmGroup::kCount * L::gsmInGroup::kRecordSize),
    L::gsmInGroup::kSecondSection,
};
constexpr std::array kCellSelectAreas{L::cellSelection::kSection};
// Removing a CLIP profile also removes its routing records.
constexpr std::array kLcrClipAreas{L::lcr::kClipTable.section, L::lcr::kRoutingTable.section};
constexpr std::array kLcrRoutingAreas{L::lcr::kRoutingTable.section};
constexpr std::array kClipGsmAreas{L::clipFromGsm::kTable.section};
constexpr std::array kMobilityNumbersAreas{L::mobility::kTable.section};
constexpr std::array kWorkingHoursAreas{L::workingHours::kSection};

struct PageAreas {
  PageId id;
  std::span<const ImageArea> areas;
};

constexpr std::array kPageAreas{
    PageAreas{PageId::SystemGeneral, kGeneralAreas},
    PageAreas{PageId::SystemNetwork, kNetworkAreas},
    PageAreas{PageId::SystemAlarmIndication, kAlarmAreas},
    PageAreas{PageId::SystemCdr, kCdrAreas},
    PageAreas{PageId::SystemSms, kSmsAreas},
    PageAreas{PageId::SystemHttp, kHttpAreas},
    PageAreas{PageId::SystemCredit, kCreditAreas},
    PageAreas{PageId::IsdnCommon, kIsdnCommonAreas},
    PageAreas{PageId::IsdnLines, kIsdnLinesAreas},
    PageAreas{PageId::GsmModules, kGsmModulesAreas},
    PageAreas{PageId::GsmOutgoingGroup, kGsmOutgoingAreas},
    PageAreas{PageId::GsmIncomingGroup, kGsmIncomingAreas},
    PageAreas{PageId::GsmCellSelect, kCellSelectAreas},
    PageAreas{PageId::LcrClipTab, kLcrClipAreas},
    PageAreas{PageId::LcrRoutingTab, kLcrRoutingAreas},
    PageAreas{PageId::ClipGsmNumbers, kClipGsmAreas},
    PageAreas{PageId::MobilityExtensionNumbers, kMobilityNumbersAreas},
    PageAreas{PageId::MobilityExtensionWorkingHours, kWorkingHoursAreas},
};

}  // namespace

std::span<const TreeNodeEntry> TreeNodeTable() { return kNodeTable; }

const TreeNodeEntry* FindTreeNode(PageId id) {
  const auto found = std::ranges::find(kNodeTable, id, &TreeNodeEntry::id);
  return found != kNodeTable.end() ? &*found : nullptr;
}

std::vector<TreeNode> BuildTreeNodes(const TextLookup& text) {
  std::vector<TreeNode> nodes;
  nodes.reserve(kNodeTable.size());
  for (const TreeNodeEntry& entry : kNodeTable) {
    std::string nodeText = text ? text(entry.textKey) : std::string();
    if (IsOptionalPage(entry.id) && nodeText.empty()) continue;
    nodes.push_back({entry, std::move(nodeText)});
  }
  return nodes;
}

std::string RootText(const ConfigurationImage& committed, const TextLookup& text) {
  std::string rootText = text ? text(Root().textKey) : std::string();
  // The counted-text reader mends a bad length byte, so it reads a copy; an
  // unset length (255) reads as no name.
  ConfigurationImage image = committed;
  const std::string deviceName = ReadCountedText(image, L::general::kDeviceName);
  if (deviceName.empty()) return rootText;
  return SafeFormat("%s - %s", {rootText, deviceName}, kMaxNodeTextChars);
}

std::span<const ImageArea> OwnedAreas(PageId id) {
  const auto found = std::ranges::find(kPageAreas, id, &PageAreas::id);
  return found != kPageAreas.end() ? found->areas : std::span<const ImageArea>();
}

}  // namespace tusko
