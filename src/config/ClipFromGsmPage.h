#pragma once

#include <string>
#include <variant>
#include <vector>

#include "config/ConfigurationPage.h"

namespace tusko {

// The CLIP from GSM page: the caller numbers passed on to the PBX, kept in
// ascending text order.
class ClipFromGsmPage final : public ConfigurationPage {
 public:
  static constexpr std::size_t kCapacity = 100;
  static constexpr std::size_t kNumberMaxChars = 23;

  PageId id() const override { return PageId::ClipGsmNumbers; }
  void Load(ConfigurationImage& working) override;
  PageApply Apply(ConfigurationImage& working) override;

  const std::vector<std::string>& numbers() const { return numbers_; }
  // The index of the number, or a PageApply: the refusal (the wildcard one a
  // warning), or a success that changed nothing (a full list, an unchanged text).
  std::variant<std::size_t, PageApply> Add(const std::string& number);
  std::variant<std::size_t, PageApply> Change(std::size_t index, const std::string& number);
  void Delete(std::size_t index);
  // The first refusal the page would give one of its loaded entries if it were
  // typed again beside the others (a duplicate, a misplaced wildcard), or success.
  PageApply CheckEntries() const;

 private:
  PageApply Refusal(const std::string& number, std::size_t except) const;
  std::size_t Insert(const std::string& number);

  std::vector<std::string> numbers_;
  std::vector<std::string> loaded_;
};

}  // namespace tusko
