#include "config/FieldCatalog.h"

#include <array>

#include "config/GsmFields.h"
#include "config/IsdnFields.h"
#include "config/SystemFields.h"
#include "config/TableFields.h"

namespace tusko::catalog {
namespace {

constexpr std::size_t kIsdnCreditBase = 29012;
constexpr std::size_t kIsdnCreditStride = 96;
constexpr std::size_t kModuleBase = 904;
constexpr std::size_t kModuleSecondBase = 22604;
constexpr std::size_t kModuleStride = 128;
constexpr std::size_t kModuleCreditPart = 12;
constexpr std::size_t kInGroupStride = 208;
constexpr std::size_t kDayStride = 32;
constexpr std::size_t kWorkingDays = 5;

// In the order of the pages' steps; a page applies its groups in this order.
constexpr std::array<Group, 30> kGroups{{
    {"image", PageId::None, 0, 0, 1, system::kImageFields},
    {"general", PageId::SystemGeneral, 0, 0, 1, system::kGeneralFields},
    {"network", PageId::SystemNetwork, 0, 0, 1, system::kNetworkFields},
    {"alarm", PageId::SystemAlarmIndication, 0, 0, 1, system::kAlarmFields},
    {"cdr", PageId::SystemCdr, 0, 0, 1, system::kCdrFields},
    {"sms", PageId::SystemSms, 0, 0, 1, system::kSmsFields},
    {"http", PageId::SystemHttp, 0, 0, 1, system::kHttpFields},
    {"credit", PageId::SystemCredit, 0, 0, 1, system::kCreditFields},
    {"isdnCommon", PageId::IsdnCommon, 0, 0, 1, isdn::kCommonFields},
    {"isdn", PageId::IsdnLines, 0, 0, 1, isdn::kModeFields},
    {"isdnLink", PageId::IsdnLines, 256, 32, 2, isdn::kLinkFields},
    {"isdnCredit", PageId::IsdnLines, kIsdnCreditBase, kIsdnCreditStride, 2, isdn::kCreditFields, true},
    {"isdnCreditTail", PageId::IsdnLines, kIsdnCreditBase + isdn::kCreditPartSize, kIsdnCreditStride, 2,
     isdn::kLinkCreditTail},
    {"gsmAssignment", PageId::GsmModules, 448, 4, 2, gsm::kAssignmentFields},
    {"gsmModule", PageId::GsmModules, kModuleBase, kModuleStride, 2, gsm::kModuleFields},
    {"gsmCredit", PageId::GsmModules, kModuleBase + kModuleCreditPart, kModuleStride, 2, isdn::kCreditFields},
    {"gsmModuleSecond", PageId::GsmModules, kModuleSecondBase, kModuleStride, 2, gsm::kModuleSecondFields},
    {"gsmCreditSecond", PageId::GsmModules, kModuleSecondBase + kModuleCreditPart, kModuleStride, 2,
     isdn::kCreditFields},
    {"gsmOutGroup", PageId::GsmOutgoingGroup, 456, 16, 2, gsm::kOutGroupFields},
    {"gsmInGroup", PageId::GsmIncomingGroup, 488, kInGroupStride, 2, gsm::kInGroupFields},
    {"gsmInGroupSecond", PageId::GsmIncomingGroup, 22188, kInGroupStride, 2, gsm::kInGroupSecondFields},
    {"cellSelection", PageId::GsmCellSelect, 0, 0, 1, gsm::kCellSelectionFields},
    {"cell", PageId::GsmCellSelect, 21676, 16, 16, gsm::kCellFields},
    {"lcrClip", PageId::LcrClipTab, 13960, 36, 100, tables::kLcrClipFields},
    {"lcrRouting", PageId::LcrRoutingTab, 1160, 128, 100, tables::kRoutingFields},
    {"clipFromGsm", PageId::ClipGsmNumbers, 17560, 36, 100, tables::kClipFromGsmFields},
    {"mobility", PageId::MobilityExtensionNumbers, 23372, 100, 50, tables::kMobilityFields},
    {"workingDay", PageId::MobilityExtensionWorkingHours, 28628, kDayStride, kWorkingDays,
     tables::kWorkingDayFields},
    {"weekendDay", PageId::MobilityExtensionWorkingHours, 28628 + kDayStride * kWorkingDays, kDayStride, 2,
     tables::kWeekendDayFields},
    {"holiday", PageId::MobilityExtensionWorkingHours, 28852, 4, 40, tables::kHolidayFields},
}};

constexpr std::size_t kTerminatedWidth = 40;
constexpr std::size_t kIpDigitsWidth = 12;
constexpr std::size_t kPortDigitsWidth = 5;
constexpr std::size_t kWordWidth = 4;
constexpr std::size_t kHalfWordWidth = 2;

}  // namespace

std::span<const Group> Groups() { return kGroups; }

std::size_t FieldRef::Width() const {
  switch (field->encoding) {
    case Encoding::Word16: return kHalfWordWidth;
    case Encoding::Word32:
    case Encoding::Minutes32:
    case Encoding::Bit32: return kWordWidth;
    case Encoding::Reserved:
    case Encoding::Bytes:
    case Encoding::Digits:
    case Encoding::CountedString: return field->width;
    case Encoding::CountedList: return field->width * field->count;
    case Encoding::CountedText: return 1 + field->width;
    case Encoding::TerminatedText:
    case Encoding::Server: return kTerminatedWidth;
    case Encoding::IpDigits: return kIpDigitsWidth;
    case Encoding::PortDigits: return kPortDigitsWidth;
    default: return 1;
  }
}

std::string FieldRef::Id() const {
  std::string id(group->name);
  if (group->count > 1) id += std::to_string(instance + 1);
  id += '.';
  id += field->name;
  return id;
}

FieldRef FindField(std::string_view id) {
  for (const Group& group : kGroups) {
    for (std::size_t instance = 0; instance < group.count; ++instance) {
      for (const Field& field : group.fields) {
        if (field.name.empty()) continue;
        const FieldRef ref{&group, &field, instance};
        if (ref.Id() == id) return ref;
      }
    }
  }
  return {};
}

}  // namespace tusko::catalog
