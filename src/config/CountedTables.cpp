#include "config/CountedTables.h"

namespace tusko {

bool IsRecordInUse(std::uint8_t keyByte) { return keyByte != 0 && keyByte != layout::kUnset; }

std::size_t CountRecords(const ConfigurationImage& image, const layout::CountedTable& table) {
  std::size_t count = 0;
  while (count < table.capacity && IsRecordInUse(image.Byte(table.RecordOffset(count) + table.keyByte))) ++count;
  return count;
}

void ClearTable(ConfigurationImage& image, const layout::CountedTable& table) {
  image.Fill(table.section, layout::kUnset);
}

}  // namespace tusko
