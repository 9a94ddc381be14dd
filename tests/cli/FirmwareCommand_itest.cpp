// tuskoctl write-firmware end to end: a file the reader refuses never reaches
// the gateway, even with the flash window check switched off; an update first
// saves the gateway's configuration as a backup.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/ProgramRun.h"
#include "protocol/FirmwareFile.h"
#include "protocol/TransferConstants.h"
#include "support/FirmwareFiles.h"
#include "support/RowName.h"
#include "support/TempFolder.h"

namespace tusko {
namespace {

namespace fs = std::filesystem;

constexpr int kExitDone = 0;
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

using TuskoctlFirmware = test::TuskoctlTest;

// The built-in simulator, with the default switch time-outs that wait out its restarts.
TEST_F(TuskoctlFirmware, SavesABackupFirst) {
  WriteSettings("");
  const test::TempFile firmware(test::FirmwareFileBytes(
      {{kSectionTypeApplication, kFirmwareFlashWindow.start, test::FirmwareData(0x400, "1.3.0")}}));
  const test::ProcessResult result = Tuskoctl({"--yes", "--force", "write-firmware", firmware.path().string()});
  EXPECT_EQ(result.exitCode, kExitDone) << result.err;
  const std::vector<fs::path> files = Backups();
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files.front().filename().string().rfind("Sentarix-", 0), 0u) << files.front();
  EXPECT_EQ(result.out.rfind("Backup of the gateway's configuration saved in " + files.front().string() + ".\n", 0), 0u)
      << result.out;
}

}  // namespace
}  // namespace tusko
