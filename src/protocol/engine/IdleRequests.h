#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>

#include "protocol/DeviceMessage.h"
#include "protocol/engine/EngineSettings.h"
#include "protocol/engine/EngineTypes.h"
#include "protocol/engine/OperationHandler.h"

namespace tusko {

// How an idle-state request takes a refusal with PasswordRequired.
enum class PasswordRule {
  AsOtherwise,       // like any other refusal
  AskPassword,       // ask for the login password; a refused prompt ends the request
  OldPasswordWrong,  // the password sent was wrong: end the request, ask nothing
};

// One idle-state request as the Idle handler repeats and ends it.
struct IdleRequestRules {
  Notification result;                           // its result notification
  std::function<void(EngineOperations&)> repeat{};  // sends the request again as a repeat
  PasswordRule onPasswordRequired = PasswordRule::AsOtherwise;
  // Whether a refusal is sent again while repeats are left; empty: every refusal.
  std::function<bool(EngineOperations&, std::optional<std::uint8_t> cause)> repeatsRefusal{};
  // Time-outs that send the request again; the next one ends it with NoAnswer.
  int timeoutRepeats = kMaxRepeats;
};

// A positive reply in Idle, given the element that selected it.
using IdleReplyHandler = std::function<void(EngineOperations&, const DeviceMessage&, const ElementView&)>;

// How an idle-state starter sends its request.
struct IdleRequestStart {
  PendingRequest flag;
  const char* logLine;  // null: none
  Notification started;
  bool withPassword;
  std::uint32_t EngineSettings::*timeout = &EngineSettings::communicationTimeout;
};

// Sends `request` (elements added, not yet sealed) as `start` describes: adds
// the password when asked, seals and sends it, logs, notifies the start, arms
// the time-out, counts the repeat and sets the request's flag in state Idle.
// Returns whether the request went out.
bool SendIdleRequest(EngineOperations& engine, const IdleRequestStart& start, DeviceMessage request, bool repeat);

// The Idle state: requests tracked by pending flags. Replies are dispatched by
// the first known element in a fixed order, refusals and time-outs by the first
// pending flag in a fixed order; each request registers its rows.
class IdleRequests final : public OperationHandler {
 public:
  void AddRequest(PendingRequest flag, IdleRequestRules rules);
  void AddReply(std::uint8_t element, IdleReplyHandler handler);

  void OnMessage(EngineOperations& engine, const DeviceMessage& message) override;
  void OnTimeout(EngineOperations& engine) override;

 private:
  void OnReply(EngineOperations& engine, const DeviceMessage& reply);
  void OnRefusal(EngineOperations& engine, const DeviceMessage& reject);
  // The request that refusals and time-outs concern: the first pending one.
  std::optional<PendingRequest> Current(const EngineOperations& engine) const;
  void End(EngineOperations& engine, PendingRequest flag, OperationResult result);

  std::map<PendingRequest, IdleRequestRules> requests_;
  std::map<std::uint8_t, IdleReplyHandler> replies_;
};

}  // namespace tusko
