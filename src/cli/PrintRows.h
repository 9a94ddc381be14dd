#pragma once

#include <ostream>
#include <vector>

#include "app/session/DeviceInfoRows.h"
#include "cli/CliLanguage.h"

namespace tusko::cli {

// Labels padded to one column; an empty value reads "n/a" in the language.
void PrintRows(const std::vector<InfoRow>& rows, const CliLanguage& language, std::ostream& out);

// The language's texts as the command line shows them.
TextLookup CliText(const CliLanguage& language);

}  // namespace tusko::cli
