#pragma once

#include <vector>

#include <QDialog>

#include "app/session/WriteChanges.h"

class QCheckBox;

namespace tusko {
class LanguageManager;
}

namespace tusko::gui {

// Write configuration's question once the gateway's configuration has been
// read: the fields that will change, with what the gateway holds and what it
// will hold, and whether to read the configuration back afterwards. OK writes.
class WriteChangesDialog final : public QDialog {
  Q_OBJECT

 public:
  WriteChangesDialog(const LanguageManager& language, const std::vector<WriteChange>& changes, bool verify,
                     QWidget* parent);

  bool verify() const;

 private:
  QCheckBox* verify_;
};

}  // namespace tusko::gui
