// The gateway model's memories as the utility's transfers use them: the
// configuration (read and written through the firmware; the write through the
// loader: ConfigTransferRoundTrip), the firmware's flash (written by the
// loader) and the raw configuration image files the simulator starts from.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "protocol/TransferConstants.h"
#include "sim/GatewayFlashLoader.h"
#include "sim/GatewayModel.h"
#include "sim/GatewayScript.h"
#include "sim/GatewayTiming.h"
#include "sim/RawImageFile.h"
#include "sim/SampleConfiguration.h"
#include "support/FirmwareFiles.h"
#include "support/RowName.h"
#include "support/TempFolder.h"

namespace tusko::sim {
namespace {

using std::chrono::milliseconds;
using test::AnswerTo;
using test::Ask;
using test::ConfigWriteBlock;
using test::ConfigWriteStart;
using test::ConfigWriteStop;
using test::Data;
using test::Number32;
using test::Outcome;
using test::RejectCause;

// ---- Reading the configuration ----

// An unaligned block and the image's last byte; reads outside the image are refused (RefusalTest).
TEST(ConfigRead, AnswersTheStoredBytesAtTheAddress) {
  GatewayModel gateway;
  for (const auto& [offset, length] : {std::pair<std::size_t, std::size_t>{104, 128}, {kConfigImageSize - 1, 1}}) {
    const DeviceMessage answer = AnswerTo(gateway, test::ConfigRead(Number32(ConfigDeviceAddress(offset))));
    EXPECT_EQ(Data(answer, ie::Address), Number32(ConfigDeviceAddress(offset)));
    const auto stored = gateway.Configuration().Stored().Range(offset, length);
    EXPECT_EQ(Data(answer, ie::ConfigReadData), std::vector<std::uint8_t>(stored.begin(), stored.end())) << offset;
  }
}

// ---- The blocks each write takes ----

enum class Memory { Configuration, Flash };

DeviceMessage FlashStart() { return Ask(ie::FlashStart, {kFlashStartValue}); }
DeviceMessage FlashBlock(std::uint32_t address, std::vector<std::uint8_t> data) {
  return Ask({{ie::FlashData, std::move(data)}, {ie::FlashAddress, Number32(address)}});
}

// Starts a write into `memory`: the configuration's in the firmware, the
// flash's in the loader the firmware restarts into for it.
void StartWrite(GatewayModel& gateway, Memory memory) {
  if (memory == Memory::Configuration) {
    ASSERT_EQ(Outcome(gateway.Receive(ConfigWriteStart())), "reply 40");
    return;
  }
  ASSERT_EQ(Outcome(gateway.Receive(FlashStart())), "reply 81") << "the firmware restarts into the loader";
  EXPECT_FALSE(gateway.LinkAvailable());
  ASSERT_EQ(Outcome(gateway.Advance(kRestartToLoaderMs)), "event 11");
  ASSERT_EQ(Outcome(gateway.Receive(FlashStart())), "reply 21");
}

struct BlockRow {
  const char* name;
  Memory memory;
  std::uint32_t at;  // the configuration image's offset, the flash's address
  std::size_t length;
  bool accepted;
};

class WriteBlocks : public testing::TestWithParam<BlockRow> {};

TEST_P(WriteBlocks, TakeOnlyWholeGroupsWithinOnePageOfTheMemory) {
  const BlockRow& row = GetParam();
  GatewayModel gateway;
  StartWrite(gateway, row.memory);
  const bool flash = row.memory == Memory::Flash;
  const std::uint32_t address = flash ? row.at : ConfigDeviceAddress(row.at);
  auto answers = gateway.Receive(flash ? FlashBlock(address, test::FirmwareData(row.length))
                                       : ConfigWriteBlock(row.at, row.length));
  if (answers.empty()) answers = gateway.Advance(kSectorEraseMs);  // a flash sector's first block waits for its erase
  const DeviceMessage answer = test::Only(answers);
  if (row.accepted) {
    EXPECT_TRUE(test::IsReply(answer));
    EXPECT_EQ(Data(answer, flash ? ie::FlashAddress : ie::Address), Number32(address));
  } else {
    EXPECT_EQ(RejectCause(answer), cause::NotAllowed);
  }
}

constexpr std::uint32_t kFlashBase = 0x10000;
constexpr Memory kConfig = Memory::Configuration;
constexpr Memory kFlash = Memory::Flash;

INSTANTIATE_TEST_SUITE_P(Gateway, WriteBlocks,
                         testing::Values(BlockRow{"configFull", kConfig, 0, 208, true},
                                         BlockRow{"configShortenedAtThePage", kConfig, 832, 192, true},
                                         BlockRow{"configLastGroupOfAPage", kConfig, 1016, 8, true},
                                         BlockRow{"configLastPadded", kConfig, 29296, 40, true},
                                         BlockRow{"configEmpty", kConfig, 0, 0, false},
                                         BlockRow{"configNotWholeGroups", kConfig, 0, 12, false},
                                         BlockRow{"configTooLong", kConfig, 0, 216, false},
                                         BlockRow{"configCrossesAPage", kConfig, 832, 208, false},
                                         BlockRow{"configUnaligned", kConfig, 4, 8, false},
                                         BlockRow{"configPastThePadding", kConfig, 29296, 48, false},
                                         BlockRow{"configPastTheImage", kConfig, kConfigImageSize, 8, false},
                                         BlockRow{"flashLongest", kFlash, kFlashBase, 208, true},
                                         BlockRow{"flashLastGroupOfTheWindow", kFlash, 0x77FF8, 8, true},
                                         BlockRow{"flashPastTheWindow", kFlash, 0x78000, 8, false},
                                         BlockRow{"flashBelowTheWindow", kFlash, 0xFFF8, 8, false},
                                         BlockRow{"flashAcrossAPage", kFlash, 0x103F8, 16, false},
                                         BlockRow{"flashNotWholeGroups", kFlash, kFlashBase, 12, false},
                                         BlockRow{"flashTooLong", kFlash, kFlashBase, 216, false}),
                         test::RowName<BlockRow>);

// ---- Writing the configuration ----

class ConfigWrite : public testing::Test {
 protected:
  void SetUp() override { StartWrite(gateway, Memory::Configuration); }
  std::optional<std::uint8_t> Refusal(const DeviceMessage& request) { return RejectCause(AnswerTo(gateway, request)); }
  GatewayModel gateway;
};

TEST_F(ConfigWrite, StopCommitsTheWrittenImageAndRestartsTheFirmware) {
  const ConfigurationImage before = gateway.Configuration().Stored();
  AnswerTo(gateway, ConfigWriteBlock(0, 208));
  AnswerTo(gateway, ConfigWriteBlock(29296, 40, 0x22));
  EXPECT_EQ(gateway.Configuration().Stored(), before);  // nothing changes before the stop
  EXPECT_EQ(Refusal(Ask(ie::ConfigWriteStop)), cause::NotAllowed);
  EXPECT_EQ(Refusal(Ask(ie::ConfigWriteStop, {1})), cause::NotAllowed);

  EXPECT_TRUE(test::IsReply(AnswerTo(gateway, ConfigWriteStop())));
  ConfigurationImage expected;  // what was not written is erased
  expected.Fill(0, 208, 0x21);
  expected.Fill(29296, 36, 0x22);
  EXPECT_EQ(gateway.Configuration().Stored(), expected);

  EXPECT_EQ(Outcome(gateway.Advance(kLoaderToFirmwareMs)), "event 13");
  EXPECT_EQ(Refusal(ConfigWriteStop()), cause::NotAllowed);  // the write is over
}

TEST_F(ConfigWrite, RestartDropsAWriteUnderWay) {
  AnswerTo(gateway, ConfigWriteBlock(0, 208));
  AnswerTo(gateway, Ask(ie::Reset));
  gateway.Advance(kRestartToLoaderMs);
  ASSERT_EQ(gateway.Phase(), GatewayPhase::Loader);
  EXPECT_EQ(Refusal(ConfigWriteStop()), cause::NotAllowed);
  EXPECT_EQ(gateway.Configuration().Stored(), MakeSampleConfiguration());
}

// The start's password is checked with the other guarded requests (GatewayModel_test).
TEST_F(ConfigWrite, BlocksNeedThePasswordButTheStopDoesNot) {
  gateway.Identity().password = "tusk";
  EXPECT_EQ(Refusal(ConfigWriteBlock(0, 8)), cause::PasswordRequired);
  EXPECT_FALSE(Refusal(ConfigWriteStop()));
}

// ---- Writing the flash ----

// The loader takes blocks only in a session started by FlashStart, each with its address.
TEST(FlashWrite, FirstBlockOfASectorIsAnsweredAfterTheErase) {
  GatewayModel gateway;
  ASSERT_EQ(Outcome(gateway.Receive(FlashStart())), "reply 81");
  gateway.Advance(kRestartToLoaderMs);
  EXPECT_EQ(Outcome(gateway.Receive(FlashBlock(kFlashBase, test::FirmwareData(8)))), "reject 94") << "no session";
  ASSERT_EQ(Outcome(gateway.Receive(FlashStart())), "reply 21");
  EXPECT_EQ(Outcome(gateway.Receive(Ask(ie::FlashData, test::FirmwareData(8)))), "reject 94") << "no address";
  EXPECT_TRUE(gateway.Receive(FlashBlock(kFlashBase, test::FirmwareData(8))).empty());
  EXPECT_TRUE(gateway.Advance(kSectorEraseMs - milliseconds(1)).empty());
  EXPECT_EQ(Data(test::Only(gateway.Advance(milliseconds(1))), ie::FlashAddress), Number32(kFlashBase));

  EXPECT_EQ(Outcome(gateway.Receive(FlashBlock(kFlashBase + 8, test::FirmwareData(8)))), "reply 26");
  EXPECT_TRUE(gateway.Receive(FlashBlock(kFlashBase + kEraseSectorBytes, test::FirmwareData(8))).empty());
}

TEST(FlashWrite, StopStartsTheWrittenFirmware) {
  GatewayModel gateway;
  StartWrite(gateway, Memory::Flash);
  const std::vector<std::uint8_t> data = test::FirmwareData(64, "2.0.1");
  gateway.Receive(FlashBlock(0x20000, data));
  ASSERT_EQ(Outcome(gateway.Advance(kSectorEraseMs)), "reply 26");
  EXPECT_EQ(Outcome(gateway.Receive(Ask(ie::FlashStop))), "reply 29");
  EXPECT_EQ(Outcome(gateway.Advance(kLoaderToFirmwareMs)), "event 13");
  EXPECT_EQ(gateway.Identity().firmwareVersion, "2.0.1");
  EXPECT_EQ(gateway.FlashLoader().flash(),
            test::FlashImageOf({{kSectionTypeApplication, 0x20000, data}}, kFirmwareFlashWindow.start,
                               kFirmwareFlashWindow.length));
}

// ---- Image files ----

TEST(RawImageFile, ReadsAnImageOfExactlyItsSizeAndRefusesOthersAndMissingFiles) {
  const test::TempFolder folder;
  const std::string path = (folder / "image.bin").string();
  const auto WriteFile = [&path](std::size_t size, std::uint8_t value) {
    std::ofstream(path, std::ios::binary) << std::string(size, static_cast<char>(value));
    return path;
  };
  std::string error;
  const auto image = ReadRawImageFile(WriteFile(kConfigImageSize, 0x5A), error);
  ASSERT_TRUE(image) << error;
  EXPECT_EQ(image->Byte(0), 0x5A);
  EXPECT_EQ(image->Byte(kConfigImageSize - 1), 0x5A);
  for (std::size_t size : {std::size_t{0}, kConfigImageSize - 1, kConfigImageSize + 1}) {
    EXPECT_FALSE(ReadRawImageFile(WriteFile(size, 0), error)) << size;
    EXPECT_NE(error.find("29332"), std::string::npos) << error;
  }
  EXPECT_FALSE(ReadRawImageFile(path + ".missing", error));
  EXPECT_NE(error.find("cannot open"), std::string::npos) << error;
}

}  // namespace
}  // namespace tusko::sim
