#pragma once

namespace tusko::gui {

// The main window's commands by their numbers, shared by the menus, the
// toolbar, the accelerators and the tooltips.
enum class Command : int {
  FileNew = 57600,
  FileOpen = 57601,
  FileClose = 57602,
  FileSave = 57603,
  FileSaveAs = 57604,
  FileRecentFirst = 57616,  // + n for the n-th recent file
  FileQuit = 57665,
  ReadConfiguration = 32780,
  WriteConfiguration = 32781,
  DownloadCdr = 32791,
  ViewToolbar = 59392,
  ViewStatusbar = 59393,
  Connect = 32792,
  Disconnect = 32793,
  CommunicationSettings = 32773,
  Language = 32775,
  ChangePassword = 32774,
  DateTime = 32789,
  SystemInformation = 32778,
  Restart = 32776,
  WriteFirmware = 32777,
  ModuleRestart = 32796,
  UpdateAnnouncement = 32800,
  ToggleMonitor = 32779,
  ToggleCommunication = 32787,
  HelpContents = 57670,
  About = 57664,
  NextTab = 32794,
  PreviousTab = 32795,
  Copy = 57634,
  Clear = 57633,
  Find = 57636,
  FindNext = 32784,
  SelectAll = 57642,
  LogSaveAs = 32785,
  NextPane = 57680,
  PreviousPane = 57681,
};

// The recent-file list has room for this many entries.
inline constexpr int kRecentFileEntries = 6;

}  // namespace tusko::gui
