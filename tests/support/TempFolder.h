#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

namespace tusko::test {

// A folder of its own below the system's temporary folder, named after the
// running test with a unique tail, so that tests run side by side never share
// a path. It goes with everything in it when the object goes.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::filesystem::path& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// A file holding the given bytes, in a folder of its own, removed with the object.
class TempFile {
 public:
  explicit TempFile(std::span<const std::uint8_t> bytes);
  const std::filesystem::path& path() const { return path_; }

 private:
  TempFolder folder_;
  std::filesystem::path path_;
};

}  // namespace tusko::test
