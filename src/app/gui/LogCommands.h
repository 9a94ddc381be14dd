#pragma once

#include <functional>

#include <QObject>
#include <QPointer>
#include <QString>

#include "app/gui/DesktopContext.h"

class QWidget;

namespace tusko {
class MonitorLog;
}  // namespace tusko

namespace tusko::gui {

class FindDialog;
class LogWidget;

// Find, Find next and Save as of the two log pages. The search text and its
// options live here across both pages; the page in view is asked of the window.
class LogCommands final : public QObject {
 public:
  // `currentLog` gives the log page in view, or null on the other tabs;
  // `monitorLog` is saved from its temporary file, which holds more than its view.
  LogCommands(DesktopContext& context, QWidget& window, std::function<LogWidget*()> currentLog,
              const LogWidget& monitorView, MonitorLog& monitorLog);

  void Find();
  // Find again with the last text; without one, Find.
  void FindNext();
  void SaveAs();

 private:
  DesktopContext& context_;
  QWidget& window_;
  std::function<LogWidget*()> currentLog_;
  const LogWidget& monitorView_;
  MonitorLog& monitorLog_;
  QPointer<FindDialog> findDialog_;
  QString findText_;
  bool findMatchCase_ = false;
  bool findWholeWord_ = false;
};

}  // namespace tusko::gui
