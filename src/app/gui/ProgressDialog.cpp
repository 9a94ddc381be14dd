#include "app/gui/ProgressDialog.h"

#include <algorithm>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/gui/MessageService.h"
#include "app/gui/UiText.h"
#include "app/language/LanguageManager.h"

namespace tusko::gui {

namespace {

constexpr int kRangePercent = 100;
// A full bar stays on screen this long before the dialog ends by itself.
constexpr int kFullBarShownMs = 100;
constexpr int kMinimumWidthPx = 360;

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
  setWindowTitle(TextsOf(kind).titleKey);
  setMinimumWidth(kMinimumWidthPx);
  bar_->setObjectName("progressBar");
  bar_->setRange(0, kRangePercent);
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
  if (ended_) return;
  bar_->setVisible(!wait);
  waitText_->setVisible(wait);
}

void ProgressDialog::SetPosition(int percent) {
  if (Closing()) return;
  bar_->setValue(std::clamp(percent, 0, kRangePercent));
  if (percent < kRangePercent) return;
  SetKeyedText(*cancel_, "strOK", language_);
  PostClose(kFullBarShownMs);
}

// A failure reported while the full bar is still shown counts; once the close
// is posted, progress reports no longer change anything, so a failure stands.
void ProgressDialog::CloseAsFailed() {
  if (ended_) return;
  failed_ = true;
  PostClose(0);
}

void ProgressDialog::reject() {
  if (Closing()) return;
  if (messages_.Show(TextsOf(kind_).abortQuestionKey, "strAbort",
                     kStyleWarningQuestion | kStyleDefaultSecondButton) != kResultYes) {
    return;
  }
  // The transfer may have ended while the question was open: nothing to cancel.
  if (Closing()) return;
  cancelTransfer_();
  QDialog::reject();
}

void ProgressDialog::done(int result) {
  ended_ = true;
  QDialog::done(result);
}

void ProgressDialog::PostClose(int delayMs) {
  if (closePosted_) return;
  closePosted_ = true;
  QTimer::singleShot(delayMs, this, [this] {
    if (!ended_) done(QDialog::Accepted);
  });
}

}  // namespace tusko::gui
