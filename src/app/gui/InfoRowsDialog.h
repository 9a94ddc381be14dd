#pragma once

#include <string>
#include <vector>

#include <QDialog>

#include "app/session/DeviceInfoRows.h"

namespace tusko {
class LanguageManager;
}

namespace tusko::gui {

// A report of labelled values from the gateway (system information, a GSM
// module's information), under an optional lead line such as a warning that
// part of it could not be read. Empty values read "strSysInfoNA".
class InfoRowsDialog final : public QDialog {
  Q_OBJECT

 public:
  InfoRowsDialog(const LanguageManager& language, const char* titleKey, const std::string& leadText,
                 const std::vector<InfoRow>& rows, QWidget* parent);
};

}  // namespace tusko::gui
