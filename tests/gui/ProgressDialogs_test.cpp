#include <memory>

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "app/gui/ConnectWaitDialog.h"
#include "app/gui/MessageService.h"
#include "app/gui/NotifyDialog.h"
#include "app/gui/ProgressDialog.h"
#include "app/gui/UiText.h"
#include "gui/support/GuiLanguage.h"
#include "gui/support/ScriptedMessages.h"

namespace tusko::gui {
namespace {

// Long enough for a posted close on a loaded machine; the dialogs end well before.
constexpr int kEndWaitMs = 5000;

class ProgressDialogTest : public testing::Test {
 protected:
  std::unique_ptr<ProgressDialog> Open(ProgressKind kind) {
    auto dialog = std::make_unique<ProgressDialog>(english_, messages_, kind, [this] { ++cancels_; }, nullptr);
    dialog->open();
    return dialog;
  }
  QString Text(const char* key) const { return ToQString(english_.GetString(key)); }
  static QPushButton& CancelButton(ProgressDialog& dialog) {
    return *dialog.findChild<QPushButton*>("cancelButton");
  }
  static bool Ends(QDialog& dialog) {
    return QTest::qWaitFor([&] { return !dialog.isVisible(); }, kEndWaitMs);
  }

  LanguageManager english_ = test::LoadedLanguage(1);
  test::ScriptedMessages boxes_;
  MessageService messages_{english_, boxes_};
  int cancels_ = 0;
};

TEST_F(ProgressDialogTest, TitleAndQuestionFollowTheKindAndNoKeepsItRunning) {
  const struct {
    ProgressKind kind;
    const char* titleKey;
    const char* questionKey;
  } rows[] = {{ProgressKind::FirmwareWrite, "strFlashWrite", "strFlashWriteAbort"},
              {ProgressKind::DataUpload, "strDataUpload", "strDataUploadAbort"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.titleKey);
    boxes_.Clear();
    auto dialog = Open(row.kind);
    EXPECT_FALSE(dialog->windowTitle().isEmpty());
    EXPECT_EQ(dialog->windowTitle(), ToQString(english_.GetCaptionString(row.titleKey)));
    dialog->SetPosition(40);

    boxes_.Answer(kResultNo);
    QTest::mouseClick(&CancelButton(*dialog), Qt::LeftButton);
    boxes_.Answer(kResultNo);
    QTest::keyClick(dialog.get(), Qt::Key_Escape);

    ASSERT_EQ(boxes_.shown().size(), 2u) << "Cancel and Esc both ask";
    for (const MessageRequest& box : boxes_.shown()) {
      EXPECT_EQ(box.textKey, row.questionKey);
      EXPECT_EQ(box.captionKey, "strAbort");
      EXPECT_EQ(box.message.style & ~kStyleSetForeground, kStyleWarningQuestion | kStyleDefaultSecondButton);
    }
    EXPECT_EQ(cancels_, 0);
    EXPECT_TRUE(dialog->isVisible());
    dialog->SetPosition(60);
    EXPECT_EQ(dialog->findChild<QProgressBar*>("progressBar")->value(), 60) << "the bar keeps moving";
  }
}

TEST_F(ProgressDialogTest, YesCancelsTheTransferOnceAndEndsIt) {
  auto dialog = Open(ProgressKind::DataUpload);
  boxes_.Answer(kResultYes);
  QTest::mouseClick(&CancelButton(*dialog), Qt::LeftButton);
  EXPECT_EQ(cancels_, 1);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->result(), QDialog::Rejected);

  // Late reports from the main window change nothing any more.
  dialog->SetPosition(100);
  dialog->CloseAsFailed();
  QTest::keyClick(dialog.get(), Qt::Key_Escape);
  QCoreApplication::processEvents();
  EXPECT_EQ(cancels_, 1);
  EXPECT_EQ(boxes_.shown().size(), 1u);
  EXPECT_FALSE(dialog->failed());
  EXPECT_EQ(CancelButton(*dialog).text(), Text("strCancel"));
  EXPECT_EQ(dialog->result(), QDialog::Rejected);
}

// A full bar shows OK a moment and ends the dialog by itself; CloseAsFailed
// ends it once, failed, even while the full bar shows.
TEST_F(ProgressDialogTest, EndsOnceWhenFullOrFailed) {
  for (const auto& [position, closeAsFailed] : {std::pair{100, false}, {40, true}, {100, true}}) {
    SCOPED_TRACE(testing::Message() << position << (closeAsFailed ? " failed" : ""));
    auto dialog = Open(ProgressKind::FirmwareWrite);
    QSignalSpy finished(dialog.get(), &QDialog::finished);
    dialog->SetPosition(position);
    EXPECT_EQ(dialog->findChild<QProgressBar*>("progressBar")->value(), position);
    if (closeAsFailed) {
      dialog->CloseAsFailed();
      dialog->CloseAsFailed();
    } else {
      EXPECT_EQ(CancelButton(*dialog).text(), Text("strOK"));
      EXPECT_TRUE(dialog->isVisible()) << "the full bar stays a moment";
    }
    ASSERT_TRUE(Ends(*dialog));
    EXPECT_EQ(dialog->failed(), closeAsFailed);
    if (!closeAsFailed) EXPECT_EQ(dialog->result(), QDialog::Accepted);
    QCoreApplication::processEvents();
    EXPECT_EQ(finished.count(), 1) << "one close however often it is asked";
  }
  EXPECT_EQ(cancels_, 0);
  EXPECT_TRUE(boxes_.shown().empty());
}

TEST_F(ProgressDialogTest, CompletionDuringTheAbortQuestionCancelsNothing) {
  auto dialog = Open(ProgressKind::DataDownload);
  // The question's own event loop is where the completion arrives.
  bool ended = false;
  boxes_.WhileShown([&] {
    dialog->SetPosition(100);
    ended = Ends(*dialog);
  });
  boxes_.Answer(kResultYes);
  QTest::mouseClick(&CancelButton(*dialog), Qt::LeftButton);
  ASSERT_TRUE(ended);
  EXPECT_EQ(cancels_, 0);
  EXPECT_EQ(dialog->result(), 1);
  EXPECT_FALSE(dialog->failed());
}

TEST_F(ProgressDialogTest, ASecondNoticeReplacesTheTextAndOnlyTheOwnersCloseEndsItOnce) {
  NotifyDialog dialog(english_, "strNotifyRestart", nullptr);
  QSignalSpy finished(&dialog, &QDialog::finished);
  dialog.open();
  auto* notice = dialog.findChild<QLabel*>("noticeText");
  ASSERT_NE(notice, nullptr);
  EXPECT_EQ(notice->text(), Text("strNotifyRestart"));
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);

  dialog.SetTextKey("strFlashWrite");
  EXPECT_EQ(notice->text(), Text("strFlashWrite"));
  QTest::keyClick(&dialog, Qt::Key_Escape);
  dialog.close();
  QCoreApplication::processEvents();
  EXPECT_TRUE(dialog.isVisible()) << "only the main window ends it";

  dialog.Close();
  EXPECT_TRUE(dialog.isVisible()) << "the close is posted";
  ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog.isVisible(); }, kEndWaitMs));
  EXPECT_EQ(dialog.result(), 1);
  dialog.Close();
  QCoreApplication::processEvents();
  EXPECT_EQ(finished.count(), 1);
}

// A wait whose connect settles at its third look, five milliseconds apart.
class ConnectWaitTest : public testing::Test {
 protected:
  static constexpr std::chrono::milliseconds kFastPoll{5};
  static constexpr int kLooksUntilSettled = 3;

  ConnectWaitTest() { owner_.show(); }

  int looks_ = 0;
  QWidget owner_;
  ConnectWaitDialog dialog_{[this] { return ++looks_ == kLooksUntilSettled; }, &owner_, kFastPoll};
};

TEST_F(ConnectWaitTest, RunsUnseenAndModalUntilSettled) {
  bool modalWhileWaiting = false;
  Qt::CursorShape cursorWhileWaiting = Qt::ArrowCursor;
  QTimer::singleShot(0, [&] {
    modalWhileWaiting = QApplication::activeModalWidget() == &dialog_;
    if (const QCursor* cursor = QApplication::overrideCursor()) cursorWhileWaiting = cursor->shape();
  });

  EXPECT_EQ(dialog_.exec(), ConnectWaitDialog::kSettled);
  EXPECT_EQ(looks_, kLooksUntilSettled) << "it waits for the connect to settle and then stops looking";
  EXPECT_TRUE(modalWhileWaiting) << "the window behind takes no input";
  EXPECT_EQ(cursorWhileWaiting, Qt::WaitCursor);
  EXPECT_EQ(dialog_.windowOpacity(), 0.0);
  EXPECT_LE(dialog_.width() * dialog_.height(), 1);
}

// A wait that ignored Esc would end only when settled.
TEST_F(ConnectWaitTest, EscEndsTheWait) {
  QTimer::singleShot(0, [&] { QTest::keyClick(&dialog_, Qt::Key_Escape); });
  EXPECT_NE(dialog_.exec(), ConnectWaitDialog::kSettled);
  EXPECT_LT(looks_, kLooksUntilSettled);
}

}  // namespace
}  // namespace tusko::gui
