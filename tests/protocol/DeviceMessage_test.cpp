#include "protocol/DeviceMessage.h"

#include <gtest/gtest.h>

namespace tusko {
namespace {

TEST(DeviceMessage, EmptyRequestIsThreeBytesWithChecksum5F) {
  auto message = CreateMessage(MessageType::Request);
  SealMessage(message);
  ASSERT_EQ(message.wireSize(), 3u);
  EXPECT_EQ(message.wireBytes()[2], 0x5F);
  EXPECT_TRUE(IsChecksumValid(message));
}

}  // namespace
}  // namespace tusko
