#include "sim/WireSession.h"

#include <gtest/gtest.h>

#include "link/FrameDecoder.h"
#include "link/FrameEncoder.h"
#include "sim/OutputPacer.h"
#include "support/TestMessages.h"

namespace tusko::sim {
namespace {

using namespace std::chrono_literals;

// The utility's side of the wire: frames requests, cuts the answers back into messages.
class WireSessionTest : public testing::Test {
 protected:
  void Start(WireFaults faults) {
    session_ = std::make_unique<WireSession>(
        model_, faults,
        [this](std::span<const std::uint8_t> bytes) {
          for (std::uint8_t b : bytes) {
            if (auto frame = decoder_.Feed(b)) received_.push_back(frame->message);
          }
        },
        [](std::string_view) {});
  }

  static std::vector<std::uint8_t> SystemInfoRequestFrame() {
    const DeviceMessage request = test::SealedMessage(MessageType::Request, {{ie::LoaderVersion, {}}});
    std::vector<std::uint8_t> frame;
    EncodeFrame(request.wireBytes(), frame);
    return frame;
  }
  void SendSystemInfoRequest() { session_->OnBytes(SystemInfoRequestFrame()); }

  GatewayModel model_;
  std::unique_ptr<WireSession> session_;
  FrameDecoder decoder_;
  std::vector<DeviceMessage> received_;
};

TEST_F(WireSessionTest, RequestSplitAcrossReadsIsAnsweredOnce) {
  Start({});
  for (std::uint8_t b : SystemInfoRequestFrame()) session_->OnBytes({&b, 1});
  ASSERT_EQ(received_.size(), 1u);
  EXPECT_TRUE(IsChecksumValid(received_[0]));
  EXPECT_TRUE(FindElement(received_[0], ie::FirmwareVersion).has_value());
}

TEST_F(WireSessionTest, DelayedAnswerLeavesOnlyWhenItsTimeHasCome) {
  Start({.replyDelay = 300ms});
  SendSystemInfoRequest();
  session_->Advance(299ms);
  EXPECT_TRUE(received_.empty());
  session_->Advance(1ms);
  EXPECT_EQ(received_.size(), 1u);
}

TEST_F(WireSessionTest, StalledAnswerNeverCompletesItsFrame) {
  Start({.stallAnswer = 1});
  SendSystemInfoRequest();
  EXPECT_TRUE(received_.empty());
  EXPECT_TRUE(decoder_.InFrame());
  // The next start byte restarts the frame, so the second answer arrives whole.
  SendSystemInfoRequest();
  EXPECT_EQ(received_.size(), 1u);
  EXPECT_FALSE(decoder_.InFrame());
}

TEST_F(WireSessionTest, CloseAfterAnswersAsksForTheConnectionToDrop) {
  Start({.closeAfterAnswers = 2});
  SendSystemInfoRequest();
  EXPECT_FALSE(session_->CloseRequested());
  SendSystemInfoRequest();
  EXPECT_TRUE(session_->CloseRequested());
  session_->Restart();
  EXPECT_FALSE(session_->CloseRequested());
}

TEST(OutputPacer, ReleasesBytesAtElevenBitsPerByte) {
  OutputPacer pacer(115200);
  const std::vector<std::uint8_t> bytes(1000, 0x55);
  pacer.Push(bytes);
  EXPECT_EQ(pacer.Allowed(0us), 0u);
  // 115200 / 11 = 10472.7 bytes per second: 10 ms carry 104 bytes.
  EXPECT_EQ(pacer.Allowed(10000us), 104u);
  pacer.Consume(104);
  EXPECT_EQ(pacer.Allowed(10000us), 0u);
  EXPECT_EQ(pacer.Allowed(1000000us), 896u);
}

TEST(OutputPacer, ZeroBaudReleasesEverythingAtOnce) {
  OutputPacer pacer(0);
  const std::vector<std::uint8_t> bytes(5000, 0x7E);
  pacer.Push(bytes);
  EXPECT_EQ(pacer.Allowed(0us), 5000u);
}

}  // namespace
}  // namespace tusko::sim
