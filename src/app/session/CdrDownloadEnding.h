#pragma once

#include <cstdint>
#include <filesystem>

#include "app/session/CommandPrompts.h"

namespace tusko {

// Ends a finished CDR download whose file `path` took `records` records: a
// download without records leaves no file (only a header line, or nothing in
// BIN) behind. Returns what the user is told.
CommandMessage FinishCdrDownload(std::uint32_t records, const std::filesystem::path& path);

}  // namespace tusko
