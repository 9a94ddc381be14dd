#include "app/session/LayerSettings.h"

namespace tusko {

namespace {

constexpr std::uint32_t kComModeTcp = 1;

}  // namespace

LinkSettings LinkSettingsFrom(const ProgramSettings& s) {
  return {s.comMode == kComModeTcp ? LinkType::Tcp : LinkType::Serial,
          s.virtualComPort,
          s.baudrate,
          s.tcpAddress,
          s.tcpPort,
          s.communicationLogRawInput != 0};
}

EngineSettings EngineSettingsFrom(const ProgramSettings& s) {
  return {s.communicationTimeout,
          s.communicationTimeoutReset,
          s.communicationTimeoutFlashLoad,
          s.communicationTimeoutFlashLoadStart,
          s.communicationTimeoutDataRead,
          s.communicationTimeoutDataWrite,
          s.communicationTimeoutDataWriteStart,
          s.communicationTimeoutReadCells,
          s.communicationTimeoutSwitchToLoader,
          s.communicationTimeoutSwitchToFirmware,
          s.dataReadWriteRequestDelay,
          s.dataReadWriteMaxPendingRequests};
}

MonitorLogSettings MonitorLogSettingsFrom(const ProgramSettings& s) {
  return {s.monitorLogMaxLines, s.monitorLogClearAtStart != 0, s.monitorLogSaveAtEnd != 0};
}

CdrTextLayout CdrTextLayoutFrom(const ProgramSettings& s) {
  return {{s.cdrFieldDate, s.cdrFieldTime, s.cdrFieldType, s.cdrFieldCallerId, s.cdrFieldCalledNumber,
           s.cdrFieldLength, s.cdrFieldInPort, s.cdrFieldOutPort, s.cdrFieldCause},
          s.cdrHeader != 0};
}

}  // namespace tusko
