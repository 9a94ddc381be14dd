#include "cli/PrintRows.h"

#include <algorithm>

#include "base/SafeFormat.h"

namespace tusko::cli {

void PrintRows(const std::vector<InfoRow>& rows, const CliLanguage& language, std::ostream& out) {
  std::size_t width = 0;
  for (const InfoRow& row : rows) width = std::max(width, CountCharacters(row.first));
  const std::string unknown = language.Text("strSysInfoNA");
  for (const auto& [label, value] : rows) {
    out << "  " << label << std::string(width - CountCharacters(label) + 1, ' ') << (value.empty() ? unknown : value)
        << "\n";
  }
}

TextLookup CliText(const CliLanguage& language) {
  return [&language](std::string_view key) { return language.Text(key); };
}

}  // namespace tusko::cli
