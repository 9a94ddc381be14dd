#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "config/ConfigurationPage.h"

namespace tusko {

// One caller number of the LCR CLIP table and the routing profile it selects.
struct ClipEntry {
  std::string number;
  int profile = 0;  // 1..254; 0 for an empty profile box
  bool operator==(const ClipEntry&) const = default;
};

// The LCR CLIP table page: its entries ordered by profile, then by number.
// Deleting a profile's last entry removes the profile's routing rules from
// the working image at once; the caller asks first (DeleteNeedsQuestion).
class LcrClipPage final : public ConfigurationPage {
 public:
  static constexpr std::size_t kNumberMaxChars = 23;
  static constexpr std::size_t kCapacity = 100;

  PageId id() const override { return PageId::LcrClipTab; }
  void Load(ConfigurationImage& working) override;
  PageApply Apply(ConfigurationImage& working) override;

  const std::vector<ClipEntry>& entries() const { return entries_; }
  // The capacity of the table: a further Add is ignored.
  bool Full() const { return entries_.size() >= kCapacity; }
  // The index of the entry, or a PageApply: the refusal, or a success that
  // changed nothing (a full table, an unchanged entry).
  std::variant<std::size_t, PageApply> Add(const ClipEntry& entry);
  std::variant<std::size_t, PageApply> Change(std::size_t index, const ClipEntry& entry);
  // The profile whose routing rules a deletion of entry `index` would remove;
  // nothing when the profile stays in use or has no rules.
  std::optional<int> DeleteNeedsQuestion(std::size_t index, const ConfigurationImage& working) const;
  // Removes the entry and, when its profile is no longer used, the profile's
  // routing rules from the working image.
  void Delete(std::size_t index, ConfigurationImage& working);
  // The first refusal the page would give one of its loaded entries if it were
  // typed again beside the others (a duplicate, a misplaced wildcard), or success.
  PageApply CheckEntries() const;

 private:
  PageApply Refusal(const ClipEntry& entry, std::optional<std::size_t> except) const;
  std::size_t Insert(const ClipEntry& entry);
  bool ProfileStaysInUse(std::size_t index) const;

  std::vector<ClipEntry> entries_;
  std::vector<ClipEntry> loaded_;  // as Load found them: an unchanged list is not written
};

// True when the routing table holds a rule of `profile` with a number.
bool HasRoutingRules(const ConfigurationImage& image, int profile);
// Removes every routing rule of `profile`, moving the later rules up and
// leaving the freed records at the end unset.
void RemoveRoutingRules(ConfigurationImage& image, int profile);

}  // namespace tusko
