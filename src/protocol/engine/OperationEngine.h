#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/AnnouncementFile.h"
#include "protocol/DeviceMessage.h"
#include "protocol/engine/DeviceInformation.h"
#include "protocol/engine/DiagnosticsData.h"
#include "protocol/engine/DiagnosticsKind.h"
#include "protocol/engine/EngineHost.h"
#include "protocol/engine/EngineSettings.h"
#include "protocol/engine/EngineTypes.h"
#include "protocol/engine/OperationRegistry.h"
#include "protocol/engine/RepeatRecords.h"

namespace tusko {

class ConfigTransfer;
class ConfigurationImage;
class CdrRecordStore;
class CdrTransfer;
class FirmwareFile;

inline constexpr std::size_t kLoginPasswordCapacity = 8;  // characters
// The longest monitoring command that still fits one request beside its
// element header and the longest password element.
inline constexpr std::size_t kMonitorCommandCapacity =
    kMaxIeAreaLength - kElementHeaderSize - (kElementHeaderSize + kLoginPasswordCapacity + 1);  // characters

// The notifications with which the negative-reply rule ends an operation: one
// for a refused password prompt (result PasswordRefused), one for a request the
// gateway keeps refusing (result Rejected).
struct RefusalResults {
  Notification passwordRefused;
  Notification rejected;
};

// The one object that talks to the gateway. It runs at most one operation at
// a time, single-threaded and without blocking: every outside effect goes
// through the host, which delivers received messages to OnMessage and the
// operation timer to OnTimer. Operations plug in as state handlers
// (OperationRegistry); this class holds the machinery they share.
class OperationEngine {
 public:
  OperationEngine(EngineHost& host, const EngineSettings& settings);
  OperationEngine(const OperationEngine&) = delete;
  OperationEngine& operator=(const OperationEngine&) = delete;

  // ---- The main window's side ----

  void SetMonitorSink(MonitorSink* sink) { monitor_ = sink; }
  // The password sent with the requests that need one; cut to 8 characters.
  void SetLoginPassword(std::string_view password);

  // One received message; `length` is the byte count the link delivered.
  void OnMessage(DeviceMessage message, std::size_t length);
  // The operation timer fired.
  void OnTimer();

  // Starters: true when the request went out. A first call asks the host to
  // open the link and does nothing when it cannot.
  bool ResetDevice();
  bool GetSystemInfo();
  bool CheckSystemInfo();
  bool GetLanInfo();
  bool GetDateTime();
  // Refused (false, nothing sent) for a record that names no real time in 2000-2255.
  bool SetDateTime(const DateTimeRecord& time);
  // `module` 0 or 1, or kLastModule; any other module is refused.
  bool GetModuleInfo(int module);
  bool ResetModule(int module);
  bool GetCells(int module);
  // Refused for a new password longer than kLoginPasswordCapacity.
  bool ChangePassword(std::string_view newPassword, std::string_view oldPassword);
  bool StartMonitoring();
  bool StopMonitoring();
  // Refused for a command longer than kMonitorCommandCapacity.
  bool SendMonitorCommand(std::string_view command);
  // The monitoring view's keep-alive: no timer, no result; only when no operation runs.
  bool PollMonitoring();
  // One diagnostics page's data; only when no operation runs, and without queryLink.
  bool RequestDiagnostics(DiagnosticsKind kind, int module = 0);
  // Configuration transfer (ConfigDownload.cpp, ConfigUpload.cpp).
  bool StartDownload();
  void CancelDownload();
  // Writes `image`, with its signature and reserved head bytes set on the way.
  bool StartUpload(const ConfigurationImage& image);
  // Sends the start of the upload under way again; only while its answer is awaited.
  bool StartUpload();
  void CancelUpload();
  // The image being read or written; after a download's result 1, the image read.
  const ConfigTransfer& configTransfer() const;

  // Firmware update (FirmwareUpdate.cpp); the file is opened and checked before the start.
  bool StartFirmwareUpdate();
  void CancelFirmwareUpdate();
  FirmwareFile& firmwareFile();

  // CDR download (CdrDownload.cpp): the engine uses `store` until the download ends; it stays the caller's.
  bool StartCdrDownload(CdrRecordStore& store);
  void CancelCdr();
  const CdrTransfer& cdrTransfer() const;
  // A chunk the record store refused carries no gateway cause: the store's error explains it.
  void ClearCauseText() { causeText_.clear(); }

  // Announcement update (AnnouncementUpdate.cpp): the file to send, checked by the caller.
  AnnouncementFile& announcementFile();
  bool StartAnnouncementUpdate(AnnouncementKind kind);
  void CancelAnnouncementUpdate();

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

  // ---- The operations' side: what state handlers and starters use ----

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
  // The password part of the negative-reply rule: the try that asks for the
  // password is never the last one. True when the user gave a password.
  bool AskPasswordForRepeat();
  // The negative-reply rule: password prompt, NotAllowed, or repeat until the
  // tries are used up. `repeat` sends the operation's request again.
  void ApplyNegativeReply(const DeviceMessage& reject, RefusalResults results, const std::function<void()>& repeat);
  // The gateway did not answer the last try: "Operation failed!" and its notification.
  void ReportNoAnswer();

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

  // Stores and logs the versions and name a message carries (absent ones are emptied).
  void StoreVersions(const DeviceMessage& message);
  // Run mode and data version from a RunMode element.
  void StoreRunMode(const ElementView& runMode);
  // What every restart resets: tries, pending requests, diagnostics data and
  // the run mode, then the versions the message announces.
  void EnterProgram(RunMode mode, const DeviceMessage& announcement);

 private:
  // Restart and link events; true when the event is fully handled.
  bool OnEvent(const DeviceMessage& event);
  void OnLoaderStarted(const DeviceMessage& event);
  void OnFirmwareStarted(const DeviceMessage& event);
  void OnLinkGoingDown(const char* line);
  void OnRefusalCause(const DeviceMessage& message);
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
};

}  // namespace tusko
