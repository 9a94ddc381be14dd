#pragma once

// The gateway's configuration block, byte by byte: every section, record,
// count and field offset in one place. Offsets are byte offsets from the start
// of the image; multi-byte numbers are little-endian.

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

// The credit part of a CreditRecord (see namespace credit).
struct CreditRecordAt {
  std::size_t offset = 0;
};

namespace general {
inline constexpr Section kSection{0, 1160};
inline constexpr Section kReservedHead{0, 6};  // always sent to the gateway as 0xFF
inline constexpr std::size_t kDeviceNameMaxChars = 31;
inline constexpr CountedTextAt kDeviceName{6, 7, kDeviceNameMaxChars, 32};
inline constexpr std::size_t kSignature = 108;  // u32
inline constexpr std::uint32_t kSignatureValue = 0x18010A1A;
}  // namespace general

namespace network {
inline constexpr IpDigitsAt kLanIp{39};
inline constexpr IpDigitsAt kSubnetMask{51};
inline constexpr PortDigitsAt kPort{63};
inline constexpr IpDigitsAt kDefaultGateway{68};
inline constexpr IpDigitsAt kDns1{80};
inline constexpr IpDigitsAt kDns2{92};
}  // namespace network

namespace isdnLink {
inline constexpr std::size_t kCount = 2;
inline constexpr std::size_t kRecordSize = 32;
constexpr std::size_t Record(std::size_t link) { return 256 + kRecordSize * link; }
// Offsets inside a link record.
inline constexpr std::size_t kLayer1 = 0;        // 0 deactivate, 1 permanent
inline constexpr std::size_t kPointToPoint = 4;  // 0 point-to-multipoint, 1 point-to-point
inline constexpr std::size_t kTei = 5;           // 0..127
inline constexpr std::size_t kProtocol = 8;      // 0 DSS1, 1 QSIG, 2 disabled
inline constexpr std::size_t kRestartLayer3 = 9;
inline constexpr std::size_t kBlockB1 = 10;
inline constexpr std::size_t kBlockB2 = 11;
inline constexpr std::uint8_t kChannelBlocked = 244;
}  // namespace isdnLink

// ISDN common settings of the general block; a few system-page flags live here too.
namespace isdnCommon {
inline constexpr std::size_t kWaitDialing = 320;  // u16, 1..60
inline constexpr std::size_t kDialTone = 322;     // 0 none, 1 continuous, 2 Morse "A"
inline constexpr std::size_t kTimeSaveCallback = 323;
inline constexpr std::size_t kChannelAssociation = 324;
inline constexpr std::size_t kTimeoutNoAnswer = 325;
inline constexpr std::size_t kProgressTone = 326;
inline constexpr std::size_t kMobilityMode = 327;  // 0 off, 1 for users, 2 globally
inline constexpr std::size_t kDelayAlerting = 328;  // 0..15 or 'R'
inline constexpr std::uint8_t kDelayAlertingR = 'R';
inline constexpr std::size_t kSubstituteInternational = 329;
inline constexpr std::size_t kCauseGsmBusy = 330;  // 1..127
inline constexpr std::size_t kNumberPortabilityTone = 331;
inline constexpr CountedStringAt kCountryPrefix = CountedString12(340);
inline constexpr std::size_t kCutPrefix = 352;
inline constexpr std::size_t kCdrStoring = 353;     // bit 0 answered, bit 1 unanswered
inline constexpr std::size_t kAnnouncements = 354;  // bit 0 outgoing, bit 1 incoming, bit 2 announcement
inline constexpr std::size_t kConnectWithAlerting = 355;
inline constexpr std::size_t kBeepTime = 356;  // 0..240
inline constexpr std::size_t kIsdnMode = 357;  // 0 synchronous, 1 transit, 2 terminal
}  // namespace isdnCommon

namespace gsmGroup {
inline constexpr std::size_t kCount = 2;
inline constexpr std::uint8_t kNone = 0xFF;  // no second outgoing group
// Group assignment of GSM module m (4 bytes).
constexpr std::size_t Assignment(std::size_t module) { return 448 + 4 * module; }
inline constexpr std::size_t kOutGroup = 0;
inline constexpr std::size_t kInGroup = 1;
inline constexpr std::size_t kSecondOutGroup = 2;
// Outgoing group record of group g (16 bytes).
constexpr std::size_t OutRecord(std::size_t group) { return 456 + 16 * group; }
inline constexpr std::size_t kOutSelection = 0;  // 0 from the first, 1 cyclic, 2 by credit
inline constexpr std::size_t kOutDdiDigits = 1;
}  // namespace gsmGroup

namespace gsmInGroup {
inline constexpr std::size_t kRecordSize = 208;
constexpr std::size_t Record(std::size_t group) { return 488 + kRecordSize * group; }
// The second records: only the fraud-protected number and the second extensions.
inline constexpr Section kSecondSection{22188, 2 * kRecordSize};
constexpr std::size_t SecondRecord(std::size_t group) { return kSecondSection.offset + kRecordSize * group; }
// Offsets inside either record.
inline constexpr std::size_t kMode = 0;  // 0..19; 8 enables both extension lists
inline constexpr std::uint8_t kModeWithExtensions = 8;
inline constexpr std::size_t kWaitDisa = 1;
inline constexpr std::size_t kMinExtensionDigits = 2;
inline constexpr std::size_t kMaxExtensionDigits = 3;
inline constexpr std::size_t kCallbackCut = 4;
inline constexpr std::size_t kDdiDigits = 5;
inline constexpr std::size_t kOutputLine = 6;  // 'A' link 1, 'B' link 2
inline constexpr std::size_t kPrefix = 8;
inline constexpr std::size_t kCallbackPrefix = 32;  // in the second record: the fraud-protected number
inline constexpr std::size_t kExtensions = 56;
inline constexpr std::size_t kExtensionCount = 5;
constexpr CountedStringAt Extension(std::size_t recordOffset, std::size_t slot) {
  return CountedString24(recordOffset + kExtensions + kCountedString24Width * slot);
}
}  // namespace gsmInGroup

// Offsets inside the credit part of a CreditRecord.
namespace credit {
inline constexpr std::size_t kCounterCount = 3;  // credits 1..3 are edited; 4..6 are kept as they are
inline constexpr std::size_t kCredits = 0;       // 6 × u32, seconds
inline constexpr std::size_t kOldCredits = 24;   // 6 × u32, seconds
inline constexpr std::size_t kFirstCounts = 48;  // 6 × u8
inline constexpr std::size_t kNextCounts = 54;   // 6 × u8
inline constexpr std::size_t kBlockFlags = 60;   // 6 × u8, 255 blocks outgoing calls when used up
inline constexpr std::size_t kRestoreCode = 66;
inline constexpr std::size_t kPartSize = 67;
inline constexpr std::size_t kStoredCounters = 6;
inline constexpr std::uint32_t kSecondsPerMinute = 60;
inline constexpr std::uint32_t kMaxMinutes = 44640;
inline constexpr std::uint8_t kBlockOn = 0xFF;
inline constexpr std::uint8_t kBlockOff = 0;
}  // namespace credit

namespace gsmModule {
inline constexpr std::size_t kCount = 2;
inline constexpr std::size_t kRecordSize = 128;
constexpr std::size_t Record(std::size_t module) { return 904 + kRecordSize * module; }
// Second records: same layout, edited by no page.
inline constexpr Section kSecondSection{22604, 2 * kRecordSize};
constexpr std::size_t SecondRecord(std::size_t module) { return kSecondSection.offset + kRecordSize * module; }
// Offsets inside a module record.
inline constexpr std::size_t kDisabled = 0;  // 255 disabled, 1 enabled
inline constexpr std::uint8_t kModuleEnabled = 1;
inline constexpr std::size_t kFlags = 1;
inline constexpr std::uint8_t kFlagRoaming = 0x01;
inline constexpr std::uint8_t kFlagEchoCancel = 0x02;
inline constexpr std::uint8_t kFlagClir = 0x04;
inline constexpr std::uint8_t kFlagAmr = 0x08;
inline constexpr std::uint8_t kFlagDtmfRetransmission = 0x10;
inline constexpr std::size_t kVolumeIsdn = 2;
inline constexpr std::size_t kVolumeGsm = 3;
inline constexpr std::size_t kPin = 4;
inline constexpr std::size_t kPinWidth = 8;
inline constexpr std::size_t kCreditPart = 12;
constexpr DigitsAt Pin(std::size_t module) { return {Record(module) + kPin, kPinWidth}; }
constexpr CreditRecordAt Credit(std::size_t module) { return {Record(module) + kCreditPart}; }
constexpr CreditRecordAt SecondCredit(std::size_t module) { return {SecondRecord(module) + kCreditPart}; }
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
inline constexpr std::size_t kSmsNumberCount = 5;
inline constexpr Section kSmsNumbers{21160, kSmsNumberCount * kCountedString24Width};
constexpr CountedStringAt SmsNumber(std::size_t slot) {
  return CountedString24(kSmsNumbers.offset + kCountedString24Width * slot);
}
inline constexpr ServerFieldAt kIpServer{21352};
inline constexpr TerminatedTextAt kSmtpTo{21392};
inline constexpr TerminatedTextAt kSmtpFrom{21432};
inline constexpr ServerFieldAt kSmtpServer{21472};
inline constexpr TerminatedTextAt kSmtpUser{21512};
inline constexpr TerminatedTextAt kSmtpPassword{21552};
inline constexpr std::size_t kSmtpTimeout = 21592;  // 10..120 seconds
}  // namespace alarm

namespace cellSelection {
inline constexpr Section kSection{21672, 260};
inline constexpr std::size_t kAction = 21672;  // 1 alarm, 2 block, 3 both; 255 (or 0) none
inline constexpr std::size_t kCellCount = 21673;  // 1..16; 255 (or 0) none
inline constexpr std::size_t kMaxCells = 16;
inline constexpr std::size_t kCellRecordSize = 16;
constexpr std::size_t Cell(std::size_t index) { return 21676 + kCellRecordSize * index; }
// Offsets inside a cell record; each field zero-padded on the left, no terminator.
inline constexpr std::size_t kMcc = 0;
inline constexpr std::size_t kMccWidth = 3;
inline constexpr std::size_t kMnc = 4;
inline constexpr std::size_t kMncWidth = 2;
inline constexpr std::size_t kLac = 6;
inline constexpr std::size_t kLacWidth = 4;
inline constexpr std::size_t kCellId = 10;
inline constexpr std::size_t kCellIdWidth = 4;
}  // namespace cellSelection

namespace cdr {
inline constexpr Section kSection{21932, 128};
inline constexpr ServerFieldAt kIpServer{21932};
inline constexpr std::size_t kAlwaysZero = 21972;
inline constexpr std::size_t kTimeout = 21976;  // u16, 1..65534
}  // namespace cdr

namespace smsServer {
inline constexpr Section kSection{22060, 128};
inline constexpr ServerFieldAt kIpServer{22060};
inline constexpr std::size_t kAlwaysZero = 22100;
}  // namespace smsServer

namespace httpOut {
inline constexpr Section kSection{22860, 256};
inline constexpr std::size_t kRequestMaxChars = 128;
inline constexpr CountedTextAt kRequest{22860, 22861, kRequestMaxChars, kRequestMaxChars};
inline constexpr std::size_t kLineMask = 23115;  // bit 0 ISDN link 1, bit 1 ISDN link 2
}  // namespace httpOut

namespace smsNotification {
inline constexpr Section kSection{23116, 256};
inline constexpr std::size_t kTextMaxChars = 160;
inline constexpr CountedTextAt kText{23116, 23117, kTextMaxChars, kTextMaxChars};
inline constexpr std::size_t kModuleMask = 23368;  // u32, bit 0 module 1, bit 1 module 2
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
inline constexpr CountedTextAt kRequest{28372, 28373, httpOut::kRequestMaxChars, httpOut::kRequestMaxChars};
inline constexpr std::size_t kModuleMask = 28624;  // u32, bit 0 module 1, bit 1 module 2
}  // namespace httpIn

namespace workingHours {
inline constexpr Section kSection{28628, 384};
inline constexpr std::size_t kDayCount = 7;  // Monday first
inline constexpr std::size_t kSlotCount = 4;  // begin and end of two intervals
constexpr std::size_t Day(std::size_t day) { return 28628 + 32 * day; }
constexpr std::size_t Slot(std::size_t day, std::size_t slot) { return Day(day) + 4 * slot; }
inline constexpr std::size_t kHour = 0;
inline constexpr std::size_t kMinute = 1;
inline constexpr std::size_t kMaxHolidays = 40;
inline constexpr Section kHolidays{28852, 4 * kMaxHolidays};
constexpr std::size_t Holiday(std::size_t index) { return kHolidays.offset + 4 * index; }
inline constexpr std::size_t kHolidayDay = 0;
inline constexpr std::size_t kHolidayMonth = 1;
}  // namespace workingHours

namespace isdnCredit {
inline constexpr Section kSection{29012, 192};
inline constexpr std::size_t kRecordSize = 96;
constexpr CreditRecordAt Record(std::size_t link) { return {kSection.offset + kRecordSize * link}; }
}  // namespace isdnCredit

namespace creditReport {
inline constexpr Section kSection{29204, 64};
inline constexpr ServerFieldAt kIpServer{29204};
inline constexpr std::size_t kWhatToSend = 29244;  // bit 0 clear: GSM credits, bit 1 clear: ISDN credits
inline constexpr std::size_t kSendingDay = 29245;  // 255 never, 128 daily, 129..135 weekly on day 1..7
inline constexpr std::size_t kSendingHour = 29246;
inline constexpr std::size_t kAlarmLimit = 360;  // u32 seconds, in the general block
}  // namespace creditReport

namespace timeSync {
inline constexpr Section kSection{29268, 64};
inline constexpr std::size_t kMode = 29268;  // 255 off, 0 automatic, 1 with summer time
inline constexpr std::size_t kTimeZone = 29269;
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
static_assert(isdnCredit::Record(0).offset + credit::kPartSize <= isdnCredit::Record(1).offset);

}  // namespace tusko::layout
