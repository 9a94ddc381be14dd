#pragma once

#include <cstdint>

namespace tusko {

enum class EngineState : int {
  Initial = 1,
  ResetSent = 2,
  WaitLoader = 3,
  InLoader = 5,
  WaitFirmwareInfo = 6,
  WaitFirmware = 7,
  Idle = 10,
  FlashStarting = 21,
  FlashWaitLoader = 22,
  Flashing = 23,
  Reading = 30,
  WriteStarting = 40,
  Writing = 41,
  WriteWaitLoader = 42,
  WriteWaitFirmware = 43,
  Failed = 50,
  CdrReading = 60,
  AnnouncementStarting = 70,
  AnnouncementSending = 71,
};

// Bits of the engine's pending set: the requests that run in the Idle state.
enum PendingRequest : std::uint32_t {
  NoFirmwareSeen = 0x0001,
  MonitorStartPending = 0x0002,
  MonitorStopPending = 0x0004,
  MonitorCommandPending = 0x0008,
  FlashCancelPending = 0x0010,
  SystemInfoPending = 0x0020,
  LanInfoPending = 0x0040,
  SystemInfoCheckPending = 0x0080,
  PasswordChangePending = 0x0100,
  GetTimePending = 0x0200,
  SetTimePending = 0x0400,
  ModuleInfoPending = 0x0800,
  ModuleResetPending = 0x1000,
  CellsPending = 0x2000,
  SwitchToFirmwareSent = 0x4000,
};

// "Clear all pending flags" keeps these two.
inline constexpr std::uint32_t kPendingKeptOnClear = NoFirmwareSeen | SwitchToFirmwareSent;

// Every request is tried at most this often: the first send and two repeats.
// The repeat count is 0 after a first send; a request with kMaxRepeats repeats
// behind it is the last try.
inline constexpr int kMaxTries = 3;
inline constexpr int kMaxRepeats = kMaxTries - 1;

// Result values carried by the result notifications.
enum class OperationResult : int {
  Done = 1,
  Rejected = 2,
  NoAnswer = 3,
  Cancelled = 4,
  PasswordRefused = 5,
  OldPasswordWrong = 6,
};

// Where a cancelled transfer left the gateway; read with the transfer's
// Cancelled result.
enum class GatewayAfterCancel : int {
  Firmware,  // its firmware runs
  Loader,    // its loader runs and did not start the firmware
  Unknown,   // it stopped answering on the way back to its firmware
};

// Notification codes sent to the main window.
enum class Notification : int {
  Reset = 1,
  ResetRejected = 2,
  LoaderRestarted = 3,
  FirmwareRunning = 4,
  RestartFailed = 5,
  DownloadStarted = 10,
  DownloadProgress = 11,
  DownloadResult = 12,
  UploadStarted = 20,
  UploadProgress = 21,
  UploadResult = 22,
  MonitorRequestSent = 30,
  MonitorResult = 31,
  FirmwareProgress = 50,
  FirmwareStarted = 51,
  FirmwareResult = 52,
  SystemInfoRequested = 60,
  SystemInfoResult = 61,
  LanInfoRequested = 62,
  LanInfoResult = 63,
  AnnouncementProgress = 70,
  AnnouncementStarted = 71,
  AnnouncementResult = 72,
  PasswordChangeRequested = 80,
  PasswordChangeResult = 81,
  GetTimeRequested = 90,
  GetTimeResult = 91,
  SetTimeRequested = 92,
  SetTimeResult = 93,
  IsdnStatusData = 100,
  IsdnCreditData = 101,
  GsmStatusData = 111,
  GsmCreditData = 112,
  ModuleInfoRequested = 113,
  ModuleInfoResult = 114,
  ModuleResetRequested = 115,
  ModuleResetResult = 116,
  CdrResult = 152,
  CellsRequested = 153,
  CellsResult = 154,
  OperationFailed = 200,
  NoFirmware = 210,
  InvalidData = 211,
  NotAllowed = 400,
  LinkClosed = 500,  // NOTIFY_LINK_CLOSED
};

}  // namespace tusko
