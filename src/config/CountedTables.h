#pragma once

#include <cstddef>
#include <cstdint>

#include "config/ConfigurationImage.h"
#include "config/ImageLayout.h"

namespace tusko {

// A key byte of 1..254 marks a record in use.
bool IsRecordInUse(std::uint8_t keyByte);

// The leading records in use, at most the table's capacity: the first record
// that is not in use ends the table, whatever follows it.
std::size_t CountRecords(const ConfigurationImage& image, const layout::CountedTable& table);

// Before a page writes its list back: every record free (0xFF).
void ClearTable(ConfigurationImage& image, const layout::CountedTable& table);

}  // namespace tusko
