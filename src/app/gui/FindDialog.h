#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace tusko {
class LanguageManager;
}

namespace tusko::gui {

// The modeless Find dialog of the log pages: a text, match case, whole word;
// each Find Next asks the main window to search forward.
class FindDialog final : public QDialog {
  Q_OBJECT

 public:
  FindDialog(const LanguageManager& language, const QString& text, bool matchCase, bool wholeWord, QWidget* parent);

 signals:
  void findNext(const QString& text, bool matchCase, bool wholeWord);
  void closing();

 protected:
  void done(int result) override;

 private:
  QLineEdit* text_;
  QCheckBox* matchCase_;
  QCheckBox* wholeWord_;
};

}  // namespace tusko::gui
