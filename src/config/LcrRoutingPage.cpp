#include "config/LcrRoutingPage.h"

#include <algorithm>
#include <span>

#include "config/ImageLayout.h"

namespace tusko {
namespace {

namespace lcr = layout::lcr;

constexpr int kMaxProfile = 254;

bool Before(const RoutingRecord& a, const RoutingRecord& b) {
  return RecordLine(a) != RecordLine(b) ? RecordLine(a) < RecordLine(b) : RecordNumber(a) < RecordNumber(b);
}

void InsertOrdered(std::vector<RoutingRecord>& rules, const RoutingRecord& record) {
  rules.insert(std::upper_bound(rules.begin(), rules.end(), record, Before), record);
}

RoutingRecord ReadRecord(const ConfigurationImage& image, std::size_t index) {
  RoutingRecord record{};
  const auto bytes = image.Range(lcr::kRoutingTable.RecordOffset(index), record.size());
  std::copy(bytes.begin(), bytes.end(), record.begin());
  return record;
}

std::size_t RecordsInUse(const ConfigurationImage& image) {
  std::size_t count = 0;
  while (count < lcr::kRoutingTable.capacity && ReadRecord(image, count)[lcr::kProfile] <= kMaxProfile) ++count;
  return count;
}

}  // namespace

void LcrRoutingPage::Load(ConfigurationImage& working) {
  rules_.clear();
  rules_[0];
  for (std::size_t i = 0; i < lcr::kClipTable.capacity; ++i) {
    const int profile = working.Byte(lcr::kClipTable.RecordOffset(i) + lcr::kClipProfile);
    if (profile > kMaxProfile) break;
    if (profile > 0) rules_[profile];
  }
  for (std::size_t i = 0; i < RecordsInUse(working); ++i) {
    const RoutingRecord record = ReadRecord(working, i);
    InsertOrdered(rules_[RecordProfile(record)], record);
  }
  loaded_ = rules_;
}

// Each changed profile's block is replaced in place: the rules behind it move
// up or down by the difference, and records freed at the end are unset.
PageApply LcrRoutingPage::Apply(ConfigurationImage& working) {
  for (const auto& [profile, rules] : rules_) {
    if (loaded_.contains(profile) && loaded_.at(profile) == rules) continue;
    const std::size_t used = RecordsInUse(working);
    std::vector<RoutingRecord> table;
    for (std::size_t i = 0; i < used; ++i) table.push_back(ReadRecord(working, i));
    const auto start = std::find_if(table.begin(), table.end(),
                                    [p = profile](const RoutingRecord& r) { return RecordProfile(r) >= p; });
    const auto end = std::find_if(start, table.end(), [p = profile](const RoutingRecord& r) { return RecordProfile(r) != p; });
    table.insert(table.erase(start, end), rules.begin(), rules.end());
    const std::size_t size = lcr::kRoutingTable.recordSize;
    working.Fill(lcr::kRoutingTable.section, layout::kUnset);
    for (std::size_t i = 0; i < table.size() && i < kCapacity; ++i) {
      working.Store(lcr::kRoutingTable.RecordOffset(i), std::span<const std::uint8_t>(table[i].data(), size));
    }
  }
  loaded_ = rules_;
  return PageApply::Success();
}

std::vector<int> LcrRoutingPage::Profiles() const {
  std::vector<int> profiles;
  for (const auto& entry : rules_) profiles.push_back(entry.first);
  return profiles;
}

const std::vector<RoutingRecord>& LcrRoutingPage::Rules(int profile) const {
  static const std::vector<RoutingRecord> kNone;
  const auto found = rules_.find(profile);
  return found != rules_.end() ? found->second : kNone;
}

std::size_t LcrRoutingPage::RuleCount() const {
  std::size_t count = 0;
  for (const auto& entry : rules_) count += entry.second.size();
  return count;
}

PageApply LcrRoutingPage::CanAdd() const {
  if (RuleCount() < kCapacity) return PageApply::Success();
  return PageApply::Failure("strLcrRoutingErrTableFull", "routing.number", {std::to_string(kCapacity)});
}

PageApply LcrRoutingPage::Put(const RoutingRecord& record, std::optional<std::size_t> replaced) {
  std::vector<RoutingRecord>& rules = rules_[RecordProfile(record)];
  if (replaced && *replaced < rules.size()) {
    rules.erase(rules.begin() + static_cast<std::ptrdiff_t>(*replaced));
  } else if (PageApply room = CanAdd(); !room.ok) {
    return room;
  }
  InsertOrdered(rules, record);
  return PageApply::Success();
}

void LcrRoutingPage::Delete(int profile, std::size_t index) {
  auto& rules = rules_[profile];
  if (index < rules.size()) rules.erase(rules.begin() + static_cast<std::ptrdiff_t>(index));
}

std::vector<RoutingRecord> LcrRoutingPage::Others(int profile, std::optional<std::size_t> edited) const {
  std::vector<RoutingRecord> others = Rules(profile);
  if (edited && *edited < others.size()) others.erase(others.begin() + static_cast<std::ptrdiff_t>(*edited));
  return others;
}

PageApply LcrRoutingPage::CheckEntries(const TextLookup& text) const {
  for (const auto& [profile, rules] : rules_) {
    const auto refusal = [&, tab = profile](const RoutingRecord& rule, std::size_t index) {
      RoutingRecord stored = rule;
      return StoreItem(ItemOf(rule), Others(tab, index), text, stored);
    };
    if (PageApply refused = FirstRefusal(rules, refusal); !refused.ok) return refused;
  }
  return PageApply::Success();
}

}  // namespace tusko
