#include "app/gui/ProgressDialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/core/LanguageManager.h"
#include "app/gui/MessageService.h"
#include "app/gui/UiText.h"

namespace tusko::gui {

namespace {

constexpr int kRange = 100;  // percent
// A full bar stays on screen this long before the dialog ends by itself.
constexpr std::chrono::milliseconds kFullBarShownMs{100};

}  // namespace

ProgressDialog::ProgressDialog(const LanguageManager& language, MessageService& messages, ProgressKind kind,
                               std::function<void()> cancelTransfer, QWidget* parent)
    : QDialog(parent),
      language_(language),
      messages_(messages),
      kind_(kind),
      cancelTransfer_(std::move(cancelTransfer)),
      bar_(new QProgressBar(this)),
      waitText_(new QLabel("strNotifyWait", this)),
      cancel_(new QPushButton("strCancel", this)) {
  setWindowTitle(ToQString(language.GetCaptionString(TextsOf(kind).titleKey)));
  setMinimumWidth(360);
  bar_->setObjectName("progressBar");
  bar_->setRange(0, kRange);
  bar_->setValue(0);
  waitText_->setObjectName("waitText");
  waitText_->hide();
  cancel_->setObjectName("cancelButton");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(bar_);
  layout->addWidget(waitText_);
  layout->addWidget(cancel_, 0, Qt::AlignHCenter);
  connect(cancel_, &QPushButton::clicked, this, &ProgressDialog::reject);
  TranslateWindow(*this, language);
}

void ProgressDialog::SetWaitMode(bool wait) {
  bar_->setVisible(!wait);
  waitText_->setVisible(wait);
}

void ProgressDialog::SetPosition(int percent) {
  if (ending_) return;
  bar_->setValue(std::clamp(percent, 0, kRange));
  if (percent < kRange) return;
  ending_ = true;
  failed_ = false;
  cancel_->setText(ToQString(language_.GetString("strOK")));
  QTimer::singleShot(kFullBarShownMs, this, [this] { done(QDialog::Accepted); });
}

void ProgressDialog::CloseAsFailed() {
  failed_ = true;
  if (ending_) return;
  ending_ = true;
  QTimer::singleShot(0, this, [this] { done(QDialog::Rejected); });
}

void ProgressDialog::reject() {
  if (ending_) return;
  if (messages_.Show(TextsOf(kind_).abortQuestionKey, "strAbort",
                     kStyleWarningQuestion | kStyleDefaultSecondButton) != kResultYes) {
    return;
  }
  if (ending_) return;  // the transfer ended while the question was open
  ending_ = true;
  cancelTransfer_();
  QDialog::reject();
}

}  // namespace tusko::gui
