#pragma once

#include <cstddef>
#include <vector>

#include "config/ConfigurationImage.h"

namespace tusko {

// The GSM modules (0-based) assigned to incoming group `group`.
std::vector<std::size_t> ModulesOfIncomingGroup(const ConfigurationImage& image, std::size_t group);
// The GSM modules whose outgoing or second outgoing group is `group`.
std::vector<std::size_t> ModulesOfOutgoingGroup(const ConfigurationImage& image, std::size_t group);

}  // namespace tusko
