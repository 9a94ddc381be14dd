#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tusko::test {

// The whole file as bytes; empty when it cannot be read.
std::string ReadFileText(const std::filesystem::path& path);

// Makes the file's folders and writes `text` as the whole file.
void WriteFileText(const std::filesystem::path& path, std::string_view text);

}  // namespace tusko::test
