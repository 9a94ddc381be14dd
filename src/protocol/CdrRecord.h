#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/TransferConstants.h"

namespace tusko {

// Why a chunk of records could not be stored; the main window shows a text per value.
enum class CdrError : std::uint32_t {
  None = 0,
  RecordVersion = 1,
  RecordFormat = 2,
  RecordSize = 3,
  WriteFailed = 10,
};

// The message that explains a CDR error to the user; null for none.
constexpr const char* CdrErrorTextKey(CdrError error) {
  switch (error) {
    case CdrError::RecordVersion: return "strCdrVersionError";
    case CdrError::RecordFormat: return "strCdrFormatError";
    case CdrError::RecordSize: return "strCdrRecSizeError";
    case CdrError::WriteFailed: return "strCdrSaveError";
    case CdrError::None: break;
  }
  return nullptr;
}

inline constexpr std::uint8_t kCdrRecordVersion = 1;
// Port types with a text.
inline constexpr std::uint8_t kCdrPortPbx = 0;
inline constexpr std::uint8_t kCdrPortPstn = 1;
inline constexpr std::uint8_t kCdrPortGsm = 4;

// A port byte: bits 7-5 the port type, bits 4-0 the port number.
struct CdrPort {
  std::uint8_t type = 0;
  std::uint8_t number = 0;
};

struct CdrDateTime {
  int year = 0;  // four digits
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// One call as the gateway recorded it.
struct CdrRecord {
  std::uint16_t callType = 0;
  CdrDateTime time;
  std::uint8_t cause = 0;
  CdrPort inPort;
  CdrPort outPort;
  std::uint32_t lengthSeconds = 0;
  std::string callerId;
  std::string calledNumber;
};

struct CdrDecodeResult {
  CdrError error = CdrError::None;
  CdrRecord record;  // meaningful only without an error
};

// Decodes the record at the start of `bytes`; the bytes past the first
// kCdrRecordBytes are not looked at.
CdrDecodeResult DecodeCdrRecord(std::span<const std::uint8_t> bytes);

// The record as the gateway sends it; texts longer than the record holds are cut.
std::array<std::uint8_t, kCdrRecordBytes> EncodeCdrRecord(const CdrRecord& record);

CdrPort DecodeCdrPort(std::uint8_t portByte);
std::uint8_t EncodeCdrPort(CdrPort port);
// The texts of the known codes; an empty text for any other.
std::string_view CdrCallTypeText(std::uint16_t callType);
std::string_view CdrPortTypeText(std::uint8_t portType);
// The call types that have a text, in code order.
std::vector<std::uint16_t> KnownCdrCallTypes();

}  // namespace tusko
