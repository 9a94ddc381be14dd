#include "sim/GatewayModel.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "protocol/ElementLayouts.h"
#include "sim/GatewayDiagnostics.h"
#include "sim/GatewayScript.h"
#include "support/RowName.h"

namespace tusko::sim {
namespace {

using std::chrono::hours;
using std::chrono::milliseconds;
using std::chrono::minutes;
using std::chrono::seconds;
using test::AnswerTo;
using test::Ask;
using test::Outcome;
using test::Password;

// `request` with the Password element added as the utility adds it.
DeviceMessage WithPasswordOf(DeviceMessage request, std::string_view password) {
  const test::TestElement element = Password(password);
  AddElement(request, element.id, element.data);
  SealMessage(request);
  return request;
}

RunModeInfo RunModeOf(const DeviceMessage& message) {
  const auto element = FindElement(message, ie::RunMode);
  return element ? ReadRunMode(*element) : RunModeInfo{};
}

// Sends `request`, which restarts the gateway: its link end is gone for `away`,
// then it comes back in `mode`; returns the event it sends then.
DeviceMessage RestartBy(GatewayModel& gateway, std::uint8_t request, milliseconds away, std::uint8_t mode) {
  const DeviceMessage answer = AnswerTo(gateway, Ask(request));
  EXPECT_TRUE(test::IsReply(answer) && test::MainElement(answer) == request);
  EXPECT_FALSE(gateway.LinkAvailable());
  EXPECT_EQ(Outcome(gateway.Receive(Ask(ie::LoaderVersion))), "none") << "nothing arrives while the link end is gone";
  EXPECT_TRUE(gateway.Advance(away - milliseconds{1}).empty());
  const DeviceMessage started = test::Only(gateway.Advance(milliseconds{1}));
  EXPECT_EQ(RunModeOf(started).mode, mode);
  EXPECT_EQ(RunModeOf(AnswerTo(gateway, Ask(ie::LoaderVersion))).mode, mode);
  return started;
}

// --- System information and restarts ---------------------------------------

// The utility tells loader from firmware by the run mode of the system
// information, and a missing firmware by its absent version.
TEST(GatewayModel, ResetThenSwitchToFirmwareRunsTheWholeRestartInItsIdentitysTimes) {
  GatewayModel gateway({.restartToLoader = milliseconds{700}, .restartToFirmware = milliseconds{900}, .dhcp = true});
  ConfigurationImage written = gateway.Configuration().Stored();
  written.StoreText(39, "010001002003");  // the LAN address
  written.StoreText(63, "01003");         // the TCP port
  gateway.Configuration().Replace(written);

  const DeviceMessage loaderStarted = RestartBy(gateway, ie::Reset, milliseconds{700}, kRunModeLoader);
  EXPECT_EQ(Outcome({loaderStarted}), "event 11");
  EXPECT_FALSE(FindElement(loaderStarted, ie::Cause));
  EXPECT_EQ(Outcome(gateway.Receive(test::ReplyWith({{ie::RestartAck, {}}}))), "none");
  EXPECT_EQ(Outcome({RestartBy(gateway, ie::SwitchToFirmware, milliseconds{900}, kRunModeFirmware)}), "event 13");
  // The started firmware answers with the LAN settings of its configuration.
  const LanInfoData lan = ReadLanInfo(*FindElement(AnswerTo(gateway, Ask(ie::LanInfo)), ie::LanInfo));
  EXPECT_EQ(lan.dhcp, kDhcpOn);
  EXPECT_EQ(lan.ipAddress, "10.1.2.3");
  EXPECT_EQ(lan.tcpPort, 1003);
  EXPECT_EQ(gateway.RestartCount(), 2);
  EXPECT_TRUE(gateway.Advance(hours{1}).empty());
}

TEST(GatewayModel, LoaderWithoutFirmwareReportsNoFirmwareAndStays) {
  GatewayModel gateway({.hasValidFirmware = false});
  EXPECT_FALSE(FindElement(AnswerTo(gateway, Ask(ie::LoaderVersion)), ie::FirmwareVersion).has_value());
  const DeviceMessage loaderStarted = RestartBy(gateway, ie::Reset, kRestartToLoaderMs, kRunModeLoader);
  EXPECT_EQ(test::Data(loaderStarted, ie::Cause), std::vector<std::uint8_t>{cause::NoFirmware});
  EXPECT_EQ(Outcome(gateway.Receive(Ask(ie::SwitchToFirmware))), "reject 9F");
  EXPECT_TRUE(gateway.Advance(kLoaderToFirmwareMs).empty());
  gateway.Identity().hasValidFirmware = true;  // as after a firmware update
  EXPECT_EQ(Outcome(gateway.Receive(Ask(ie::SwitchToFirmware))), "reply 52");
  EXPECT_EQ(Outcome(gateway.Advance(kLoaderToFirmwareMs)), "event 13");
}

TEST(GatewayModel, PowerDownSendsItsEventOnceAndSilencesTheGateway) {
  GatewayModel gateway;
  EXPECT_EQ(Outcome(gateway.PowerDown()), "event 83");
  EXPECT_EQ(Outcome(gateway.Receive(Ask(ie::LoaderVersion))), "none");
  EXPECT_TRUE(gateway.PowerDown().empty());
  GatewayModel restarting;
  restarting.Receive(Ask(ie::Reset));
  EXPECT_TRUE(restarting.PowerDown().empty());
  EXPECT_TRUE(restarting.Advance(kRestartToLoaderMs).empty());
  EXPECT_EQ(restarting.Phase(), GatewayPhase::Off);
}

// --- Password and refusals --------------------------------------------------

struct PasswordRow {
  const char* name;
  DeviceMessage request;
  bool asksForIt;
};

class PasswordTest : public testing::TestWithParam<PasswordRow> {};

// Monitoring runs, so that a monitor command is taken as well.
TEST_P(PasswordTest, GuardedRequestsAreRefusedUntilTheRightPasswordComes) {
  GatewayModel gateway({.password = "secret"});
  ASSERT_EQ(Outcome(gateway.Receive(Ask(ie::MonitorStart))), "reply 31");
  const DeviceMessage& request = GetParam().request;
  if (!GetParam().asksForIt) {
    EXPECT_TRUE(test::IsReply(AnswerTo(gateway, request)));
    return;
  }
  EXPECT_EQ(Outcome(gateway.Receive(request)), "reject 92");
  EXPECT_EQ(Outcome(gateway.Receive(WithPasswordOf(request, "Secret"))), "reject 92");
  EXPECT_EQ(Outcome(gateway.Receive(WithPasswordOf(request, "secret1"))), "reject 92");
  EXPECT_TRUE(test::IsReply(AnswerTo(gateway, WithPasswordOf(request, "secret"))));
}

INSTANTIATE_TEST_SUITE_P(Requests, PasswordTest,
                         testing::Values(PasswordRow{"Reset", Ask(ie::Reset), true},
                                         PasswordRow{"DateTime", Ask(ie::DateTime), true},
                                         PasswordRow{"ModuleReset", Ask(ie::ModuleReset, {1}), true},
                                         PasswordRow{"NewPassword", Ask(ie::NewPassword, {'a', 'b', 0}), true},
                                         PasswordRow{"MonitorCommand", Ask(ie::MonitorCommand, {'h'}), true},
                                         PasswordRow{"ConfigRead", test::ConfigRead(), true},
                                         PasswordRow{"ConfigWriteStart", test::ConfigWriteStart(), true},
                                         PasswordRow{"SystemInfo", Ask(ie::LoaderVersion), false},
                                         PasswordRow{"LanInfo", Ask(ie::LanInfo), false},
                                         PasswordRow{"ModuleType", Ask(ie::ModuleType, {0}), false},
                                         PasswordRow{"ModuleCells", Ask(ie::ModuleCells, {1}), false},
                                         PasswordRow{"MonitorPoll", Ask(ie::MonitorPoll), false}),
                         test::RowName<PasswordRow>);

struct RefusalRow {
  const char* name;
  bool validFirmware;
  DeviceMessage request;
  std::uint8_t cause = cause::NotAllowed;
};

class RefusalTest : public testing::TestWithParam<RefusalRow> {};

TEST_P(RefusalTest, AnswersARejectWithItsCause) {
  GatewayModel gateway({.hasValidFirmware = GetParam().validFirmware});
  EXPECT_EQ(test::RejectCause(test::AnswerTo(gateway, GetParam().request)), GetParam().cause);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, RefusalTest,
    testing::Values(RefusalRow{"unknownElement", true, Ask(0x99)},
                    RefusalRow{"noElementAtAll", true, Ask({})},
                    RefusalRow{"passwordOnly", true, Ask({Password("x")})},
                    RefusalRow{"eventElementAsRequest", true, Ask(ie::PowerDown)},
                    RefusalRow{"switchToFirmwareInFirmware", true, Ask(ie::SwitchToFirmware)},
                    RefusalRow{"lanInfoInLoader", false, Ask(ie::LanInfo)},
                    RefusalRow{"monitorStartInLoader", false, Ask(ie::MonitorStart)},
                    RefusalRow{"isdnStatusInLoader", false, Ask(ie::IsdnStatus)},
                    RefusalRow{"isdnCreditInLoader", false, Ask(ie::IsdnCredit, {0})},
                    RefusalRow{"gsmStatusInLoader", false, Ask(ie::GsmStatus, {0})},
                    RefusalRow{"gsmCreditInLoader", false, Ask(ie::GsmCredit, {0})},
                    RefusalRow{"dateTimeOfThreeBytes", true, Ask(ie::DateTime, {1, 2, 3})},
                    RefusalRow{"dateTimeFebruary30", true, Ask(ie::DateTime, {0, 0, 0, 30, 2, 24})},
                    RefusalRow{"dateTimeHour24", true, Ask(ie::DateTime, {0, 0, 24, 1, 1, 24})},
                    RefusalRow{"moduleTypeIndex2", true, Ask(ie::ModuleType, {2})},
                    RefusalRow{"moduleResetWithoutIndex", true, Ask(ie::ModuleReset)},
                    RefusalRow{"cellsIndex255", true, Ask(ie::ModuleCells, {255})},
                    RefusalRow{"newPasswordOfNineCharacters", true, Ask(ie::NewPassword, {'1', '2', '3', '4', '5', '6', '7', '8', '9', 0})},
                    RefusalRow{"monitorCommandWhileNotMonitoring", true, Ask(ie::MonitorCommand, {'h'})},
                    RefusalRow{"configReadWithoutAddress", true, Ask(ie::ConfigReadData)},
                    RefusalRow{"configReadAtAThreeByteAddress", true, test::ConfigRead({7, 0, 0})},
                    RefusalRow{"configReadInLoader", false, test::ConfigRead()},
                    RefusalRow{"configReadPastTheImage", true, test::ConfigRead(test::Number32(kConfigBaseAddress + kConfigImageSize))},
                    RefusalRow{"configReadBelowTheImage", true, test::ConfigRead(test::Number32(kConfigBaseAddress - 1))},
                    RefusalRow{"configBlockBeforeTheStart", true, test::ConfigWriteBlock(0, 8)},
                    RefusalRow{"configStopBeforeTheStart", true, test::ConfigWriteStop()},
                    RefusalRow{"configStartOfAShortImage", true, test::ConfigWriteStart(kConfigImageSize - 1)},
                    RefusalRow{"configStartWithoutAddress", true, Ask(ie::ConfigWriteStart, test::Number32(kConfigImageSize))},
                    RefusalRow{"configStartAboveTheBase", true, test::ConfigWriteStart(kConfigImageSize, kConfigBaseAddress + 8)},
                    RefusalRow{"gsmStatusWithoutModule", true, Ask(ie::GsmStatus), cause::InvalidData},
                    RefusalRow{"gsmStatusOfModule3", true, Ask(ie::GsmStatus, {2}), cause::InvalidData},
                    RefusalRow{"gsmStatusOfTwoModules", true, Ask(ie::GsmStatus, {0, 1}), cause::InvalidData},
                    RefusalRow{"gsmCreditWithoutModule", true, Ask(ie::GsmCredit), cause::InvalidData},
                    RefusalRow{"gsmCreditWithAnUnknownModule", true, Ask(ie::GsmCredit, {0, 9}), cause::InvalidData},
                    RefusalRow{"isdnCreditWithoutLines", true, Ask(ie::IsdnCredit), cause::InvalidData}),
    test::RowName<RefusalRow>);

TEST(GatewayModel, GarbledMessagesAreDroppedUnansweredAndUncounted) {
  GatewayModel gateway;
  DeviceMessage badChecksum = Ask(ie::LanInfo);
  ++badChecksum.buffer()[badChecksum.wireSize() - 1];
  DeviceMessage badType = Ask(ie::LanInfo);
  badType.buffer()[0] = 0xA4;
  SealMessage(badType);
  EXPECT_EQ(Outcome(gateway.Receive(badChecksum)), "none");
  EXPECT_EQ(Outcome(gateway.Receive(badType)), "none");
  EXPECT_EQ(Outcome(gateway.Receive(test::SealedMessage(MessageType::Reject, {{ie::LanInfo, {}}}))), "none");
  EXPECT_EQ(gateway.RequestCount(ie::LanInfo), 0);
  EXPECT_EQ(Outcome(gateway.Receive(Ask(ie::LanInfo))), "reply 66");
  EXPECT_EQ(gateway.RequestCount(ie::LanInfo), 1);
}

// --- Clock ------------------------------------------------------------------

// The clock as the gateway answers it, in the bytes a DateTime request sets:
// second, minute, hour, day, month, year - 2000.
std::vector<std::uint8_t> ClockOf(GatewayModel& gateway) {
  return test::Data(AnswerTo(gateway, Ask(ie::DateTime)), ie::DateTime);
}

TEST(GatewayModel, ClockIsSetByTheUtilityAndRunsWithVirtualTimeToTheEndOfItsRange) {
  GatewayModel gateway;
  // 2024-02-29 03:04:05, a leap day.
  EXPECT_EQ(Outcome(gateway.Receive(Ask(ie::DateTime, {5, 4, 3, 29, 2, 24}))), "reply 61");
  gateway.Advance(milliseconds{500});
  gateway.Advance(milliseconds{500});
  gateway.Advance(hours{20} + minutes{55} + seconds{54});
  EXPECT_EQ(ClockOf(gateway), (std::vector<std::uint8_t>{0, 0, 0, 1, 3, 24}));
  // The answer carries the day of the last synchronisation as well.
  EXPECT_EQ(test::Data(AnswerTo(gateway, Ask(ie::DateTime)), ie::LastTimeSync), (std::vector<std::uint8_t>{29, 2, 24}));

  // At the end of its range the clock stops.
  EXPECT_EQ(Outcome(gateway.Receive(Ask(ie::DateTime, {59, 59, 23, 31, 12, 255}))), "reply 61");
  gateway.Advance(milliseconds::max());
  gateway.Advance(milliseconds{-5000});
  EXPECT_EQ(ClockOf(gateway), (std::vector<std::uint8_t>{59, 59, 23, 31, 12, 255}));
}

// --- Diagnostics -----------------------------------------------------------

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

// --- Fault injection --------------------------------------------------------

struct FaultRow {
  const char* name;
  Fault fault;
  const char* faulted;  // outcome of each hit LanInfo request
};

class FaultTest : public testing::TestWithParam<FaultRow> {};

TEST_P(FaultTest, HitsTheNamedNumberOfTimesThenStops) {
  const FaultRow& row = GetParam();
  GatewayModel gateway;
  gateway.InjectFault(row.fault);
  for (int i = 0; i < row.fault.count; ++i) {
    EXPECT_EQ(Outcome(gateway.Receive(Ask(ie::LanInfo))), row.faulted) << "hit " << i;
    if (i == 0) {
      EXPECT_EQ(Outcome(gateway.Receive(Ask(ie::LoaderVersion))), "reply 15");  // other requests meanwhile
    }
  }
  EXPECT_EQ(Outcome(gateway.Receive(Ask(ie::LanInfo))), "reply 66");
  EXPECT_EQ(gateway.RequestCount(ie::LanInfo), row.fault.count + 1);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, FaultTest,
    testing::Values(FaultRow{"dropReply", {FaultKind::DropReply, ie::LanInfo, 0, 2}, "none"},
                    FaultRow{"corruptChecksum", {FaultKind::CorruptChecksum, ie::LanInfo, 0, 3}, "checksum"},
                    FaultRow{"rejectRetryLater", {FaultKind::Reject, ie::LanInfo, cause::RetryLater, 2}, "reject 9C"},
                    FaultRow{"badType", {FaultKind::BadType, ie::LanInfo, 0, 1}, "type"},
                    FaultRow{"anyRequest", {FaultKind::DropReply, kAnyRequest, 0, 1}, "none"}),
    test::RowName<FaultRow>);

}  // namespace
}  // namespace tusko::sim
