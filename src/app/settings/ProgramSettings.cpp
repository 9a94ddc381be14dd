#include "app/settings/ProgramSettings.h"

#include <array>

namespace tusko {
namespace {

using P = ProgramSettings;
using Value = SettingValue<P>;

constexpr std::array kValues{
    NumberValue("Language", &P::language, 1),
    NumberValue("ComMode", &P::comMode, 0),
    TextValue("VirtualComPort", &P::virtualComPort, kShortTextChars),
    NumberValue("Baudrate", &P::baudrate, 115200),
    TextValue("TcpAddress", &P::tcpAddress, kHostTextChars),
    NumberValue("TcpPort", &P::tcpPort, 1002),
    NumberValue("CommunicationLog", &P::communicationLog, 0, Saved::No),
    NumberValue("CommunicationLogRawInput", &P::communicationLogRawInput, 0, Saved::No),
    NumberValue("CommunicationLogMaxLines", &P::communicationLogMaxLines, 200, Saved::No),
    NumberValue("MonitorLogMaxLines", &P::monitorLogMaxLines, 1000),
    NumberValue("MonitorLogClearAtStart", &P::monitorLogClearAtStart, 1),
    NumberValue("MonitorLogSaveAtEnd", &P::monitorLogSaveAtEnd, 1),
    NumberValue("CommunicationTimeout", &P::communicationTimeout, 5000),
    NumberValue("CommunicationTimeoutReset", &P::communicationTimeoutReset, 5000),
    NumberValue("CommunicationTimeoutFlashLoad", &P::communicationTimeoutFlashLoad, 5000),
    NumberValue("CommunicationTimeoutFlashLoadStart", &P::communicationTimeoutFlashLoadStart, 5000),
    NumberValue("CommunicationTimeoutDataRead", &P::communicationTimeoutDataRead, 5000),
    NumberValue("CommunicationTimeoutDataWrite", &P::communicationTimeoutDataWrite, 5000),
    NumberValue("CommunicationTimeoutDataWriteStart", &P::communicationTimeoutDataWriteStart, 5000),
    NumberValue("CommunicationTimeoutReadCells", &P::communicationTimeoutReadCells, 10000),
    NumberValue("CommunicationTimeoutSwitchToLoader", &P::communicationTimeoutSwitchToLoader, 5000, Saved::No),
    NumberValue("CommunicationTimeoutSwitchToFirmware", &P::communicationTimeoutSwitchToFirmware, 10000, Saved::No),
    NumberValue("CommunicationTimeoutConnect", &P::communicationTimeoutConnect, 5000, Saved::No),
    NumberValue("DiagnosticsRefresh", &P::diagnosticsRefresh, 5000),
    NumberValue("CDRHeader", &P::cdrHeader, 1),
    NumberValue("CDRFieldDate", &P::cdrFieldDate, 0),
    NumberValue("CDRFieldTime", &P::cdrFieldTime, 1),
    NumberValue("CDRFieldType", &P::cdrFieldType, 2),
    NumberValue("CDRFieldCallerId", &P::cdrFieldCallerId, 3),
    NumberValue("CDRFieldCalledNumber", &P::cdrFieldCalledNumber, 4),
    NumberValue("CDRFieldLength", &P::cdrFieldLength, 5),
    NumberValue("CDRFieldInPort", &P::cdrFieldInPort, 6),
    NumberValue("CDRFieldOutPort", &P::cdrFieldOutPort, 7),
    NumberValue("CDRFieldCause", &P::cdrFieldCause, 8),
    NumberValue("DataReadWriteRequestDelay", &P::dataReadWriteRequestDelay, 25, Saved::No),
    NumberValue("DataReadWriteMaxPendingRequests", &P::dataReadWriteMaxPendingRequests, 5, Saved::No),
    NumberValue("CheckFirmwareVersion", &P::checkFirmwareVersion, 1, Saved::No),
    NumberValue("CheckFirmwareAddrSpace", &P::checkFirmwareAddrSpace, 1, Saved::No),
    NumberValue("ConfigBackup", &P::configBackup, 1, Saved::No),
    NumberValue("ConfigBackupMaxKBytes", &P::configBackupMaxKBytes, 10240, Saved::No),
};

}  // namespace

ProgramSettings::ProgramSettings() { AssignDefaults<P>(*this, kValues); }

std::span<const Value> ProgramSettingValues() { return kValues; }

ProgramSettings LoadProgramSettings(SettingsStore& store) {
  ProgramSettings settings;
  LoadValues<P>(store, kSettingsSection, settings, kValues);
  return settings;
}

bool SaveProgramSettings(SettingsStore& store, const ProgramSettings& settings) {
  return SaveValues<P>(store, kSettingsSection, settings, kValues);
}

}  // namespace tusko
