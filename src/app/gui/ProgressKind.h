#pragma once

namespace tusko::gui {

// The long transfers that run under a progress dialog.
enum class ProgressKind : int {
  FirmwareWrite = 1,
  DataDownload = 3,
  DataUpload = 4,
  CdrDownload = 5,
  AnnouncementUpdate = 6,
};

struct ProgressTexts {
  const char* titleKey;
  const char* abortQuestionKey;
};

constexpr ProgressTexts TextsOf(ProgressKind kind) {
  switch (kind) {
    case ProgressKind::FirmwareWrite: return {"strFlashWrite", "strFlashWriteAbort"};
    case ProgressKind::DataDownload: return {"strDataDownload", "strDataDownloadAbort"};
    case ProgressKind::DataUpload: return {"strDataUpload", "strDataUploadAbort"};
    case ProgressKind::CdrDownload: return {"strCdrDownload", "strCdrDownloadAbort"};
    case ProgressKind::AnnouncementUpdate: return {"strAnnouncementUpdate", "strAnnouncementUpdateAbort"};
  }
  return {"", ""};
}

}  // namespace tusko::gui
