#include "config/ConfigurationTree.h"

#include <algorithm>
#include <array>

#include "base/SafeFormat.h"
#include "config/FieldCatalog.h"
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

std::vector<ImageArea> OwnedAreas(PageId id) {
  std::vector<ImageArea> areas;
  const auto add = [&areas](std::size_t offset, std::size_t size) {
    if (!areas.empty() && areas.back().End() == offset) {
      areas.back().size += size;
    } else {
      areas.push_back({offset, size});
    }
  };
  for (const catalog::Group& group : catalog::Groups()) {
    if (group.page != id) continue;
    for (std::size_t instance = 0; instance < group.count; ++instance) {
      for (const catalog::Field& field : group.fields) {
        const catalog::FieldRef ref{&group, &field, instance};
        if (field.encoding != catalog::Encoding::Reserved) add(ref.Offset(), ref.Width());
      }
    }
  }
  // Deleting a CLIP profile removes its routing rules as well.
  if (id == PageId::LcrClipTab) areas.push_back(L::lcr::kRoutingTable.section);
  return areas;
}

}  // namespace tusko
