// The password change: against the gateway model, which keeps the new
// password, and on a scripted host.
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
using test::GatewayHarness;
using test::RecordedNotification;
using test::RejectWith;

constexpr int kDone = static_cast<int>(OperationResult::Done);
constexpr int kOldPasswordWrong = static_cast<int>(OperationResult::OldPasswordWrong);
constexpr int kRejected = static_cast<int>(OperationResult::Rejected);

// The element's data as text, NUL included.
std::string RawText(const DeviceMessage& message, std::uint8_t element) {
  const auto found = FindElement(message, element);
  return found ? std::string(found->data.begin(), found->data.end()) : "<absent>";
}

sim::GatewayIdentity WithPassword(const char* password) {
  sim::GatewayIdentity identity;
  identity.password = password;
  return identity;
}

TEST(PasswordChangeAgainstGateway, NewPasswordIsKeptAndTheOldOneNoLongerWorks) {
  GatewayHarness harness(LinkType::Serial, WithPassword("first"));
  harness.engine.SetLoginPassword("first");
  ASSERT_TRUE(harness.engine.ChangePassword("second", "first"));
  harness.RunFor(milliseconds(100));

  EXPECT_EQ(harness.host.notifications, (std::vector<RecordedNotification>{
                                            {Notification::PasswordChangeRequested, 0, false},
                                            {Notification::PasswordChangeResult, kDone, false},
                                        }));
  EXPECT_EQ(harness.gateway.Identity().password, "second");
  EXPECT_EQ(harness.engine.loginPassword(), "first");  // the window decides about the login password

  // The old password is now wrong: the change ends at once, without a login prompt.
  harness.host.ClearRecords();
  ASSERT_TRUE(harness.engine.ChangePassword("third", "first"));
  harness.RunFor(milliseconds(100));
  EXPECT_EQ(harness.gateway.RequestCount(ie::NewPassword), 2);
  EXPECT_EQ(harness.host.passwordQueries, 0);
  EXPECT_EQ(harness.host.CountOf(Notification::PasswordChangeResult, kOldPasswordWrong), 1);
  EXPECT_EQ(harness.gateway.Identity().password, "second");
  EXPECT_FALSE(harness.engine.HasPending(PasswordChangePending));

  // Requests with the old login password are refused and the login prompt comes.
  harness.host.passwordAnswers = {"second"};
  ASSERT_TRUE(harness.engine.GetDateTime());
  harness.RunFor(milliseconds(100));
  EXPECT_EQ(harness.host.passwordQueries, 1);
  EXPECT_EQ(harness.host.CountOf(Notification::GetTimeResult, kDone), 1);
}

class PasswordChangeScripted : public ::testing::Test, protected test::ScriptedEngine {
 protected:
  PasswordChangeScripted() { engine.SetState(EngineState::Idle); }
};

TEST_F(PasswordChangeScripted, RefusalsRepeatTheSameTextsUntilTheLastTry) {
  ASSERT_TRUE(engine.ChangePassword("new", "old"));
  for (int i = 0; i < kMaxTries; ++i) Receive(RejectWith({cause::NotAllowed}));
  ASSERT_EQ(host.sent.size(), static_cast<std::size_t>(kMaxTries));
  for (const auto& sent : host.sent) {
    EXPECT_EQ(RawText(sent.message, ie::NewPassword), std::string("new\0", 4));
    EXPECT_EQ(RawText(sent.message, ie::Password), std::string("old\0", 4));
  }
  EXPECT_EQ(host.CountOf(Notification::PasswordChangeResult, kRejected), 1);
}

}  // namespace
}  // namespace tusko
