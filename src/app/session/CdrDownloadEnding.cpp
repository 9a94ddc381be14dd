#include "app/session/CdrDownloadEnding.h"

#include <system_error>

#include "app/session/CommandEnding.h"

namespace tusko {

CommandMessage FinishCdrDownload(std::uint32_t records, const std::filesystem::path& path) {
  if (records == 0) {
    std::error_code ignored;  // a file already gone is what we want
    std::filesystem::remove(path, ignored);
  }
  return CdrDownloadedMessage(records, path.string());
}

}  // namespace tusko
