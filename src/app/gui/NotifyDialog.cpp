#include "app/gui/NotifyDialog.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include "app/gui/UiText.h"
#include "app/language/LanguageManager.h"

namespace tusko::gui {

namespace {

constexpr int kNoticeWeight = 700;

}  // namespace

NotifyDialog::NotifyDialog(const LanguageManager& language, std::string textKey, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      language_(language),
      text_(new QLabel(this)) {
  setWindowTitle(ToQString(language.GetString(kAppNameKey)));
  text_->setObjectName("noticeText");
  QFont bold = text_->font();
  bold.setWeight(static_cast<QFont::Weight>(kNoticeWeight));
  text_->setFont(bold);
  text_->setWordWrap(true);
  auto* wait = new QLabel("strNotifyWait", this);
  wait->setObjectName("waitText");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text_);
  layout->addWidget(wait);
  TranslateWindow(*this, language);
  SetTextKey(std::move(textKey));
  QApplication::setOverrideCursor(Qt::WaitCursor);
}

NotifyDialog::~NotifyDialog() { QApplication::restoreOverrideCursor(); }

void NotifyDialog::SetTextKey(std::string textKey) { text_->setText(ToQString(language_.GetString(textKey))); }

void NotifyDialog::Close() {
  QTimer::singleShot(0, this, [this] {
    if (isVisible()) done(QDialog::Accepted);
  });
}

}  // namespace tusko::gui
