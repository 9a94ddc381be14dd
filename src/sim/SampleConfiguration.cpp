#include "sim/SampleConfiguration.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "config/AddressFields.h"
#include "config/FieldCatalog.h"
#include "config/ImageLayout.h"
#include "config/TextFields.h"
#include "sim/GatewayIdentity.h"

namespace tusko::sim {

namespace {

namespace L = layout;

constexpr std::string_view kDeviceName = "Sentarix Office";

// GSM targets of an LCR routing rule: outgoing group 1 and 2.
constexpr std::uint8_t kGsmGroup1 = 0;
constexpr std::uint8_t kGsmGroup2 = 1;
constexpr std::uint8_t kIsdnAoc = 0xFF;  // AOC item of an ISDN target
constexpr std::uint8_t kFirstAoc = 0;
constexpr std::uint8_t kCredit1 = 0;
constexpr std::uint8_t kCredit2 = 1;
constexpr std::uint8_t kLink1 = 'A';
constexpr std::uint8_t kLink2 = 'B';
constexpr std::uint8_t kDefaultProfile = 0;
constexpr std::uint8_t kOfficeProfile = 1;
constexpr std::uint8_t kMobilityForUsers = 1;
constexpr std::uint8_t kDialAllDigits = 0;

struct RouteTarget {
  std::uint8_t target;
  std::uint8_t aoc;
  std::uint8_t credit;
};

struct RoutingRule {
  std::uint8_t profile;
  std::uint8_t cutDigits;
  std::uint8_t inputLine;
  std::string_view number;
  std::string_view insert;
  std::array<RouteTarget, 2> targets;
};

constexpr RouteTarget kViaGroup1{kGsmGroup1, kFirstAoc, kCredit1};
constexpr RouteTarget kViaGroup2{kGsmGroup2, kFirstAoc, kCredit2};
constexpr RouteTarget kViaLink1{L::lcr::kIsdnLink1Target, kIsdnAoc, L::lcr::kNoCreditCounter};
constexpr RouteTarget kViaLink2{L::lcr::kIsdnLink2Target, kIsdnAoc, L::lcr::kNoCreditCounter};
constexpr RouteTarget kNoTarget{L::lcr::kNoMoreTargets, L::lcr::kNoMoreTargets, L::lcr::kNoCreditCounter};

constexpr std::array kRoutingRules{
    RoutingRule{kDefaultProfile, 0, kLink1, "015", "", {kViaGroup1, kViaLink1}},
    RoutingRule{kDefaultProfile, 0, kLink1, "016", "", {kViaGroup2, kViaGroup1}},
    RoutingRule{kDefaultProfile, 0, kLink2, "017", "", {kViaGroup1, kNoTarget}},
    RoutingRule{kOfficeProfile, 1, kLink1, "00x", "0", {kViaGroup2, kViaLink2}},
};

struct LcrClipEntry {
  std::string_view number;
  std::uint8_t profile;
};
constexpr std::array kLcrClipEntries{LcrClipEntry{"0301234x", kOfficeProfile},
                                     LcrClipEntry{"08912345", kOfficeProfile}};

constexpr std::array<std::string_view, 3> kClipFromGsmNumbers{"0171555x", "016011122", "0152999"};

struct RingNumber {
  std::string_view number;
  std::uint8_t condition;
};
struct MobilityExtension {
  std::uint8_t line;
  std::string_view extension;
  std::array<RingNumber, 2> ringNumbers;
};
constexpr std::array kMobilityExtensions{
    MobilityExtension{
        kLink1, "21", {{{"01715550001", L::mobility::kAlways}, {"01605550002", L::mobility::kDuringWorkingHours}}}},
    MobilityExtension{kLink2, "35", {{{"01525550003", L::mobility::kOutsideWorkingHours}, {"", L::mobility::kAlways}}}},
};

void WriteRoutingRule(ConfigurationImage& image, std::size_t index, const RoutingRule& rule) {
  const std::size_t record = L::lcr::kRoutingTable.RecordOffset(index);
  image.SetByte(record + L::lcr::kProfile, rule.profile);
  image.SetByte(record + L::lcr::kCutDigits, rule.cutDigits);
  image.SetByte(record + L::lcr::kDialDigits, kDialAllDigits);
  image.SetByte(record + L::lcr::kInputLine, rule.inputLine);
  WriteCountedString(image, L::CountedString24(record + L::lcr::kNumber), rule.number);
  WriteCountedString(image, L::CountedString24(record + L::lcr::kInsertDigits), rule.insert);
  image.Fill(record + L::lcr::kTargets, L::lcr::kTargetCount, L::lcr::kNoMoreTargets);
  image.Fill(record + L::lcr::kAocItems, L::lcr::kTargetCount, L::lcr::kNoMoreTargets);
  image.Fill(record + L::lcr::kCreditCounters, L::lcr::kTargetCount, L::lcr::kNoCreditCounter);
  for (std::size_t slot = 0; slot < rule.targets.size(); ++slot) {
    image.SetByte(record + L::lcr::kTargets + slot, rule.targets[slot].target);
    image.SetByte(record + L::lcr::kAocItems + slot, rule.targets[slot].aoc);
    image.SetByte(record + L::lcr::kCreditCounters + slot, rule.targets[slot].credit);
  }
}

void WriteMobilityExtension(ConfigurationImage& image, std::size_t index, const MobilityExtension& extension) {
  const std::size_t record = L::mobility::kTable.RecordOffset(index);
  image.SetByte(record + L::mobility::kLine, extension.line);
  WriteCountedString(image, L::CountedString24(record + L::mobility::kExtension), extension.extension);
  for (std::size_t slot = 0; slot < extension.ringNumbers.size(); ++slot) {
    const RingNumber& ring = extension.ringNumbers[slot];
    if (ring.number.empty()) continue;
    WriteCountedString(image, L::mobility::RingNumber(record, slot), ring.number);
    image.SetByte(L::mobility::RingCondition(record, slot), ring.condition);
  }
}

// The LAN settings the simulated gateway reports, so that a restart, which
// takes them from the stored configuration, keeps them.
void WriteLanSettings(ConfigurationImage& image, const GatewayIdentity& identity) {
  const auto write = [&image](std::string_view id, const Ipv4Address& a) {
    WriteIpDigits(image, {catalog::FindField(id).Offset()}, MakeIpv4Address(a[0], a[1], a[2], a[3]));
  };
  write("network.lanIp", identity.ipAddress);
  write("network.subnetMask", identity.subnetMask);
  write("network.defaultGateway", identity.defaultGateway);
  WritePortDigits(image, {catalog::FindField("network.port").Offset()}, identity.tcpPort);
}

}  // namespace

ConfigurationImage MakeSampleConfiguration() {
  ConfigurationImage image = MakeDefaultImage();
  WriteCountedText(image, L::general::kDeviceName, kDeviceName);
  WriteLanSettings(image, GatewayIdentity{});
  image.SetByte(catalog::FindField("general.mobilityExtension").Offset(), kMobilityForUsers);
  for (std::size_t i = 0; i < kRoutingRules.size(); ++i) WriteRoutingRule(image, i, kRoutingRules[i]);
  for (std::size_t i = 0; i < kLcrClipEntries.size(); ++i) {
    const std::size_t record = L::lcr::kClipTable.RecordOffset(i);
    WriteCountedString(image, L::CountedString24(record + L::lcr::kClipNumber), kLcrClipEntries[i].number);
    image.SetByte(record + L::lcr::kClipProfile, kLcrClipEntries[i].profile);
  }
  for (std::size_t i = 0; i < kClipFromGsmNumbers.size(); ++i) {
    const std::size_t record = L::clipFromGsm::kTable.RecordOffset(i);
    WriteCountedString(image, L::CountedString24(record + L::clipFromGsm::kNumber), kClipFromGsmNumbers[i]);
  }
  for (std::size_t i = 0; i < kMobilityExtensions.size(); ++i) WriteMobilityExtension(image, i, kMobilityExtensions[i]);
  return image;
}

}  // namespace tusko::sim
