// Every transfer of tuskoctl, over loopback TCP and a pseudo-terminal, against
// every fault of the simulator, one cell each. A cell ends complete and
// byte-exact, or with a clear failure: a non-zero exit with a message on
// standard error. A wrong result reported as done, or a run that has to be
// killed, fails the cell. Each cell prints its line of the matrix that
// scripts/fault-matrix.sh gathers.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "config/ConfigurationFile.h"
#include "protocol/AnnouncementFile.h"
#include "protocol/CdrRecord.h"
#include "protocol/FirmwareFile.h"
#include "protocol/TransferConstants.h"
#include "support/FileText.h"
#include "support/FirmwareFiles.h"
#include "support/ProgramRun.h"
#include "support/SimulatorThread.h"
#include "support/TestWavFile.h"

namespace tusko {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// Replies are awaited 150 ms, so that ten lost ones cost a second and a half;
// the slow answer comes inside that. Past the cell limit tuskoctl has hung.
constexpr const char* kShortReplyTimeouts =
    "CommunicationTimeout=150\nCommunicationTimeoutDataRead=150\nCommunicationTimeoutDataWrite=150\n"
    "CommunicationTimeoutDataWriteStart=150\nCommunicationTimeoutFlashLoad=150\n"
    "CommunicationTimeoutFlashLoadStart=150\nCommunicationTimeoutReset=150\n";
constexpr std::chrono::milliseconds kSlowAnswer{100};
constexpr std::chrono::milliseconds kCellLimit{30000};
constexpr int kLostPercent = 10;

// A byte of the system pages, outside the counted tables whose empty tails the
// upload skips, that the sample configuration holds at another value.
constexpr std::size_t kChangedOffset = 600;
constexpr std::uint8_t kChangedValue = 0x5A;
const std::vector<test::TestSection> kFirmware{
    {kSectionTypeApplication, kFirmwareFlashWindow.start, test::FirmwareData(0x1000, "1.2.5")}};
const Bytes kAnnouncement = test::AlawWav(2000);

Bytes ReadBytes(const fs::path& file) {
  const std::string text = test::ReadFileText(file);
  return {text.begin(), text.end()};
}

std::optional<ConfigurationImage> ImageOf(const fs::path& file) {
  ConfigurationReadResult read = ReadConfigurationFile(file);
  return read.outcome == ConfigurationReadOutcome::Read ? read.image : std::nullopt;
}

// What the gateway holds after an upload: the written image with the head
// bytes the upload resets to "not set".
ConfigurationImage AsWritten(ConfigurationImage image) {
  constexpr std::size_t kResetHeadBytes = 6;
  image.Fill(0, kResetHeadBytes, 0xFF);
  return image;
}

// The gateway's records as a binary CDR file holds them.
Bytes CdrBytes(const std::vector<CdrRecord>& records) {
  Bytes bytes;
  for (const CdrRecord& record : records) {
    const auto encoded = EncodeCdrRecord(record);
    bytes.insert(bytes.end(), encoded.begin(), encoded.end());
  }
  return bytes;
}

// One transfer: the command that runs it with `file`, and what the gateway
// and the file hold after it. `kept` holds after a failure as well.
struct Operation {
  const char* name;
  std::uint8_t dataIe;  // main element of its data requests, which the model's faults hit
  int midAnswer;        // an answer in the middle of its data
  std::vector<std::string> (*command)(test::SimulatorThread& gateway, const fs::path& file);
  bool (*exact)(test::SimulatorThread& gateway, const fs::path& file);
  bool (*kept)(test::SimulatorThread& gateway, const fs::path& file);
};

bool NothingToKeep(test::SimulatorThread&, const fs::path&) { return true; }

ConfigurationImage Stored(test::SimulatorThread& gateway) {
  return gateway.Run([](sim::GatewayModel& model) { return model.Configuration().Stored(); });
}

// The file holds records once and in order, and at least every one the gateway deleted.
bool CdrKept(test::SimulatorThread& gateway, const fs::path& file) {
  const auto [records, remaining] = gateway.Run([](sim::GatewayModel& model) {
    return std::make_pair(model.CdrStore().Generated(), model.CdrStore().Remaining());
  });
  const Bytes held = ReadBytes(file);
  const Bytes all = CdrBytes(records);
  const std::size_t deletedBytes = (records.size() - remaining) * kCdrRecordBytes;
  return held.size() >= deletedBytes && held.size() <= all.size() && std::equal(held.begin(), held.end(), all.begin());
}

const Operation kOperations[] = {
    {"read_config", ie::ConfigReadData, 24,
     [](test::SimulatorThread&, const fs::path& file) { return std::vector<std::string>{"read-config", file}; },
     [](test::SimulatorThread& gateway, const fs::path& file) { return ImageOf(file) == Stored(gateway); },
     NothingToKeep},
    {"write_config", ie::ConfigWriteData, 12,
     [](test::SimulatorThread& gateway, const fs::path& file) {
       ConfigurationImage changed = Stored(gateway);
       changed.SetByte(kChangedOffset, kChangedValue);
       WriteConfigurationFile(file, changed);
       return std::vector<std::string>{"--yes", "--no-backup", "write-config", file};
     },
     [](test::SimulatorThread& gateway, const fs::path& file) { return Stored(gateway) == AsWritten(*ImageOf(file)); },
     NothingToKeep},
    {"write_firmware", ie::FlashData, 14,
     [](test::SimulatorThread&, const fs::path& file) {
       const Bytes bytes = test::FirmwareFileBytes(kFirmware);
       test::WriteFileText(file, std::string(bytes.begin(), bytes.end()));
       return std::vector<std::string>{"--yes", "--no-backup", "write-firmware", file};
     },
     [](test::SimulatorThread& gateway, const fs::path&) {
       return gateway.Run([](sim::GatewayModel& model) { return model.FlashLoader().flash(); }) ==
              test::FlashImageOf(kFirmware, kFirmwareFlashWindow.start, kFirmwareFlashWindow.length);
     },
     NothingToKeep},
    {"announcement", ie::AnnouncementData, 10,
     [](test::SimulatorThread&, const fs::path& file) {
       test::WriteFileText(file, std::string(kAnnouncement.begin(), kAnnouncement.end()));
       return std::vector<std::string>{"announcement", "incoming", file};
     },
     [](test::SimulatorThread& gateway, const fs::path&) {
       return gateway.Run([](sim::GatewayModel& model) {
         return model.Announcements().Stored(AnnouncementKind::Incoming);
       }) == kAnnouncement;
     },
     NothingToKeep},
    {"cdr", ie::CdrData, 5,
     [](test::SimulatorThread&, const fs::path& file) { return std::vector<std::string>{"cdr", file}; },
     [](test::SimulatorThread& gateway, const fs::path& file) {
       return gateway.Run([](sim::GatewayModel& model) { return model.CdrStore().Remaining(); }) == 0 &&
              CdrKept(gateway, file);
     },
     CdrKept},
};

enum class Injected { None, LostReplies, BadChecksum, Disconnect, Restart, SlowAnswer, BadAddress, BadLength };

struct Fault {
  const char* name;
  Injected kind;
};

const Fault kFaults[] = {
    {"none", Injected::None},          {"lost_replies", Injected::LostReplies}, {"bad_checksum", Injected::BadChecksum},
    {"disconnect", Injected::Disconnect}, {"restart", Injected::Restart},        {"slow_answer", Injected::SlowAnswer},
    {"bad_address", Injected::BadAddress}, {"bad_length", Injected::BadLength},
};

struct Link {
  const char* name;
  test::Transport transport;
};

const Link kLinks[] = {{"tcp", test::Transport::Tcp}, {"pty", test::Transport::Pty}};

sim::WireFaults WireFaultsFor(Injected fault, const Operation& operation) {
  sim::WireFaults wire;
  if (fault == Injected::LostReplies) wire.dropPercent = kLostPercent;
  if (fault == Injected::Disconnect) wire.closeAfterAnswers = operation.midAnswer;
  if (fault == Injected::Restart) wire.restartAfterAnswers = operation.midAnswer;
  if (fault == Injected::SlowAnswer) {
    wire.slowAnswer = operation.midAnswer;
    wire.slowAnswerDelay = kSlowAnswer;
  }
  return wire;
}

std::optional<sim::FaultKind> ModelFaultFor(Injected fault) {
  switch (fault) {
    case Injected::BadChecksum: return sim::FaultKind::CorruptChecksum;
    case Injected::BadAddress: return sim::FaultKind::WrongAddress;
    case Injected::BadLength: return sim::FaultKind::WrongLength;
    default: return std::nullopt;
  }
}

using CellParam = std::tuple<Operation, Link, Fault>;

std::string CellName(const testing::TestParamInfo<CellParam>& info) {
  const auto& [operation, link, fault] = info.param;
  return std::string(operation.name) + "_" + link.name + "_" + fault.name;
}

class Matrix : public test::TuskoctlTest, public testing::WithParamInterface<CellParam> {};

TEST_P(Matrix, EndsExactOrFailsClearly) {
  const auto& [operation, link, fault] = GetParam();
  WriteSettings(test::ShortTimers() + kShortReplyTimeouts);
  test::SimulatorThread gateway(link.transport, WireFaultsFor(fault.kind, operation));
  ASSERT_TRUE(gateway.Ready()) << gateway.Error();
  gateway.ShortenRestarts(test::kShortRestart);
  gateway.Run([&](sim::GatewayModel& model) {
    // The announcement's one-second wait after "erasing" is no fault; the engine's tests cover it.
    model.Announcements().SetErasingAnswers(0);
    if (const auto kind = ModelFaultFor(fault.kind)) model.InjectFault({*kind, operation.dataIe});
  });
  const fs::path file = configHome_ / "transfer.bin";
  std::vector<std::string> args = {
      link.transport == test::Transport::Tcp ? "--tcp" : "--serial",
      link.transport == test::Transport::Tcp ? "127.0.0.1:" + std::to_string(gateway.Port()) : gateway.SlavePath()};
  const std::vector<std::string> command = operation.command(gateway, file);
  args.insert(args.end(), command.begin(), command.end());
  const test::ProcessResult run = Tuskoctl(args, {}, kCellLimit);

  const char* outcome = "wrong";
  if (run.exitCode < 0) {
    outcome = "hung";
  } else if (run.exitCode == 0 ? operation.exact(gateway, file) : !run.err.empty() && operation.kept(gateway, file)) {
    outcome = run.exitCode == 0 ? "exact" : "failed-clearly";
  }
  std::cout << "MATRIX " << operation.name << " " << link.name << " " << fault.name << " " << outcome << std::endl;
  EXPECT_STRNE(outcome, "wrong") << "exit " << run.exitCode << "\n" << run.out << run.err;
  EXPECT_STRNE(outcome, "hung");
}

INSTANTIATE_TEST_SUITE_P(Cells, Matrix,
                         testing::Combine(testing::ValuesIn(kOperations), testing::ValuesIn(kLinks),
                                          testing::ValuesIn(kFaults)),
                         CellName);

}  // namespace
}  // namespace tusko
