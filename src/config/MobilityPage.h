#pragma once

#include <array>
#include <string>
#include <variant>
#include <vector>

#include "base/TextLookup.h"
#include "config/ConfigurationPage.h"

namespace tusko {

// When a mobility ring number rings: the condition list's entries in order.
enum class RingCondition { Always = 0, DuringWorkingHours = 1, OutsideWorkingHours = 2 };

struct RingNumber {
  std::string number;
  RingCondition condition = RingCondition::Always;
  bool operator==(const RingNumber&) const = default;
};

// An extension that also rings on up to three numbers. `rings` holds the
// non-empty numbers only, in order.
struct MobilityEntry {
  int line = 0;  // 0 ISDN link 1, 1 ISDN link 2
  std::string extension;
  std::vector<RingNumber> rings;
  bool operator==(const MobilityEntry&) const = default;
};

// The mobility extension page: its entries ordered by line, then extension.
class MobilityPage final : public ConfigurationPage {
 public:
  static constexpr std::size_t kCapacity = 50;
  static constexpr std::size_t kRingCount = 3;
  static constexpr std::size_t kRingMaxChars = 22;

  explicit MobilityPage(TextLookup text) : text_(std::move(text)) {}

  PageId id() const override { return PageId::MobilityExtensionNumbers; }
  void Load(ConfigurationImage& working) override;
  PageApply Apply(ConfigurationImage& working) override;

  const std::vector<MobilityEntry>& entries() const { return entries_; }
  // `typed` with all three ring boxes, empty ones included. The index of the
  // entry, or a PageApply: the refusal, or a success that changed nothing.
  std::variant<std::size_t, PageApply> Add(int line, const std::string& extension,
                                           const std::array<RingNumber, kRingCount>& rings);
  std::variant<std::size_t, PageApply> Change(std::size_t index, int line, const std::string& extension,
                                              const std::array<RingNumber, kRingCount>& rings);
  void Delete(std::size_t index);
  // The first refusal the page would give one of its loaded entries if it were
  // typed again beside the others (a duplicate, a missing ring number), or success.
  PageApply CheckEntries() const;

  // The list's columns: the line's name and the ring numbers, joined with
  // ", ", a working-hours condition marked by "-" and its short text.
  std::string LineName(int line) const;
  std::string RingNumbersText(const MobilityEntry& entry) const;

 private:
  // `typed` as Add or Change takes it; with `refuseRepeat`, also a line and
  // extension that an entry other than `except` already has.
  PageApply Refusal(const MobilityEntry& typed, bool refuseRepeat, std::size_t except) const;
  std::size_t Insert(MobilityEntry entry);

  TextLookup text_;
  std::vector<MobilityEntry> entries_;
  std::vector<MobilityEntry> loaded_;
};

}  // namespace tusko
