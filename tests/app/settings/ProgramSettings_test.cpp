#include "app/settings/ProgramSettings.h"

#include <gtest/gtest.h>

#include <array>

#include "app/settings/SettingsRecordChecks.h"

namespace tusko {
namespace {

using P = ProgramSettings;

const std::array<NumberRow<P>, 35> kNumberRows{{
    {"Language", &P::language, 1, true},
    {"ComMode", &P::comMode, 0, true},
    {"Baudrate", &P::baudrate, 115200, true},
    {"TcpPort", &P::tcpPort, 1002, true},
    {"CommunicationLog", &P::communicationLog, 0, false},
    {"CommunicationLogRawInput", &P::communicationLogRawInput, 0, false},
    {"CommunicationLogMaxLines", &P::communicationLogMaxLines, 200, false},
    {"MonitorLogMaxLines", &P::monitorLogMaxLines, 1000, true},
    {"MonitorLogClearAtStart", &P::monitorLogClearAtStart, 1, true},
    {"MonitorLogSaveAtEnd", &P::monitorLogSaveAtEnd, 1, true},
    {"CommunicationTimeout", &P::communicationTimeout, 5000, true},
    {"CommunicationTimeoutReset", &P::communicationTimeoutReset, 5000, true},
    {"CommunicationTimeoutFlashLoad", &P::communicationTimeoutFlashLoad, 5000, true},
    {"CommunicationTimeoutFlashLoadStart", &P::communicationTimeoutFlashLoadStart, 5000, true},
    {"CommunicationTimeoutDataRead", &P::communicationTimeoutDataRead, 5000, true},
    {"CommunicationTimeoutDataWrite", &P::communicationTimeoutDataWrite, 5000, true},
    {"CommunicationTimeoutDataWriteStart", &P::communicationTimeoutDataWriteStart, 5000, true},
    {"CommunicationTimeoutReadCells", &P::communicationTimeoutReadCells, 10000, true},
    {"CommunicationTimeoutSwitchToLoader", &P::communicationTimeoutSwitchToLoader, 5000, false},
    {"CommunicationTimeoutSwitchToFirmware", &P::communicationTimeoutSwitchToFirmware, 10000, false},
    {"DiagnosticsRefresh", &P::diagnosticsRefresh, 5000, true},
    {"CDRHeader", &P::cdrHeader, 1, true},
    {"CDRFieldDate", &P::cdrFieldDate, 0, true},
    {"CDRFieldTime", &P::cdrFieldTime, 1, true},
    {"CDRFieldType", &P::cdrFieldType, 2, true},
    {"CDRFieldCallerId", &P::cdrFieldCallerId, 3, true},
    {"CDRFieldCalledNumber", &P::cdrFieldCalledNumber, 4, true},
    {"CDRFieldLength", &P::cdrFieldLength, 5, true},
    {"CDRFieldInPort", &P::cdrFieldInPort, 6, true},
    {"CDRFieldOutPort", &P::cdrFieldOutPort, 7, true},
    {"CDRFieldCause", &P::cdrFieldCause, 8, true},
    {"DataReadWriteRequestDelay", &P::dataReadWriteRequestDelay, 25, false},
    {"DataReadWriteMaxPendingRequests", &P::dataReadWriteMaxPendingRequests, 5, false},
    {"CheckFirmwareVersion", &P::checkFirmwareVersion, 1, false},
    {"CheckFirmwareAddrSpace", &P::checkFirmwareAddrSpace, 1, false},
}};

const std::array<TextRow<P>, 2> kTextRows{{
    {"VirtualComPort", &P::virtualComPort, "", 31},
    {"TcpAddress", &P::tcpAddress, "", 63},
}};

TEST(ProgramSettings, RowsMatchTheValueTable) {
  ExpectRecordRows<P>({LoadProgramSettings, SaveProgramSettings}, kNumberRows, kTextRows, kSettingsSection);
  EXPECT_EQ(ProgramSettingValues().size(), kNumberRows.size() + kTextRows.size());
}

TEST(ProgramSettings, ValueOfTheWrongTypeTakesTheDefault) {
  MemorySettingsStore store;
  store.writeText(kSettingsSection, "Baudrate", "9600");
  store.writeNumber(kSettingsSection, "TcpAddress", 5);
  const auto settings = LoadProgramSettings(store);
  EXPECT_EQ(settings.baudrate, 115200u);
  EXPECT_EQ(settings.tcpAddress, "");
}

}  // namespace
}  // namespace tusko
