// tuskoctl write-firmware end to end: a file the reader refuses never reaches
// the gateway, even with the flash window check switched off.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/ProgramRun.h"
#include "support/RowName.h"

namespace tusko {
namespace {

namespace fs = std::filesystem;

constexpr int kExitBadFile = 8;

struct RefusedFileRow {
  const char* name;
  const char* corpusFile;
};

class TuskoctlRefusedFirmware : public test::TuskoctlTest, public testing::WithParamInterface<RefusedFileRow> {};

TEST_P(TuskoctlRefusedFirmware, IsAFormatErrorAndNothingIsSent) {
  WriteSettings("CheckFirmwareAddrSpace=0\n");
  const fs::path comlog = configHome_ / "comlog.txt";
  const fs::path firmware = fs::path(TUSKO_FUZZ_CORPUS_DIR) / "firmware_file_fuzz" / GetParam().corpusFile;

  const test::ProcessResult result =
      Tuskoctl({"--comlog", comlog.string(), "--yes", "write-firmware", firmware.string()});
  EXPECT_EQ(result.exitCode, kExitBadFile) << result.err;
  EXPECT_NE(result.err.find("The file is not a firmware file."), std::string::npos) << result.err;
  std::stringstream log;
  log << std::ifstream(comlog).rdbuf();
  EXPECT_EQ(log.str().find("OUT:"), std::string::npos) << log.str();
}

INSTANTIATE_TEST_SUITE_P(
    SectionsPastTheAddressSpace, TuskoctlRefusedFirmware,
    testing::Values(RefusedFileRow{"WrapsTheAddressSpace", "firmware-section-wraps-address-space.bin"},
                    RefusedFileRow{"AfterAValidSectionAtTheTop", "firmware-section-at-top-of-address-space.bin"}),
    test::RowName<RefusedFileRow>);

}  // namespace
}  // namespace tusko
