#include "sim/GatewayModel.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "protocol/ElementLayouts.h"

namespace tusko::sim {
namespace {

using std::chrono::hours;
using std::chrono::milliseconds;
using std::chrono::minutes;
using std::chrono::seconds;

constexpr std::size_t kTextCapacity = 255;

DeviceMessage Sealed(MessageType type, std::uint8_t id, std::initializer_list<unsigned> data = {},
                     const char* password = nullptr) {
  DeviceMessage message = CreateMessage(type);
  AddElementBytes(message, id, data);
  if (password != nullptr) AddTextElement(message, ie::Password, password, true);
  SealMessage(message);
  return message;
}

DeviceMessage Request(std::uint8_t id, std::initializer_list<unsigned> data = {}, const char* password = nullptr) {
  return Sealed(MessageType::Request, id, data, password);
}

DeviceMessage PasswordRequest(std::uint8_t id, const char* password) { return Request(id, {}, password); }

// What arrived, told from the bytes: "none", "checksum", "type", "reject XX"
// or the type followed by the identifier of the first element.
std::string Outcome(const std::vector<DeviceMessage>& answers) {
  if (answers.empty()) return "none";
  if (answers.size() > 1) return "several";
  const DeviceMessage& answer = answers.front();
  if (!HasKnownType(answer)) return "type";
  if (!IsChecksumValid(answer)) return "checksum";
  char text[16];
  if (answer.type() == static_cast<std::uint8_t>(MessageType::Reject)) {
    const auto cause = FindElement(answer, ie::Cause);
    std::snprintf(text, sizeof text, "reject %02X", cause && !cause->data.empty() ? cause->data[0] : 0u);
  } else {
    const char* type = answer.type() == static_cast<std::uint8_t>(MessageType::Reply) ? "reply" : "event";
    std::snprintf(text, sizeof text, "%s %02X", type, answer.ieLength() > 0 ? answer.ieArea()[0] : 0u);
  }
  return text;
}

// The single valid message in `answers`, or an empty one (after a failed check).
DeviceMessage Single(const std::vector<DeviceMessage>& answers) {
  EXPECT_EQ(answers.size(), 1u);
  if (answers.size() != 1) return DeviceMessage{};
  EXPECT_TRUE(HasKnownType(answers.front()));
  EXPECT_TRUE(IsChecksumValid(answers.front()));
  return answers.front();
}

std::string Text(const DeviceMessage& message, std::uint8_t id) {
  const auto element = FindElement(message, id);
  return element ? ElementText(*element, kTextCapacity) : "<absent>";
}

RunModeInfo RunModeOf(const DeviceMessage& message) {
  const auto element = FindElement(message, ie::RunMode);
  return element ? ReadRunMode(*element) : RunModeInfo{};
}

GatewayIdentity WithoutFirmware() {
  GatewayIdentity identity;
  identity.hasValidFirmware = false;
  return identity;
}

GatewayIdentity WithPassword(std::string password) {
  GatewayIdentity identity;
  identity.password = std::move(password);
  return identity;
}

struct RowName {
  template <typename Row>
  std::string operator()(const testing::TestParamInfo<Row>& info) const {
    return info.param.name;
  }
};

// Reset, then let the loader come up; returns its LoaderStarted event.
DeviceMessage RestartIntoLoader(GatewayModel& gateway) {
  EXPECT_EQ(Outcome(gateway.Receive(Request(ie::Reset))), "reply 81");
  return Single(gateway.Advance(kRestartToLoaderMs));
}

// --- System information -----------------------------------------------------

struct SystemInfoRow {
  const char* name;
  bool validFirmware;
  bool restartIntoLoader;
  std::uint8_t runMode;
  const char* firmwareVersion;
};

class SystemInfoTest : public testing::TestWithParam<SystemInfoRow> {};

TEST_P(SystemInfoTest, ReportsVersionsRunModeAndName) {
  const SystemInfoRow& row = GetParam();
  GatewayModel gateway(row.validFirmware ? GatewayIdentity{} : WithoutFirmware());
  if (row.restartIntoLoader) RestartIntoLoader(gateway);

  const DeviceMessage reply = Single(gateway.Receive(Request(ie::LoaderVersion)));
  EXPECT_EQ(reply.type(), static_cast<std::uint8_t>(MessageType::Reply));
  EXPECT_EQ(Text(reply, ie::LoaderVersion), "1.0.3");
  EXPECT_EQ(Text(reply, ie::FirmwareVersion), row.firmwareVersion);
  EXPECT_EQ(Text(reply, ie::DeviceName), "Sentarix");
  EXPECT_EQ(RunModeOf(reply).mode, row.runMode);
  EXPECT_EQ(RunModeOf(reply).dataVersion, 0x00010200u);
}

INSTANTIATE_TEST_SUITE_P(
    Phases, SystemInfoTest,
    testing::Values(SystemInfoRow{"firmware", true, false, kRunModeFirmware, "1.2.5"},
                    SystemInfoRow{"loaderHoldingFirmware", true, true, kRunModeLoader, "1.2.5"},
                    SystemInfoRow{"loaderWithoutFirmware", false, false, kRunModeLoader, "<absent>"}),
    RowName{});

struct LanRow {
  const char* name;
  bool dhcp;
  Ipv4Address ip, mask, gateway;
  std::uint16_t port;
  const char *ipText, *maskText, *gatewayText;
};

class LanInfoTest : public testing::TestWithParam<LanRow> {};

TEST_P(LanInfoTest, ReplyHasTheLanLayout) {
  const LanRow& row = GetParam();
  GatewayIdentity identity;
  identity.dhcp = row.dhcp;
  identity.ipAddress = row.ip;
  identity.subnetMask = row.mask;
  identity.defaultGateway = row.gateway;
  identity.tcpPort = row.port;
  GatewayModel gateway(identity);

  const DeviceMessage reply = Single(gateway.Receive(Request(ie::LanInfo)));
  const auto element = FindElement(reply, ie::LanInfo);
  ASSERT_TRUE(element);
  EXPECT_EQ(element->data.size(), 42u);
  const LanInfoData lan = ReadLanInfo(*element);
  EXPECT_EQ(lan.dhcp, row.dhcp ? kDhcpOn : kDhcpOff);
  EXPECT_EQ(lan.ipAddress, row.ipText);
  EXPECT_EQ(lan.subnetMask, row.maskText);
  EXPECT_EQ(lan.defaultGateway, row.gatewayText);
  EXPECT_EQ(lan.tcpPort, row.port);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, LanInfoTest,
    testing::Values(LanRow{"defaults", false, {192, 168, 1, 100}, {255, 255, 255, 0}, {192, 168, 1, 1}, 1002,
                           "192.168.1.100", "255.255.255.0", "192.168.1.1"},
                    LanRow{"dhcpAndExtremes", true, {10, 0, 0, 7}, {255, 0, 0, 0}, {0, 0, 0, 0}, 65535, "10.0.0.7",
                           "255.0.0.0", "0.0.0.0"}),
    RowName{});

// --- Restarts ---------------------------------------------------------------

TEST(GatewayModel, ResetThenSwitchToFirmwareRunsTheWholeRestart) {
  GatewayModel gateway;
  ASSERT_EQ(gateway.Phase(), GatewayPhase::Firmware);

  EXPECT_EQ(Outcome(gateway.Receive(Request(ie::Reset))), "reply 81");
  EXPECT_FALSE(gateway.LinkAvailable());
  EXPECT_EQ(gateway.Phase(), GatewayPhase::Restarting);
  EXPECT_EQ(Outcome(gateway.Receive(Request(ie::LoaderVersion))), "none");

  EXPECT_TRUE(gateway.Advance(kRestartToLoaderMs - milliseconds{1}).empty());
  EXPECT_FALSE(gateway.LinkAvailable());
  const DeviceMessage loaderStarted = Single(gateway.Advance(milliseconds{1}));
  EXPECT_EQ(Outcome({loaderStarted}), "event 11");
  EXPECT_EQ(Text(loaderStarted, ie::LoaderVersion), "1.0.3");
  EXPECT_EQ(Text(loaderStarted, ie::DeviceName), "Sentarix");
  EXPECT_EQ(RunModeOf(loaderStarted).mode, kRunModeLoader);
  EXPECT_FALSE(FindElement(loaderStarted, ie::Cause));
  EXPECT_TRUE(gateway.LinkAvailable());
  EXPECT_EQ(gateway.Phase(), GatewayPhase::Loader);

  EXPECT_EQ(Outcome(gateway.Receive(Sealed(MessageType::Reply, ie::RestartAck))), "none");
  EXPECT_EQ(gateway.Phase(), GatewayPhase::Loader);

  EXPECT_EQ(Outcome(gateway.Receive(Request(ie::SwitchToFirmware))), "reply 52");
  EXPECT_FALSE(gateway.LinkAvailable());
  EXPECT_TRUE(gateway.Advance(kLoaderToFirmwareMs - milliseconds{1}).empty());
  const DeviceMessage firmwareStarted = Single(gateway.Advance(milliseconds{1}));
  EXPECT_EQ(Outcome({firmwareStarted}), "event 13");
  EXPECT_EQ(Text(firmwareStarted, ie::FirmwareVersion), "1.2.5");
  EXPECT_EQ(Text(firmwareStarted, ie::LoaderVersion), "1.0.3");
  EXPECT_EQ(Text(firmwareStarted, ie::DeviceName), "Sentarix");
  EXPECT_EQ(RunModeOf(firmwareStarted).mode, kRunModeFirmware);
  EXPECT_EQ(gateway.Phase(), GatewayPhase::Firmware);
  EXPECT_TRUE(gateway.LinkAvailable());
  EXPECT_EQ(gateway.RestartCount(), 2);
  EXPECT_TRUE(gateway.Advance(hours{1}).empty());
}

TEST(GatewayModel, LoaderWithoutFirmwareReportsNoFirmwareAndStays) {
  GatewayModel gateway(WithoutFirmware());
  EXPECT_EQ(gateway.Phase(), GatewayPhase::Loader);
  EXPECT_TRUE(gateway.LinkAvailable());

  const DeviceMessage loaderStarted = RestartIntoLoader(gateway);
  const auto cause = FindElement(loaderStarted, ie::Cause);
  ASSERT_TRUE(cause);
  ASSERT_FALSE(cause->data.empty());
  EXPECT_EQ(cause->data[0], cause::NoFirmware);
  EXPECT_FALSE(FindElement(loaderStarted, ie::FirmwareVersion));

  EXPECT_EQ(Outcome(gateway.Receive(Request(ie::SwitchToFirmware))), "reject 9F");
  EXPECT_EQ(gateway.Phase(), GatewayPhase::Loader);
  EXPECT_TRUE(gateway.Advance(kLoaderToFirmwareMs).empty());

  gateway.Identity().hasValidFirmware = true;  // as after a firmware update
  EXPECT_EQ(Outcome(gateway.Receive(Request(ie::SwitchToFirmware))), "reply 52");
  EXPECT_EQ(Outcome(gateway.Advance(kLoaderToFirmwareMs)), "event 13");
}

TEST(GatewayModel, PowerDownSendsItsEventOnceAndSilencesTheGateway) {
  GatewayModel gateway;
  EXPECT_EQ(Outcome(gateway.PowerDown()), "event 83");
  EXPECT_EQ(gateway.Phase(), GatewayPhase::Off);
  EXPECT_FALSE(gateway.LinkAvailable());
  EXPECT_EQ(Outcome(gateway.Receive(Request(ie::LoaderVersion))), "none");
  EXPECT_TRUE(gateway.PowerDown().empty());

  GatewayModel restarting;
  restarting.Receive(Request(ie::Reset));
  EXPECT_TRUE(restarting.PowerDown().empty());
  EXPECT_TRUE(restarting.Advance(kRestartToLoaderMs).empty());
  EXPECT_EQ(restarting.Phase(), GatewayPhase::Off);
}

// --- Password and refusals --------------------------------------------------

struct ProtectedRow {
  const char* name;
  DeviceMessage (*request)(const char* password);
};

class PasswordTest : public testing::TestWithParam<ProtectedRow> {};

TEST_P(PasswordTest, RefusedUntilTheRightPasswordComes) {
  GatewayModel gateway(WithPassword("secret"));
  const auto make = GetParam().request;
  EXPECT_EQ(Outcome(gateway.Receive(make(nullptr))), "reject 92");
  EXPECT_EQ(Outcome(gateway.Receive(make("Secret"))), "reject 92");
  EXPECT_EQ(Outcome(gateway.Receive(make("secret1"))), "reject 92");
  EXPECT_EQ(Single(gateway.Receive(make("secret"))).type(), static_cast<std::uint8_t>(MessageType::Reply));
}

INSTANTIATE_TEST_SUITE_P(
    Requests, PasswordTest,
    testing::Values(ProtectedRow{"Reset", [](const char* p) { return PasswordRequest(ie::Reset, p); }},
                    ProtectedRow{"DateTime", [](const char* p) { return PasswordRequest(ie::DateTime, p); }},
                    ProtectedRow{"ModuleReset", [](const char* p) { return Request(ie::ModuleReset, {1}, p); }},
                    ProtectedRow{"NewPassword",
                                 [](const char* p) { return Request(ie::NewPassword, {'a', 'b', 0}, p); }}),
    RowName{});

TEST(GatewayModel, InformationRequestsNeverAskForThePassword) {
  GatewayModel gateway(WithPassword("secret"));
  EXPECT_EQ(Outcome(gateway.Receive(Request(ie::LoaderVersion))), "reply 15");
  EXPECT_EQ(Outcome(gateway.Receive(Request(ie::LanInfo))), "reply 66");
  EXPECT_EQ(Outcome(gateway.Receive(Request(ie::ModuleType, {0}))), "reply 67");
  EXPECT_EQ(Outcome(gateway.Receive(Request(ie::ModuleCells, {1}))), "reply 6C");
  EXPECT_EQ(Outcome(gateway.Receive(Request(ie::MonitorStart))), "reply 31");
}

TEST(GatewayModel, NewPasswordReplacesTheOldOne) {
  GatewayModel gateway(WithPassword("old"));
  const auto change = [&](const char* current) {
    return Outcome(gateway.Receive(Request(ie::NewPassword, {'n', 'e', 'w', 0}, current)));
  };
  EXPECT_EQ(change("bad"), "reject 92");
  EXPECT_EQ(gateway.Identity().password, "old");
  EXPECT_EQ(change("old"), "reply 28");
  EXPECT_EQ(gateway.Identity().password, "new");
  EXPECT_EQ(Outcome(gateway.Receive(PasswordRequest(ie::DateTime, "old"))), "reject 92");
  EXPECT_EQ(Outcome(gateway.Receive(PasswordRequest(ie::DateTime, "new"))), "reply 61");
}

struct RefusalRow {
  const char* name;
  bool validFirmware;
  DeviceMessage request;
};

class NotAllowedTest : public testing::TestWithParam<RefusalRow> {};

TEST_P(NotAllowedTest, AnswersNotAllowed) {
  GatewayModel gateway(GetParam().validFirmware ? GatewayIdentity{} : WithoutFirmware());
  EXPECT_EQ(Outcome(gateway.Receive(GetParam().request)), "reject 94");
}

INSTANTIATE_TEST_SUITE_P(
    Requests, NotAllowedTest,
    testing::Values(RefusalRow{"unknownElement", true, Request(0x99)},
                    RefusalRow{"noElementAtAll", true, [] {
                                 DeviceMessage empty = CreateMessage(MessageType::Request);
                                 SealMessage(empty);
                                 return empty;
                               }()},
                    RefusalRow{"passwordOnly", true, PasswordRequest(ie::Password, "x")},
                    RefusalRow{"eventElementAsRequest", true, Request(ie::PowerDown)},
                    RefusalRow{"switchToFirmwareInFirmware", true, Request(ie::SwitchToFirmware)},
                    RefusalRow{"lanInfoInLoader", false, Request(ie::LanInfo)},
                    RefusalRow{"monitorStartInLoader", false, Request(ie::MonitorStart)},
                    RefusalRow{"dateTimeOfThreeBytes", true, Request(ie::DateTime, {1, 2, 3})},
                    RefusalRow{"dateTimeFebruary30", true, Request(ie::DateTime, {0, 0, 0, 30, 2, 24})},
                    RefusalRow{"dateTimeHour24", true, Request(ie::DateTime, {0, 0, 24, 1, 1, 24})},
                    RefusalRow{"moduleTypeIndex2", true, Request(ie::ModuleType, {2})},
                    RefusalRow{"moduleResetWithoutIndex", true, Request(ie::ModuleReset)},
                    RefusalRow{"cellsIndex255", true, Request(ie::ModuleCells, {255})},
                    RefusalRow{"newPasswordOfNineCharacters", true,
                               Request(ie::NewPassword, {'1', '2', '3', '4', '5', '6', '7', '8', '9', 0})},
                    RefusalRow{"monitorCommandWhileNotMonitoring", true, Request(ie::MonitorCommand, {'h'})}),
    RowName{});

TEST(GatewayModel, GarbledMessagesAreDroppedUnansweredAndUncounted) {
  GatewayModel gateway;
  DeviceMessage badChecksum = Request(ie::LanInfo);
  ++badChecksum.buffer()[badChecksum.wireSize() - 1];
  DeviceMessage badType = Request(ie::LanInfo);
  badType.buffer()[0] = 0xA4;
  SealMessage(badType);
  EXPECT_EQ(Outcome(gateway.Receive(badChecksum)), "none");
  EXPECT_EQ(Outcome(gateway.Receive(badType)), "none");
  EXPECT_EQ(Outcome(gateway.Receive(Sealed(MessageType::Reject, ie::LanInfo))), "none");
  EXPECT_EQ(gateway.RequestCount(ie::LanInfo), 0);
  EXPECT_EQ(Outcome(gateway.Receive(Request(ie::LanInfo))), "reply 66");
  EXPECT_EQ(gateway.RequestCount(ie::LanInfo), 1);
}

// --- Clock, modules, monitoring ---------------------------------------------

DateTimeFields ClockOf(GatewayModel& gateway) {
  const DeviceMessage reply = Single(gateway.Receive(Request(ie::DateTime)));
  const auto element = FindElement(reply, ie::DateTime);
  const auto fields = element ? ReadDateTime(*element) : std::nullopt;
  EXPECT_TRUE(fields);
  return fields.value_or(DateTimeFields{});
}

LastTimeSyncInfo LastSyncOf(GatewayModel& gateway) {
  const DeviceMessage reply = Single(gateway.Receive(Request(ie::DateTime)));
  const auto element = FindElement(reply, ie::LastTimeSync);
  EXPECT_TRUE(element);
  return element ? ReadLastTimeSync(*element) : LastTimeSyncInfo{};
}

std::string Format(const DateTimeFields& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", unsigned{t.year}, unsigned{t.month},
                unsigned{t.day}, unsigned{t.hour}, unsigned{t.minute}, unsigned{t.second});
  return text;
}

TEST(GatewayModel, ClockIsSetByTheUtilityAndRunsWithVirtualTime) {
  GatewayModel gateway;
  EXPECT_EQ(Format(ClockOf(gateway)), "2024-01-01 00:00:00");
  EXPECT_TRUE(LastSyncOf(gateway).present);
  EXPECT_EQ(LastSyncOf(gateway).year, 0);

  // 2024-02-29 03:04:05, a leap day.
  EXPECT_EQ(Outcome(gateway.Receive(Request(ie::DateTime, {5, 4, 3, 29, 2, 24}))), "reply 61");
  EXPECT_EQ(Format(ClockOf(gateway)), "2024-02-29 03:04:05");

  gateway.Advance(milliseconds{500});
  gateway.Advance(milliseconds{500});
  gateway.Advance(hours{20} + minutes{55} + seconds{54});
  EXPECT_EQ(Format(ClockOf(gateway)), "2024-03-01 00:00:00");

  const LastTimeSyncInfo sync = LastSyncOf(gateway);
  EXPECT_EQ(sync.first, 29);
  EXPECT_EQ(sync.second, 2);
  EXPECT_EQ(sync.year, 2024);
}

TEST(GatewayModel, ClockStopsAtTheEndOfItsRange) {
  GatewayModel gateway;
  EXPECT_EQ(Outcome(gateway.Receive(Request(ie::DateTime, {59, 59, 23, 31, 12, 255}))), "reply 61");
  gateway.Advance(milliseconds::max());
  gateway.Advance(milliseconds{-5000});
  EXPECT_EQ(Format(ClockOf(gateway)), "2255-12-31 23:59:59");
}

struct ModuleRow {
  const char* name;
  unsigned index;
  const char* firstCell;  // 3 + 2 + 4 + 4 characters
};

class ModuleTest : public testing::TestWithParam<ModuleRow> {};

TEST_P(ModuleTest, ReportsTypeIdentitiesAndCells) {
  GatewayModel gateway;
  const ModuleRow& row = GetParam();
  const GsmModuleIdentity& module = gateway.Identity().modules[row.index];

  const DeviceMessage info = Single(gateway.Receive(Request(ie::ModuleType, {row.index})));
  EXPECT_EQ(Text(info, ie::ModuleType), module.type);
  EXPECT_EQ(Text(info, ie::ModuleImei), module.imei);
  EXPECT_EQ(Text(info, ie::ModuleImsi), module.imsi);
  EXPECT_EQ(Text(info, ie::ModuleNetwork), module.network);

  const DeviceMessage cells = Single(gateway.Receive(Request(ie::ModuleCells, {row.index})));
  const auto element = FindElement(cells, ie::ModuleCells);
  ASSERT_TRUE(element);
  const CellTable table = ReadModuleCells(*element);
  EXPECT_EQ(std::string(table[0].begin(), table[0].end()), row.firstCell);

  EXPECT_EQ(Outcome(gateway.Receive(Request(ie::ModuleReset, {row.index}))), "reply 82");
}

INSTANTIATE_TEST_SUITE_P(Modules, ModuleTest,
                         testing::Values(ModuleRow{"first", 0, "001011A2B0C31"},
                                         ModuleRow{"second", 1, "001022B3C1E40"}),
                         RowName{});

TEST(GatewayModel, MonitorCommandsRunOnlyWhileMonitoring) {
  GatewayModel gateway(WithPassword("pw"));
  const auto command = [&] { return Outcome(gateway.Receive(Request(ie::MonitorCommand, {'h'}, "pw"))); };
  EXPECT_EQ(Outcome(gateway.Receive(Request(ie::MonitorPoll))), "reply 34");
  EXPECT_EQ(Outcome(gateway.Receive(Request(ie::MonitorStart))), "reply 31");
  EXPECT_EQ(Outcome(gateway.Receive(Request(ie::MonitorCommand, {'h'}))), "reject 92");
  EXPECT_EQ(command(), "reply 33");
  EXPECT_EQ(Outcome(gateway.Receive(Request(ie::MonitorStop))), "reply 32");
  EXPECT_EQ(command(), "reject 94");

  EXPECT_EQ(Outcome(gateway.Receive(Request(ie::MonitorStart))), "reply 31");
  gateway.Receive(PasswordRequest(ie::Reset, "pw"));
  gateway.Advance(kRestartToLoaderMs);
  gateway.Receive(Request(ie::SwitchToFirmware));
  gateway.Advance(kLoaderToFirmwareMs);
  EXPECT_EQ(command(), "reject 94");  // a restart ends monitoring
}

// --- Fault injection --------------------------------------------------------

struct FaultRow {
  const char* name;
  Fault fault;
  const char* faulted;  // outcome of each hit LanInfo request
  const char* other;    // outcome of a system information request meanwhile
};

class FaultTest : public testing::TestWithParam<FaultRow> {};

TEST_P(FaultTest, HitsTheNamedNumberOfTimesThenStops) {
  const FaultRow& row = GetParam();
  GatewayModel gateway;
  gateway.InjectFault(row.fault);
  for (int i = 0; i < row.fault.count; ++i) {
    EXPECT_EQ(Outcome(gateway.Receive(Request(ie::LanInfo))), row.faulted) << "hit " << i;
    if (i == 0) {
      EXPECT_EQ(Outcome(gateway.Receive(Request(ie::LoaderVersion))), row.other);
    }
  }
  EXPECT_EQ(Outcome(gateway.Receive(Request(ie::LanInfo))), "reply 66");
  EXPECT_EQ(Outcome(gateway.Receive(Request(ie::LanInfo))), "reply 66");
  EXPECT_EQ(gateway.RequestCount(ie::LanInfo), row.fault.count + 2);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, FaultTest,
    testing::Values(FaultRow{"dropReply", {FaultKind::DropReply, ie::LanInfo, 0, 2}, "none", "reply 15"},
                    FaultRow{"corruptChecksum", {FaultKind::CorruptChecksum, ie::LanInfo, 0, 3}, "checksum",
                             "reply 15"},
                    FaultRow{"rejectRetryLater", {FaultKind::Reject, ie::LanInfo, cause::RetryLater, 2},
                             "reject 9C", "reply 15"},
                    FaultRow{"badType", {FaultKind::BadType, ie::LanInfo, 0, 1}, "type", "reply 15"},
                    FaultRow{"anyRequest", {FaultKind::DropReply, kAnyRequest, 0, 1}, "none", "reply 15"}),
    RowName{});

TEST(GatewayModel, FaultsQueueInTheOrderInjected) {
  GatewayModel gateway;
  gateway.InjectFault({FaultKind::Reject, kAnyRequest, cause::NotAllowed, 1});
  gateway.InjectFault({FaultKind::DropReply, ie::LanInfo, 0, 1});
  gateway.InjectFault({FaultKind::BadType, ie::LanInfo, 0, 0});  // a count of 0 never hits
  EXPECT_EQ(Outcome(gateway.Receive(Request(ie::LoaderVersion))), "reject 94");
  EXPECT_EQ(Outcome(gateway.Receive(Request(ie::LanInfo))), "none");
  EXPECT_EQ(Outcome(gateway.Receive(Request(ie::LanInfo))), "reply 66");
}

TEST(GatewayModel, LostRequestIsNotActedOnButACorruptedAnswerIs) {
  GatewayModel dropped;
  dropped.InjectFault({FaultKind::DropReply, ie::Reset, 0, 1});
  EXPECT_EQ(Outcome(dropped.Receive(Request(ie::Reset))), "none");
  EXPECT_EQ(dropped.Phase(), GatewayPhase::Firmware);

  GatewayModel corrupted;
  corrupted.InjectFault({FaultKind::CorruptChecksum, ie::Reset, 0, 1});
  EXPECT_EQ(Outcome(corrupted.Receive(Request(ie::Reset))), "checksum");
  EXPECT_EQ(corrupted.Phase(), GatewayPhase::Restarting);
  EXPECT_EQ(Outcome(corrupted.Advance(kRestartToLoaderMs)), "event 11");
}

}  // namespace
}  // namespace tusko::sim
