#include "monitor/MonitorCategories.h"

#include "base/SafeFormat.h"

namespace tusko {

namespace {

constexpr std::size_t kMaxCommandLength = 16;
constexpr std::size_t kMaxCategoryKeyChars = 32;

std::uint16_t Bit(std::size_t index) { return static_cast<std::uint16_t>(1u << index); }

}  // namespace

std::string MonitorCategoryKey(std::size_t index) {
  return SafeFormat("strMonitorOption%d", {static_cast<int>(index) + 1}, kMaxCategoryKeyChars);
}

std::string MonitorMaskCommand(std::uint16_t mask) { return SafeFormat("V=%04X\r\n", {mask}, kMaxCommandLength); }

void MonitorCategories::Retranslate(const TextLookup& text) {
  for (std::size_t i = 0; i < kMonitorCategoryCount; ++i) {
    labels_[i] = text ? text(MonitorCategoryKey(i)) : std::string();
    if (labels_[i].empty()) mask_ &= static_cast<std::uint16_t>(~Bit(i));
  }
}

bool MonitorCategories::IsOffered(std::size_t index) const {
  return index < kMonitorCategoryCount && !labels_[index].empty();
}

std::string_view MonitorCategories::Label(std::size_t index) const {
  return index < kMonitorCategoryCount ? std::string_view(labels_[index]) : std::string_view();
}

bool MonitorCategories::IsChecked(std::size_t index) const {
  return index < kMonitorCategoryCount && (mask_ & Bit(index)) != 0;
}

bool MonitorCategories::SetChecked(std::size_t index, bool checked) {
  if (!IsOffered(index)) return false;
  mask_ = checked ? static_cast<std::uint16_t>(mask_ | Bit(index)) : static_cast<std::uint16_t>(mask_ & ~Bit(index));
  return true;
}

}  // namespace tusko
