// The gateway's live diagnostics: how lines, modules and credit change with
// time, and the diagnostics answers as the utility's readers take them apart.
#include "sim/GatewayDiagnostics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "sim/GatewayModel.h"
#include "sim/GatewayScript.h"
#include "support/RowName.h"

namespace tusko::sim {
namespace {

using std::chrono::milliseconds;
using std::chrono::minutes;
using std::chrono::seconds;
using test::AnswerTo;
using test::Ask;
using test::RejectCause;

// ---- The live model alone ----

struct LineRow {
  const char* name;
  milliseconds at;
  std::uint16_t line2;
};

class Line2Rhythm : public ::testing::TestWithParam<LineRow> {};

TEST_P(Line2Rhythm, DropsForTheLastThirdOfEveryMinute) {
  GatewayDiagnostics diagnostics;
  diagnostics.Advance(GetParam().at);
  const auto words = diagnostics.IsdnStatusWords();
  EXPECT_EQ(words[0], kIsdnLayer2Up | kIsdnSdi);
  EXPECT_EQ(words[1], GetParam().line2);
}

INSTANTIATE_TEST_SUITE_P(
    Diagnostics, Line2Rhythm,
    ::testing::Values(LineRow{"UpAtPowerOn", milliseconds(0), kIsdnLayer2Up | kIsdnSdi},
                      LineRow{"DownAtForty", seconds(40), kIsdnLossOfSignal},
                      LineRow{"UpAgainNextMinute", seconds(60), kIsdnLayer2Up | kIsdnSdi},
                      LineRow{"DownAgainInAnHour", minutes(60) + seconds(50), kIsdnLossOfSignal}),
    test::RowName<LineRow>);

struct CallRow {
  const char* name;
  std::size_t module;
  milliseconds at;
  std::uint16_t status;
};

class CallRhythm : public ::testing::TestWithParam<CallRow> {};

TEST_P(CallRhythm, ModuleGoesThroughTheStatesOfACall) {
  GatewayDiagnostics diagnostics;
  diagnostics.Advance(GetParam().at);
  const GsmModuleState state = diagnostics.GsmStatus(GetParam().module);
  EXPECT_EQ(state.status, GetParam().status);
  EXPECT_TRUE(state.registered);
}

INSTANTIATE_TEST_SUITE_P(
    Diagnostics, CallRhythm,
    ::testing::Values(CallRow{"Module1Idle", 0, seconds(10), kGsmIdle},
                      CallRow{"Module1Dialling", 0, seconds(31), kGsmOutCall},
                      CallRow{"Module1Connected", 0, seconds(35), kGsmActiveOutCall},
                      CallRow{"Module1Clearing", 0, seconds(44), kGsmDiscReq},
                      CallRow{"Module1IdleAgain", 0, seconds(46), kGsmIdle},
                      CallRow{"Module2IdleRoaming", 1, seconds(10), kGsmIdle | kGsmRoamingFlag},
                      CallRow{"Module2Ringing", 1, seconds(51), kGsmInCall | kGsmRoamingFlag},
                      CallRow{"Module2Connected", 1, seconds(55), kGsmActiveInCall | kGsmRoamingFlag},
                      CallRow{"Module2Clearing", 1, seconds(63), kGsmDiscInd | kGsmRoamingFlag},
                      CallRow{"Module2IdleAfterTheCall", 1, seconds(65), kGsmIdle | kGsmRoamingFlag}),
    test::RowName<CallRow>);

TEST(GatewayDiagnostics, SignalDriftsWithinItsBandAndChanges) {
  GatewayDiagnostics diagnostics;
  std::array<std::uint8_t, kModuleCount> low{255, 255}, high{0, 0};
  for (int second = 0; second < 600; ++second) {
    for (std::size_t m = 0; m < kModuleCount; ++m) {
      const std::uint8_t signal = diagnostics.GsmStatus(m).signal;
      low[m] = std::min(low[m], signal);
      high[m] = std::max(high[m], signal);
    }
    diagnostics.Advance(seconds(1));
  }
  EXPECT_EQ(low[0], 12);
  EXPECT_EQ(high[0], 24);
  EXPECT_EQ(low[1], 8);
  EXPECT_EQ(high[1], 18);
}

TEST(GatewayDiagnostics, CreditGrowsWithCallsAndStopsAtTheAllowance) {
  GatewayDiagnostics diagnostics;
  const CreditCounters start = diagnostics.IsdnCredit(0);
  diagnostics.Advance(seconds(60));
  const CreditCounters minute = diagnostics.IsdnCredit(0);
  EXPECT_EQ(minute[0] - start[0], 15u);  // a quarter of the minute on the phone
  EXPECT_EQ(minute[1], start[1]);        // the allowance stays

  diagnostics.Advance(std::chrono::hours(24 * 400));
  const CreditCounters later = diagnostics.IsdnCredit(0);
  for (std::size_t pair = 0; pair < kCreditCounterCount; pair += 2) EXPECT_EQ(later[pair], later[pair + 1]);

  const CreditCounters gsm = diagnostics.GsmCredit(1);
  EXPECT_EQ(gsm[0], gsm[1]);
}

TEST(GatewayDiagnostics, GsmCreditCountsOnlyConnectedTime) {
  GatewayDiagnostics diagnostics;
  diagnostics.Advance(seconds(33));
  const std::uint32_t beforeCall = diagnostics.GsmCredit(0)[0];
  diagnostics.Advance(seconds(10));
  EXPECT_EQ(diagnostics.GsmCredit(0)[0] - beforeCall, 10u);
  diagnostics.Advance(seconds(20));
  EXPECT_EQ(diagnostics.GsmCredit(0)[0] - beforeCall, 10u);
}

TEST(GatewayDiagnostics, ResetModuleLeavesItsNetworkForAWhile) {
  GatewayDiagnostics diagnostics;
  diagnostics.Advance(seconds(5));
  diagnostics.RestartModule(1);
  EXPECT_EQ(diagnostics.GsmStatus(1).status, kGsmInit);
  EXPECT_EQ(diagnostics.GsmStatus(1).signal, kGsmSignalNone);
  EXPECT_FALSE(diagnostics.GsmStatus(1).registered);
  EXPECT_TRUE(diagnostics.GsmStatus(0).registered);
  diagnostics.Advance(kModuleRestartMs);
  EXPECT_TRUE(diagnostics.GsmStatus(1).registered);
  diagnostics.RestartModule(kModuleCount);  // no such module: nothing happens
  EXPECT_EQ(diagnostics.IsdnCredit(kIsdnLines), CreditCounters{});
}

// ---- The answers on the wire ----

TEST(GatewayDiagnosticsAnswers, IsdnStatusHoldsBothLinesLittleEndian) {
  GatewayModel gateway;
  gateway.Advance(seconds(45));
  EXPECT_EQ(test::Data(AnswerTo(gateway, Ask(ie::IsdnStatus)), ie::IsdnStatus),
            (std::vector<std::uint8_t>{0x03, 0x00, 0x80, 0x00}));
}

TEST(GatewayDiagnosticsAnswers, IsdnCreditFillsTheTwoLinesOfTheFourAsked) {
  GatewayModel gateway;
  const DeviceMessage answer = AnswerTo(gateway, Ask(ie::IsdnCredit, {0, 1, 2, 3}));
  const auto element = FindElement(answer, ie::IsdnCredit);
  ASSERT_TRUE(element.has_value());
  EXPECT_EQ(element->data.size(), 2 * (2 + 24) + 2 * 2u);
  const auto entries = ReadCredit(*element);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].index, 0);
  EXPECT_EQ(entries[1].index, 1);
  EXPECT_EQ(entries[0].counters[1], 7200u);
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
  EXPECT_EQ(resetting.signal, kGsmSignalNone);
  EXPECT_TRUE(resetting.text.empty());

  gateway.Advance(kModuleRestartMs);
  const GsmStatusEntry registered = statusOf();
  EXPECT_EQ(registered.status, kGsmIdle | kGsmRoamingFlag);
  EXPECT_LE(registered.signal, 31);
  EXPECT_EQ(registered.text, gateway.Identity().modules[1].network);
}

TEST(GatewayDiagnosticsAnswers, GsmCreditAnswersTheModulesAsked) {
  GatewayModel gateway;
  const DeviceMessage answer = AnswerTo(gateway, Ask(ie::GsmCredit, {1}));
  const auto element = FindElement(answer, ie::GsmCredit);
  ASSERT_TRUE(element.has_value());
  const auto entries = ReadCredit(*element);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].index, 1);
  EXPECT_EQ(entries[0].counters[1], 3600u);
}

struct BadAskRow {
  const char* name;
  std::uint8_t element;
  std::vector<std::uint8_t> data;
};

class BadDiagnosticsAsks : public ::testing::TestWithParam<BadAskRow> {};

TEST_P(BadDiagnosticsAsks, AreRefusedAsInvalidData) {
  GatewayModel gateway;
  EXPECT_EQ(RejectCause(AnswerTo(gateway, Ask(GetParam().element, GetParam().data))), cause::InvalidData);
}

INSTANTIATE_TEST_SUITE_P(Diagnostics, BadDiagnosticsAsks,
                         ::testing::Values(BadAskRow{"GsmStatusWithoutModule", ie::GsmStatus, {}},
                                           BadAskRow{"GsmStatusOfModule3", ie::GsmStatus, {2}},
                                           BadAskRow{"GsmStatusOfTwoModules", ie::GsmStatus, {0, 1}},
                                           BadAskRow{"GsmCreditWithoutModule", ie::GsmCredit, {}},
                                           BadAskRow{"GsmCreditWithAnUnknownModule", ie::GsmCredit, {0, 9}},
                                           BadAskRow{"IsdnCreditWithoutLines", ie::IsdnCredit, {}}),
                         test::RowName<BadAskRow>);

TEST(GatewayDiagnosticsAnswers, LoaderKnowsNoDiagnostics) {
  GatewayIdentity identity;
  identity.hasValidFirmware = false;
  GatewayModel gateway(identity);
  for (std::uint8_t element : {ie::IsdnStatus, ie::IsdnCredit, ie::GsmStatus, ie::GsmCredit}) {
    EXPECT_EQ(RejectCause(AnswerTo(gateway, Ask(element, {0}))), cause::NotAllowed) << int{element};
  }
}

}  // namespace
}  // namespace tusko::sim
