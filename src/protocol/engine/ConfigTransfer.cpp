#include "protocol/engine/ConfigTransfer.h"

#include <algorithm>

#include "protocol/engine/ConfigTransferRules.h"
#include "protocol/engine/OperationEngine.h"

namespace tusko {

void ConfigTransfer::Begin(std::size_t windowLimit, std::size_t blockLength) {
  counters_ = Counters{};
  counters_.windowLimit = windowLimit;
  counters_.blockLength = blockLength;
}

void ConfigTransfer::CountAnswer() {
  if (counters_.pendingCount > 0) --counters_.pendingCount;
}

void ConfigTransfer::Acknowledge(std::size_t length) {
  counters_.acknowledgedOffset = std::min(counters_.acknowledgedOffset + length, kImageBytes);
}

void ConfigTransfer::Rewind() {
  counters_.nextOffset = counters_.acknowledgedOffset;
  counters_.pendingCount = 0;
}

int ConfigTransfer::Progress() const { return TransferProgress(counters_.requestOffset); }

void ConfigTransfer::ArmAfterRequest(EngineOperations& engine, std::uint32_t EngineSettings::*timeout) const {
  if (Stalled()) {
    engine.ArmTimeout(timeout);
  } else {
    engine.ArmTimeout(&EngineSettings::dataReadWriteRequestDelay);
  }
}

void CancelTransfer(EngineOperations& engine, ConfigTransfer& transfer, const char* logLine, Notification result) {
  transfer.counters().requestOffset = 0;
  transfer.counters().blockLength = 0;
  engine.LogLine("%s", logLine);
  if (engine.LoaderHolds()) {
    engine.ReturnToFirmwareAfterCancel(result);
    return;
  }
  engine.SetRetries(0);
  engine.StopTimer();
  engine.EndCancelled(result, GatewayAfterCancel::Firmware);
}

void LogInvalidAddress(EngineOperations& engine, std::optional<std::uint32_t> address) {
  static constexpr std::uint32_t kUnreadable = 0xFFFFFFFF;
  engine.LogLine("Invalid address (%08X)", static_cast<unsigned>(address.value_or(kUnreadable)));
}

void StoreFirmwareVersion(EngineOperations& engine, const ElementView& version) {
  std::string& stored = engine.deviceInformation().system.firmwareVersion;
  stored = ElementText(version, kVersionTextCapacity);
  engine.LogLine("Firmware version: %s", stored.c_str());
}

const ConfigTransfer& OperationEngine::configTransfer() const { return registry_.Transfer(); }

}  // namespace tusko
