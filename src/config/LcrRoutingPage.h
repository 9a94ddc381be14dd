#pragma once

#include <map>
#include <optional>
#include <vector>

#include "base/TextLookup.h"
#include "config/ConfigurationPage.h"
#include "config/RoutingRule.h"

namespace tusko {

// The LCR routing table page: one tab per profile (the default profile 0,
// then every profile the CLIP table uses), each listing its rules ordered by
// input line, then number. Apply moves the other profiles' blocks so that
// each profile's rules stand together in profile order.
class LcrRoutingPage final : public ConfigurationPage {
 public:
  static constexpr std::size_t kCapacity = 100;

  PageId id() const override { return PageId::LcrRoutingTab; }
  void Load(ConfigurationImage& working) override;
  PageApply Apply(ConfigurationImage& working) override;

  // The tabs' profiles in order.
  std::vector<int> Profiles() const;
  const std::vector<RoutingRecord>& Rules(int profile) const;
  // Whether a new rule fits: refused with its message when the table holds
  // kCapacity rules over all profiles.
  PageApply CanAdd() const;
  // Puts a rule the item dialog stored into its tab (replacing entry
  // `replaced` when given); refused when the table is full.
  PageApply Put(const RoutingRecord& record, std::optional<std::size_t> replaced = std::nullopt);
  void Delete(int profile, std::size_t index);
  // The other rules of the tab, for the item dialog's duplicate check.
  std::vector<RoutingRecord> Others(int profile, std::optional<std::size_t> edited) const;
  // The first refusal the item dialog would give one of the loaded rules if it
  // were stored again beside the others of its tab, or success.
  PageApply CheckEntries(const TextLookup& text) const;

 private:
  std::size_t RuleCount() const;

  std::map<int, std::vector<RoutingRecord>> rules_;
  std::map<int, std::vector<RoutingRecord>> loaded_;
};

}  // namespace tusko
