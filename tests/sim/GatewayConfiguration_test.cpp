// The gateway model's configuration memory: reading, writing and image files
// (the write through the loader: ConfigTransferRoundTrip).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "sim/GatewayModel.h"
#include "sim/GatewayScript.h"
#include "sim/GatewayTiming.h"
#include "sim/RawImageFile.h"
#include "sim/SampleConfiguration.h"
#include "support/RowName.h"
#include "support/TempFolder.h"

namespace tusko::sim {
namespace {

using test::AnswerTo;
using test::Ask;
using test::ConfigWriteBlock;
using test::ConfigWriteStart;
using test::ConfigWriteStop;
using test::Data;
using test::Number32;
using test::RejectCause;

// ---- Reading ----

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

// ---- Writing ----

class ConfigWrite : public testing::Test {
 protected:
  void Start() { ASSERT_EQ(Data(AnswerTo(gateway, ConfigWriteStart()), ie::ConfigWriteStart), std::vector<std::uint8_t>{}); }
  std::optional<std::uint8_t> Refusal(const DeviceMessage& request) { return RejectCause(AnswerTo(gateway, request)); }
  GatewayModel gateway;
};

struct BlockRow {
  const char* name;
  std::size_t offset;
  std::size_t length;
  bool accepted;
};

class ConfigWriteBlocks : public ConfigWrite, public testing::WithParamInterface<BlockRow> {};

TEST_P(ConfigWriteBlocks, TakesOnlyWholeGroupsWithinOneFlashPage) {
  Start();
  const BlockRow& row = GetParam();
  const DeviceMessage answer = AnswerTo(gateway, ConfigWriteBlock(row.offset, row.length));
  if (row.accepted) {
    EXPECT_TRUE(test::IsReply(answer));
    EXPECT_EQ(Data(answer, ie::Address), Number32(ConfigDeviceAddress(row.offset)));
  } else {
    EXPECT_EQ(RejectCause(answer), cause::NotAllowed);
  }
}

INSTANTIATE_TEST_SUITE_P(Gateway, ConfigWriteBlocks,
                         testing::Values(BlockRow{"full", 0, 208, true}, BlockRow{"shortenedAtThePage", 832, 192, true},
                                         BlockRow{"lastGroupOfAPage", 1016, 8, true},
                                         BlockRow{"lastPadded", 29296, 40, true}, BlockRow{"empty", 0, 0, false},
                                         BlockRow{"notWholeGroups", 0, 12, false}, BlockRow{"tooLong", 0, 216, false},
                                         BlockRow{"crossesAPage", 832, 208, false}, BlockRow{"unaligned", 4, 8, false},
                                         BlockRow{"pastThePadding", 29296, 48, false},
                                         BlockRow{"pastTheImage", kConfigImageSize, 8, false}),
                         test::RowName<BlockRow>);

TEST_F(ConfigWrite, StopCommitsTheWrittenImageAndRestartsTheFirmware) {
  const ConfigurationImage before = gateway.Configuration().Stored();
  Start();
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

  EXPECT_EQ(test::Outcome(gateway.Advance(kLoaderToFirmwareMs)), "event 13");
  EXPECT_EQ(Refusal(ConfigWriteStop()), cause::NotAllowed);  // the write is over
}

TEST_F(ConfigWrite, RestartDropsAWriteUnderWay) {
  Start();
  AnswerTo(gateway, ConfigWriteBlock(0, 208));
  AnswerTo(gateway, Ask(ie::Reset));
  gateway.Advance(kRestartToLoaderMs);
  ASSERT_EQ(gateway.Phase(), GatewayPhase::Loader);
  EXPECT_EQ(Refusal(ConfigWriteStop()), cause::NotAllowed);
  EXPECT_EQ(gateway.Configuration().Stored(), MakeSampleConfiguration());
}

// The start's password is checked with the other guarded requests (GatewayModel_test).
TEST_F(ConfigWrite, BlocksNeedThePasswordButTheStopDoesNot) {
  Start();
  gateway.Identity().password = "tusk";
  EXPECT_EQ(Refusal(ConfigWriteBlock(0, 8)), cause::PasswordRequired);
  EXPECT_FALSE(Refusal(ConfigWriteStop()));
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
