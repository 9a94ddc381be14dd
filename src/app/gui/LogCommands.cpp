#include "app/gui/LogCommands.h"

#include "app/gui/FileDialogs.h"
#include "app/gui/FindDialog.h"
#include "app/gui/LogWidget.h"
#include "app/gui/MessageService.h"
#include "monitor/MonitorLog.h"

namespace tusko::gui {

namespace {

constexpr const char* kLogDefaultSuffix = "txt";

}  // namespace

LogCommands::LogCommands(DesktopContext& context, QWidget& window, std::function<LogWidget*()> currentLog,
                         const LogWidget& monitorView, MonitorLog& monitorLog)
    : context_(context),
      window_(window),
      currentLog_(std::move(currentLog)),
      monitorView_(monitorView),
      monitorLog_(monitorLog) {}

void LogCommands::Find() {
  // Find searches the log of the tab in view; the other tabs have none.
  if (currentLog_() == nullptr) return;
  if (findDialog_) {
    findDialog_->raise();
    findDialog_->activateWindow();
    return;
  }
  findDialog_ = new FindDialog(context_.language, findText_, findMatchCase_, findWholeWord_, &window_);
  findDialog_->setAttribute(Qt::WA_DeleteOnClose);
  connect(findDialog_, &FindDialog::findNext, this, [this](const QString& text, bool matchCase, bool wholeWord) {
    findText_ = text;
    findMatchCase_ = matchCase;
    findWholeWord_ = wholeWord;
    if (LogWidget* log = currentLog_()) {
      log->FindNext(findText_, findMatchCase_, findWholeWord_);
    } else if (findDialog_) {
      findDialog_->close();
    }
  });
  connect(findDialog_, &FindDialog::closing, this, [this] { findDialog_ = nullptr; });
  findDialog_->show();
}

void LogCommands::FindNext() {
  if (findText_.isEmpty()) {
    Find();
    return;
  }
  if (LogWidget* log = currentLog_()) log->FindNext(findText_, findMatchCase_, findWholeWord_);
}

void LogCommands::SaveAs() {
  LogWidget* log = currentLog_();
  if (log == nullptr) return;
  const bool monitor = log == &monitorView_;
  FileSettings& files = context_.files;
  FileQuestion question;
  question.kind = FileQuestion::Kind::Save;
  question.titleKey = monitor ? "strMonitorSaveLog" : "strLogSave";
  question.filterKey = "strLogSaveFilter";
  question.defaultSuffix = kLogDefaultSuffix;
  question.folder = files.browsePathLog;
  question.filterIndex = files.openSaveFilterLog;
  const auto answer = context_.fileDialogs.Ask(&window_, question);
  if (!answer) return;
  files.openSaveFilterLog = answer->filterIndex;
  files.browsePathLog = answer->path.parent_path().string();
  const bool saved = monitor ? !monitorLog_.Save(answer->path) : log->SaveToFile(answer->path);
  if (!saved) context_.messages.Show("strLogSaveError", "strError", kStyleWarning, {answer->path.string()});
}

}  // namespace tusko::gui
