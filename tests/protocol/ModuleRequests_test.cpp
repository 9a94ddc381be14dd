// GSM module information, module reset and cell list: against the gateway
// model, and reply by reply on a scripted host.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/engine/OperationEngine.h"
#include "support/GatewayHarness.h"
#include "support/ScriptedEngine.h"
#include "support/TestMessages.h"

namespace tusko {
namespace {

using std::chrono::milliseconds;
using test::EngineTestHost;
using test::GatewayHarness;
using test::RecordedNotification;
using test::ReplyWith;
using test::TextElement;

constexpr int kDone = static_cast<int>(OperationResult::Done);

class ModulesAgainstGateway : public ::testing::Test {
 protected:
  GatewayHarness harness;
  EngineTestHost& host = harness.host;
  OperationEngine& engine = harness.engine;
};

TEST_F(ModulesAgainstGateway, ModuleInfoBringsTheFourTexts) {
  ASSERT_TRUE(engine.GetModuleInfo(1));
  harness.RunFor(milliseconds(100));

  const sim::GsmModuleIdentity& expected = harness.gateway.Identity().modules[1];
  const ModuleInformation& module = engine.deviceInformation().module;
  EXPECT_EQ(module.type, expected.type);
  EXPECT_EQ(module.imei, expected.imei);
  EXPECT_EQ(module.imsi, expected.imsi);
  EXPECT_EQ(module.network, expected.network);
  EXPECT_EQ(module.index, 1);
  EXPECT_TRUE(host.Logged("Get module info - 1"));
  EXPECT_EQ(host.notifications, (std::vector<RecordedNotification>{{Notification::ModuleInfoRequested, 0, false},
                                                                   {Notification::ModuleInfoResult, kDone, false}}));
  EXPECT_FALSE(FindElement(host.sent[0].message, ie::Password).has_value());
}

class ModuleReplies : public ::testing::Test, protected test::ScriptedEngine {
 protected:
  ModuleReplies() { engine.SetState(EngineState::Idle); }
};

TEST_F(ModuleReplies, NewRequestForgetsTheOldTextsAndMissingOnesStayEmpty) {
  ModuleInformation& module = engine.deviceInformation().module;
  module.imsi = "old imsi";
  module.network = "old network";
  ASSERT_TRUE(engine.GetModuleInfo(0));
  EXPECT_TRUE(module.imsi.empty());
  Receive(ReplyWith({TextElement(ie::ModuleType, "Quad"), TextElement(ie::ModuleImei, "3560")}));
  EXPECT_EQ(module.type, "Quad");
  EXPECT_EQ(module.imei, "3560");
  EXPECT_TRUE(module.imsi.empty());
  EXPECT_TRUE(module.network.empty());
  EXPECT_EQ(host.CountOf(Notification::ModuleInfoResult, kDone), 1);
}

TEST_F(ModuleReplies, LateAnswerToAnEarlierTryReportsNothingTwice) {
  const auto answerTwice = [this](const DeviceMessage& reply) {
    clock.Advance(milliseconds(settings.communicationTimeout));  // the request goes out again
    Receive(reply);
    Receive(reply);
  };
  ASSERT_TRUE(engine.GetModuleInfo(0));
  answerTwice(ReplyWith({TextElement(ie::ModuleType, "Quad")}));
  ASSERT_TRUE(engine.ResetModule(0));
  answerTwice(ReplyWith({{ie::ModuleReset, {}}}));
  EXPECT_EQ(host.SentElements(),
            (std::vector<std::uint8_t>{ie::ModuleType, ie::ModuleType, ie::ModuleReset, ie::ModuleReset}));
  EXPECT_EQ(host.CountOf(Notification::ModuleInfoResult), 1);
  EXPECT_EQ(host.CountOf(Notification::ModuleResetResult), 1);
}

TEST_F(ModuleReplies, CellsStartOneRepeatInAndClearTheTable) {
  engine.deviceInformation().module.cells[0].fill('9');
  ASSERT_TRUE(engine.GetCells(0));
  EXPECT_EQ(engine.retries(), kMaxRepeats - 1);
  EXPECT_EQ(engine.deviceInformation().module.cells, CellTable{});
  EXPECT_EQ(host.TimerDelay(), milliseconds(settings.communicationTimeoutReadCells));
}

}  // namespace
}  // namespace tusko
