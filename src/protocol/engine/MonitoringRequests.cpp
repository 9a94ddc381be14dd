// The controls of the gateway's live monitoring output: start, stop, commands
// and the view's keep-alive poll. Replies are passed on to the monitoring view.
#include <string>

#include "protocol/engine/DeviceMaintenance.h"
#include "protocol/engine/IdleRequests.h"
#include "protocol/engine/OperationEngine.h"

namespace tusko {

namespace {

constexpr IdleRequestStart kMonitorStopStart{MonitorStopPending, nullptr, Notification::MonitorRequestSent, false};
constexpr IdleRequestStart kMonitorCommandStart{MonitorCommandPending, nullptr, Notification::MonitorRequestSent,
                                                true};

// Monitoring is asked of the firmware only: a start first asks who answers.
IdleRequestStart MonitorStartStep(bool asksSystemInfo) {
  return {MonitorStartPending, asksSystemInfo ? "Get system info" : nullptr, Notification::MonitorRequestSent, false};
}

DeviceMessage RequestWith(std::uint8_t element) {
  DeviceMessage request = CreateMessage(MessageType::Request);
  AddElement(request, element, {});
  return request;
}

// A pending monitoring request that the gateway answered: stop waiting and report.
bool EndIfPending(EngineOperations& engine, PendingRequest flag) {
  if (!engine.HasPending(flag)) return false;
  engine.StopTimer();
  engine.NotifyResult(Notification::MonitorResult, OperationResult::Done);
  engine.ClearPendingFlag(flag);
  return true;
}

void OnMonitorStart(EngineOperations& engine, const DeviceMessage&, const ElementView& element) {
  MonitorSink* view = engine.monitor();
  if (EndIfPending(engine, MonitorStartPending) && view != nullptr) view->monitoringStarted();
  // The gateway's monitoring output comes in this element, asked for or not:
  // every byte, NULs included, since the log's file keeps what was received.
  if (!element.data.empty() && view != nullptr) {
    view->monitorOutput({reinterpret_cast<const char*>(element.data.data()), element.data.size()});
  }
}

void OnMonitorStop(EngineOperations& engine, const DeviceMessage&, const ElementView&) {
  EndIfPending(engine, MonitorStopPending);
  MonitorSink* view = engine.monitor();
  if (view != nullptr && !view->isPaused()) view->monitoringStopped();
}

void OnMonitorCommand(EngineOperations& engine, const DeviceMessage&, const ElementView&) {
  EndIfPending(engine, MonitorCommandPending);
  if (MonitorSink* view = engine.monitor()) view->gatewayAnswered();
}

void OnMonitorPoll(EngineOperations& engine, const DeviceMessage&, const ElementView&) {
  if (MonitorSink* view = engine.monitor()) view->gatewayAnswered();
}

}  // namespace

bool OperationEngine::StartMonitoring() {
  const bool repeat = HasPending(MonitorStartPending);
  if (!BeginRequest(repeat)) return false;
  if (!repeat) info_.system.ClearVersions();
  const bool firmwareKnown = !info_.system.firmwareVersion.empty();
  return SendIdleRequest(*this, MonitorStartStep(!firmwareKnown),
                         RequestWith(firmwareKnown ? ie::MonitorStart : ie::LoaderVersion), repeat);
}

bool OperationEngine::StopMonitoring() {
  const bool repeat = HasPending(MonitorStopPending);
  if (!BeginRequest(repeat)) return false;
  return SendIdleRequest(*this, kMonitorStopStart, RequestWith(ie::MonitorStop), repeat);
}

bool OperationEngine::SendMonitorCommand(std::string_view command) {
  if (command.size() > kMonitorCommandCapacity) return false;
  const bool repeat = HasPending(MonitorCommandPending);
  if (!BeginRequest(repeat)) return false;
  // Copied first: a repeat passes the kept text itself.
  repeatRecords_.monitorCommand = std::string(command);
  DeviceMessage request = CreateMessage(MessageType::Request);
  AddTextElement(request, ie::MonitorCommand, repeatRecords_.monitorCommand, false);
  return SendIdleRequest(*this, kMonitorCommandStart, request, repeat);
}

bool OperationEngine::PollMonitoring() {
  // A failed operation leaves nothing running: the poll may go and brings the engine back to Idle.
  if (state() != EngineState::Idle && state() != EngineState::Failed) return false;
  // No operation begins: the cause of a refusal the window has yet to show stays.
  if (!host_.queryLink()) return false;
  SetState(EngineState::Idle);
  return SendEmptyElement(MessageType::Request, ie::MonitorPoll);
}

void RegisterMonitoringRequests(OperationRegistry& registry) {
  IdleRequests& idle = registry.Idle();
  idle.AddRequest(MonitorStartPending, {.result = Notification::MonitorResult,
                                        .repeat = [](EngineOperations& e) { e.front().StartMonitoring(); }});
  idle.AddRequest(MonitorStopPending, {.result = Notification::MonitorResult,
                                       .repeat = [](EngineOperations& e) { e.front().StopMonitoring(); }});
  idle.AddRequest(MonitorCommandPending,
                  {.result = Notification::MonitorResult,
                   .repeat =
                       [](EngineOperations& e) { e.front().SendMonitorCommand(e.repeatRecords().monitorCommand); },
                   .onPasswordRequired = PasswordRule::AskPassword});
  idle.AddReply(ie::MonitorStart, OnMonitorStart);
  idle.AddReply(ie::MonitorStop, OnMonitorStop);
  idle.AddReply(ie::MonitorCommand, OnMonitorCommand);
  idle.AddReply(ie::MonitorPoll, OnMonitorPoll);
}

}  // namespace tusko
