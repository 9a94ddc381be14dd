// The gateway's loader taking a firmware: which blocks it accepts, when it
// answers, and what runs afterwards.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "protocol/TransferConstants.h"
#include "sim/GatewayFlashLoader.h"
#include "sim/GatewayModel.h"
#include "sim/GatewayScript.h"
#include "support/FirmwareFiles.h"
#include "support/RowName.h"

namespace tusko::sim {
namespace {

using std::chrono::milliseconds;

constexpr std::uint32_t kBase = 0x10000;

DeviceMessage FlashStart() { return test::Ask(ie::FlashStart, {kFlashStartValue}); }

DeviceMessage Block(std::uint32_t address, std::vector<std::uint8_t> data, bool withAddress = true) {
  if (!withAddress) return test::Ask(ie::FlashData, std::move(data));
  return test::Ask({{ie::FlashData, std::move(data)}, {ie::FlashAddress, test::Number32(address)}});
}

// The acknowledged address of a single answer, or nothing for anything else.
std::optional<std::uint32_t> AcknowledgedAddress(const std::vector<DeviceMessage>& answers) {
  if (answers.size() != 1 || answers[0].type() != static_cast<std::uint8_t>(MessageType::Reply)) return std::nullopt;
  const auto element = FindElement(answers[0], ie::FlashAddress);
  return element ? ReadNumber32(*element) : std::nullopt;
}

// A gateway whose firmware has just restarted into the loader for an update.
class FlashLoaderTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(test::Outcome(gateway.Receive(FlashStart())), "reply 81") << "the firmware restarts into the loader";
    EXPECT_FALSE(gateway.LinkAvailable());
    ASSERT_EQ(gateway.Advance(kRestartToLoaderMs).size(), 1u);
    ASSERT_EQ(gateway.Phase(), GatewayPhase::Loader);
  }
  // Sends a block; the answer, after the erase time when the loader takes it.
  std::vector<DeviceMessage> Send(const DeviceMessage& block) {
    auto answers = gateway.Receive(block);
    if (answers.empty()) answers = gateway.Advance(kSectorEraseMs);
    return answers;
  }

  GatewayModel gateway;
};

struct BlockRow {
  const char* name;
  std::uint32_t address;
  std::size_t length;
  bool session;
  bool withAddress;
  bool accepted;
};

class FlashLoaderBlocks : public FlashLoaderTest, public testing::WithParamInterface<BlockRow> {};

TEST_P(FlashLoaderBlocks, AcceptsOnlyWholeGroupsInsideTheWindowAndOnOnePage) {
  const BlockRow& row = GetParam();
  if (row.session) {
    ASSERT_EQ(test::Outcome(gateway.Receive(FlashStart())), "reply 21");
  }
  const auto answers = Send(Block(row.address, test::FirmwareData(row.length), row.withAddress));
  if (row.accepted) {
    EXPECT_EQ(AcknowledgedAddress(answers), row.address);
  } else {
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].type(), static_cast<std::uint8_t>(MessageType::Reject));
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, FlashLoaderBlocks,
                         testing::Values(BlockRow{"LongestBlock", kBase, 208, true, true, true},
                                         BlockRow{"LastGroupOfTheWindow", 0x77FF8, 8, true, true, true},
                                         BlockRow{"PastTheWindow", 0x78000, 8, true, true, false},
                                         BlockRow{"BelowTheWindow", 0xFFF8, 8, true, true, false},
                                         BlockRow{"AcrossAPage", 0x103F8, 16, true, true, false},
                                         BlockRow{"NotWholeGroups", kBase, 12, true, true, false},
                                         BlockRow{"TooLong", kBase, 216, true, true, false},
                                         BlockRow{"WithoutAddress", kBase, 8, true, false, false},
                                         BlockRow{"WithoutStart", kBase, 8, false, true, false}),
                         test::RowName<BlockRow>);

TEST_F(FlashLoaderTest, FirstBlockOfASectorIsAnsweredAfterTheErase) {
  ASSERT_EQ(test::Outcome(gateway.Receive(FlashStart())), "reply 21");
  EXPECT_TRUE(gateway.Receive(Block(kBase, test::FirmwareData(8))).empty());
  EXPECT_TRUE(gateway.Advance(kSectorEraseMs - milliseconds(1)).empty());
  EXPECT_EQ(AcknowledgedAddress(gateway.Advance(milliseconds(1))), kBase);

  EXPECT_EQ(AcknowledgedAddress(gateway.Receive(Block(kBase + 8, test::FirmwareData(8)))), kBase + 8);
  EXPECT_TRUE(gateway.Receive(Block(kBase + kEraseSectorBytes, test::FirmwareData(8))).empty());
}

TEST_F(FlashLoaderTest, StopStartsTheWrittenFirmware) {
  ASSERT_EQ(test::Outcome(gateway.Receive(FlashStart())), "reply 21");
  const std::vector<std::uint8_t> data = test::FirmwareData(64, "2.0.1");
  ASSERT_EQ(AcknowledgedAddress(Send(Block(0x20000, data))), 0x20000u);
  EXPECT_EQ(test::Outcome(gateway.Receive(test::Ask(ie::FlashStop))), "reply 29");
  EXPECT_EQ(gateway.Advance(kLoaderToFirmwareMs).size(), 1u);

  EXPECT_EQ(gateway.Phase(), GatewayPhase::Firmware);
  EXPECT_EQ(gateway.Identity().firmwareVersion, "2.0.1");
  EXPECT_EQ(gateway.FlashLoader().flash(),
            test::FlashImageOf({{kSectionTypeApplication, 0x20000, data}}, kFirmwareFlashWindow.start,
                               kFirmwareFlashWindow.length));
}

}  // namespace
}  // namespace tusko::sim
