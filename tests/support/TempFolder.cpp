#include "support/TempFolder.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

namespace tusko::test {

namespace {

namespace fs = std::filesystem;

// Far below a file name's limit, with room for the unique tail.
constexpr std::size_t kMaxNameChars = 120;

// "Suite.Test" of the running test, with the row's slash made harmless.
std::string TestName() {
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
  if (test == nullptr) return "tusko";
  std::string name = std::string(test->test_suite_name()) + "." + test->name();
  std::replace(name.begin(), name.end(), '/', '_');
  return name.substr(0, kMaxNameChars);
}

}  // namespace

TempFolder::TempFolder() {
  std::error_code error;
  std::string pattern = (fs::temp_directory_path(error) / (TestName() + "-XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    ADD_FAILURE() << "cannot make the temporary folder " << pattern;
    return;
  }
  path_ = pattern;
}

TempFolder::~TempFolder() {
  if (path_.empty()) return;
  // A test may have taken away the rights that removing needs.
  std::error_code error;
  for (const auto& entry : fs::recursive_directory_iterator(path_, error)) {
    if (entry.is_directory(error)) fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, error);
  }
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, error);
  fs::remove_all(path_, error);
}

TempFile::TempFile(std::span<const std::uint8_t> bytes) : path_(folder_ / "file") {
  std::ofstream out(path_, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  EXPECT_TRUE(out.good()) << "cannot write " << path_;
}

}  // namespace tusko::test
