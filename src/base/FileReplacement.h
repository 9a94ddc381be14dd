#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

namespace tusko {

struct FileReplacementResult {
  bool replaced = false;
  int systemError = 0;  // errno of the step that failed
};

// Replaces the file at `path` with `bytes` so that it is always either the
// old file or the new one, whole: the bytes go to a new file in the same
// folder, which is flushed to the disk and then renamed over the old one. On
// any failure the temporary file is removed and the old file is untouched.
// A replaced file keeps its permission bits; through a symbolic link the file
// it points to is replaced, not the link.
FileReplacementResult ReplaceFileContents(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

// The same with the bytes of the file `source`, copied in pieces so that a
// large file never has to fit in memory.
FileReplacementResult ReplaceFileWithCopy(const std::filesystem::path& path, const std::filesystem::path& source);

}  // namespace tusko
