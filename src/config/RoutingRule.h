#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/TextLookup.h"
#include "config/ConfigurationImage.h"
#include "config/ConfigurationPage.h"
#include "config/ImageLayout.h"

namespace tusko {

// One routing rule: a whole 128-byte record of the LCR routing table.
using RoutingRecord = std::array<std::uint8_t, 128>;

// A target of a rule: GSM outgoing group 1 or 2 (code 0 or 1), or ISDN link 1
// ('P') or 2 ('T'); its AOC item (GSM only) and credit counter (0..2, or 'n').
struct RoutingTarget {
  std::uint8_t code = 0;
  std::uint8_t aoc = 0;
  std::uint8_t credit = 0;
  bool operator==(const RoutingTarget&) const = default;
};

// A rule as the routing item dialog edits it.
struct RoutingItem {
  int line = 0;  // 0 ISDN link 1, 1 ISDN link 2
  std::string number;
  int cutDigits = 0;
  std::string insertDigits;
  std::vector<RoutingTarget> targets;  // at most 5
  int dialDigits = 0;
};

inline constexpr std::size_t kMaxRoutingTargets = 5;
using layout::lcr::kIsdnLink1Target;
using layout::lcr::kIsdnLink2Target;
using layout::lcr::kNoCreditCounter;
// What the item dialog's number and inserted digits may hold.
inline constexpr std::string_view kRoutingNumberCharacters = "0123456789*#,?x";
inline constexpr std::string_view kRoutingInsertCharacters = "0123456789*#";
inline constexpr std::size_t kRoutingMaxDigits = 23;

// A new rule of `profile`: all 0 but the profile and no targets.
RoutingRecord NewRoutingRecord(int profile);
int RecordProfile(const RoutingRecord& record);
int RecordLine(const RoutingRecord& record);
std::string RecordNumber(const RoutingRecord& record);

// The item dialog's view of a record; an AOC byte above 254 of a GSM target shows as 0.
RoutingItem ItemOf(const RoutingRecord& record);
// The item dialog's OK: the checks in their order against the other rules of
// the tab (`others`, the edited one left out); on success `record` holds the item.
PageApply StoreItem(const RoutingItem& item, const std::vector<RoutingRecord>& others, const TextLookup& text,
                    RoutingRecord& record);

// The targets column: "G%d(%d,%c)" for a GSM group, the link's short name
// and "(%c)" for an ISDN link, joined with ", ".
std::string TargetsText(const RoutingRecord& record, const TextLookup& text);

}  // namespace tusko
