#include "config/RoutingRule.h"

#include <algorithm>

#include "config/FieldChecks.h"
#include "config/ImageLayout.h"
#include "config/TextFields.h"

namespace tusko {
namespace {

namespace lcr = layout::lcr;

constexpr std::uint8_t kNoTarget = 0xFF;
constexpr std::uint8_t kIsdnAoc = 0xFF;
constexpr char kFirstLine = 'A';

bool IsIsdnTarget(std::uint8_t code) { return code == kIsdnLink1Target || code == kIsdnLink2Target || code == 'C' || code == 'D'; }

std::string LineName(int line, const TextLookup& text) { return text(line == 0 ? "strIsdnLink1" : "strIsdnLink2"); }

char CreditLetter(std::uint8_t credit) {
  if (credit == kNoCreditCounter) return 'n';
  return credit == 1 || credit == 2 ? static_cast<char>('1' + credit) : '1';
}

// A record held as an image range, so that the image's codecs read and write it.
ConfigurationImage AsImage(const RoutingRecord& record) {
  ConfigurationImage image;
  image.Store(0, record);
  return image;
}

PageApply CheckText(std::string_view text, std::string_view characters, std::string_view field) {
  if (text.size() > kRoutingMaxDigits || text.find_first_not_of(characters) != std::string_view::npos) {
    return PageApply::Failure("strDataTextCharacters", field, {std::string(characters)});
  }
  return PageApply::Success();
}

}  // namespace

RoutingRecord NewRoutingRecord(int profile) {
  RoutingRecord record{};
  record[lcr::kProfile] = static_cast<std::uint8_t>(profile);
  std::fill_n(record.begin() + lcr::kTargets, lcr::kTargetCount, kNoTarget);
  return record;
}

int RecordProfile(const RoutingRecord& record) { return record[lcr::kProfile]; }

int RecordLine(const RoutingRecord& record) {
  const std::uint8_t letter = record[lcr::kInputLine];
  const int upper = letter >= 'a' && letter <= 'd' ? letter - 'a' : letter - kFirstLine;
  return upper == 1 ? 1 : 0;
}

std::string RecordNumber(const RoutingRecord& record) {
  ConfigurationImage image = AsImage(record);
  return ReadCountedString(image, layout::CountedString24(lcr::kNumber));
}

RoutingItem ItemOf(const RoutingRecord& record) {
  ConfigurationImage image = AsImage(record);
  RoutingItem item{RecordLine(record), RecordNumber(record), record[lcr::kCutDigits],
                   ReadCountedString(image, layout::CountedString24(lcr::kInsertDigits)), {}, record[lcr::kDialDigits]};
  for (std::size_t i = 0; i < lcr::kTargetCount && record[lcr::kTargets + i] != kNoTarget; ++i) {
    const std::uint8_t code = record[lcr::kTargets + i];
    const std::uint8_t aoc = record[lcr::kAocItems + i];
    item.targets.push_back({code, IsIsdnTarget(code) ? kIsdnAoc : (aoc > 254 ? std::uint8_t{0} : aoc),
                            record[lcr::kCreditCounters + i]});
  }
  return item;
}

PageApply StoreItem(const RoutingItem& item, const std::vector<RoutingRecord>& others, const TextLookup& text,
                    RoutingRecord& record) {
  record[lcr::kInputLine] = static_cast<std::uint8_t>(kFirstLine + item.line);
  if (item.number.empty()) return PageApply::Failure("strLcrRoutingErrNumberMissing", "routing.number");
  for (const RoutingRecord& other : others) {
    if (RecordLine(other) == item.line && RecordNumber(other) == item.number) {
      return PageApply::Failure("strLcrRoutingErrNumberDuplicate", "routing.number", {LineName(item.line, text), item.number});
    }
  }
  if (catalog::WildcardMisplaced(item.number)) return PageApply::Warning("strLcrRoutingErrNumberWildcard", "routing.number");
  if (PageApply check = CheckText(item.number, kRoutingNumberCharacters, "routing.number"); !check.ok) return check;
  if (PageApply check = CheckText(item.insertDigits, kRoutingInsertCharacters, "routing.insert"); !check.ok) return check;
  ConfigurationImage image = AsImage(record);
  WriteCountedString(image, layout::CountedString24(lcr::kNumber), item.number);
  WriteCountedString(image, layout::CountedString24(lcr::kInsertDigits), item.insertDigits);
  image.SetByte(lcr::kCutDigits, static_cast<std::uint8_t>(std::clamp(item.cutDigits, 0, int{kRoutingMaxDigits})));
  image.Fill(lcr::kTargets, lcr::kTargetCount, kNoTarget);
  const auto bytes = image.Range(0, record.size());
  std::copy(bytes.begin(), bytes.end(), record.begin());
  if (item.targets.empty()) return PageApply::Failure("strLcrRoutingErrNoTarget", "routing.newTarget");
  for (std::size_t i = 0; i < item.targets.size() && i < kMaxRoutingTargets; ++i) {
    const RoutingTarget& target = item.targets[i];
    record[lcr::kTargets + i] = target.code;
    record[lcr::kAocItems + i] = IsIsdnTarget(target.code) ? kIsdnAoc : target.aoc;
    record[lcr::kCreditCounters + i] = target.credit;
  }
  record[lcr::kDialDigits] = static_cast<std::uint8_t>(std::clamp(item.dialDigits, 0, int{kRoutingMaxDigits}));
  return PageApply::Success();
}

std::string TargetsText(const RoutingRecord& record, const TextLookup& text) {
  std::string joined;
  for (std::size_t i = 0; i < lcr::kTargetCount && record[lcr::kTargets + i] != kNoTarget; ++i) {
    const std::uint8_t code = record[lcr::kTargets + i];
    const char credit = CreditLetter(record[lcr::kCreditCounters + i]);
    if (!joined.empty()) joined += ", ";
    if (IsIsdnTarget(code)) {
      joined += text(code == kIsdnLink2Target || code == 'D' ? "strIsdnLinkShort2" : "strIsdnLinkShort1");
      joined += std::string("(") + credit + ")";
    } else {
      joined += "G" + std::to_string(code + 1) + "(" + std::to_string(record[lcr::kAocItems + i]) + "," + credit + ")";
    }
  }
  return joined;
}

}  // namespace tusko
