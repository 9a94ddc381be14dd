#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "app/settings/SettingValue.h"
#include "app/settings/SettingsStore.h"

namespace tusko {

// The program's link, log, time-out, CDR column and firmware check settings.
// Numbers are unsigned 32-bit, times in milliseconds. A default-constructed
// record holds every default.
struct ProgramSettings {
  ProgramSettings();
  bool operator==(const ProgramSettings&) const = default;

  std::uint32_t language{};
  std::uint32_t comMode{};            // link type: 0 serial port, 1 TCP
  std::string virtualComPort{};       // any serial port's name, not only virtual ones
  std::uint32_t baudrate{};
  std::string tcpAddress{};           // host name or dotted IPv4 address
  std::uint32_t tcpPort{};
  std::uint32_t communicationLog{};   // 1: the communication log tab exists
  std::uint32_t communicationLogRawInput{};
  std::uint32_t communicationLogMaxLines{};
  std::uint32_t monitorLogMaxLines{};
  std::uint32_t monitorLogClearAtStart{};
  std::uint32_t monitorLogSaveAtEnd{};
  std::uint32_t communicationTimeout{};
  std::uint32_t communicationTimeoutReset{};
  std::uint32_t communicationTimeoutFlashLoad{};
  std::uint32_t communicationTimeoutFlashLoadStart{};
  std::uint32_t communicationTimeoutDataRead{};
  std::uint32_t communicationTimeoutDataWrite{};
  std::uint32_t communicationTimeoutDataWriteStart{};
  std::uint32_t communicationTimeoutReadCells{};
  std::uint32_t communicationTimeoutSwitchToLoader{};
  std::uint32_t communicationTimeoutSwitchToFirmware{};
  std::uint32_t communicationTimeoutConnect{};  // a TCP connect that has not completed by then fails
  std::uint32_t diagnosticsRefresh{};
  std::uint32_t cdrHeader{};          // 1: CDR text files start with a header line
  std::uint32_t cdrFieldDate{};       // column positions in CDR text files
  std::uint32_t cdrFieldTime{};
  std::uint32_t cdrFieldType{};
  std::uint32_t cdrFieldCallerId{};
  std::uint32_t cdrFieldCalledNumber{};
  std::uint32_t cdrFieldLength{};
  std::uint32_t cdrFieldInPort{};
  std::uint32_t cdrFieldOutPort{};
  std::uint32_t cdrFieldCause{};
  std::uint32_t dataReadWriteRequestDelay{};
  std::uint32_t dataReadWriteMaxPendingRequests{};
  std::uint32_t checkFirmwareVersion{};
  std::uint32_t checkFirmwareAddrSpace{};
  std::uint32_t configBackup{};          // 1: the gateway's configuration is saved before a write
  std::uint32_t configBackupMaxKBytes{};  // the backups folder's bound; the oldest go first
};

// Every value of the record in stored order, with its default and whether it is saved.
std::span<const SettingValue<ProgramSettings>> ProgramSettingValues();

// Always yields a record: what cannot be read takes its default.
ProgramSettings LoadProgramSettings(SettingsStore& store);
// Writes the saved values only; the others change only by hand.
bool SaveProgramSettings(SettingsStore& store, const ProgramSettings& settings);

}  // namespace tusko
