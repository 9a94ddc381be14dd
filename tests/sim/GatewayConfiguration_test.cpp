// The gateway model's configuration memory: reading, writing, the sample
// image and image files (the write through the loader: ConfigTransferRoundTrip).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "config/CountedTables.h"
#include "config/ImageLayout.h"
#include "config/TextFields.h"
#include "protocol/engine/ConfigTransferRules.h"
#include "sim/GatewayModel.h"
#include "sim/GatewayScript.h"
#include "sim/GatewayTiming.h"
#include "sim/RawImageFile.h"
#include "sim/SampleConfiguration.h"
#include "support/RowName.h"
#include "support/TempFolder.h"

namespace tusko::sim {
namespace {

namespace L = layout;
using test::AnswerTo;
using test::Ask;
using test::Data;
using test::Number32;
using test::RejectCause;

constexpr const char* kPassword = "tusk";

DeviceMessage ReadRequest(std::uint32_t address) {
  return Ask({{ie::ConfigReadData, {}}, {ie::Address, Number32(address)}});
}
DeviceMessage WriteStart(std::uint32_t size = kConfigImageSize, std::uint32_t address = kConfigBaseAddress) {
  return Ask({{ie::ConfigWriteStart, Number32(size)}, {ie::Address, Number32(address)}});
}
DeviceMessage WriteBlock(std::size_t offset, std::size_t length, std::uint8_t value = 0x21) {
  return Ask({{ie::ConfigWriteData, std::vector<std::uint8_t>(length, value)},
              {ie::Address, Number32(ConfigDeviceAddress(offset))}});
}
DeviceMessage WriteStop() { return Ask(ie::ConfigWriteStop, {kConfigWriteStopValue}); }

TEST(SampleConfiguration, IsARealisticValidImage) {
  ConfigurationImage image = MakeSampleConfiguration();
  EXPECT_TRUE(HasSignature(image));
  EXPECT_FALSE(ReadCountedText(image, L::general::kDeviceName).empty());

  struct Table {
    const L::CountedTable& table;
    std::size_t used;
  };
  for (const Table& t : {Table{L::lcr::kRoutingTable, 4}, Table{L::lcr::kClipTable, 2},
                         Table{L::clipFromGsm::kTable, 3}, Table{L::mobility::kTable, 2}}) {
    EXPECT_EQ(CountRecords(image, t.table), t.used) << t.table.section.offset;
    // Nothing after the used records, so that the download's skip leaves the image whole.
    const std::size_t freeStart = t.table.RecordOffset(t.used);
    for (std::uint8_t byte : image.Range(freeStart, t.table.section.End() - freeStart)) {
      ASSERT_EQ(byte, L::kUnset) << t.table.section.offset;
    }
  }
}

// ---- Reading ----

struct ReadRow {
  const char* name;
  std::uint32_t address;
  std::size_t length;  // 0: refused
};

class ConfigRead : public testing::TestWithParam<ReadRow> {};

TEST_P(ConfigRead, AnswersTheStoredBytesAtTheAddress) {
  GatewayModel gateway;
  const ReadRow& row = GetParam();
  const DeviceMessage answer = AnswerTo(gateway, ReadRequest(row.address));
  if (row.length == 0) {
    EXPECT_EQ(RejectCause(answer), cause::NotAllowed);
    return;
  }
  EXPECT_TRUE(test::IsReply(answer));
  EXPECT_EQ(Data(answer, ie::Address), Number32(row.address));
  const auto stored = gateway.Configuration().Stored().Range(row.address - kConfigBaseAddress, row.length);
  EXPECT_EQ(Data(answer, ie::ConfigReadData), std::vector<std::uint8_t>(stored.begin(), stored.end()));
}

INSTANTIATE_TEST_SUITE_P(Gateway, ConfigRead,
                         testing::Values(ReadRow{"unalignedBlock", kConfigBaseAddress + 104, 128},
                                         ReadRow{"lastByte", kConfigBaseAddress + kConfigImageSize - 1, 1},
                                         ReadRow{"pastTheEnd", kConfigBaseAddress + kConfigImageSize, 0},
                                         ReadRow{"belowTheImage", kConfigBaseAddress - 1, 0}),
                         test::RowName<ReadRow>);

TEST(ConfigRead, NeedsAFourByteAddressThePasswordAndTheFirmware) {
  GatewayModel gateway;
  EXPECT_EQ(RejectCause(AnswerTo(gateway, Ask(ie::ConfigReadData))), cause::NotAllowed);
  EXPECT_EQ(RejectCause(AnswerTo(gateway, Ask({{ie::ConfigReadData, {}}, {ie::Address, {0x07, 0x00, 0x00}}}))),
            cause::NotAllowed);

  gateway.Identity().password = kPassword;
  EXPECT_EQ(RejectCause(AnswerTo(gateway, ReadRequest(kConfigBaseAddress))), cause::PasswordRequired);
  const auto withPassword =
      Ask({{ie::ConfigReadData, {}}, {ie::Address, Number32(kConfigBaseAddress)}, test::Password(kPassword)});
  EXPECT_TRUE(test::IsReply(AnswerTo(gateway, withPassword)));

  gateway.Identity().password.clear();
  AnswerTo(gateway, Ask(ie::Reset));
  gateway.Advance(kRestartToLoaderMs);
  ASSERT_EQ(gateway.Phase(), GatewayPhase::Loader);
  EXPECT_EQ(RejectCause(AnswerTo(gateway, ReadRequest(kConfigBaseAddress))), cause::NotAllowed);
}

// ---- Writing ----

class ConfigWrite : public testing::Test {
 protected:
  void Start() { ASSERT_EQ(Data(AnswerTo(gateway, WriteStart()), ie::ConfigWriteStart), std::vector<std::uint8_t>{}); }
  std::optional<std::uint8_t> Refusal(const DeviceMessage& request) { return RejectCause(AnswerTo(gateway, request)); }
  GatewayModel gateway;
};

TEST_F(ConfigWrite, StartChecksTheImageSizeAndAddressAndTheRestNeedsAStartedWrite) {
  EXPECT_EQ(Refusal(WriteBlock(0, 8)), cause::NotAllowed);
  EXPECT_EQ(Refusal(WriteStop()), cause::NotAllowed);
  EXPECT_EQ(Refusal(WriteStart(kConfigImageSize - 1)), cause::NotAllowed);
  EXPECT_EQ(Refusal(Ask(ie::ConfigWriteStart, Number32(kConfigImageSize))), cause::NotAllowed);
  EXPECT_EQ(Refusal(WriteStart(kConfigImageSize, kConfigBaseAddress + 8)), cause::NotAllowed);
  const DeviceMessage accepted = AnswerTo(gateway, WriteStart());
  EXPECT_TRUE(test::IsReply(accepted));
  EXPECT_TRUE(FindElement(accepted, ie::ConfigWriteStart));
}

struct BlockRow {
  const char* name;
  std::size_t offset;
  std::size_t length;
  bool accepted;
};

class ConfigWriteBlock : public ConfigWrite, public testing::WithParamInterface<BlockRow> {};

TEST_P(ConfigWriteBlock, TakesOnlyWholeGroupsWithinOneFlashPage) {
  Start();
  const BlockRow& row = GetParam();
  const DeviceMessage answer = AnswerTo(gateway, WriteBlock(row.offset, row.length));
  if (row.accepted) {
    EXPECT_TRUE(test::IsReply(answer));
    EXPECT_EQ(Data(answer, ie::Address), Number32(ConfigDeviceAddress(row.offset)));
  } else {
    EXPECT_EQ(RejectCause(answer), cause::NotAllowed);
  }
}

INSTANTIATE_TEST_SUITE_P(Gateway, ConfigWriteBlock,
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
  AnswerTo(gateway, WriteBlock(0, 208));
  AnswerTo(gateway, WriteBlock(29296, 40, 0x22));
  EXPECT_EQ(gateway.Configuration().Stored(), before);  // nothing changes before the stop
  EXPECT_EQ(Refusal(Ask(ie::ConfigWriteStop)), cause::NotAllowed);
  EXPECT_EQ(Refusal(Ask(ie::ConfigWriteStop, {1})), cause::NotAllowed);

  EXPECT_TRUE(test::IsReply(AnswerTo(gateway, WriteStop())));
  ConfigurationImage expected;  // what was not written is erased
  expected.Fill(0, 208, 0x21);
  expected.Fill(29296, 36, 0x22);
  EXPECT_EQ(gateway.Configuration().Stored(), expected);

  EXPECT_FALSE(gateway.LinkAvailable());
  EXPECT_EQ(test::Outcome(gateway.Advance(kLoaderToFirmwareMs)), "event 13");
  EXPECT_EQ(gateway.Phase(), GatewayPhase::Firmware);
  EXPECT_EQ(Refusal(WriteStop()), cause::NotAllowed);  // the write is over
}

TEST_F(ConfigWrite, RestartDropsAWriteUnderWay) {
  Start();
  AnswerTo(gateway, WriteBlock(0, 208));
  AnswerTo(gateway, Ask(ie::Reset));
  gateway.Advance(kRestartToLoaderMs);
  ASSERT_EQ(gateway.Phase(), GatewayPhase::Loader);
  EXPECT_EQ(Refusal(WriteStop()), cause::NotAllowed);
  EXPECT_EQ(gateway.Configuration().Stored(), MakeSampleConfiguration());
}

TEST_F(ConfigWrite, WriteRequestsNeedThePasswordButTheStop) {
  gateway.Identity().password = kPassword;
  EXPECT_EQ(Refusal(WriteStart()), cause::PasswordRequired);
  const auto start = Ask({{ie::ConfigWriteStart, Number32(kConfigImageSize)},
                          {ie::Address, Number32(kConfigBaseAddress)}, test::Password(kPassword)});
  EXPECT_FALSE(Refusal(start));
  EXPECT_EQ(Refusal(WriteBlock(0, 8)), cause::PasswordRequired);
  EXPECT_FALSE(Refusal(WriteStop()));
}

// ---- Image files ----

class RawImageFileTest : public testing::Test {
 protected:
  const std::string& WriteFile(std::size_t size, std::uint8_t value) {
    std::ofstream(path_, std::ios::binary) << std::string(size, static_cast<char>(value));
    return path_;
  }
  const test::TempFolder folder_;
  const std::string path_ = (folder_ / "image.bin").string();
};

TEST_F(RawImageFileTest, ReadsAnImageOfExactlyItsSizeAndRefusesOthersAndMissingFiles) {
  std::string error;
  const auto image = ReadRawImageFile(WriteFile(kConfigImageSize, 0x5A), error);
  ASSERT_TRUE(image) << error;
  EXPECT_EQ(image->Byte(0), 0x5A);
  EXPECT_EQ(image->Byte(kConfigImageSize - 1), 0x5A);
  for (std::size_t size : {std::size_t{0}, kConfigImageSize - 1, kConfigImageSize + 1}) {
    EXPECT_FALSE(ReadRawImageFile(WriteFile(size, 0), error)) << size;
    EXPECT_NE(error.find("29332"), std::string::npos) << error;
  }
  EXPECT_FALSE(ReadRawImageFile(path_ + ".missing", error));
  EXPECT_NE(error.find("cannot open"), std::string::npos) << error;
}

}  // namespace
}  // namespace tusko::sim
