#include "config/LcrClipPage.h"

#include <algorithm>

#include "config/FieldChecks.h"
#include "config/ImageLayout.h"
#include "config/TextFields.h"

namespace tusko {
namespace {

namespace lcr = layout::lcr;

constexpr std::string_view kNumberField = "lcrClip.number";
constexpr std::string_view kProfileField = "lcrClip.profile";
constexpr int kMaxProfile = 254;

bool Before(const ClipEntry& a, const ClipEntry& b) {
  return a.profile != b.profile ? a.profile < b.profile : a.number < b.number;
}

// The routing records up to the first whose profile byte is above 254.
std::size_t RoutingRecordsInUse(const ConfigurationImage& image) {
  std::size_t count = 0;
  while (count < lcr::kRoutingTable.capacity &&
         image.Byte(lcr::kRoutingTable.RecordOffset(count) + lcr::kProfile) <= kMaxProfile) {
    ++count;
  }
  return count;
}

}  // namespace

void LcrClipPage::Load(ConfigurationImage& working) {
  entries_.clear();
  ConfigurationImage shown = working;
  for (std::size_t i = 0; i < lcr::kClipTable.capacity; ++i) {
    const std::size_t record = lcr::kClipTable.RecordOffset(i);
    const int profile = shown.Byte(record + lcr::kClipProfile);
    if (profile > kMaxProfile) break;
    const std::uint8_t length = shown.Byte(record + lcr::kClipNumber);
    if (length == 0 || length == layout::kUnset) continue;
    Insert({ReadCountedString(shown, layout::CountedString24(record + lcr::kClipNumber)), profile});
  }
  loaded_ = entries_;
}

PageApply LcrClipPage::Apply(ConfigurationImage& working) {
  if (entries_ == loaded_) return PageApply::Success();
  working.Fill(lcr::kClipTable.section, layout::kUnset);
  for (std::size_t i = 0; i < entries_.size() && i < lcr::kClipTable.capacity; ++i) {
    const std::size_t record = lcr::kClipTable.RecordOffset(i);
    WriteCountedString(working, layout::CountedString24(record + lcr::kClipNumber), entries_[i].number);
    working.SetByte(record + lcr::kClipProfile, static_cast<std::uint8_t>(entries_[i].profile));
  }
  loaded_ = entries_;
  return PageApply::Success();
}

PageApply LcrClipPage::Refusal(const ClipEntry& entry, std::optional<std::size_t> except) const {
  if (entry.number.empty()) return PageApply::Failure("strLcrClipTabErrNumberMissing", kNumberField);
  if (entry.profile < 1 || entry.profile > kMaxProfile) {
    return PageApply::Failure("strLcrClipTabErrProfileMissing", kProfileField);
  }
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (i != except && entries_[i].number == entry.number) {
      return PageApply::Failure("strLcrClipTabErrNumberDuplicate", kNumberField, {entry.number});
    }
  }
  if (catalog::WildcardMisplaced(entry.number)) {
    return PageApply::Warning("strLcrClipTabErrNumberWildcard", kNumberField);
  }
  if (entry.number.size() > kNumberMaxChars ||
      entry.number.find_first_not_of("0123456789?x") != std::string::npos) {
    return PageApply::Failure("strDataTextCharacters", kNumberField, {"0123456789?x"});
  }
  return PageApply::Success();
}

PageApply LcrClipPage::CheckEntries() const {
  return FirstRefusal(entries_, [this](const auto& entry, std::size_t index) { return Refusal(entry, index); });
}

std::size_t LcrClipPage::Insert(const ClipEntry& entry) {
  const auto at = std::upper_bound(entries_.begin(), entries_.end(), entry, Before);
  return static_cast<std::size_t>(entries_.insert(at, entry) - entries_.begin());
}

std::variant<std::size_t, PageApply> LcrClipPage::Add(const ClipEntry& entry) {
  if (Full()) return PageApply::Success();
  if (PageApply refusal = Refusal(entry, std::nullopt); !refusal.ok) return refusal;
  return Insert(entry);
}

std::variant<std::size_t, PageApply> LcrClipPage::Change(std::size_t index, const ClipEntry& entry) {
  if (index >= entries_.size()) return PageApply::Success();
  if (entries_[index] == entry) return index;
  if (PageApply refusal = Refusal(entry, index); !refusal.ok) return refusal;
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
  return Insert(entry);
}

bool LcrClipPage::ProfileStaysInUse(std::size_t index) const {
  const int profile = entries_[index].profile;
  return (index > 0 && entries_[index - 1].profile == profile) ||
         (index + 1 < entries_.size() && entries_[index + 1].profile == profile);
}

std::optional<int> LcrClipPage::DeleteNeedsQuestion(std::size_t index, const ConfigurationImage& working) const {
  if (index >= entries_.size() || ProfileStaysInUse(index)) return std::nullopt;
  const int profile = entries_[index].profile;
  if (!HasRoutingRules(working, profile)) return std::nullopt;
  return profile;
}

void LcrClipPage::Delete(std::size_t index, ConfigurationImage& working) {
  if (index >= entries_.size()) return;
  const bool stays = ProfileStaysInUse(index);
  const int profile = entries_[index].profile;
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
  if (!stays) RemoveRoutingRules(working, profile);
}

bool HasRoutingRules(const ConfigurationImage& image, int profile) {
  for (std::size_t i = 0; i < RoutingRecordsInUse(image); ++i) {
    const std::size_t record = lcr::kRoutingTable.RecordOffset(i);
    const std::uint8_t length = image.Byte(record + lcr::kNumber);
    if (image.Byte(record + lcr::kProfile) == profile && length != 0 && length != layout::kUnset) return true;
  }
  return false;
}

void RemoveRoutingRules(ConfigurationImage& image, int profile) {
  const std::size_t used = RoutingRecordsInUse(image);
  const std::size_t size = lcr::kRoutingTable.recordSize;
  std::size_t kept = 0;
  for (std::size_t i = 0; i < used; ++i) {
    const std::size_t from = lcr::kRoutingTable.RecordOffset(i);
    if (image.Byte(from + lcr::kProfile) == profile) continue;
    if (kept != i) {
      const auto record = image.Range(from, size);
      const std::vector<std::uint8_t> copy(record.begin(), record.end());
      image.Store(lcr::kRoutingTable.RecordOffset(kept), copy);
    }
    ++kept;
  }
  image.Fill(lcr::kRoutingTable.RecordOffset(kept), size * (used - kept), layout::kUnset);
}

}  // namespace tusko
