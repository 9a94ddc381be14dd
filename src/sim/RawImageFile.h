#pragma once

#include <optional>
#include <string>

#include "config/ConfigurationImage.h"

namespace tusko::sim {

// A configuration image stored as its raw 29332 bytes. On failure `error`
// says why (the file cannot be read, or it has another size).
std::optional<ConfigurationImage> ReadRawImageFile(const std::string& path, std::string& error);

}  // namespace tusko::sim
