// The gateway's live diagnostics: how lines, modules and credit change with
// time, and the diagnostics answers as the utility's readers take them apart.
#include "sim/GatewayDiagnostics.h"

#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>
#include <vector>

#include "sim/GatewayModel.h"
#include "sim/GatewayScript.h"

namespace tusko::sim {
namespace {

using std::chrono::seconds;
using test::AnswerTo;
using test::Ask;

// ---- The live model alone ----

// Ten minutes show line 1 up, line 2 up and down, and each module registered
// with a signal that changes within what the gateway reports.
TEST(GatewayDiagnostics, TenMinutesShowBothLinesAndRegisteredModules) {
  GatewayDiagnostics diagnostics;
  diagnostics.RestartModule(kModuleCount);  // no such module: every module stays registered
  std::set<std::uint16_t> line2;
  std::array<std::set<std::uint8_t>, kModuleCount> signals;
  for (int second = 0; second < 600; ++second) {
    const auto words = diagnostics.IsdnStatusWords();
    ASSERT_EQ(words[0], kIsdnLayer2Up | kIsdnSdi) << second;
    line2.insert(words[1]);
    for (std::size_t m = 0; m < kModuleCount; ++m) {
      const GsmModuleState state = diagnostics.GsmStatus(m);
      ASSERT_TRUE(state.registered) << second;
      ASSERT_LE(state.signal, 31) << second;
      signals[m].insert(state.signal);
    }
    diagnostics.Advance(seconds(1));
  }
  EXPECT_EQ(line2, (std::set<std::uint16_t>{kIsdnLayer2Up | kIsdnSdi, kIsdnLossOfSignal}));
  for (const auto& seen : signals) EXPECT_GT(seen.size(), 1u);
}

// ---- The answers on the wire ----

// The status words are little-endian; the utility asks for all four ISDN
// credit indices, and only the two lines there are get counters.
TEST(GatewayDiagnosticsAnswers, IsdnStatusAndCreditsComeInTheLayoutTheUtilityReads) {
  GatewayModel gateway;
  gateway.Advance(seconds(45));
  EXPECT_EQ(test::Data(AnswerTo(gateway, Ask(ie::IsdnStatus)), ie::IsdnStatus),
            (std::vector<std::uint8_t>{0x03, 0x00, 0x80, 0x00}));
  const DeviceMessage isdnAnswer = AnswerTo(gateway, Ask(ie::IsdnCredit, {0, 1, 2, 3}));
  const auto isdn = FindElement(isdnAnswer, ie::IsdnCredit);
  ASSERT_TRUE(isdn.has_value());
  EXPECT_EQ(isdn->data.size(), 2 * (2 + 24) + 2 * 2u);
  const auto lines = ReadCredit(*isdn);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1].index, 1);
  const DeviceMessage gsmAnswer = AnswerTo(gateway, Ask(ie::GsmCredit, {1}));
  const auto gsm = FindElement(gsmAnswer, ie::GsmCredit);
  ASSERT_TRUE(gsm.has_value());
  const auto modules = ReadCredit(*gsm);
  ASSERT_EQ(modules.size(), 1u);
  EXPECT_EQ(modules[0].index, 1);
}

TEST(GatewayDiagnosticsAnswers, GsmStatusNamesTheNetworkOnceRegistered) {
  GatewayModel gateway;
  ASSERT_TRUE(test::IsReply(AnswerTo(gateway, Ask(ie::ModuleReset, {1}))));

  auto statusOf = [&gateway] {
    const DeviceMessage answer = AnswerTo(gateway, Ask(ie::GsmStatus, {1}));
    const auto element = FindElement(answer, ie::GsmStatus);
    EXPECT_TRUE(element.has_value());
    const auto entries = element ? ReadGsmStatus(*element) : std::vector<GsmStatusEntry>{};
    EXPECT_EQ(entries.size(), 1u);
    return entries.empty() ? GsmStatusEntry{} : entries.front();
  };
  const GsmStatusEntry resetting = statusOf();
  EXPECT_EQ(resetting.index, 1);
  EXPECT_EQ(resetting.status, kGsmInit);
  EXPECT_TRUE(resetting.text.empty());
  gateway.Advance(kModuleRestartMs);
  const GsmStatusEntry registered = statusOf();
  EXPECT_EQ(registered.status, kGsmIdle | kGsmRoamingFlag);
  EXPECT_EQ(registered.text, gateway.Identity().modules[1].network);
}

}  // namespace
}  // namespace tusko::sim
