#include "protocol/engine/OperationRegistry.h"

#include <cassert>

#include "protocol/FirmwareFile.h"
#include "protocol/engine/CdrTransfer.h"
#include "protocol/engine/AnnouncementUpdate.h"
#include "protocol/engine/ConfigTransfer.h"
#include "protocol/engine/IdleRequests.h"

namespace tusko {

OperationRegistry::OperationRegistry()
    : transfer_(std::make_unique<ConfigTransfer>()),
      cdr_(std::make_unique<CdrTransfer>()),
      firmware_(std::make_unique<FirmwareFile>()) {
  auto idle = std::make_unique<IdleRequests>();
  idle_ = idle.get();
  Add({EngineState::Idle}, std::move(idle));
  announcement_ = std::make_unique<AnnouncementUpdate>();
}

OperationRegistry::~OperationRegistry() = default;

void OperationRegistry::Add(std::initializer_list<EngineState> states, std::unique_ptr<OperationHandler> handler) {
  for (EngineState state : states) {
    [[maybe_unused]] const bool added = byState_.emplace(state, handler.get()).second;
    assert(added && "a state has one handler");
  }
  handlers_.push_back(std::move(handler));
}

OperationHandler* OperationRegistry::For(EngineState state) const {
  const auto found = byState_.find(state);
  return found == byState_.end() ? nullptr : found->second;
}

void RegisterOperations(OperationRegistry& registry) {
  RegisterRestartFollowUp(registry);
  RegisterDeviceInfoRequests(registry);
  RegisterDeviceMaintenance(registry);
  RegisterConfigDownload(registry);
  RegisterConfigUpload(registry);
  RegisterAnnouncementUpdate(registry);
  RegisterFirmwareUpdate(registry);
  RegisterCdrDownload(registry);
}

}  // namespace tusko
