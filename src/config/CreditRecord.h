#pragma once

#include <cstddef>
#include <cstdint>

#include "config/ConfigurationImage.h"
#include "config/ImageLayout.h"
#include "config/RestoreCode.h"

namespace tusko {

// The three credit counters a page edits (credits 4..6 are kept as they are).
enum class CreditCounter : std::size_t { Credit1 = 0, Credit2 = 1, Credit3 = 2 };

// Credits are stored in seconds and edited in whole minutes.
std::uint32_t MinutesFromSeconds(std::uint32_t seconds);
// Saturates at the largest storable number of seconds.
std::uint32_t SecondsFromMinutes(std::uint32_t minutes);

// A CreditRecord inside an image: an ISDN link's record or the credit part of
// a GSM module record. A view: it works on the image it was made for.
class CreditRecord {
 public:
  CreditRecord(ConfigurationImage& image, layout::CreditRecordAt at) : image_(image), base_(at.offset) {}

  std::uint32_t CreditMinutes(CreditCounter counter) const;
  void SetCreditMinutes(CreditCounter counter, std::uint32_t minutes);
  std::uint32_t OldCreditMinutes(CreditCounter counter) const;
  void SetOldCreditMinutes(CreditCounter counter, std::uint32_t minutes);
  std::uint8_t FirstCount(CreditCounter counter) const;
  void SetFirstCount(CreditCounter counter, std::uint8_t count);
  std::uint8_t NextCount(CreditCounter counter) const;
  void SetNextCount(CreditCounter counter, std::uint8_t count);
  // Outgoing calls are blocked when the credit is used up: any byte above 254.
  bool BlocksWhenUsedUp(CreditCounter counter) const;
  void SetBlocksWhenUsedUp(CreditCounter counter, bool block);

  std::uint8_t RestoreCode() const;
  RestoreSchedule Restore() const { return DecodeRestoreCode(RestoreCode()); }
  void SetRestore(const RestoreSchedule& schedule);

  // All six counters: credits and old credits 0, counts 1, blocking on;
  // restored on day 1 of the month. The bytes after the record are untouched.
  void ResetToDefaults();

 private:
  static std::size_t Index(CreditCounter counter) { return static_cast<std::size_t>(counter); }

  ConfigurationImage& image_;
  std::size_t base_;
};

// An ISDN link's credit record as its page shows it: when its restore code is
// 255 the whole record is first reset to its defaults. True when it was reset.
bool MendIsdnLinkCredit(ConfigurationImage& image, std::size_t link);

// The credit alarm limit in minutes; 0xFFFFFFFF and 0xFFFFFFFE read as 0.
std::uint32_t ReadCreditAlarmLimitMinutes(const ConfigurationImage& image);
void WriteCreditAlarmLimitMinutes(ConfigurationImage& image, std::uint32_t minutes);

}  // namespace tusko
