// The gateway model's configuration memory: reading, writing, the restart
// into the loader for a write, the sample image and image files.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "config/CountedTables.h"
#include "config/ImageLayout.h"
#include "config/TextFields.h"
#include "protocol/engine/ConfigTransferRules.h"
#include "protocol/engine/ElementNumbers.h"
#include "sim/GatewayModel.h"
#include "sim/GatewayTiming.h"
#include "sim/RawImageFile.h"
#include "sim/SampleConfiguration.h"
#include "sim/SimulatorOptions.h"
#include "support/RowName.h"

namespace tusko::sim {
namespace {

namespace L = layout;
using std::chrono::milliseconds;

constexpr const char* kPassword = "tusk";

struct Element {
  std::uint8_t id;
  std::vector<std::uint8_t> data;
};

std::vector<std::uint8_t> Number(std::uint32_t value) {
  const auto bytes = EncodeNumber32(value);
  return {bytes.begin(), bytes.end()};
}

DeviceMessage Request(std::initializer_list<Element> elements, const char* password = nullptr) {
  DeviceMessage message = CreateMessage(MessageType::Request);
  for (const Element& element : elements) AddElement(message, element.id, element.data);
  if (password != nullptr) AddTextElement(message, ie::Password, password, true);
  SealMessage(message);
  return message;
}

DeviceMessage ReadRequest(std::uint32_t address) {
  return Request({{ie::ConfigReadData, {}}, {ie::Address, Number(address)}});
}
DeviceMessage WriteStart(std::uint32_t size = kConfigImageSize) {
  return Request({{ie::ConfigWriteStart, Number(size)}, {ie::Address, Number(kConfigBaseAddress)}});
}
DeviceMessage WriteBlock(std::size_t offset, std::vector<std::uint8_t> data) {
  return Request({{ie::ConfigWriteData, std::move(data)}, {ie::Address, Number(ConfigDeviceAddress(offset))}});
}
DeviceMessage WriteStop() { return Request({{ie::ConfigWriteStop, {kConfigWriteStopValue}}}); }

// The single answer, checked for a valid frame.
DeviceMessage Answer(GatewayModel& gateway, const DeviceMessage& request) {
  const auto answers = gateway.Receive(request);
  EXPECT_EQ(answers.size(), 1u);
  if (answers.size() != 1) return DeviceMessage{};
  EXPECT_TRUE(IsChecksumValid(answers[0]));
  return answers[0];
}

std::optional<std::uint8_t> RefusalCause(const DeviceMessage& answer) {
  if (answer.type() != static_cast<std::uint8_t>(MessageType::Reject)) return std::nullopt;
  const auto cause = FindElement(answer, ie::Cause);
  return cause && !cause->data.empty() ? std::optional(cause->data[0]) : std::nullopt;
}

std::vector<std::uint8_t> Data(const DeviceMessage& message, std::uint8_t id) {
  const auto element = FindElement(message, id);
  return element ? std::vector<std::uint8_t>(element->data.begin(), element->data.end()) : std::vector<std::uint8_t>{};
}

// ---- Sample image ----

TEST(SampleConfiguration, IsARealisticValidImage) {
  ConfigurationImage image = MakeSampleConfiguration();
  EXPECT_TRUE(HasSignature(image));
  EXPECT_EQ(ReadCountedText(image, L::general::kDeviceName), "Sentarix Office");

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
  EXPECT_EQ(ReadCountedString(image, L::mobility::RingNumber(L::mobility::kTable.RecordOffset(0), 1)), "01605550002");
  EXPECT_EQ(image.Byte(L::mobility::RingCondition(L::mobility::kTable.RecordOffset(0), 1)),
            L::mobility::kDuringWorkingHours);
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
  const DeviceMessage answer = Answer(gateway, ReadRequest(row.address));
  if (row.length == 0) {
    EXPECT_EQ(RefusalCause(answer), cause::NotAllowed);
    return;
  }
  EXPECT_EQ(answer.type(), static_cast<std::uint8_t>(MessageType::Reply));
  EXPECT_EQ(Data(answer, ie::Address), Number(row.address));
  const auto stored = gateway.Configuration().Stored().Range(row.address - kConfigBaseAddress, row.length);
  EXPECT_EQ(Data(answer, ie::ConfigReadData), std::vector<std::uint8_t>(stored.begin(), stored.end()));
}

INSTANTIATE_TEST_SUITE_P(Gateway, ConfigRead,
                         testing::Values(ReadRow{"first", kConfigBaseAddress, 128},
                                         ReadRow{"signature", kConfigBaseAddress + 104, 128},
                                         ReadRow{"lastBlock", kConfigBaseAddress + 29312, 20},
                                         ReadRow{"lastByte", kConfigBaseAddress + kConfigImageSize - 1, 1},
                                         ReadRow{"pastTheEnd", kConfigBaseAddress + kConfigImageSize, 0},
                                         ReadRow{"belowTheImage", kConfigBaseAddress - 1, 0}),
                         test::RowName<ReadRow>);

TEST(ConfigRead, NeedsAFourByteAddressThePasswordAndTheFirmware) {
  GatewayModel gateway;
  EXPECT_EQ(RefusalCause(Answer(gateway, Request({{ie::ConfigReadData, {}}}))), cause::NotAllowed);
  EXPECT_EQ(RefusalCause(Answer(gateway, Request({{ie::ConfigReadData, {}}, {ie::Address, {0x07, 0x00, 0x00}}}))),
            cause::NotAllowed);

  gateway.Identity().password = kPassword;
  EXPECT_EQ(RefusalCause(Answer(gateway, ReadRequest(kConfigBaseAddress))), cause::PasswordRequired);
  const auto withPassword = Request({{ie::ConfigReadData, {}}, {ie::Address, Number(kConfigBaseAddress)}}, kPassword);
  EXPECT_FALSE(RefusalCause(Answer(gateway, withPassword)));

  gateway.Identity().password.clear();
  Answer(gateway, Request({{ie::Reset, {}}}));
  gateway.Advance(kRestartToLoaderMs);
  ASSERT_EQ(gateway.Phase(), GatewayPhase::Loader);
  EXPECT_EQ(RefusalCause(Answer(gateway, ReadRequest(kConfigBaseAddress))), cause::NotAllowed);
}

// ---- Writing ----

class ConfigWrite : public testing::Test {
 protected:
  void Start() { ASSERT_EQ(Data(Answer(gateway, WriteStart()), ie::ConfigWriteStart), std::vector<std::uint8_t>{}); }
  GatewayModel gateway;
};

TEST_F(ConfigWrite, StartChecksTheImageSizeAndAddress) {
  EXPECT_EQ(RefusalCause(Answer(gateway, WriteStart(kConfigImageSize - 1))), cause::NotAllowed);
  EXPECT_EQ(RefusalCause(Answer(gateway, Request({{ie::ConfigWriteStart, Number(kConfigImageSize)}}))),
            cause::NotAllowed);
  EXPECT_EQ(RefusalCause(Answer(gateway, Request({{ie::ConfigWriteStart, Number(kConfigImageSize)},
                                                  {ie::Address, Number(kConfigBaseAddress + 8)}}))),
            cause::NotAllowed);
  const DeviceMessage accepted = Answer(gateway, WriteStart());
  EXPECT_EQ(accepted.type(), static_cast<std::uint8_t>(MessageType::Reply));
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
  const DeviceMessage answer = Answer(gateway, WriteBlock(row.offset, std::vector<std::uint8_t>(row.length, 0x21)));
  if (row.accepted) {
    EXPECT_EQ(answer.type(), static_cast<std::uint8_t>(MessageType::Reply));
    EXPECT_EQ(Data(answer, ie::Address), Number(ConfigDeviceAddress(row.offset)));
  } else {
    EXPECT_EQ(RefusalCause(answer), cause::NotAllowed);
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

TEST_F(ConfigWrite, BlocksNeedAStartedWrite) {
  EXPECT_EQ(RefusalCause(Answer(gateway, WriteBlock(0, std::vector<std::uint8_t>(8, 1)))), cause::NotAllowed);
  EXPECT_EQ(RefusalCause(Answer(gateway, WriteStop())), cause::NotAllowed);
}

TEST_F(ConfigWrite, StopCommitsTheWrittenImageAndRestartsTheFirmware) {
  const ConfigurationImage before = gateway.Configuration().Stored();
  Start();
  Answer(gateway, WriteBlock(0, std::vector<std::uint8_t>(208, 0x21)));
  Answer(gateway, WriteBlock(29296, std::vector<std::uint8_t>(40, 0x22)));
  EXPECT_EQ(gateway.Configuration().Stored(), before);  // nothing changes before the stop

  EXPECT_EQ(Answer(gateway, WriteStop()).type(), static_cast<std::uint8_t>(MessageType::Reply));
  ConfigurationImage expected;  // what was not written is erased
  expected.Fill(0, 208, 0x21);
  expected.Fill(29296, 36, 0x22);
  EXPECT_EQ(gateway.Configuration().Stored(), expected);

  EXPECT_FALSE(gateway.LinkAvailable());
  const auto events = gateway.Advance(kLoaderToFirmwareMs);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_TRUE(FindElement(events[0], ie::FirmwareStarted));
  EXPECT_EQ(gateway.Phase(), GatewayPhase::Firmware);
  EXPECT_EQ(RefusalCause(Answer(gateway, WriteStop())), cause::NotAllowed);  // the write is over
}

TEST_F(ConfigWrite, StopNeedsItsZeroByte) {
  Start();
  EXPECT_EQ(RefusalCause(Answer(gateway, Request({{ie::ConfigWriteStop, {}}}))), cause::NotAllowed);
  EXPECT_EQ(RefusalCause(Answer(gateway, Request({{ie::ConfigWriteStop, {1}}}))), cause::NotAllowed);
}

TEST_F(ConfigWrite, RestartDropsAWriteUnderWay) {
  Start();
  Answer(gateway, WriteBlock(0, std::vector<std::uint8_t>(208, 0x21)));
  Answer(gateway, Request({{ie::Reset, {}}}));
  gateway.Advance(kRestartToLoaderMs);
  ASSERT_EQ(gateway.Phase(), GatewayPhase::Loader);
  EXPECT_EQ(RefusalCause(Answer(gateway, WriteStop())), cause::NotAllowed);
  EXPECT_EQ(gateway.Configuration().Stored(), MakeSampleConfiguration());
}

TEST_F(ConfigWrite, WriteRequestsNeedThePassword) {
  gateway.Identity().password = kPassword;
  EXPECT_EQ(RefusalCause(Answer(gateway, WriteStart())), cause::PasswordRequired);
  const auto start =
      Request({{ie::ConfigWriteStart, Number(kConfigImageSize)}, {ie::Address, Number(kConfigBaseAddress)}}, kPassword);
  EXPECT_FALSE(RefusalCause(Answer(gateway, start)));
  EXPECT_EQ(RefusalCause(Answer(gateway, WriteBlock(0, std::vector<std::uint8_t>(8, 1)))), cause::PasswordRequired);
  EXPECT_FALSE(RefusalCause(Answer(gateway, WriteStop())));  // the stop goes without it
}

TEST(ConfigWriteViaLoader, FirmwareRestartsIntoTheLoaderWhichTakesTheWrite) {
  GatewayIdentity identity;
  identity.restartForWrite = true;
  GatewayModel gateway(identity);

  const DeviceMessage reset = Answer(gateway, WriteStart());
  EXPECT_EQ(reset.type(), static_cast<std::uint8_t>(MessageType::Reply));
  EXPECT_TRUE(FindElement(reset, ie::Reset));
  EXPECT_FALSE(gateway.LinkAvailable());
  const auto loaderEvents = gateway.Advance(kRestartToLoaderMs);
  ASSERT_EQ(loaderEvents.size(), 1u);
  EXPECT_TRUE(FindElement(loaderEvents[0], ie::LoaderStarted));

  EXPECT_TRUE(FindElement(Answer(gateway, WriteStart()), ie::ConfigWriteStart));
  EXPECT_TRUE(FindElement(Answer(gateway, WriteBlock(8, std::vector<std::uint8_t>(8, 0x33))), ie::Address));
  EXPECT_TRUE(FindElement(Answer(gateway, WriteStop()), ie::ConfigWriteStop));
  const auto firmwareEvents = gateway.Advance(kLoaderToFirmwareMs);
  ASSERT_EQ(firmwareEvents.size(), 1u);
  EXPECT_TRUE(FindElement(firmwareEvents[0], ie::FirmwareStarted));
  EXPECT_EQ(gateway.Configuration().Stored().Byte(8), 0x33);
}

// ---- Image files and options ----

class RawImageFileTest : public testing::Test {
 protected:
  ~RawImageFileTest() override { std::filesystem::remove(path_); }
  const std::string& WriteFile(std::size_t size, std::uint8_t value) {
    std::ofstream(path_, std::ios::binary) << std::string(size, static_cast<char>(value));
    return path_;
  }
  std::string path_ = (std::filesystem::temp_directory_path() /
                       ("tusko-image-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                        ::testing::UnitTest::GetInstance()->current_test_info()->name()))
                          .string();
};

TEST_F(RawImageFileTest, ReadsAnImageOfExactlyItsSize) {
  std::string error;
  const auto image = ReadRawImageFile(WriteFile(kConfigImageSize, 0x5A), error);
  ASSERT_TRUE(image) << error;
  EXPECT_EQ(image->Byte(0), 0x5A);
  EXPECT_EQ(image->Byte(kConfigImageSize - 1), 0x5A);
}

TEST_F(RawImageFileTest, RefusesOtherSizesAndMissingFiles) {
  for (std::size_t size : {std::size_t{0}, kConfigImageSize - 1, kConfigImageSize + 1}) {
    std::string error;
    EXPECT_FALSE(ReadRawImageFile(WriteFile(size, 0), error)) << size;
    EXPECT_NE(error.find("29332"), std::string::npos) << error;
  }
  std::string error;
  EXPECT_FALSE(ReadRawImageFile(path_ + ".missing", error));
  EXPECT_NE(error.find("cannot open"), std::string::npos) << error;
}

TEST(SimulatorConfigOptions, NameTheImageFileAndTheWriteThroughTheLoader) {
  const auto parsed = ParseSimulatorOptions({"--config", "office.img", "--write-via-loader"});
  ASSERT_TRUE(parsed.error.empty()) << parsed.error;
  EXPECT_EQ(parsed.options.configFile, "office.img");
  EXPECT_TRUE(parsed.options.writeViaLoader);

  const auto defaults = ParseSimulatorOptions({});
  EXPECT_TRUE(defaults.options.configFile.empty());
  EXPECT_FALSE(defaults.options.writeViaLoader);
  EXPECT_FALSE(ParseSimulatorOptions({"--config"}).error.empty());
  EXPECT_FALSE(ParseSimulatorOptions({"--config", ""}).error.empty());
}

}  // namespace
}  // namespace tusko::sim
