// The device commands that start from a file: firmware, announcements and
// call detail records. Every file problem is shown before anything is sent.

#include <QDate>

#include "app/gui/ChoiceDialog.h"
#include "app/gui/DeviceCommands.h"
#include "app/gui/FileDialogs.h"
#include "app/gui/MessagePrompts.h"
#include "app/gui/NotificationResult.h"
#include "app/language/LanguageManager.h"
#include "app/session/CommandEnding.h"
#include "app/session/UpdateFileFlows.h"
#include "monitor/CdrFileName.h"
#include "protocol/engine/OperationEngine.h"

namespace tusko::gui {

namespace {

constexpr const char* kCdrDefaultSuffix = "csv";

std::string FolderOf(const std::string& path) { return std::filesystem::path(path).parent_path().string(); }

}  // namespace

void DeviceCommands::WriteFirmware() {
  firmwareCommand_ = true;
  FileSettings& files = context_.files;
  FileQuestion question{FileQuestion::Kind::Open, "strFlashOpenFile", "strFlashFilter", "",
                        FolderOf(files.lastFlashWriteFile), files.lastFlashWriteFile, 1};
  const auto answer = context_.fileDialogs.Ask(&window_.window(), question);
  if (!answer) {
    firmwareCommand_ = false;
    return;
  }
  files.lastFlashWriteFile = answer->path.string();
  const ProgramSettings& settings = context_.settings;
  const FirmwareFileRules rules{settings.checkFirmwareVersion != 0, settings.checkFirmwareAddrSpace != 0};
  MessagePrompts prompts(context_.messages);
  if (PrepareFirmwareUpdate(engine_.firmwareFile(), answer->path, rules, Texts(), prompts) !=
      FirmwareFileVerdict::Ready) {
    firmwareCommand_ = false;
    return;
  }
  BackUpThen(
      [this](const ConfigurationImage*) {
        PauseMonitorThen([this] {
          FirmwareFile& checked = engine_.firmwareFile();
          if (engine_.StartFirmwareUpdate()) {
            RunTransferDialog(ProgressKind::FirmwareWrite, [this] { engine_.firmwareFile().CloseFile(); });
            return;
          }
          firmwareCommand_ = false;
          ResumeMonitor();
          checked.CloseFile();
        });
      },
      [this] {
        firmwareCommand_ = false;
        engine_.firmwareFile().CloseFile();
      });
}

void DeviceCommands::UpdateAnnouncement() {
  AnnouncementTypeDialog kindDialog(context_.language, 0, &window_.window());
  if (kindDialog.exec() != QDialog::Accepted) return;
  const auto kind = AnnouncementKindFromNumber(kindDialog.kind());
  FileSettings& files = context_.files;
  FileQuestion question{FileQuestion::Kind::Open, "strAnnouncementOpenFile", "strAnnouncementFilter", "",
                        FolderOf(files.lastAnnouncementFile), files.lastAnnouncementFile, 1};
  const auto answer = context_.fileDialogs.Ask(&window_.window(), question);
  if (!kind || !answer) return;
  files.lastAnnouncementFile = answer->path.string();
  AnnouncementFile& file = engine_.announcementFile();
  MessagePrompts prompts(context_.messages);
  if (!PrepareAnnouncementUpdate(file, answer->path, Texts(), prompts)) return;
  if (engine_.StartAnnouncementUpdate(*kind)) {
    RunTransferDialog(ProgressKind::AnnouncementUpdate, [this] { engine_.announcementFile().CloseFile(); });
  } else {
    file.CloseFile();
  }
}

std::optional<FileAnswer> DeviceCommands::AskCdrFile() {
  FileSettings& files = context_.files;
  const QDate today = QDate::currentDate();
  const std::string folder = CdrFolder(files.browsePathCdr);
  const std::string base = ProposeCdrFileName({today.year(), today.month(), today.day()}, folder,
                                              CdrExtension(files.openSaveFilterCdr), CdrNameTaken);
  FileQuestion question{FileQuestion::Kind::Save, "strCdrSave", "strCdrSaveFilter", kCdrDefaultSuffix,
                        files.browsePathCdr, base, files.openSaveFilterCdr};
  return context_.fileDialogs.Ask(&window_.window(), question);
}

void DeviceCommands::DownloadCdr() {
  const auto answer = AskCdrFile();
  if (!answer) return;
  MessagePrompts prompts(context_.messages);
  if (!cdrFile_.Open(answer->path)) {
    prompts.Tell(ProblemMessage("strCdrSaveError"));
    return;
  }
  FileSettings& files = context_.files;
  const std::uint32_t filter = answer->filterIndex;
  cdrFile_.SetFormat(CdrFormatOfFilter(filter));
  if (!cdrFile_.Start()) {
    cdrFile_.Close();
    prompts.Tell(ProblemMessage("strCdrSaveError"));
    return;
  }
  files.openSaveFilterCdr = filter;
  files.browsePathCdr = answer->path.parent_path().string();
  cdrPath_ = answer->path;
  if (engine_.StartCdrDownload(cdrFile_)) {
    RunTransferDialog(ProgressKind::CdrDownload, [this] { cdrFile_.Close(); });
  } else {
    cdrFile_.Close();
  }
}

void DeviceCommands::OnCdrResult(int value) {
  Busy(false);
  if (Succeeded(value)) {
    if (progress_) progress_->SetPosition(100);
    cdrFile_.Close();
    Tell(CdrDownloadedMessage(cdrFile_.RecordCount(), cdrPath_.string()));
    return;
  }
  CloseProgressAsFailed();
  cdrFile_.Close();
  // Only a refusal is the gateway's doing; a cancel or a failed file keeps its own word.
  if (auto refusal = ResultMessage(DeviceCommand::DownloadCdr, value, engine_.causeText())) {
    Tell(std::move(*refusal));
  } else if (const char* key = CdrErrorTextKey(cdrFile_.error())) {
    Tell(ProblemMessage(key));
  }
}

}  // namespace tusko::gui
