// tuskoctl's announcement command end to end: a file of another format never
// reaches the gateway. The update itself is the fault matrix's (tests/faults).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/ProgramRun.h"
#include "support/TempFolder.h"
#include "support/TestWavFile.h"

namespace tusko {
namespace {

namespace fs = std::filesystem;

using test::ProcessResult;
constexpr int kExitBadFile = 8;

class TuskoctlAnnouncement : public test::TuskoctlTest {
 protected:
  // Runs `announcement KIND FILE` against a simulator that writes what it stores to `stored_`.
  ProcessResult SendAnnouncement(const std::string& kind, const std::vector<std::uint8_t>& wav) {
    const test::TempFile file(wav);
    const test::Simulator simulator({"--tcp", "127.0.0.1:0", "--announcement-dir", stored_.path().string()},
                                    Environment());
    EXPECT_FALSE(simulator.endpoint().empty());
    return Tuskoctl({"--tcp", simulator.endpoint(), "announcement", kind, file.path().string()});
  }

  const test::TempFolder stored_;
};

TEST_F(TuskoctlAnnouncement, FileOfAnotherFormatIsRefusedBeforeAnythingIsSent) {
  std::vector<std::uint8_t> stereo = test::AlawWav(100);
  test::PatchLittle(stereo, 22, 2, 2);
  const ProcessResult result = SendAnnouncement("2", stereo);
  EXPECT_EQ(result.exitCode, kExitBadFile);
  EXPECT_NE(result.err.find("The file must be a WAV file in A-law, 8 kHz, mono."), std::string::npos) << result.err;
  EXPECT_FALSE(fs::exists(stored_ / "incoming.wav"));
}

}  // namespace
}  // namespace tusko
