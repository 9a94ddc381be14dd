#pragma once

// The gateway's configuration block: its sections, the counted tables and
// their records, and the typed places the codecs work on; every field is
// described in the field catalog (FieldCatalog.h). Offsets are byte offsets
// from the start of the image; multi-byte numbers are little-endian.

#include <cstddef>
#include <cstdint>

namespace tusko::layout {

inline constexpr std::size_t kImageSize = 29332;  // bytes (7333 32-bit words)
inline constexpr std::uint8_t kUnset = 0xFF;      // a byte that holds no setting

// A contiguous range of the image.
struct Section {
  std::size_t offset = 0;
  std::size_t size = 0;
  constexpr std::size_t End() const { return offset + size; }
};

// A table whose used records come first: a record is in use while its key
// byte holds 1..254; the first other key byte ends the table.
struct CountedTable {
  Section section;
  std::size_t recordSize = 0;
  std::size_t capacity = 0;  // records
  std::size_t keyByte = 0;   // offset of the key byte inside a record
  constexpr std::size_t RecordOffset(std::size_t index) const { return section.offset + recordSize * index; }
};

// Field places, typed by encoding so that a codec is only ever handed a field
// of its own kind.

// Length byte, the characters, 0xFF after them; at most width - 1 characters.
struct CountedStringAt {
  std::size_t offset = 0;
  std::size_t width = 0;  // bytes, length byte included
  constexpr std::size_t MaxChars() const { return width - 1; }
};
inline constexpr std::size_t kCountedString24Width = 24;
inline constexpr std::size_t kCountedString12Width = 12;
constexpr CountedStringAt CountedString24(std::size_t offset) { return {offset, kCountedString24Width}; }
constexpr CountedStringAt CountedString12(std::size_t offset) { return {offset, kCountedString12Width}; }

// A length byte and, from textOffset on, the characters without terminator.
// Writing fills `area` bytes with 0xFF before storing the text.
struct CountedTextAt {
  std::size_t lengthOffset = 0;
  std::size_t textOffset = 0;
  std::size_t capacity = 0;  // characters
  std::size_t area = 0;      // bytes
};

// A text ended by a 0 byte in a 40-byte field.
struct TerminatedTextAt {
  std::size_t offset = 0;
};
inline constexpr std::size_t kTerminatedTextWidth = 40;
inline constexpr std::size_t kTerminatedTextMaxChars = kTerminatedTextWidth - 1;

// Four groups of three ASCII digits, no dots, no terminator.
struct IpDigitsAt {
  std::size_t offset = 0;
};
inline constexpr std::size_t kIpDigitsWidth = 12;
inline constexpr std::size_t kIpGroupDigits = 3;

// Five ASCII digits, zero-padded, no terminator.
struct PortDigitsAt {
  std::size_t offset = 0;
};
inline constexpr std::size_t kPortDigitsWidth = 5;

// A terminated text naming a server and its port ("N…P…" or "S…:…").
struct ServerFieldAt {
  std::size_t offset = 0;
};
inline constexpr std::size_t kServerFieldWidth = kTerminatedTextWidth;

// Up to `width` ASCII digits, 0xFF after them.
struct DigitsAt {
  std::size_t offset = 0;
  std::size_t width = 0;
};

namespace general {
inline constexpr Section kSection{0, 1160};
inline constexpr Section kReservedHead{0, 6};  // always sent to the gateway as 0xFF
inline constexpr std::size_t kDeviceNameMaxChars = 31;
inline constexpr CountedTextAt kDeviceName{6, 7, kDeviceNameMaxChars, 32};
inline constexpr std::size_t kSignature = 108;  // u32
inline constexpr std::uint32_t kSignatureValue = 0x18010A1A;
}  // namespace general

namespace gsmInGroup {
inline constexpr std::size_t kRecordSize = 208;
// The second records: only the fraud-protected number and the second extensions.
inline constexpr Section kSecondSection{22188, 2 * kRecordSize};
}  // namespace gsmInGroup

namespace gsmModule {
inline constexpr std::size_t kCount = 2;
inline constexpr std::size_t kRecordSize = 128;
constexpr std::size_t Record(std::size_t module) { return 904 + kRecordSize * module; }
// Second records: same layout, edited by no page.
inline constexpr Section kSecondSection{22604, 2 * kRecordSize};
}  // namespace gsmModule

namespace lcr {
inline constexpr CountedTable kRoutingTable{{1160, 12800}, 128, 100, 4};
// Offsets inside a routing record.
inline constexpr std::size_t kProfile = 0;  // 0 default profile, 1..254
inline constexpr std::size_t kCutDigits = 1;
inline constexpr std::size_t kDialDigits = 2;
inline constexpr std::size_t kInputLine = 3;  // 'A' link 1, 'B' link 2
inline constexpr std::size_t kNumber = 4;     // CountedString24, the key byte
inline constexpr std::size_t kInsertDigits = 28;
inline constexpr std::size_t kTargetCount = 5;
inline constexpr std::size_t kTargets = 52;          // 0 GSM group 1, 1 GSM group 2, 'P' link 1, 'T' link 2
inline constexpr std::size_t kAocItems = 57;         // 0..254 for GSM, 255 for ISDN
inline constexpr std::size_t kCreditCounters = 62;   // 0..2 credit 1..3, 'n' none
inline constexpr std::uint8_t kNoMoreTargets = 0xFF;
inline constexpr std::uint8_t kIsdnLink1Target = 'P';
inline constexpr std::uint8_t kIsdnLink2Target = 'T';
inline constexpr std::uint8_t kNoCreditCounter = 'n';

inline constexpr CountedTable kClipTable{{13960, 3600}, 36, 100, 0};
// Offsets inside an LCR CLIP record.
inline constexpr std::size_t kClipNumber = 0;  // CountedString24, the key byte
inline constexpr std::size_t kClipProfile = 24;
}  // namespace lcr

namespace clipFromGsm {
inline constexpr CountedTable kTable{{17560, 3600}, 36, 100, 0};
inline constexpr std::size_t kNumber = 0;  // CountedString24, the key byte
}  // namespace clipFromGsm

namespace alarm {
inline constexpr Section kSection{21160, 512};
}  // namespace alarm

namespace cellSelection {
inline constexpr Section kSection{21672, 260};
}  // namespace cellSelection

namespace cdr {
inline constexpr Section kSection{21932, 128};
}  // namespace cdr

namespace smsServer {
inline constexpr Section kSection{22060, 128};
}  // namespace smsServer

namespace httpOut {
inline constexpr Section kSection{22860, 256};
}  // namespace httpOut

namespace smsNotification {
inline constexpr Section kSection{23116, 256};
}  // namespace smsNotification

namespace mobility {
inline constexpr CountedTable kTable{{23372, 5000}, 100, 50, 4};
// Offsets inside a mobility extension record.
inline constexpr std::size_t kLine = 0;  // 'A' link 1, 'B' link 2
inline constexpr std::size_t kExtension = 4;  // CountedString24, the key byte
inline constexpr std::size_t kRingNumberCount = 3;
inline constexpr std::size_t kRingNumberMaxChars = 22;
inline constexpr std::size_t kRingSlotWidth = 24;  // the number, then its condition byte
// Ring number i: a counted string of at most 22 characters; the slot's last
// byte, outside the string, holds its time condition.
constexpr CountedStringAt RingNumber(std::size_t recordOffset, std::size_t index) {
  return {recordOffset + 28 + kRingSlotWidth * index, kRingNumberMaxChars + 1};
}
constexpr std::size_t RingCondition(std::size_t recordOffset, std::size_t index) {
  return RingNumber(recordOffset, index).offset + kRingSlotWidth - 1;
}
inline constexpr std::uint8_t kAlways = 0xFF;
inline constexpr std::uint8_t kDuringWorkingHours = 1;
inline constexpr std::uint8_t kOutsideWorkingHours = 2;
}  // namespace mobility

namespace httpIn {
inline constexpr Section kSection{28372, 256};
}  // namespace httpIn

namespace workingHours {
inline constexpr Section kSection{28628, 384};
}  // namespace workingHours

namespace isdnCredit {
inline constexpr Section kSection{29012, 192};
}  // namespace isdnCredit

namespace creditReport {
inline constexpr Section kSection{29204, 64};
}  // namespace creditReport

namespace timeSync {
inline constexpr Section kSection{29268, 64};
}  // namespace timeSync

// The sections follow one another without gaps and fill the image.
static_assert(lcr::kRoutingTable.section.offset == general::kSection.End());
static_assert(lcr::kClipTable.section.offset == lcr::kRoutingTable.section.End());
static_assert(clipFromGsm::kTable.section.offset == lcr::kClipTable.section.End());
static_assert(alarm::kSection.offset == clipFromGsm::kTable.section.End());
static_assert(cellSelection::kSection.offset == alarm::kSection.End());
static_assert(cdr::kSection.offset == cellSelection::kSection.End());
static_assert(smsServer::kSection.offset == cdr::kSection.End());
static_assert(gsmInGroup::kSecondSection.offset == smsServer::kSection.End());
static_assert(gsmModule::kSecondSection.offset == gsmInGroup::kSecondSection.End());
static_assert(httpOut::kSection.offset == gsmModule::kSecondSection.End());
static_assert(smsNotification::kSection.offset == httpOut::kSection.End());
static_assert(mobility::kTable.section.offset == smsNotification::kSection.End());
static_assert(httpIn::kSection.offset == mobility::kTable.section.End());
static_assert(workingHours::kSection.offset == httpIn::kSection.End());
static_assert(isdnCredit::kSection.offset == workingHours::kSection.End());
static_assert(creditReport::kSection.offset == isdnCredit::kSection.End());
static_assert(timeSync::kSection.offset == creditReport::kSection.End());
static_assert(timeSync::kSection.End() == kImageSize);
static_assert(gsmModule::Record(gsmModule::kCount) == general::kSection.End());
static_assert(lcr::kRoutingTable.RecordOffset(lcr::kRoutingTable.capacity) == lcr::kRoutingTable.section.End());
static_assert(lcr::kClipTable.RecordOffset(lcr::kClipTable.capacity) == lcr::kClipTable.section.End());
static_assert(clipFromGsm::kTable.RecordOffset(clipFromGsm::kTable.capacity) == clipFromGsm::kTable.section.End());
static_assert(mobility::kTable.RecordOffset(mobility::kTable.capacity) == mobility::kTable.section.End());

}  // namespace tusko::layout
