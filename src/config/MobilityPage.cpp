#include "config/MobilityPage.h"

#include <algorithm>

#include "config/ImageLayout.h"
#include "config/TextFields.h"

namespace tusko {
namespace {

namespace mobility = layout::mobility;

constexpr std::string_view kExtensionField = "mobility.extension";
constexpr std::string_view kFirstRingField = "mobility.ringNumber1";
constexpr char kFirstLine = 'A';
constexpr int kLineCount = 2;

bool Before(const MobilityEntry& a, const MobilityEntry& b) {
  return a.line != b.line ? a.line < b.line : a.extension < b.extension;
}

int LineIndex(std::uint8_t letter) {
  const int upper = letter >= 'a' && letter <= 'b' ? letter - 'a' : letter - kFirstLine;
  return upper >= 0 && upper < kLineCount ? upper : 0;
}

std::uint8_t ConditionByte(RingCondition condition) {
  switch (condition) {
    case RingCondition::DuringWorkingHours: return mobility::kDuringWorkingHours;
    case RingCondition::OutsideWorkingHours: return mobility::kOutsideWorkingHours;
    case RingCondition::Always: break;
  }
  return mobility::kAlways;
}

RingCondition ConditionOf(std::uint8_t stored) {
  if (stored == mobility::kDuringWorkingHours) return RingCondition::DuringWorkingHours;
  if (stored == mobility::kOutsideWorkingHours) return RingCondition::OutsideWorkingHours;
  return RingCondition::Always;
}

constexpr std::string_view kDigits = "0123456789";
constexpr std::size_t kExtensionMaxChars = 23;

// What the boxes may hold: the extension at most 23 digits, each ring number at most 22.
PageApply CheckDigits(const std::string& extension, const std::vector<RingNumber>& rings) {
  if (extension.size() > kExtensionMaxChars || extension.find_first_not_of(kDigits) != std::string::npos) {
    return PageApply::Failure("strDataTextCharacters", kExtensionField, {std::string(kDigits)});
  }
  for (const RingNumber& ring : rings) {
    if (ring.number.size() > MobilityPage::kRingMaxChars || ring.number.find_first_not_of(kDigits) != std::string::npos) {
      return PageApply::Failure("strDataTextCharacters", kFirstRingField, {std::string(kDigits)});
    }
  }
  return PageApply::Success();
}

std::vector<RingNumber> NonEmpty(const std::array<RingNumber, MobilityPage::kRingCount>& rings) {
  std::vector<RingNumber> kept;
  for (const RingNumber& ring : rings) {
    if (!ring.number.empty()) kept.push_back(ring);
  }
  return kept;
}

}  // namespace

void MobilityPage::Load(ConfigurationImage& working) {
  entries_.clear();
  ConfigurationImage shown = working;
  for (std::size_t i = 0; i < mobility::kTable.capacity; ++i) {
    const std::size_t record = mobility::kTable.RecordOffset(i);
    const std::uint8_t length = shown.Byte(record + mobility::kExtension);
    if (length == 0 || length == layout::kUnset) break;
    MobilityEntry entry{LineIndex(shown.Byte(record + mobility::kLine)),
                        ReadCountedString(shown, layout::CountedString24(record + mobility::kExtension)),
                        {}};
    for (std::size_t r = 0; r < kRingCount; ++r) {
      std::string number = ReadCountedString(shown, mobility::RingNumber(record, r));
      if (!number.empty()) entry.rings.push_back({number, ConditionOf(shown.Byte(mobility::RingCondition(record, r)))});
    }
    Insert(std::move(entry));
  }
  loaded_ = entries_;
}

PageApply MobilityPage::Apply(ConfigurationImage& working) {
  if (entries_ == loaded_) return PageApply::Success();
  working.Fill(mobility::kTable.section, layout::kUnset);
  for (std::size_t i = 0; i < entries_.size() && i < kCapacity; ++i) {
    const MobilityEntry& entry = entries_[i];
    const std::size_t record = mobility::kTable.RecordOffset(i);
    working.SetByte(record + mobility::kLine, static_cast<std::uint8_t>(kFirstLine + entry.line));
    WriteCountedString(working, layout::CountedString24(record + mobility::kExtension), entry.extension);
    for (std::size_t r = 0; r < entry.rings.size() && r < kRingCount; ++r) {
      WriteCountedString(working, mobility::RingNumber(record, r), entry.rings[r].number);
      working.SetByte(mobility::RingCondition(record, r), ConditionByte(entry.rings[r].condition));
    }
  }
  loaded_ = entries_;
  return PageApply::Success();
}

std::size_t MobilityPage::Insert(MobilityEntry entry) {
  const auto at = std::upper_bound(entries_.begin(), entries_.end(), entry, Before);
  return static_cast<std::size_t>(entries_.insert(at, std::move(entry)) - entries_.begin());
}

PageApply MobilityPage::Refusal(const MobilityEntry& typed, bool refuseRepeat, std::size_t except) const {
  if (typed.extension.empty()) return PageApply::Failure("strMobilityExtExtensionMissing", kExtensionField);
  for (std::size_t i = 0; refuseRepeat && i < entries_.size(); ++i) {
    if (i != except && entries_[i].line == typed.line && entries_[i].extension == typed.extension) {
      return PageApply::Failure("strMobilityExtExtensionDuplicate", kExtensionField,
                                {typed.extension, LineName(typed.line)});
    }
  }
  if (typed.rings.empty()) return PageApply::Failure("strMobilityExtNumbersMissing", kFirstRingField);
  return CheckDigits(typed.extension, typed.rings);
}

std::variant<std::size_t, PageApply> MobilityPage::Add(int line, const std::string& extension,
                                                       const std::array<RingNumber, kRingCount>& rings) {
  if (entries_.size() >= kCapacity) return PageApply::Success();
  MobilityEntry typed{line, extension, NonEmpty(rings)};
  if (PageApply refusal = Refusal(typed, true, entries_.size()); !refusal.ok) return refusal;
  typed.line = std::clamp(line, 0, kLineCount - 1);
  return Insert(std::move(typed));
}

// Change does not look for a duplicate line and extension.
std::variant<std::size_t, PageApply> MobilityPage::Change(std::size_t index, int line, const std::string& extension,
                                                          const std::array<RingNumber, kRingCount>& rings) {
  if (index >= entries_.size()) return PageApply::Success();
  MobilityEntry typed{std::clamp(line, 0, kLineCount - 1), extension, NonEmpty(rings)};
  if (PageApply refusal = Refusal(typed, false, index); !refusal.ok) return refusal;
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
  return Insert(std::move(typed));
}

PageApply MobilityPage::CheckEntries() const {
  return FirstRefusal(entries_, [this](const auto& entry, std::size_t index) { return Refusal(entry, true, index); });
}

void MobilityPage::Delete(std::size_t index) {
  if (index < entries_.size()) entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
}

std::string MobilityPage::LineName(int line) const { return text_(line == 0 ? "strIsdnLink1" : "strIsdnLink2"); }

std::string MobilityPage::RingNumbersText(const MobilityEntry& entry) const {
  std::string text;
  for (const RingNumber& ring : entry.rings) {
    if (!text.empty()) text += ", ";
    text += ring.number;
    if (ring.condition == RingCondition::DuringWorkingHours) text += "-" + text_("strMobilityExtDuringWHShort");
    if (ring.condition == RingCondition::OutsideWorkingHours) text += "-" + text_("strMobilityExtOutOfWHShort");
  }
  return text;
}

}  // namespace tusko
