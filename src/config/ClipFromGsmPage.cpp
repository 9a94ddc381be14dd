#include "config/ClipFromGsmPage.h"

#include <algorithm>

#include "config/FieldChecks.h"
#include "config/ImageLayout.h"
#include "config/TextFields.h"

namespace tusko {
namespace {

namespace table = layout::clipFromGsm;

constexpr std::string_view kNumberField = "clipFromGsm.number";
constexpr std::string_view kNumberCharacters = "0123456789x";

layout::CountedStringAt NumberAt(std::size_t index) {
  return layout::CountedString24(table::kTable.RecordOffset(index) + table::kNumber);
}

}  // namespace

void ClipFromGsmPage::Load(ConfigurationImage& working) {
  numbers_.clear();
  ConfigurationImage shown = working;
  for (std::size_t i = 0; i < table::kTable.capacity; ++i) {
    const std::uint8_t length = shown.Byte(NumberAt(i).offset);
    if (length == 0 || length == layout::kUnset) break;
    Insert(ReadCountedString(shown, NumberAt(i)));
  }
  loaded_ = numbers_;
}

PageApply ClipFromGsmPage::Apply(ConfigurationImage& working) {
  if (numbers_ == loaded_) return PageApply::Success();
  working.Fill(table::kTable.section, layout::kUnset);
  for (std::size_t i = 0; i < numbers_.size() && i < kCapacity; ++i) WriteCountedString(working, NumberAt(i), numbers_[i]);
  loaded_ = numbers_;
  return PageApply::Success();
}

PageApply ClipFromGsmPage::Refusal(const std::string& number, std::size_t except) const {
  if (number.empty()) return PageApply::Failure("strClipFromGsmErrNumberMissing", kNumberField);
  for (std::size_t i = 0; i < numbers_.size(); ++i) {
    if (i != except && numbers_[i] == number) {
      return PageApply::Failure("strClipFromGsmErrNumberDuplicate", kNumberField, {number});
    }
  }
  if (catalog::WildcardMisplaced(number)) return PageApply::Warning("strClipFromGsmErrNumberWildcard", kNumberField);
  if (number.size() > kNumberMaxChars || number.find_first_not_of(kNumberCharacters) != std::string::npos) {
    return PageApply::Failure("strDataTextCharacters", kNumberField, {std::string(kNumberCharacters)});
  }
  return PageApply::Success();
}

PageApply ClipFromGsmPage::CheckEntries() const {
  return FirstRefusal(numbers_, [this](const auto& entry, std::size_t index) { return Refusal(entry, index); });
}

std::size_t ClipFromGsmPage::Insert(const std::string& number) {
  const auto at = std::upper_bound(numbers_.begin(), numbers_.end(), number);
  return static_cast<std::size_t>(numbers_.insert(at, number) - numbers_.begin());
}

std::variant<std::size_t, PageApply> ClipFromGsmPage::Add(const std::string& number) {
  if (!number.empty() && numbers_.size() >= kCapacity) return PageApply::Success();
  if (PageApply refusal = Refusal(number, numbers_.size()); !refusal.ok) return refusal;
  return Insert(number);
}

std::variant<std::size_t, PageApply> ClipFromGsmPage::Change(std::size_t index, const std::string& number) {
  if (index >= numbers_.size() || (!number.empty() && numbers_[index] == number)) return PageApply::Success();
  if (PageApply refusal = Refusal(number, index); !refusal.ok) return refusal;
  numbers_.erase(numbers_.begin() + static_cast<std::ptrdiff_t>(index));
  return Insert(number);
}

void ClipFromGsmPage::Delete(std::size_t index) {
  if (index < numbers_.size()) numbers_.erase(numbers_.begin() + static_cast<std::ptrdiff_t>(index));
}

}  // namespace tusko
