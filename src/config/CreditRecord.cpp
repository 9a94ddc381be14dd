#include "config/CreditRecord.h"

#include <limits>

namespace tusko {
namespace {

namespace credit = layout::credit;

constexpr std::size_t kWordBytes = 4;
constexpr std::uint8_t kDefaultCount = 1;
constexpr RestoreSchedule kDefaultRestore{RestoreKind::DayOfMonth, 0, 1};
constexpr std::uint32_t kAlarmLimitUnsetHigh = 0xFFFFFFFF;
constexpr std::uint32_t kAlarmLimitUnsetLow = 0xFFFFFFFE;

}  // namespace

std::uint32_t MinutesFromSeconds(std::uint32_t seconds) { return seconds / credit::kSecondsPerMinute; }

std::uint32_t SecondsFromMinutes(std::uint32_t minutes) {
  constexpr std::uint32_t kMost = std::numeric_limits<std::uint32_t>::max();
  return minutes > kMost / credit::kSecondsPerMinute ? kMost : minutes * credit::kSecondsPerMinute;
}

std::uint32_t CreditRecord::CreditMinutes(CreditCounter counter) const {
  return MinutesFromSeconds(image_.Word32(base_ + credit::kCredits + kWordBytes * Index(counter)));
}

void CreditRecord::SetCreditMinutes(CreditCounter counter, std::uint32_t minutes) {
  image_.SetWord32(base_ + credit::kCredits + kWordBytes * Index(counter), SecondsFromMinutes(minutes));
}

std::uint32_t CreditRecord::OldCreditMinutes(CreditCounter counter) const {
  return MinutesFromSeconds(image_.Word32(base_ + credit::kOldCredits + kWordBytes * Index(counter)));
}

void CreditRecord::SetOldCreditMinutes(CreditCounter counter, std::uint32_t minutes) {
  image_.SetWord32(base_ + credit::kOldCredits + kWordBytes * Index(counter), SecondsFromMinutes(minutes));
}

std::uint8_t CreditRecord::FirstCount(CreditCounter counter) const {
  return image_.Byte(base_ + credit::kFirstCounts + Index(counter));
}

void CreditRecord::SetFirstCount(CreditCounter counter, std::uint8_t count) {
  image_.SetByte(base_ + credit::kFirstCounts + Index(counter), count);
}

std::uint8_t CreditRecord::NextCount(CreditCounter counter) const {
  return image_.Byte(base_ + credit::kNextCounts + Index(counter));
}

void CreditRecord::SetNextCount(CreditCounter counter, std::uint8_t count) {
  image_.SetByte(base_ + credit::kNextCounts + Index(counter), count);
}

bool CreditRecord::BlocksWhenUsedUp(CreditCounter counter) const {
  return image_.Byte(base_ + credit::kBlockFlags + Index(counter)) == credit::kBlockOn;
}

void CreditRecord::SetBlocksWhenUsedUp(CreditCounter counter, bool block) {
  image_.SetByte(base_ + credit::kBlockFlags + Index(counter), block ? credit::kBlockOn : credit::kBlockOff);
}

std::uint8_t CreditRecord::RestoreCode() const { return image_.Byte(base_ + credit::kRestoreCode); }

void CreditRecord::SetRestore(const RestoreSchedule& schedule) {
  image_.SetByte(base_ + credit::kRestoreCode, EncodeRestoreCode(schedule));
}

void CreditRecord::ResetToDefaults() {
  image_.Fill(base_ + credit::kCredits, kWordBytes * credit::kStoredCounters, 0);
  image_.Fill(base_ + credit::kOldCredits, kWordBytes * credit::kStoredCounters, 0);
  image_.Fill(base_ + credit::kFirstCounts, credit::kStoredCounters, kDefaultCount);
  image_.Fill(base_ + credit::kNextCounts, credit::kStoredCounters, kDefaultCount);
  image_.Fill(base_ + credit::kBlockFlags, credit::kStoredCounters, credit::kBlockOn);
  SetRestore(kDefaultRestore);
}

bool MendIsdnLinkCredit(ConfigurationImage& image, std::size_t link) {
  if (link >= layout::isdnLink::kCount) return false;
  CreditRecord record(image, layout::isdnCredit::Record(link));
  if (record.RestoreCode() != layout::kUnset) return false;
  record.ResetToDefaults();
  return true;
}

std::uint32_t ReadCreditAlarmLimitMinutes(const ConfigurationImage& image) {
  const std::uint32_t seconds = image.Word32(layout::creditReport::kAlarmLimit);
  if (seconds == kAlarmLimitUnsetHigh || seconds == kAlarmLimitUnsetLow) return 0;
  return MinutesFromSeconds(seconds);
}

void WriteCreditAlarmLimitMinutes(ConfigurationImage& image, std::uint32_t minutes) {
  image.SetWord32(layout::creditReport::kAlarmLimit, SecondsFromMinutes(minutes));
}

}  // namespace tusko
