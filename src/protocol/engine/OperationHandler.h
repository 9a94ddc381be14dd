#pragma once

#include "protocol/DeviceMessage.h"

namespace tusko {

class EngineOperations;

inline bool IsOfType(const DeviceMessage& message, MessageType type) {
  return message.type() == static_cast<std::uint8_t>(type);
}

// A positive reply that carries `element`: how the operations know which of
// their requests a reply answers.
inline bool IsReplyWith(const DeviceMessage& message, std::uint8_t element) {
  return IsOfType(message, MessageType::Reply) && FindElement(message, element).has_value();
}

// One operation's behaviour in the engine states it is registered for. The
// engine runs the shared machinery (message checks, restart events, the
// three-try rule, diagnostics data) and hands the rest to the handler of the
// current state. Handlers act on the engine only through its public calls.
class OperationHandler {
 public:
  virtual ~OperationHandler() = default;

  // A checked message that the restart events did not consume.
  virtual void OnMessage(EngineOperations& engine, const DeviceMessage& message) = 0;
  // The operation timer fired and the current request has repeats left.
  virtual void OnTimeout(EngineOperations& engine) = 0;
  // The operation timer fired after the last try. Returns true when the
  // operation goes on; false lets the engine clear the pending requests and
  // enter Failed. The default reports that the gateway did not answer.
  virtual bool OnTriesExhausted(EngineOperations& engine);
  // LoaderStarted arrived in this state; the engine has already done the part
  // common to every state. Returns true when the state has its own follow-up,
  // false for the usual one (acknowledge, ask the loader to start the firmware).
  virtual bool OnLoaderStarted(EngineOperations& engine, const DeviceMessage& event);
};

// A state in which the gateway restarts (entered by EngineOperations::
// AwaitRestart): messages are ignored and only the timer moves on, waiting for
// the link to come back. Once it is back the operation goes on; when it stays
// away, the state's last-try step ends the operation.
class RestartWait : public OperationHandler {
 public:
  void OnMessage(EngineOperations&, const DeviceMessage&) override {}
  void OnTimeout(EngineOperations& engine) final;

 private:
  virtual void OnLinkBack(EngineOperations& engine) = 0;
};

}  // namespace tusko
