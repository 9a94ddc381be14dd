// The gateway's live diagnostics: how lines and modules change with time, and
// the diagnostics answers as the utility's readers take them apart.
#include "sim/GatewayDiagnostics.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "sim/GatewayModel.h"
#include "sim/GatewayScript.h"

namespace tusko::sim {
namespace {

using std::chrono::seconds;
using test::AnswerTo;
using test::Ask;

// Ten minutes show line 2 up and down, and each module registered with a
// signal within the scale the utility shows.
TEST(GatewayDiagnostics, TenMinutesShowLine2UpAndDownAndRegisteredModules) {
  GatewayDiagnostics diagnostics;
  diagnostics.RestartModule(kModuleCount);  // no such module: every module stays registered
  std::set<std::uint16_t> line2;
  for (int second = 0; second < 600; ++second, diagnostics.Advance(seconds(1))) {
    line2.insert(diagnostics.IsdnStatusWords()[1]);
    for (std::size_t m = 0; m < kModuleCount; ++m) {
      ASSERT_TRUE(diagnostics.GsmStatus(m).registered) << second;
      ASSERT_LE(diagnostics.GsmStatus(m).signal, 31) << second;
    }
  }
  EXPECT_EQ(line2, (std::set<std::uint16_t>{kIsdnLayer2Up | kIsdnSdi, kIsdnLossOfSignal}));
}

// What the utility's `read` takes from the element `id` of the answer to `request`.
template <typename Reader>
auto ReadAnswer(GatewayModel& gateway, const DeviceMessage& request, std::uint8_t id, Reader read) {
  const DeviceMessage answer = AnswerTo(gateway, request);
  const auto element = FindElement(answer, id);
  EXPECT_TRUE(element.has_value());
  return element ? read(*element) : decltype(read(*element)){};
}

// The status words are little-endian; the utility asks for all four ISDN
// credit indices, and only the two lines there are get counters. A module's
// status names its network once the module has registered.
TEST(GatewayDiagnosticsAnswers, ComeInTheLayoutTheUtilityReads) {
  GatewayModel gateway;
  ASSERT_TRUE(test::IsReply(AnswerTo(gateway, Ask(ie::ModuleReset, {1}))));
  const auto resetting = ReadAnswer(gateway, Ask(ie::GsmStatus, {1}), ie::GsmStatus, ReadGsmStatus);
  ASSERT_EQ(resetting.size(), 1u);
  EXPECT_EQ(resetting[0].index, 1);
  EXPECT_EQ(resetting[0].status, kGsmInit);
  EXPECT_TRUE(resetting[0].text.empty());
  gateway.Advance(kModuleRestartMs);
  const auto registered = ReadAnswer(gateway, Ask(ie::GsmStatus, {1}), ie::GsmStatus, ReadGsmStatus);
  ASSERT_EQ(registered.size(), 1u);
  EXPECT_EQ(registered[0].status, kGsmIdle | kGsmRoamingFlag);
  EXPECT_EQ(registered[0].text, gateway.Identity().modules[1].network);

  gateway.Advance(seconds(35));  // 45 s in: line 2 has lost its signal
  EXPECT_EQ(test::Data(AnswerTo(gateway, Ask(ie::IsdnStatus)), ie::IsdnStatus),
            (std::vector<std::uint8_t>{0x03, 0x00, 0x80, 0x00}));
  const DeviceMessage allIsdnCredit = Ask(ie::IsdnCredit, {0, 1, 2, 3});
  EXPECT_EQ(test::Data(AnswerTo(gateway, allIsdnCredit), ie::IsdnCredit).size(), 2 * (2 + 24) + 2 * 2u);
  const auto lines = ReadAnswer(gateway, allIsdnCredit, ie::IsdnCredit, ReadCredit);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1].index, 1);
  const auto modules = ReadAnswer(gateway, Ask(ie::GsmCredit, {1}), ie::GsmCredit, ReadCredit);
  ASSERT_EQ(modules.size(), 1u);
  EXPECT_EQ(modules[0].index, 1);
}

}  // namespace
}  // namespace tusko::sim
