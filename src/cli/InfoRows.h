#pragma once

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "cli/CliLanguage.h"
#include "protocol/engine/DeviceInformation.h"

namespace tusko::cli {

// One labelled value of a report.
using Row = std::pair<std::string, std::string>;

std::vector<Row> SystemRows(const SystemInformation& system, const CliLanguage& language);
std::vector<Row> LanRows(const LanInformation& lan, const CliLanguage& language);

// Labels padded to one column; an empty value reads "n/a" in the language.
void PrintRows(const std::vector<Row>& rows, const CliLanguage& language, std::ostream& out);

}  // namespace tusko::cli
