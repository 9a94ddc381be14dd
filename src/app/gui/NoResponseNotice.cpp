#include "app/gui/NoResponseNotice.h"

#include <QMessageBox>

#include "app/gui/UiText.h"
#include "app/language/LanguageManager.h"

namespace tusko::gui {

NoResponseBox::NoResponseBox(const LanguageManager& language, QWidget& anchor) : language_(language), anchor_(anchor) {}

NoResponseBox::~NoResponseBox() { Close(); }

void NoResponseBox::Show() {
  if (IsShown()) return;
  const auto message = language_.Message("strDiagErrorNoResponse", "strError", kStyleWarning);
  if (!message) return;  // no language: no texts to show
  auto* box = new QMessageBox(QMessageBox::Warning, ToQString(message->caption), ToQString(message->text),
                              QMessageBox::NoButton, anchor_.window());
  box->setObjectName("diagnosticsNoResponse");
  const std::string ok = language_.GetButtonText(kResultOk);
  box->addButton(ok.empty() ? QStringLiteral("OK") : ToQString(ok), QMessageBox::AcceptRole);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::NonModal);
  box_ = box;
  box->show();
}

void NoResponseBox::Close() { delete box_.data(); }

// A box the user closed is on its way out: it no longer counts.
bool NoResponseBox::IsShown() const { return !box_.isNull() && box_->isVisible(); }

}  // namespace tusko::gui
