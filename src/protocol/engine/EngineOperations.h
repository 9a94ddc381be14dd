#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/DeviceMessage.h"
#include "protocol/engine/DeviceInformation.h"
#include "protocol/engine/DiagnosticsData.h"
#include "protocol/engine/EngineHost.h"
#include "protocol/engine/EngineSettings.h"
#include "protocol/engine/EngineTypes.h"
#include "protocol/engine/OperationRegistry.h"
#include "protocol/engine/RepeatRecords.h"

namespace tusko {

class OperationEngine;

inline constexpr std::size_t kLoginPasswordCapacity = 8;  // characters

// The notifications with which the negative-reply rule ends an operation: one
// for a refused password prompt (result PasswordRefused), one for a request the
// gateway keeps refusing (result Rejected).
struct RefusalResults {
  Notification passwordRefused;
  Notification rejected;
};

// The engine as its operations see it: its state and the machinery they share.
// OperationEngine inherits it privately, so that only the operations, which are
// handed this side by the engine, can move the state, send and notify.
class EngineOperations {
 public:
  EngineOperations(const EngineOperations&) = delete;
  EngineOperations& operator=(const EngineOperations&) = delete;

  // ---- What the front sees too ----

  EngineState state() const { return state_; }
  std::uint32_t pending() const { return pending_; }
  bool HasPending(PendingRequest flag) const { return (pending_ & flag) != 0; }
  void ClearPendingFlag(PendingRequest flag) { pending_ &= ~static_cast<std::uint32_t>(flag); }
  int retries() const { return retries_; }
  // The gateway's reason for the last refusal, for display.
  const std::string& causeText() const { return causeText_; }
  const std::string& loginPassword() const { return loginPassword_; }
  const DeviceInformation& deviceInformation() const { return info_; }
  const DiagnosticsData& diagnostics() const { return diagnostics_; }
  // Where the last cancelled transfer left the gateway.
  GatewayAfterCancel gatewayAfterCancel() const { return afterCancel_; }

  // ---- The operations' side ----

  // The starters, for an operation that repeats its request or starts another.
  OperationEngine& front();

  EngineHost& host() { return host_; }
  const EngineSettings& settings() const { return settings_; }
  MonitorSink* monitor() const { return monitor_; }
  DeviceInformation& deviceInformation() { return info_; }
  RepeatRecords& repeatRecords() { return repeatRecords_; }

  void SetState(EngineState state) { state_ = state; }
  void SetRetries(int retries) { retries_ = retries; }
  // A starter's try count: one more for a repeat, 0 for a first send.
  void CountAttempt(bool repeat) { retries_ = repeat ? retries_ + 1 : 0; }
  bool RepeatsLeft() const { return retries_ < kMaxRepeats; }
  void SetPending(PendingRequest flag) { pending_ |= flag; }
  // Clears every pending request; NoFirmwareSeen and SwitchToFirmwareSent stay.
  void ClearAllPending() { pending_ &= kPendingKeptOnClear; }
  // A chunk the record store refused carries no gateway cause: the store's error explains it.
  void ClearCauseText() { causeText_.clear(); }

  // A starter's first step. A first call begins a new operation: it forgets
  // the last refusal's cause, which a cancel or a refused login would
  // otherwise show as this operation's reason, and asks queryLink. A repeat
  // goes out on whatever link there is.
  bool BeginRequest(bool repeat);
  // Hands a sealed message to the link when it is open, else drops it.
  bool SendRequest(DeviceMessage message);
  // Seals and sends a message of `type` holding one empty element.
  bool SendEmptyElement(MessageType type, std::uint8_t element);
  void AddPassword(DeviceMessage& request) const;

  void ArmTimer(std::chrono::milliseconds delay);
  // Arms the timer for the time-out held by `setting`.
  void ArmTimeout(std::uint32_t EngineSettings::*setting);
  void StopTimer();

  // One line in the engine's colour, printf-style; cut to a sane length.
  [[gnu::format(printf, 2, 3)]] void LogLine(const char* format, ...);
  // Posts a notification; the diagnostics codes always go synchronously.
  void Notify(Notification code, int value = 0);
  // A notification the window handles before this call returns.
  void NotifyNow(Notification code, int value = 0);
  void NotifyResult(Notification code, OperationResult result) { Notify(code, static_cast<int>(result)); }

  // The cause text from the refusal's Cause element, or the language's text
  // for "no cause".
  void SetCauseText(const DeviceMessage& reject);
  // A failure on this side, told in the language's words where the gateway's
  // cause would stand; cut to the cause text's capacity like the gateway's.
  void SetOwnCause(std::string_view languageKey);
  // The password part of the negative-reply rule: the try that asks for the
  // password is never the last one. True when the user gave a password.
  bool AskPasswordForRepeat();
  // The negative-reply rule: password prompt, NotAllowed, or repeat until the
  // tries are used up. `repeat` sends the operation's request again.
  void ApplyNegativeReply(const DeviceMessage& reject, RefusalResults results, const std::function<void()>& repeat);
  // The gateway did not answer the last try: "Operation failed!" and its notification.
  void ReportNoAnswer();
  // The loader started in the middle of a transfer, which has ended without
  // its result: the timer stops and the reason is told as the cause, before
  // the transfer ends with Rejected and the restart follow-up goes on.
  void ReportCutByRestart();

  // The gateway is about to restart: the link is let go and `waiting` holds
  // until the time-out in `timeout`, whose step waits for the link to come
  // back (a RestartWait handler).
  void AwaitRestart(EngineState waiting, std::uint32_t EngineSettings::*timeout);
  // After a restart the link has to come back before the next probe: true
  // when the caller can go on now. Otherwise the timer looks again, or, when
  // the link stayed away for the switch-to-firmware time-out from the first
  // look on, the operation gives up (GiveUp).
  bool ReconnectAfterRestart();
  // The operation cannot go on: the current state's last-try step, then
  // Failed unless that step goes on.
  void GiveUp();
  // Sends the loader the request to start the firmware, once per restart.
  void RequestSwitchToFirmware();

  // The gateway runs its loader, or restarts into it, as far as the engine
  // has seen: where a cancel has to ask it for the firmware.
  bool LoaderHolds() const { return loaderHolds_; }
  void SetLoaderHolds(bool holds) { loaderHolds_ = holds; }
  // A cancelled transfer ends: state Idle and its `result` Cancelled, the
  // gateway being `where`.
  void EndCancelled(Notification result, GatewayAfterCancel where);
  // A cancelled transfer left the gateway in its loader, or on its way there
  // (a *WaitLoader state, whose timer waits for the link): the restart
  // follow-up asks the loader to start the firmware, and `result` Cancelled
  // waits until the firmware answers or the gateway stops answering.
  void ReturnToFirmwareAfterCancel(Notification result);
  // The restart follow-up has ended with the gateway `where`: a cancel that
  // waited for it is told now. False when no cancel waited.
  bool EndCancelFollowUp(GatewayAfterCancel where);

  // Stores and logs the versions and name a message carries (absent ones are emptied).
  void StoreVersions(const DeviceMessage& message);
  // Run mode and data version from a RunMode element.
  void StoreRunMode(const ElementView& runMode);
  // What every restart resets: tries, pending requests, diagnostics data and
  // the run mode, then the versions the message announces.
  void EnterProgram(RunMode mode, const DeviceMessage& announcement);

 private:
  friend class OperationEngine;
  EngineOperations(EngineHost& host, const EngineSettings& settings) : host_(host), settings_(settings) {}
  ~EngineOperations() = default;

  void ClearDiagnostics();

  EngineHost& host_;
  const EngineSettings& settings_;
  MonitorSink* monitor_ = nullptr;
  OperationRegistry registry_;

  EngineState state_ = EngineState::Initial;
  std::uint32_t pending_ = 0;
  int retries_ = 0;
  std::string causeText_;
  std::string loginPassword_;
  DeviceInformation info_;
  DiagnosticsData diagnostics_;
  RepeatRecords repeatRecords_;
  // How much longer the link may stay away after a restart; none until a
  // reconnect first finds it away.
  std::optional<std::chrono::milliseconds> reconnectWaitLeft_;
  bool loaderHolds_ = false;
  // The armed timer is the request delay that paces a transfer's blocks: its
  // end is no missing reply and is not logged as a time-out.
  bool pacing_ = false;
  // The result of a cancel that waits for the gateway's way back to its firmware.
  std::optional<Notification> cancelReport_;
  GatewayAfterCancel afterCancel_ = GatewayAfterCancel::Firmware;
};

}  // namespace tusko
