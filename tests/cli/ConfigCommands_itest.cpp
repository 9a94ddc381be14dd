// tuskoctl's configuration commands end to end: the backup before a write,
// the read-back check after it, the file commands that never reach a
// gateway, and the files of every update command that are refused before it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "config/ConfigurationFile.h"
#include "sim/SampleConfiguration.h"
#include "support/FileText.h"
#include "support/ProgramRun.h"
#include "support/RefusingPort.h"
#include "support/RowName.h"
#include "support/TestWavFile.h"

namespace tusko {
namespace {

namespace fs = std::filesystem;

using test::ProcessResult;
using test::Simulator;

constexpr int kExitDone = 0;
constexpr int kExitCancelled = 7;
constexpr int kExitBadFile = 8;
constexpr int kExitVerifyFailed = 11;
// What write-config says first; whether it then says the gateway runs again
// depends on the link seeing it come back in time.
constexpr const char* kWritten = "The configuration was written. The gateway restarts to take it over; please wait.\n";

class ConfigCommands : public test::TuskoctlTest {
 protected:
  fs::path File(const char* name) const { return configHome_ / name; }
};

// Replies are awaited 1.5 s, so that a lost one costs little.
constexpr const char* kShortReplyTimeouts = "CommunicationTimeout=1500\nCommunicationTimeoutDataRead=1500\n";

// The transfers themselves, faults and all, are the fault matrix's (tests/faults).
TEST_F(ConfigCommands, WriteConfigSavesWhatTheGatewayHeldAsABackupFirst) {
  const Simulator simulator({"--tcp", "127.0.0.1:0"}, Environment());
  ASSERT_FALSE(simulator.endpoint().empty());
  ASSERT_TRUE(WriteConfigurationFile(File("new.cfg"), MakeDefaultImage()).saved);
  const ProcessResult write = Tuskoctl({"--tcp", simulator.endpoint(), "--yes", "write-config", File("new.cfg").string()});
  ASSERT_EQ(write.exitCode, kExitDone) << write.err;
  const std::vector<fs::path> backups = Backups();
  ASSERT_EQ(backups.size(), 1u);
  EXPECT_EQ(backups.front().filename().string().rfind("Sentarix-", 0), 0u) << backups.front();
  const std::string said = "Backup of the gateway's configuration saved in " + backups.front().string() + ".\n" + kWritten;
  EXPECT_EQ(write.out.rfind(said, 0), 0u) << write.out;
  EXPECT_TRUE(ReadConfigurationFile(backups.front()).image == sim::MakeSampleConfiguration());
}

// --verify reads the written configuration back: it agrees, or a gateway that
// stores one byte altered fails the write and names the field; --no-backup
// leaves the backups folder alone.
struct VerifyRow {
  const char* name;
  std::vector<std::string> simulatorArgs;
  int exitCode;
  const char* said;  // the verdict, on standard output when it agrees and on standard error when not
};

class VerifiedWrites : public ConfigCommands, public testing::WithParamInterface<VerifyRow> {};

TEST_P(VerifiedWrites, ReadTheConfigurationBackAndCompare) {
  WriteSettings(test::ShortTimers() + kShortReplyTimeouts);
  const Simulator simulator(GetParam().simulatorArgs, Environment());
  ASSERT_FALSE(simulator.endpoint().empty());
  ASSERT_TRUE(WriteConfigurationFile(File("new.cfg"), MakeDefaultImage()).saved);
  const ProcessResult write = Tuskoctl(
      {"--tcp", simulator.endpoint(), "--yes", "--no-backup", "--verify", "write-config", File("new.cfg").string()});
  EXPECT_EQ(write.exitCode, GetParam().exitCode) << write.err;
  const std::string& verdict = GetParam().exitCode == kExitDone ? write.out : write.err;
  EXPECT_NE(verdict.find(GetParam().said), std::string::npos) << write.out << write.err;
  EXPECT_TRUE(Backups().empty());
}

// Byte 63 is the first digit of the network page's port.
INSTANTIATE_TEST_SUITE_P(
    Rows, VerifiedWrites,
    testing::Values(VerifyRow{"agrees", {"--tcp", "127.0.0.1:0"}, kExitDone,
                              "The configuration read back agrees with the one written.\n"},
                    VerifyRow{"altered", {"--tcp", "127.0.0.1:0", "--alter-stored", "63"}, kExitVerifyFailed,
                              "differs from the one written in: network.port (TCP port)"}),
    test::RowName<VerifyRow>);

TEST_F(ConfigCommands, NewConfigMakesAValidFileAndKeepsAnExistingOneUnlessToldYes) {
  const ProcessResult made = Tuskoctl({"new-config", File("new.cfg").string()});
  ASSERT_EQ(made.exitCode, kExitDone) << made.err;
  EXPECT_TRUE(ReadConfigurationFile(File("new.cfg")).image == MakeDefaultImage());

  const ProcessResult checked = Tuskoctl({"check-config", File("new.cfg").string()});
  EXPECT_EQ(checked.exitCode, kExitDone) << checked.err;
  EXPECT_NE(checked.out.find("is a valid configuration file"), std::string::npos) << checked.out;

  // An existing file is kept unless told yes.
  std::ofstream(File("mine.cfg")) << "my notes";
  const ProcessResult refused = Tuskoctl({"new-config", File("mine.cfg").string()});
  EXPECT_EQ(refused.exitCode, kExitBadFile);
  EXPECT_EQ(fs::file_size(File("mine.cfg")), 8u);

  const ProcessResult replaced = Tuskoctl({"--yes", "new-config", File("mine.cfg").string()});
  EXPECT_EQ(replaced.exitCode, kExitDone) << replaced.err;
  EXPECT_TRUE(ReadConfigurationFile(File("mine.cfg")).image.has_value());
}

struct BadFileRow {
  const char* name;
  std::vector<std::string> command;  // the file's path follows
  // Makes the file in the folder; returns its path.
  fs::path (*make)(const fs::path& folder);
  const char* reason;
};

fs::path Missing(const fs::path& folder) { return folder / "missing.cfg"; }

fs::path Corrupted(const fs::path& folder) {
  const fs::path file = folder / "corrupted.cfg";
  WriteConfigurationFile(file, MakeDefaultImage());
  std::fstream stream(file, std::ios::in | std::ios::out | std::ios::binary);
  constexpr std::streamoff kInsideTheImage = 1000;  // inside the stored system page
  stream.seekg(kInsideTheImage);
  const char byte = static_cast<char>(stream.get());
  stream.seekp(kInsideTheImage);
  stream.put(static_cast<char>(byte ^ 0x01));
  return file;
}

fs::path StereoWav(const fs::path& folder) {
  std::vector<std::uint8_t> stereo = test::AlawWav(100);
  test::PatchLittle(stereo, 22, 2, 2);
  const fs::path file = folder / "stereo.wav";
  test::WriteFileText(file, std::string(stereo.begin(), stereo.end()));
  return file;
}

// Firmware files with a section past the address space, refused even with the window check switched off.
fs::path WrappingFirmware(const fs::path&) {
  return fs::path(TUSKO_FUZZ_CORPUS_DIR) / "firmware_file_fuzz" / "firmware-section-wraps-address-space.bin";
}
fs::path FirmwareAfterTheTop(const fs::path&) {
  return fs::path(TUSKO_FUZZ_CORPUS_DIR) / "firmware_file_fuzz" / "firmware-section-at-top-of-address-space.bin";
}

class BadFiles : public ConfigCommands, public testing::WithParamInterface<BadFileRow> {};

// The file is refused before the gateway is asked anything: the link given
// here would refuse the connection, which would end with another code.
TEST_P(BadFiles, AreRefusedBeforeTheGatewayIsAsked) {
  WriteSettings(test::ShortTimers() + "CheckFirmwareAddrSpace=0\n");
  const test::RefusingPort refusing;
  std::vector<std::string> args = {"--tcp", "127.0.0.1:" + std::to_string(refusing.port()), "--yes"};
  args.insert(args.end(), GetParam().command.begin(), GetParam().command.end());
  args.push_back(GetParam().make(configHome_.path()).string());
  const ProcessResult result = Tuskoctl(args);
  EXPECT_EQ(result.exitCode, kExitBadFile) << result.err;
  EXPECT_NE(result.err.find(GetParam().reason), std::string::npos) << result.err;
}

constexpr const char* kNotAConfiguration = "The file is not a valid configuration file.";
constexpr const char* kNotAFirmware = "The file is not a firmware file.";

INSTANTIATE_TEST_SUITE_P(
    Rows, BadFiles,
    testing::Values(BadFileRow{"WriteMissing", {"write-config"}, Missing, "The file does not exist."},
                    BadFileRow{"CheckMissing", {"check-config"}, Missing, "The file does not exist."},
                    BadFileRow{"WriteCorrupted", {"write-config"}, Corrupted, kNotAConfiguration},
                    BadFileRow{"CheckCorrupted", {"check-config"}, Corrupted, kNotAConfiguration},
                    BadFileRow{"FirmwareWrapsTheAddressSpace", {"write-firmware"}, WrappingFirmware, kNotAFirmware},
                    BadFileRow{"FirmwareAfterAValidSectionAtTheTop", {"write-firmware"}, FirmwareAfterTheTop,
                               kNotAFirmware},
                    BadFileRow{"AnnouncementOfAnotherFormat", {"announcement", "2"}, StereoWav,
                               "The file must be a WAV file in A-law, 8 kHz, mono."}),
    test::RowName<BadFileRow>);

TEST_F(ConfigCommands, WriteConfigWithoutATerminalToConfirmIsCancelled) {
  const Simulator simulator({"--tcp", "127.0.0.1:0"}, Environment());
  ASSERT_FALSE(simulator.endpoint().empty());
  ASSERT_TRUE(WriteConfigurationFile(File("new.cfg"), MakeDefaultImage()).saved);
  const ProcessResult write = Tuskoctl({"--tcp", simulator.endpoint(), "write-config", File("new.cfg").string()});
  EXPECT_EQ(write.exitCode, kExitCancelled);
  EXPECT_NE(write.err.find("Write the configuration to the gateway now?"), std::string::npos) << write.err;
  EXPECT_NE(write.err.find("--yes"), std::string::npos) << write.err;
}

}  // namespace
}  // namespace tusko
