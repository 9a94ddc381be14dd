#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "protocol/AnnouncementFile.h"
#include "protocol/DeviceMessage.h"
#include "protocol/engine/DiagnosticsKind.h"
#include "protocol/engine/EngineOperations.h"

namespace tusko {

class ConfigTransfer;
class ConfigurationImage;
class CdrRecordStore;
class CdrTransfer;
class FirmwareFile;

// The longest monitoring command that still fits one request beside its
// element header and the longest password element.
inline constexpr std::size_t kMonitorCommandCapacity =
    kMaxIeAreaLength - kElementHeaderSize - (kElementHeaderSize + kLoginPasswordCapacity + 1);  // characters

// The one object that talks to the gateway. It runs at most one operation at
// a time, single-threaded and without blocking: every outside effect goes
// through the host, which delivers received messages to OnMessage and the
// operation timer to OnTimer. Operations plug in as state handlers
// (OperationRegistry) and act through EngineOperations, the machinery they
// share; the front ends see only this class's public side.
class OperationEngine : private EngineOperations {
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
  // Announcement update (AnnouncementUpdate.cpp): the file to send, checked by the caller.
  AnnouncementFile& announcementFile();
  bool StartAnnouncementUpdate(AnnouncementKind kind);
  void CancelAnnouncementUpdate();

  using EngineOperations::causeText;
  using EngineOperations::ClearPendingFlag;
  using EngineOperations::diagnostics;
  using EngineOperations::gatewayAfterCancel;
  using EngineOperations::HasPending;
  using EngineOperations::loginPassword;
  using EngineOperations::pending;
  using EngineOperations::retries;
  using EngineOperations::state;
  const DeviceInformation& deviceInformation() const { return info_; }
  LinkState linkState() const { return host_.linkState(); }

 private:
  friend class EngineOperations;
  // Only tests reach the operations' side of an engine they drive by hand.
  friend EngineOperations& OperationsOf(OperationEngine& engine);

  // Restart and link events; true when the event is fully handled.
  bool OnEvent(const DeviceMessage& event);
  void OnLoaderStarted(const DeviceMessage& event);
  void OnFirmwareStarted(const DeviceMessage& event);
  void OnLinkGoingDown(const char* line);
  void OnRefusalCause(const DeviceMessage& message);
};

}  // namespace tusko
