// The diagnostics pages' polls. They run beside the idle-state requests
// without flag, timer or result: the answers are stored by the dispatcher
// whatever the state, and a page that gets none shows that by itself.
#include <array>
#include <optional>
#include <utility>
#include <vector>

#include "protocol/ElementLayouts.h"
#include "protocol/engine/OperationEngine.h"

namespace tusko {

namespace {

// Both ISDN lines and the two spare indices the gateway expects in every ask.
constexpr std::array<std::uint8_t, 4> kIsdnCreditIndices{0, 1, 2, 3};

// A module outside the gateway's two counts as the first one.
std::uint8_t ModuleOrFirst(int module) {
  return module >= 0 && module < static_cast<int>(kGsmModuleCount) ? static_cast<std::uint8_t>(module) : 0;
}

std::optional<DeviceMessage> DiagnosticsRequest(DiagnosticsKind kind, int module) {
  DeviceMessage request = CreateMessage(MessageType::Request);
  const std::uint8_t first = ModuleOrFirst(module);
  switch (kind) {
    case DiagnosticsKind::IsdnStatus:
      AddElement(request, ie::IsdnStatus, {});
      return request;
    case DiagnosticsKind::IsdnCredit:
      AddElement(request, ie::IsdnCredit, kIsdnCreditIndices);
      return request;
    case DiagnosticsKind::GsmStatus:
      AddElementBytes(request, ie::GsmStatus, {first});
      return request;
    case DiagnosticsKind::GsmCredit: {
      // The modules from the one asked up to the last.
      std::vector<std::uint8_t> modules;
      for (std::size_t m = first; m < kGsmModuleCount; ++m) modules.push_back(static_cast<std::uint8_t>(m));
      AddElement(request, ie::GsmCredit, modules);
      return request;
    }
  }
  return std::nullopt;
}

}  // namespace

bool OperationEngine::RequestDiagnostics(DiagnosticsKind kind, int module) {
  auto request = DiagnosticsRequest(kind, module);
  if (!request) return false;
  if (state() == EngineState::Initial || state() == EngineState::Failed) SetState(EngineState::Idle);
  if (state() != EngineState::Idle) return false;
  if (host().linkState() != LinkState::Open) {
    host().requestConnect();
    if (host().linkState() != LinkState::Open) return false;
  }
  SealMessage(*request);
  return SendRequest(std::move(*request));
}

}  // namespace tusko
