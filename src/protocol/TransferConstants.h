#pragma once

// The numbers the gateway's transfers are built on, as both parties on the
// wire know them: where the configuration lies and how it is cut into blocks,
// how firmware blocks are cut and where they may go, and how the CDR store is
// laid out. The rules that use them (which block comes next, what a reply
// means) are each party's own, so a wrong rule cannot hide on both sides.

#include <cstddef>
#include <cstdint>

#include "protocol/FirmwareFile.h"

namespace tusko {

// The gateway writes its flash in pages of this size; no write block crosses one.
inline constexpr std::uint32_t kFlashPageBytes = 1024;

// Configuration transfer.
inline constexpr std::uint32_t kConfigBaseAddress = 0x00070000;  // device address of image offset 0
inline constexpr std::size_t kReadBlockBytes = 128;              // what one ConfigReadData asks for
inline constexpr std::size_t kMaxWriteBlockBytes = 208;
inline constexpr std::size_t kWriteGranuleBytes = 8;  // write blocks are whole groups of 8 bytes
inline constexpr std::uint8_t kConfigWriteStopValue = 0x00;

// Firmware update.
inline constexpr std::uint8_t kFlashStartValue = 0x01;
inline constexpr std::size_t kFlashBlockMaxBytes = 208;
inline constexpr std::size_t kFlashBlockGranuleBytes = 8;  // a block is whole groups of 8 bytes
inline constexpr std::uint8_t kFlashPadByte = 0xFF;
// The flash the firmware may occupy: below it the loader, above it the configuration.
inline constexpr AddressRange kFirmwareFlashWindow{0x00010000, 0x00068000};

// CDR download: every call detail record travels as one record of this size,
// and the gateway's record store is addressed by positions that wrap here.
inline constexpr std::size_t kCdrRecordBytes = 64;
inline constexpr std::uint32_t kCdrPositionWindow = 0x800000;  // bytes

}  // namespace tusko
