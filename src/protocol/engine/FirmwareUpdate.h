#pragma once

// How a firmware file travels to the gateway's loader; shared by the update
// and the gateway model.

#include <cstddef>
#include <cstdint>

#include "protocol/FirmwareFile.h"

namespace tusko {

inline constexpr std::uint8_t kFlashStartValue = 0x01;
inline constexpr std::size_t kFlashBlockMaxBytes = 208;
inline constexpr std::size_t kFlashBlockGranuleBytes = 8;  // a block is whole groups of 8 bytes
inline constexpr std::uint8_t kFlashPadByte = 0xFF;
inline constexpr std::uint32_t kFirmwarePageBytes = 1024;  // no block crosses a flash page
// The flash the firmware may occupy: below it the loader, above it the configuration.
inline constexpr AddressRange kFirmwareFlashWindow{0x00010000, 0x00068000};

}  // namespace tusko
