// The simulated gateway as the utility's transfers meet it: its answers,
// restarts, refusals, faults and live diagnostics, and its memories (the
// configuration, the firmware flash, the call detail records, the announcements
// and the raw image files it starts from). The configuration write through the
// loader runs under ConfigTransferRoundTrip.
#include "sim/GatewayModel.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "link/FrameDecoder.h"
#include "protocol/ElementLayouts.h"
#include "protocol/ElementNumbers.h"
#include "protocol/TransferConstants.h"
#include "protocol/engine/ConfigTransferRules.h"
#include "sim/GatewayAnnouncements.h"
#include "sim/GatewayCdrStore.h"
#include "sim/GatewayDiagnostics.h"
#include "sim/GatewayFlashLoader.h"
#include "sim/GatewayMonitoring.h"
#include "sim/GatewayRestarts.h"
#include "sim/GatewayTiming.h"
#include "sim/RawImageFile.h"
#include "sim/SampleConfiguration.h"
#include "support/FirmwareFiles.h"
#include "support/RowName.h"
#include "support/TempFolder.h"
#include "support/TestMessages.h"
#include "support/TestWavFile.h"

namespace tusko::sim {
namespace {

using std::chrono::hours;
using std::chrono::milliseconds;
using std::chrono::minutes;
using std::chrono::seconds;

// --- Requests as the utility sends them, and readings of the answers --------

std::vector<std::uint8_t> Number32(std::uint32_t value) {
  const auto bytes = EncodeNumber32(value);
  return {bytes.begin(), bytes.end()};
}

// The Password element as the utility adds it: the text and its NUL.
test::TestElement Password(std::string_view text) {
  test::TestElement element = test::TextElement(ie::Password, text);
  element.data.push_back(0);
  return element;
}

DeviceMessage Ask(std::initializer_list<test::TestElement> elements) {
  return test::SealedMessage(MessageType::Request, elements);
}
DeviceMessage Ask(std::uint8_t id, std::vector<std::uint8_t> data = {}) {
  return test::SealedMessage(MessageType::Request, {{id, std::move(data)}});
}

// The configuration transfer's requests, at device addresses.
DeviceMessage ConfigRead(std::vector<std::uint8_t> address = Number32(kConfigBaseAddress)) {
  return Ask({{ie::ConfigReadData, {}}, {ie::Address, std::move(address)}});
}
DeviceMessage ConfigWriteStart(std::uint32_t size = kConfigImageSize, std::uint32_t address = kConfigBaseAddress) {
  return Ask({{ie::ConfigWriteStart, Number32(size)}, {ie::Address, Number32(address)}});
}
// `length` bytes of `value` at image offset `offset`.
DeviceMessage ConfigWriteBlock(std::size_t offset, std::size_t length, std::uint8_t value = 0x21) {
  return Ask({{ie::ConfigWriteData, std::vector<std::uint8_t>(length, value)},
              {ie::Address, Number32(ConfigDeviceAddress(offset))}});
}
DeviceMessage ConfigWriteStop() { return Ask(ie::ConfigWriteStop, {kConfigWriteStopValue}); }

std::vector<std::uint8_t> Data(const DeviceMessage& message, std::uint8_t id) {
  const auto element = FindElement(message, id);
  return element ? std::vector<std::uint8_t>(element->data.begin(), element->data.end()) : std::vector<std::uint8_t>{};
}

// The one message of `answers`, which must be valid; an empty one after a failed check.
DeviceMessage Only(const std::vector<DeviceMessage>& answers) {
  EXPECT_EQ(answers.size(), 1u);
  if (answers.size() != 1) return DeviceMessage{};
  EXPECT_TRUE(HasKnownType(answers[0]));
  EXPECT_TRUE(IsChecksumValid(answers[0]));
  return answers[0];
}
DeviceMessage AnswerTo(GatewayModel& gateway, const DeviceMessage& request) { return Only(gateway.Receive(request)); }

// The cause of a Reject; nothing for any other answer.
std::optional<std::uint8_t> RejectCause(const DeviceMessage& answer) {
  if (answer.type() != static_cast<std::uint8_t>(MessageType::Reject)) return std::nullopt;
  const auto cause = FindElement(answer, ie::Cause);
  if (!cause || cause->data.empty()) return std::nullopt;
  return cause->data[0];
}

bool IsReply(const DeviceMessage& answer) { return answer.type() == static_cast<std::uint8_t>(MessageType::Reply); }

// What arrived, told from the bytes: "none", "several", "type", "checksum",
// "reject XX", or "reply XX" / "event XX" with the first element's identifier.
std::string Outcome(const std::vector<DeviceMessage>& answers) {
  if (answers.empty()) return "none";
  if (answers.size() > 1) return "several";
  const DeviceMessage& answer = answers.front();
  if (!HasKnownType(answer)) return "type";
  if (!IsChecksumValid(answer)) return "checksum";
  char text[16];
  if (answer.type() == static_cast<std::uint8_t>(MessageType::Reject)) {
    std::snprintf(text, sizeof text, "reject %02X", unsigned{RejectCause(answer).value_or(0)});
  } else {
    std::snprintf(text, sizeof text, "%s %02X", IsReply(answer) ? "reply" : "event",
                  unsigned{test::MainElement(answer)});
  }
  return text;
}

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
  EXPECT_TRUE(IsReply(answer) && test::MainElement(answer) == request);
  EXPECT_FALSE(gateway.LinkAvailable());
  EXPECT_EQ(Outcome(gateway.Receive(Ask(ie::LoaderVersion))), "none") << "nothing arrives while the link end is gone";
  EXPECT_TRUE(gateway.Advance(away - milliseconds{1}).empty());
  const DeviceMessage started = Only(gateway.Advance(milliseconds{1}));
  EXPECT_EQ(RunModeOf(started).mode, mode);
  EXPECT_EQ(RunModeOf(AnswerTo(gateway, Ask(ie::LoaderVersion))).mode, mode);
  return started;
}

// --- System information and restarts ----------------------------------------

// The utility tells loader from firmware by the run mode of the system
// information, and a missing firmware by its absent version.
TEST(GatewayModel, ResetThenSwitchToFirmwareRunsTheWholeRestartInItsIdentitysTimes) {
  GatewayModel gateway(
      {.password = "", .restartToLoader = milliseconds{700}, .restartToFirmware = milliseconds{900}, .dhcp = true});
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
  GatewayModel gateway({.password = "", .hasValidFirmware = false});
  EXPECT_FALSE(FindElement(AnswerTo(gateway, Ask(ie::LoaderVersion)), ie::FirmwareVersion).has_value());
  const DeviceMessage loaderStarted = RestartBy(gateway, ie::Reset, kRestartToLoaderMs, kRunModeLoader);
  EXPECT_EQ(Data(loaderStarted, ie::Cause), std::vector<std::uint8_t>{cause::NoFirmware});
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
    EXPECT_TRUE(IsReply(AnswerTo(gateway, request)));
    return;
  }
  EXPECT_EQ(Outcome(gateway.Receive(request)), "reject 92");
  EXPECT_EQ(Outcome(gateway.Receive(WithPasswordOf(request, "Secret"))), "reject 92");
  EXPECT_EQ(Outcome(gateway.Receive(WithPasswordOf(request, "secret1"))), "reject 92");
  EXPECT_TRUE(IsReply(AnswerTo(gateway, WithPasswordOf(request, "secret"))));
}

INSTANTIATE_TEST_SUITE_P(Requests, PasswordTest,
                         testing::Values(PasswordRow{"Reset", Ask(ie::Reset), true},
                                         PasswordRow{"DateTime", Ask(ie::DateTime), true},
                                         PasswordRow{"ModuleReset", Ask(ie::ModuleReset, {1}), true},
                                         PasswordRow{"NewPassword", Ask(ie::NewPassword, {'a', 'b', 0}), true},
                                         PasswordRow{"MonitorCommand", Ask(ie::MonitorCommand, {'h'}), true},
                                         PasswordRow{"ConfigRead", ConfigRead(), true},
                                         PasswordRow{"ConfigWriteStart", ConfigWriteStart(), true},
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
  GatewayModel gateway({.password = "", .hasValidFirmware = GetParam().validFirmware});
  EXPECT_EQ(RejectCause(AnswerTo(gateway, GetParam().request)), GetParam().cause);
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
                    RefusalRow{"dateTimeOfThreeBytes", true, Ask(ie::DateTime, {1, 2, 3})},
                    RefusalRow{"dateTimeFebruary30", true, Ask(ie::DateTime, {0, 0, 0, 30, 2, 24})},
                    RefusalRow{"dateTimeHour24", true, Ask(ie::DateTime, {0, 0, 24, 1, 1, 24})},
                    RefusalRow{"moduleTypeIndex2", true, Ask(ie::ModuleType, {2})},
                    RefusalRow{"moduleResetWithoutIndex", true, Ask(ie::ModuleReset)},
                    RefusalRow{"cellsIndex255", true, Ask(ie::ModuleCells, {255})},
                    RefusalRow{"newPasswordOfNineCharacters", true, Ask(ie::NewPassword, {'1', '2', '3', '4', '5', '6', '7', '8', '9', 0})},
                    RefusalRow{"monitorCommandWhileNotMonitoring", true, Ask(ie::MonitorCommand, {'h'})},
                    RefusalRow{"configReadWithoutAddress", true, Ask(ie::ConfigReadData)},
                    RefusalRow{"configReadAtAThreeByteAddress", true, ConfigRead({7, 0, 0})},
                    RefusalRow{"configReadInLoader", false, ConfigRead()},
                    RefusalRow{"configReadPastTheImage", true, ConfigRead(Number32(kConfigBaseAddress + kConfigImageSize))},
                    RefusalRow{"configReadBelowTheImage", true, ConfigRead(Number32(kConfigBaseAddress - 1))},
                    RefusalRow{"configBlockBeforeTheStart", true, ConfigWriteBlock(0, 8)},
                    RefusalRow{"configStopBeforeTheStart", true, ConfigWriteStop()},
                    RefusalRow{"configStartOfAShortImage", true, ConfigWriteStart(kConfigImageSize - 1)},
                    RefusalRow{"configStartWithoutAddress", true, Ask(ie::ConfigWriteStart, Number32(kConfigImageSize))},
                    RefusalRow{"configStartAboveTheBase", true, ConfigWriteStart(kConfigImageSize, kConfigBaseAddress + 8)},
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
  return Data(AnswerTo(gateway, Ask(ie::DateTime)), ie::DateTime);
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
  EXPECT_EQ(Data(AnswerTo(gateway, Ask(ie::DateTime)), ie::LastTimeSync), (std::vector<std::uint8_t>{29, 2, 24}));

  // At the end of its range the clock stops.
  EXPECT_EQ(Outcome(gateway.Receive(Ask(ie::DateTime, {59, 59, 23, 31, 12, 255}))), "reply 61");
  gateway.Advance(milliseconds::max());
  gateway.Advance(milliseconds{-5000});
  EXPECT_EQ(ClockOf(gateway), (std::vector<std::uint8_t>{59, 59, 23, 31, 12, 255}));
}

// --- Diagnostics ------------------------------------------------------------

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
  ASSERT_TRUE(IsReply(AnswerTo(gateway, Ask(ie::ModuleReset, {1}))));
  const auto resetting = ReadAnswer(gateway, Ask(ie::GsmStatus, {1}), ie::GsmStatus, ReadGsmStatus);
  ASSERT_EQ(resetting.size(), 1u);
  EXPECT_EQ(resetting[0].index, 1);
  EXPECT_EQ(resetting[0].status, kGsmInit);
  EXPECT_TRUE(resetting[0].text.empty());
  gateway.Advance(kModuleRestartMs);
  const auto registered = ReadAnswer(gateway, Ask(ie::GsmStatus, {1}), ie::GsmStatus, ReadGsmStatus);
  ASSERT_EQ(registered.size(), 1u);
  EXPECT_EQ(registered[0].status, kGsmIdle | kGsmRoamingFlag);
  EXPECT_LE(registered[0].signal, 31) << "within the scale the utility shows";
  EXPECT_EQ(registered[0].text, gateway.Identity().modules[1].network);

  gateway.Advance(seconds(35));  // 45 s in: line 2 has lost its signal
  EXPECT_EQ(Data(AnswerTo(gateway, Ask(ie::IsdnStatus)), ie::IsdnStatus),
            (std::vector<std::uint8_t>{0x03, 0x00, 0x80, 0x00}));
  const DeviceMessage allIsdnCredit = Ask(ie::IsdnCredit, {0, 1, 2, 3});
  EXPECT_EQ(Data(AnswerTo(gateway, allIsdnCredit), ie::IsdnCredit).size(), 2 * (2 + 24) + 2 * 2u);
  const auto lines = ReadAnswer(gateway, allIsdnCredit, ie::IsdnCredit, ReadCredit);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1].index, 1);
  const auto modules = ReadAnswer(gateway, Ask(ie::GsmCredit, {1}), ie::GsmCredit, ReadCredit);
  ASSERT_EQ(modules.size(), 1u);
  EXPECT_EQ(modules[0].index, 1);
}

// --- Monitoring -------------------------------------------------------------

// The monitoring output: the categories the utility selects, the load rate,
// and what ends it.

constexpr milliseconds kStep{1};

// The monitoring output the gateway sent in `duration`: the texts of its
// unasked MonitorStart replies, joined. Events (restarts) are passed over;
// any other message fails the test.
std::string OutputOver(GatewayModel& gateway, milliseconds duration) {
  std::string output;
  for (milliseconds passed{0}; passed < duration; passed += kStep) {
    for (const DeviceMessage& message : gateway.Advance(kStep)) {
      EXPECT_TRUE(IsChecksumValid(message));
      if (message.type() == static_cast<std::uint8_t>(MessageType::Request)) continue;
      EXPECT_EQ(message.type(), static_cast<std::uint8_t>(MessageType::Reply));
      const auto element = FindElement(message, ie::MonitorStart);
      EXPECT_TRUE(element);
      if (!element) continue;
      EXPECT_LE(message.ieLength() + kMessageBufferSize - kMaxIeAreaLength, kMaxReceivedLength)
          << "the program's decoder drops a longer message";
      output += ElementText(*element, kMaxIeAreaLength);
    }
  }
  return output;
}

// The lines of the output without their CR LF; the start's banner's line end gives none.
std::vector<std::string> Lines(std::string_view output) {
  if (output.starts_with("\r\n")) output.remove_prefix(2);
  std::vector<std::string> lines;
  for (std::size_t end; (end = output.find("\r\n")) != std::string_view::npos; output.remove_prefix(end + 2)) {
    lines.emplace_back(output.substr(0, end));
  }
  EXPECT_TRUE(output.empty()) << "unfinished line: " << output;
  return lines;
}

// The category numbers of the lines, from their "Cnn" field.
std::vector<int> Categories(const std::vector<std::string>& lines) {
  std::vector<int> categories;
  for (const std::string& line : lines) categories.push_back(std::stoi(line.substr(line.find(" C") + 2, 2)));
  return categories;
}

class MonitoringGateway : public testing::Test {
 protected:
  MonitoringGateway() { EXPECT_FALSE(gateway.Receive(Ask(ie::MonitorStart)).empty()); }

  bool Answered(const DeviceMessage& request) { return !gateway.Receive(request).empty(); }

  GatewayModel gateway;
};

TEST_F(MonitoringGateway, TracesOnlyTheSelectedCategories) {
  ASSERT_TRUE(Answered(Ask({test::TextElement(ie::MonitorCommand, "V=8005\r\n")})));
  EXPECT_EQ(Categories(Lines(OutputOver(gateway, milliseconds(3000)))), (std::vector<int>{1, 3, 16, 1, 3, 16}));

  ASSERT_TRUE(Answered(Ask({test::TextElement(ie::MonitorCommand, "V=0000\r\n")})));
  EXPECT_EQ(OutputOver(gateway, milliseconds(3000)), "");
}

// A jump of time is capped, not an hour of lines, and the rhythm goes on after it.
TEST_F(MonitoringGateway, LoadRateCutsTheStreamIntoFullMessagesAndAJumpOfTimeKeepsTheRhythm) {
  gateway.Monitor().SetRate(20000);
  const auto lines = Lines(OutputOver(gateway, milliseconds(1000)));
  ASSERT_EQ(lines.size(), 20000u);
  EXPECT_TRUE(lines.back().find("#020000") != std::string::npos);

  gateway.Monitor().SetRate(kDefaultTraceLinesPerSecond);
  const auto texts = gateway.Advance(std::chrono::days(365));
  EXPECT_FALSE(texts.empty());
  EXPECT_LE(texts.size(), kMaxTraceBurstLines);
  EXPECT_EQ(Lines(OutputOver(gateway, milliseconds(1000))).size(), kDefaultTraceLinesPerSecond);
}

TEST_F(MonitoringGateway, StopsWithMonitoringAndWithARestart) {
  ASSERT_TRUE(Answered(Ask(ie::MonitorStop)));
  EXPECT_EQ(OutputOver(gateway, milliseconds(2000)), "");

  ASSERT_TRUE(Answered(Ask(ie::MonitorStart)));
  EXPECT_FALSE(OutputOver(gateway, milliseconds(1000)).empty());
  ASSERT_TRUE(Answered(Ask(ie::Reset)));
  EXPECT_EQ(OutputOver(gateway, kRestartToLoaderMs + milliseconds(2000)), "");
}

TEST(MonitorTrace, TakesOnlyAWellFormedMaskCommand) {
  using Row = std::pair<const char*, std::optional<std::uint16_t>>;  // nothing: not a mask command
  for (const auto& [command, mask] :
       {Row{"V=0001\r\n", 0x0001}, Row{"V=00a0", 0x00A0}, Row{"V=001\r\n", {}}, Row{"V=00001\r\n", {}},
        Row{"V=00G1\r\n", {}}, Row{"V=0001 \r\n", {}}, Row{"isdn status\r\n", {}}}) {
    MonitorTrace trace;
    EXPECT_EQ(trace.TakeCommand(command), mask.has_value()) << command;
    EXPECT_EQ(trace.Mask(), mask.value_or(kAllTraceCategories)) << command;
  }
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

// --- Reading the configuration ----------------------------------------------

// An unaligned block and the image's last byte; reads outside the image are refused (RefusalTest).
TEST(ConfigRead, AnswersTheStoredBytesAtTheAddress) {
  GatewayModel gateway;
  for (const auto& [offset, length] : {std::pair<std::size_t, std::size_t>{104, 128}, {kConfigImageSize - 1, 1}}) {
    const DeviceMessage answer = AnswerTo(gateway, ConfigRead(Number32(ConfigDeviceAddress(offset))));
    EXPECT_EQ(Data(answer, ie::Address), Number32(ConfigDeviceAddress(offset)));
    const auto stored = gateway.Configuration().Stored().Range(offset, length);
    EXPECT_EQ(Data(answer, ie::ConfigReadData), std::vector<std::uint8_t>(stored.begin(), stored.end())) << offset;
  }
}

// --- The blocks each write takes --------------------------------------------

enum class Memory { Configuration, Flash };

DeviceMessage FlashStart() { return Ask(ie::FlashStart, {kFlashStartValue}); }
DeviceMessage FlashBlock(std::uint32_t address, std::vector<std::uint8_t> data) {
  return Ask({{ie::FlashData, std::move(data)}, {ie::FlashAddress, Number32(address)}});
}

// Starts a write into `memory`: the configuration's in the firmware, the
// flash's in the loader the firmware restarts into for it.
void StartWrite(GatewayModel& gateway, Memory memory) {
  if (memory == Memory::Configuration) {
    ASSERT_EQ(Outcome(gateway.Receive(ConfigWriteStart())), "reply 40");
    return;
  }
  ASSERT_EQ(Outcome(gateway.Receive(FlashStart())), "reply 81") << "the firmware restarts into the loader";
  EXPECT_FALSE(gateway.LinkAvailable());
  ASSERT_EQ(Outcome(gateway.Advance(kRestartToLoaderMs)), "event 11");
  ASSERT_EQ(Outcome(gateway.Receive(FlashStart())), "reply 21");
}

struct BlockRow {
  const char* name;
  Memory memory;
  std::uint32_t at;  // the configuration image's offset, the flash's address
  std::size_t length;
  bool accepted;
};

class WriteBlocks : public testing::TestWithParam<BlockRow> {};

TEST_P(WriteBlocks, TakeOnlyWholeGroupsWithinOnePageOfTheMemory) {
  const BlockRow& row = GetParam();
  GatewayModel gateway;
  StartWrite(gateway, row.memory);
  const bool flash = row.memory == Memory::Flash;
  const std::uint32_t address = flash ? row.at : ConfigDeviceAddress(row.at);
  auto answers = gateway.Receive(flash ? FlashBlock(address, test::FirmwareData(row.length))
                                       : ConfigWriteBlock(row.at, row.length));
  if (answers.empty()) answers = gateway.Advance(kSectorEraseMs);  // a flash sector's first block waits for its erase
  const DeviceMessage answer = Only(answers);
  if (row.accepted) {
    EXPECT_TRUE(IsReply(answer));
    EXPECT_EQ(Data(answer, flash ? ie::FlashAddress : ie::Address), Number32(address));
  } else {
    EXPECT_EQ(RejectCause(answer), cause::NotAllowed);
  }
}

constexpr std::uint32_t kFlashBase = 0x10000;
constexpr Memory kConfig = Memory::Configuration;
constexpr Memory kFlash = Memory::Flash;

INSTANTIATE_TEST_SUITE_P(Gateway, WriteBlocks,
                         testing::Values(BlockRow{"configFull", kConfig, 0, 208, true},
                                         BlockRow{"configShortenedAtThePage", kConfig, 832, 192, true},
                                         BlockRow{"configLastGroupOfAPage", kConfig, 1016, 8, true},
                                         BlockRow{"configLastPadded", kConfig, 29296, 40, true},
                                         BlockRow{"configEmpty", kConfig, 0, 0, false},
                                         BlockRow{"configNotWholeGroups", kConfig, 0, 12, false},
                                         BlockRow{"configTooLong", kConfig, 0, 216, false},
                                         BlockRow{"configCrossesAPage", kConfig, 832, 208, false},
                                         BlockRow{"configUnaligned", kConfig, 4, 8, false},
                                         BlockRow{"configPastThePadding", kConfig, 29296, 48, false},
                                         BlockRow{"configPastTheImage", kConfig, kConfigImageSize, 8, false},
                                         BlockRow{"flashLongest", kFlash, kFlashBase, 208, true},
                                         BlockRow{"flashLastGroupOfTheWindow", kFlash, 0x77FF8, 8, true},
                                         BlockRow{"flashPastTheWindow", kFlash, 0x78000, 8, false},
                                         BlockRow{"flashBelowTheWindow", kFlash, 0xFFF8, 8, false},
                                         BlockRow{"flashAcrossAPage", kFlash, 0x103F8, 16, false},
                                         BlockRow{"flashNotWholeGroups", kFlash, kFlashBase, 12, false},
                                         BlockRow{"flashTooLong", kFlash, kFlashBase, 216, false}),
                         test::RowName<BlockRow>);

// --- Writing the configuration ----------------------------------------------

class ConfigWrite : public testing::Test {
 protected:
  void SetUp() override { StartWrite(gateway, Memory::Configuration); }
  std::optional<std::uint8_t> Refusal(const DeviceMessage& request) { return RejectCause(AnswerTo(gateway, request)); }
  GatewayModel gateway;
};

// The start's password is checked with the other guarded requests
// (PasswordTest); the blocks need it as well, the stop does not.
TEST_F(ConfigWrite, StopCommitsTheWrittenImageAndRestartsTheFirmware) {
  const ConfigurationImage before = gateway.Configuration().Stored();
  AnswerTo(gateway, ConfigWriteBlock(0, 208));
  AnswerTo(gateway, ConfigWriteBlock(29296, 40, 0x22));
  EXPECT_EQ(gateway.Configuration().Stored(), before);  // nothing changes before the stop
  EXPECT_EQ(Refusal(Ask(ie::ConfigWriteStop)), cause::NotAllowed);
  EXPECT_EQ(Refusal(Ask(ie::ConfigWriteStop, {1})), cause::NotAllowed);
  gateway.Identity().password = "tusk";
  EXPECT_EQ(Refusal(ConfigWriteBlock(0, 8, 0x23)), cause::PasswordRequired);

  EXPECT_TRUE(IsReply(AnswerTo(gateway, ConfigWriteStop())));
  ConfigurationImage expected;  // what was not written is erased
  expected.Fill(0, 208, 0x21);
  expected.Fill(29296, 36, 0x22);
  EXPECT_EQ(gateway.Configuration().Stored(), expected);

  EXPECT_EQ(Outcome(gateway.Advance(kLoaderToFirmwareMs)), "event 13");
  EXPECT_EQ(Refusal(ConfigWriteStop()), cause::NotAllowed);  // the write is over
}

TEST_F(ConfigWrite, RestartDropsAWriteUnderWay) {
  AnswerTo(gateway, ConfigWriteBlock(0, 208));
  AnswerTo(gateway, Ask(ie::Reset));
  gateway.Advance(kRestartToLoaderMs);
  ASSERT_EQ(gateway.Phase(), GatewayPhase::Loader);
  EXPECT_EQ(Refusal(ConfigWriteStop()), cause::NotAllowed);
  EXPECT_EQ(gateway.Configuration().Stored(), MakeSampleConfiguration());
}

// --- Writing the flash ------------------------------------------------------

// The loader takes blocks only in a session started by FlashStart, each with
// its address; the stop starts the written firmware.
TEST(FlashWrite, FirstBlockOfASectorIsAnsweredAfterTheEraseAndTheStopStartsTheWrittenFirmware) {
  GatewayModel gateway;
  ASSERT_EQ(Outcome(gateway.Receive(FlashStart())), "reply 81");
  gateway.Advance(kRestartToLoaderMs);
  const std::vector<std::uint8_t> block = test::FirmwareData(8);
  EXPECT_EQ(Outcome(gateway.Receive(FlashBlock(kFlashBase, block))), "reject 94") << "no session";
  ASSERT_EQ(Outcome(gateway.Receive(FlashStart())), "reply 21");
  EXPECT_EQ(Outcome(gateway.Receive(Ask(ie::FlashData, block))), "reject 94") << "no address";
  EXPECT_TRUE(gateway.Receive(FlashBlock(kFlashBase, block)).empty());
  EXPECT_TRUE(gateway.Advance(kSectorEraseMs - milliseconds(1)).empty());
  EXPECT_EQ(Data(Only(gateway.Advance(milliseconds(1))), ie::FlashAddress), Number32(kFlashBase));
  EXPECT_EQ(Outcome(gateway.Receive(FlashBlock(kFlashBase + 8, block))), "reply 26");

  const std::uint32_t nextSector = kFlashBase + kEraseSectorBytes;
  const std::vector<std::uint8_t> data = test::FirmwareData(64, "2.0.1");
  EXPECT_TRUE(gateway.Receive(FlashBlock(nextSector, data)).empty());
  ASSERT_EQ(Outcome(gateway.Advance(kSectorEraseMs)), "reply 26");
  EXPECT_EQ(Outcome(gateway.Receive(Ask(ie::FlashStop))), "reply 29");
  EXPECT_EQ(Outcome(gateway.Advance(kLoaderToFirmwareMs)), "event 13");
  EXPECT_EQ(gateway.Identity().firmwareVersion, "2.0.1");
  EXPECT_EQ(gateway.FlashLoader().flash(),
            test::FlashImageOf({{kSectionTypeApplication, kFlashBase, block},
                                {kSectionTypeApplication, kFlashBase + 8, block},
                                {kSectionTypeApplication, nextSector, data}},
                               kFirmwareFlashWindow.start, kFirmwareFlashWindow.length));
}

// --- Image files ------------------------------------------------------------

TEST(RawImageFile, ReadsAnImageOfExactlyItsSizeAndRefusesOthersAndMissingFiles) {
  const test::TempFolder folder;
  const std::string path = (folder / "image.bin").string();
  const auto WriteFile = [&path](std::size_t size, std::uint8_t value) {
    std::ofstream(path, std::ios::binary) << std::string(size, static_cast<char>(value));
    return path;
  };
  std::string error;
  const auto image = ReadRawImageFile(WriteFile(kConfigImageSize, 0x5A), error);
  ASSERT_TRUE(image) << error;
  EXPECT_EQ(image->Byte(0), 0x5A);
  EXPECT_EQ(image->Byte(kConfigImageSize - 1), 0x5A);
  for (std::size_t size : {std::size_t{0}, kConfigImageSize - 1, kConfigImageSize + 1}) {
    EXPECT_FALSE(ReadRawImageFile(WriteFile(size, 0), error)) << size;
    EXPECT_NE(error.find("29332"), std::string::npos) << error;
  }
  EXPECT_FALSE(ReadRawImageFile(path + ".missing", error));
  EXPECT_NE(error.find("cannot open"), std::string::npos) << error;
}

// --- Call detail records ----------------------------------------------------

DeviceMessage FirstRequest() { return Ask(ie::CdrData); }

DeviceMessage Acknowledge(std::uint8_t length, std::uint32_t position) {
  return Ask({{ie::CdrData, {length}}, {ie::CdrAddress, Number32(position)}});
}

struct Chunk {
  std::size_t length;
  std::optional<std::uint32_t> position;
  bool operator==(const Chunk&) const = default;
};

Chunk ChunkOf(const DeviceMessage& reply) {
  const auto data = FindElement(reply, ie::CdrData);
  const auto address = FindElement(reply, ie::CdrAddress);
  return {data ? data->data.size() : 0, address ? ReadNumber32(*address) : std::nullopt};
}

// A restart asked for comes once, after the acknowledgement it answers has
// been taken; the next chunk is then the one after it.
TEST(GatewayCdrStore, SendsChunksAtTheirPositionsAcrossTheWrapAndRestartsOnDemand) {
  GatewayCdrStore store;
  store.Fill(4, 0x7FFFC0);
  EXPECT_EQ(ChunkOf(store.Answer(FirstRequest())), (Chunk{192, 0x7FFFC0}));
  store.RestartOnNextRequest();
  EXPECT_EQ(RejectCause(store.Answer(Acknowledge(192, 0x7FFFC0))), cause::CdrRestart);
  EXPECT_EQ(store.Remaining(), 1u);
  EXPECT_EQ(ChunkOf(store.Answer(FirstRequest())), (Chunk{64, 0x80}));
  EXPECT_EQ(ChunkOf(store.Answer(Acknowledge(64, 0x80))), (Chunk{0, std::nullopt}));
  EXPECT_EQ(store.Remaining(), 0u);
}

struct KeepRow {
  const char* name;
  DeviceMessage request;
  int failures;
  int lostRecords;  // as the last store failure named them
};

class GatewayCdrStoreKeeps : public ::testing::TestWithParam<KeepRow> {};

// Whatever does not acknowledge the chunk sent last gets that chunk again.
TEST_P(GatewayCdrStoreKeeps, TheChunkUntilItIsAcknowledged) {
  GatewayCdrStore store;
  store.Fill(5, 0x100);
  store.Answer(FirstRequest());
  EXPECT_EQ(ChunkOf(store.Answer(GetParam().request)), (Chunk{192, 0x100}));
  EXPECT_EQ(store.Remaining(), 5u);
  EXPECT_EQ(store.StoreFailures(), GetParam().failures);
  EXPECT_EQ(store.LastFailureCount(), GetParam().lostRecords);
}

DeviceMessage StoreFailed(std::initializer_list<test::TestElement> chunk, std::uint8_t lost) {
  DeviceMessage reject = test::SealedMessage(MessageType::Reject, chunk);
  AddElement(reject, ie::Cause, std::vector<std::uint8_t>{cause::CdrStoreFailed, lost});
  SealMessage(reject);
  return reject;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GatewayCdrStoreKeeps,
    ::testing::Values(KeepRow{"FirstRequestAgain", FirstRequest(), 0, 0},
                      KeepRow{"WrongLength", Acknowledge(64, 0x100), 0, 0},
                      KeepRow{"WrongPosition", Acknowledge(192, 0x140), 0, 0},
                      KeepRow{"StoreFailedNamingIt", StoreFailed({{ie::CdrData, {192}}, {ie::CdrAddress, Number32(0x100)}}, 3), 1, 3},
                      KeepRow{"StoreFailedInTheFirstForm", StoreFailed({{ie::CdrData, {}}}, 2), 1, 2}),
    test::RowName<KeepRow>);

// --- Announcements ----------------------------------------------------------

using Kind = GatewayAnnouncements::BlockAnswer::Kind;

constexpr std::size_t kBlock = GatewayAnnouncements::kMaxBlockBytes;

class Announcements : public ::testing::Test {
 protected:
  Announcements() {
    memory.SetOutputFolder(folder.path());
    memory.SetErasingAnswers(0);
    memory.Begin(AnnouncementKind::Incoming);
  }

  // Sends `bytes` from `from` on in blocks, bits of the audio reversed as the utility sends them.
  void SendFrom(const std::vector<std::uint8_t>& bytes, std::size_t from) {
    const WavLayout layout = CheckWavHeader(bytes).layout;
    for (std::size_t at = from; at < bytes.size(); at += kBlock) {
      std::vector<std::uint8_t> block(bytes.begin() + at, bytes.begin() + std::min(at + kBlock, bytes.size()));
      ReverseAudioBits(block, at, layout);
      block.resize((block.size() + 7) / 8 * 8, 0xFF);
      ASSERT_EQ(memory.Block(static_cast<std::uint32_t>(at), block).kind, Kind::Acknowledged) << at;
    }
  }

  const test::TempFolder folder;
  GatewayAnnouncements memory;
  const std::vector<std::uint8_t> wav = test::AlawWav(301);  // 359 bytes: the last block is padded
};

// The stored file is written out under its kind's name as well. The last
// block and the stop come again when their answers were lost.
TEST_F(Announcements, CommitStoresTheFileWithoutPaddingAndWithItsAudioTurnedBack) {
  SendFrom(wav, 0);
  SendFrom(wav, 2 * kBlock);
  ASSERT_TRUE(memory.Commit());
  EXPECT_EQ(memory.Stored(AnnouncementKind::Incoming), wav);
  std::ifstream written(folder / (std::string(AnnouncementKindName(AnnouncementKind::Incoming)) + ".wav"), std::ios::binary);
  EXPECT_EQ((std::vector<std::uint8_t>{std::istreambuf_iterator<char>(written), {}}), wav);
  EXPECT_TRUE(memory.Commit());
  EXPECT_FALSE(memory.Receiving());
}

TEST_F(Announcements, BlocksTheGatewayDoesNotWriteAreRefusedAndOneAtAnotherAddressIsAnsweredWithTheExpectedOne) {
  for (std::size_t length : {kBlock + 8, std::size_t{12}, std::size_t{0}}) {
    EXPECT_EQ(memory.Block(0, std::vector<std::uint8_t>(length)).kind, Kind::Refused) << length;
  }
  GatewayAnnouncements idle;
  EXPECT_EQ(idle.Block(0, std::vector<std::uint8_t>(kBlock)).kind, Kind::Refused);
  EXPECT_FALSE(idle.Commit());

  std::vector<std::uint8_t> block(kBlock, 0x42);
  ASSERT_EQ(memory.Block(0, block).kind, Kind::Acknowledged);
  const auto answer = memory.Block(0x300, block);
  EXPECT_EQ(answer.kind, Kind::Acknowledged);
  EXPECT_EQ(answer.address, kBlock);
  EXPECT_FALSE(memory.Commit()) << "garbage is not stored";
  EXPECT_TRUE(memory.Stored(AnnouncementKind::Incoming).empty());
}

TEST(AnnouncementErasing, EachSectorsFirstBlockWaitsForItsErasure) {
  GatewayAnnouncements memory;
  memory.SetErasingAnswers(2);
  memory.Begin(AnnouncementKind::Outgoing);
  const std::vector<std::uint8_t> block(kBlock, 0x11);
  std::string answers;  // E: erasing, A: acknowledged, R: refused
  for (std::uint32_t at = 0; at < 2 * GatewayAnnouncements::kEraseSectorBytes && answers.size() < 100;) {
    const Kind kind = memory.Block(at, block).kind;
    answers += kind == Kind::Erasing ? 'E' : kind == Kind::Acknowledged ? 'A' : 'R';
    if (kind == Kind::Acknowledged) at += kBlock;
  }
  // 32 blocks fill a sector: the 33rd opens the second.
  const std::string sector = "EE" + std::string(32, 'A');
  EXPECT_EQ(answers, sector + sector);
  EXPECT_EQ(memory.ErasingAnswered(), 4);
}

}  // namespace
}  // namespace tusko::sim
