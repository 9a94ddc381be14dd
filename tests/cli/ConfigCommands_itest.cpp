// tuskoctl's configuration commands end to end: round trips through the
// simulator program over TCP and a pseudo-terminal, with and without faults,
// and the file commands that never reach a gateway.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "cli/ProgramRun.h"
#include "config/ConfigurationFile.h"
#include "support/RefusingPort.h"
#include "support/RowName.h"

namespace tusko {
namespace {

namespace fs = std::filesystem;

using test::ProcessResult;
using test::Simulator;

constexpr int kExitDone = 0;
constexpr int kExitNoAnswer = 4;
constexpr int kExitCancelled = 7;
constexpr int kExitBadFile = 8;
constexpr int kExitVerifyFailed = 11;
// What write-config says: written, the gateway restarting, then running again.
const std::string kWrittenAndRunning =
    "The configuration was written. The gateway restarts to take it over; please wait.\n"
    "The gateway runs again with the new configuration.\n";

// A byte of the system pages, outside the counted tables whose empty tails the
// transfer skips, that the sample configuration holds at another value.
constexpr std::size_t kChangedOffset = 600;
constexpr std::uint8_t kChangedValue = 0x5A;

std::optional<ConfigurationImage> ImageOf(const fs::path& file) {
  ConfigurationReadResult read = ReadConfigurationFile(file);
  return read.outcome == ConfigurationReadOutcome::Read ? read.image : std::nullopt;
}

class ConfigCommands : public test::TuskoctlTest {
 protected:
  fs::path File(const char* name) const { return configHome_ / name; }

  // read-config, one byte changed, write-config, read-config again. Returns
  // the three runs; `changed` is the image that was written.
  struct RoundTrip {
    ProcessResult firstRead;
    ProcessResult write;
    ProcessResult secondRead;
    std::optional<ConfigurationImage> changed;
  };
  RoundTrip RunRoundTrip(const std::vector<std::string>& link) {
    RoundTrip trip;
    trip.firstRead = Tuskoctl(With(link, {"read-config", File("first.cfg").string()}));
    if (trip.firstRead.exitCode != kExitDone) return trip;
    trip.changed = ImageOf(File("first.cfg"));
    if (!trip.changed) return trip;
    EXPECT_NE(trip.changed->Byte(kChangedOffset), kChangedValue);
    trip.changed->SetByte(kChangedOffset, kChangedValue);
    EXPECT_TRUE(WriteConfigurationFile(File("changed.cfg"), *trip.changed).saved);
    trip.write = Tuskoctl(With(link, {"--yes", "write-config", File("changed.cfg").string()}));
    if (trip.write.exitCode != kExitDone) return trip;
    trip.secondRead = Tuskoctl(With(link, {"read-config", File("second.cfg").string()}));
    return trip;
  }

  // What the gateway holds after the write: the written image with the head
  // bytes the upload resets to "not set".
  static ConfigurationImage AsWritten(ConfigurationImage image) {
    constexpr std::size_t kResetHeadBytes = 6;
    image.Fill(0, kResetHeadBytes, 0xFF);
    return image;
  }

  void ExpectEqualImages(const RoundTrip& trip) {
    ASSERT_EQ(trip.firstRead.exitCode, kExitDone) << trip.firstRead.err;
    ASSERT_TRUE(trip.changed.has_value());
    ASSERT_EQ(trip.write.exitCode, kExitDone) << trip.write.err;
    ASSERT_EQ(trip.secondRead.exitCode, kExitDone) << trip.secondRead.err;
    // The backup holds what the gateway held before the write.
    const std::vector<fs::path> backups = Backups();
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(backups.front().filename().string().rfind("Sentarix-", 0), 0u) << backups.front();
    // Whether it says the gateway runs again depends on the link seeing it come back in time.
    const std::string said = "Backup of the gateway's configuration saved in " + backups.front().string() + ".\n" +
                             kWrittenAndRunning.substr(0, kWrittenAndRunning.find('\n') + 1);
    EXPECT_EQ(trip.write.out.rfind(said, 0), 0u) << trip.write.out;
    const auto backup = ImageOf(backups.front());
    const auto first = ImageOf(File("first.cfg"));
    ASSERT_TRUE(backup && first);
    EXPECT_TRUE(*backup == *first);
    EXPECT_EQ(trip.secondRead.out, "Configuration saved in " + File("second.cfg").string() + ".\n");
    const auto second = ImageOf(File("second.cfg"));
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(second->Byte(kChangedOffset), kChangedValue);
    EXPECT_TRUE(*second == AsWritten(*trip.changed));
  }

  static std::vector<std::string> With(std::vector<std::string> link, std::vector<std::string> command) {
    link.insert(link.end(), command.begin(), command.end());
    return link;
  }
};

struct TripRow {
  const char* name;
  std::vector<std::string> simulatorArgs;
  const char* failure;  // what the first read ends with when the fault stops the trip; nullptr: none does
};

// Replies are awaited 1.5 s, so that a lost one costs little.
constexpr const char* kShortReplyTimeouts = "CommunicationTimeout=1500\nCommunicationTimeoutDataRead=1500\n";

class RoundTrips : public ConfigCommands, public testing::WithParamInterface<TripRow> {};

TEST_P(RoundTrips, GiveBackTheChangedImageOrEndWithAClearFailure) {
  WriteSettings(std::string(test::kShortSwitchTimeouts) + kShortReplyTimeouts);
  const Simulator simulator(GetParam().simulatorArgs, Environment());
  ASSERT_FALSE(simulator.endpoint().empty());
  const bool pty = GetParam().simulatorArgs.front() == "--pty";
  const RoundTrip trip = RunRoundTrip({pty ? "--serial" : "--tcp", simulator.endpoint()});
  if (GetParam().failure == nullptr) return ExpectEqualImages(trip);

  EXPECT_EQ(trip.firstRead.exitCode, kExitNoAnswer);
  EXPECT_NE(trip.firstRead.err.find(GetParam().failure), std::string::npos) << trip.firstRead.err;
  EXPECT_FALSE(fs::exists(File("first.cfg"))) << "a failed read leaves no file";
}

// A corrupted answer is asked for again; a connection dropped in the middle
// of the read is not taken up again.
INSTANTIATE_TEST_SUITE_P(
    Rows, RoundTrips,
    testing::Values(TripRow{"tcp", {"--tcp", "127.0.0.1:0"}, nullptr}, TripRow{"pty", {"--pty"}, nullptr},
                    TripRow{"corrupted_checksum", {"--tcp", "127.0.0.1:0", "--corrupt", "any:1"}, nullptr},
                    TripRow{"one_disconnect", {"--tcp", "127.0.0.1:0", "--close-after", "40"},
                            "The gateway does not answer."}),
    test::RowName<TripRow>);

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
  WriteSettings(std::string(test::kShortSwitchTimeouts) + kShortReplyTimeouts);
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
  const auto image = ImageOf(File("new.cfg"));
  ASSERT_TRUE(image.has_value());
  EXPECT_TRUE(*image == MakeDefaultImage());

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
  EXPECT_TRUE(ImageOf(File("mine.cfg")).has_value());
}

struct BadFileRow {
  const char* name;
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

class BadFiles : public ConfigCommands, public testing::WithParamInterface<BadFileRow> {};

// The file is refused before the gateway is asked anything: the link given
// here would refuse the connection, which would end with another code.
TEST_P(BadFiles, AreRefusedByWriteConfigAndCheckConfig) {
  const test::RefusingPort refusing;
  const fs::path file = GetParam().make(configHome_.path());
  const ProcessResult write =
      Tuskoctl({"--tcp", "127.0.0.1:" + std::to_string(refusing.port()), "--yes", "write-config", file.string()});
  EXPECT_EQ(write.exitCode, kExitBadFile) << write.err;
  EXPECT_NE(write.err.find(GetParam().reason), std::string::npos) << write.err;

  const ProcessResult check = Tuskoctl({"check-config", file.string()});
  EXPECT_EQ(check.exitCode, kExitBadFile);
  EXPECT_NE(check.err.find(GetParam().reason), std::string::npos) << check.err;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BadFiles,
    testing::Values(BadFileRow{"missing", Missing, "The file does not exist."},
                    BadFileRow{"corrupted", Corrupted, "The file is not a valid configuration file."}),
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
