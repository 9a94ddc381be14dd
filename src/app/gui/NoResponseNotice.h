#pragma once

#include <QPointer>

class QMessageBox;
class QWidget;

namespace tusko {
class LanguageManager;
}

namespace tusko::gui {

// The window that tells the user the gateway has stopped answering the
// diagnostics requests. It is modeless, so that polling goes on behind it,
// there is at most one, and the next data takes it away.
class NoResponseNotice {
 public:
  virtual ~NoResponseNotice() = default;
  // Shows the window unless it is already shown.
  virtual void Show() = 0;
  // Takes the window away if it is shown.
  virtual void Close() = 0;
  virtual bool IsShown() const = 0;
};

// The real window: a warning box ("strDiagErrorNoResponse" under "strError")
// owned by the anchor's top-level window. The user may close it; it is
// destroyed then.
class NoResponseBox final : public NoResponseNotice {
 public:
  NoResponseBox(const LanguageManager& language, QWidget& anchor);
  ~NoResponseBox() override;
  NoResponseBox(const NoResponseBox&) = delete;
  NoResponseBox& operator=(const NoResponseBox&) = delete;

  void Show() override;
  void Close() override;
  bool IsShown() const override;

 private:
  const LanguageManager& language_;
  QWidget& anchor_;
  QPointer<QMessageBox> box_;
};

}  // namespace tusko::gui
