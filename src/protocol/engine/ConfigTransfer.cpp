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

void ConfigTransfer::ArmAfterRequest(OperationEngine& engine, std::uint32_t ProgramSettings::*timeout) const {
  if (Stalled()) {
    engine.ArmTimeout(timeout);
  } else {
    engine.ArmTimeout(&ProgramSettings::dataReadWriteRequestDelay);
  }
}

void StoreFirmwareVersion(OperationEngine& engine, const ElementView& version) {
  std::string& stored = engine.deviceInformation().system.firmwareVersion;
  stored = ElementText(version, kVersionTextCapacity);
  engine.LogLine("Firmware version: %s", stored.c_str());
}

const ConfigTransfer& OperationEngine::configTransfer() const { return registry_.Transfer(); }

}  // namespace tusko
