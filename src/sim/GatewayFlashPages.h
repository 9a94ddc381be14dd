#pragma once

#include <cstddef>
#include <cstdint>

#include "protocol/TransferConstants.h"

namespace tusko::sim {

// The gateway refuses a write block that would span two flash pages: it
// programs one page at a time.
constexpr bool SpansFlashPages(std::uint32_t address, std::size_t length) {
  if (length == 0) return false;
  const std::uint64_t last = std::uint64_t{address} + length - 1;
  return address / kFlashPageBytes != last / kFlashPageBytes;
}

}  // namespace tusko::sim
