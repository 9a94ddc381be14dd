#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <gtest/gtest.h>

#include "app/gui/ChoiceDialog.h"
#include "app/gui/CommunicationDialog.h"
#include "app/gui/ConnectWaitDialog.h"
#include "app/gui/DateTimeDialog.h"
#include "app/gui/LanguageDialog.h"
#include "app/gui/LoginDialog.h"
#include "app/gui/MessageService.h"
#include "app/gui/NotifyDialog.h"
#include "app/gui/PasswordDialog.h"
#include "app/gui/ProgressDialog.h"
#include "app/gui/UiText.h"
#include "gui/support/GuiLanguage.h"
#include "gui/support/ScriptedMessages.h"
#include "gui/support/WidgetHands.h"
#include "support/FileText.h"
#include "support/TempFolder.h"

namespace tusko::gui {
namespace {

using test::Child;
using test::Click;
using test::Retype;
using Passwords = std::pair<std::string, std::string>;  // new, old: as the change is started

// Long enough for a posted close on a loaded machine; the dialogs end well before.
constexpr int kEndWaitMs = 5000;

class PromptDialogTest : public testing::Test {
 protected:
  QString Text(const char* key) const { return ToQString(english_.GetString(key)); }
  static bool Ends(QDialog& dialog) {
    return QTest::qWaitFor([&] { return !dialog.isVisible(); }, kEndWaitMs);
  }

  LanguageManager english_ = test::LoadedLanguage(1);
  test::ScriptedMessages boxes_;
  MessageService messages_{english_, boxes_};
};

// ---- CommunicationDialog ----

const SerialPortEntry kGatewayAcm0{"/dev/ttyACM0", "Stellaris USB serial port", true};
const SerialPortEntry kGatewayAcm10{"/dev/ttyACM10", "Stellaris USB serial port", true};
const SerialPortEntry kAcm1{"/dev/ttyACM1", "", false};
const SerialPortEntry kTtyS0{"/dev/ttyS0", "", false};
const SerialPortEntry kUsb3{"/dev/ttyUSB3", "FT232R USB UART", false};

// The stored port is preselected by its path, or by a name that begins an entry
// unless another entry is that name exactly; OK stores the path, or keeps a
// stored name the list does not hold.
TEST_F(PromptDialogTest, PortListPreselectsTheStoredPortAndOkStoresThePath) {
  const struct {
    const char* name;
    std::vector<SerialPortEntry> ports;
    std::string stored;
    int selected;
    std::string storedAfterOk;
  } rows[] = {
      {"nothing_stored_takes_the_first", {kGatewayAcm0, kTtyS0}, "", 0, "/dev/ttyACM0"},
      {"stored_path_selected", {kGatewayAcm0, kTtyS0}, "/dev/ttyS0", 1, "/dev/ttyS0"},
      {"stored_name_begins_an_entry", {kGatewayAcm0, kUsb3}, "/dev/ttyUSB", 1, "/dev/ttyUSB3"},
      {"exact_name_beats_earlier_longer", {kGatewayAcm10, kAcm1}, "/dev/ttyACM1", 1, "/dev/ttyACM1"},
      {"absent_port_selects_nothing_and_is_kept", {kGatewayAcm0}, "/dev/ttyS5", -1, "/dev/ttyS5"},
      {"no_ports_keeps_the_stored_name", {}, "/dev/ttyS0", -1, "/dev/ttyS0"},
  };
  for (const auto& row : rows) {
    CommunicationDialog dialog(english_, LinkChoice{0, row.stored, "", 0}, row.ports, nullptr);
    dialog.show();
    EXPECT_EQ(Child<QComboBox>(dialog, "portList").currentIndex(), row.selected) << row.name;
    Click(dialog, "okButton");
    EXPECT_EQ(dialog.choice().portName, row.storedAfterOk) << row.name;
  }
}

TEST_F(PromptDialogTest, CommunicationOkReturnsTheEditedChoiceAndCancelChangesNothing) {
  const LinkChoice stored{0, "/dev/ttyS0", "old.example", 1002};
  for (const bool ok : {true, false}) {
    CommunicationDialog dialog(english_, stored, {kGatewayAcm0, kTtyS0}, nullptr);
    dialog.show();
    Click(dialog, "tcpMode");
    Retype(dialog, "tcpAddress", "192.168.1.20");
    Retype(dialog, "tcpPort", "4001");
    Click(dialog, ok ? "okButton" : "cancelButton");
    EXPECT_EQ(dialog.choice(), (ok ? LinkChoice{1, "/dev/ttyS0", "192.168.1.20", 4001} : stored));
  }
  CommunicationDialog dialog(english_, LinkChoice{1, "", "", 0}, {kTtyS0}, nullptr);
  dialog.show();
  Click(dialog, "serialMode");
  Click(dialog, "okButton");
  EXPECT_EQ(dialog.choice().comMode, 0U);
}

TEST_F(PromptDialogTest, TcpPortEditHoldsOnlyPortsFrom1To65535) {
  const struct {
    const char* name;
    std::uint32_t stored;
    QString typed;
    QString shown;
    std::uint32_t afterOk;
  } rows[] = {
      {"stored_port_shown", 1002, "", "1002", 1002},
      {"stored_impossible_port_shown_empty", 70000, "", "", 0},
      {"leading_zero_refused", 0, "080", "80", 80},
      {"largest_port", 0, "65535", "65535", 65535},
      {"one_past_largest_refused", 0, "65536", "6553", 6553},
      {"signs_and_letters_refused", 0, "-1a2+", "12", 12},
  };
  for (const auto& row : rows) {
    CommunicationDialog dialog(english_, LinkChoice{1, "", "gw", row.stored}, {}, nullptr);
    dialog.show();
    QTest::keyClicks(&Child<QLineEdit>(dialog, "tcpPort"), row.typed);
    EXPECT_EQ(Child<QLineEdit>(dialog, "tcpPort").text(), row.shown) << row.name;
    Click(dialog, "okButton");
    EXPECT_EQ(dialog.choice().tcpPort, row.afterOk) << row.name;
  }
}

// ---- LoginDialog and PasswordDialog ----

// Every password field hides its characters and refuses a ninth; the login
// refuses a password the gateway cannot take and says why.
TEST_F(PromptDialogTest, PasswordFieldsHideEightCharactersAndTheLoginRefusesWhatTheGatewayCannotTake) {
  LoginDialog login(english_, nullptr);
  PasswordDialog change(english_, messages_, [](auto&, auto&) { return true; }, nullptr);
  for (auto* field : {&Child<QLineEdit>(login, "password"), &Child<QLineEdit>(change, "oldPassword"),
                      &Child<QLineEdit>(change, "newPassword"), &Child<QLineEdit>(change, "confirmPassword")}) {
    QTest::keyClicks(field, "123456789");
    EXPECT_EQ(field->text(), "12345678") << field->objectName().toStdString();
    EXPECT_EQ(field->echoMode(), QLineEdit::Password);
  }
  EXPECT_EQ(login.password(), "12345678");

  login.show();
  Retype(login, "password", "p\u00E4ss");
  Click(login, "okButton");
  QCoreApplication::processEvents();
  EXPECT_TRUE(login.isVisible() && login.result() == 0) << "OK did not end the dialog";
  const QLabel& refusal = Child<QLabel>(login, "passwordRefused");
  EXPECT_TRUE(refusal.isVisible());
  EXPECT_EQ(refusal.text(), Text("strPasswordNotAscii"));

  Retype(login, "password", "pass");
  Click(login, "okButton");
  EXPECT_EQ(login.result(), QDialog::Accepted);
  EXPECT_EQ(login.password(), "pass");
}

class PasswordDialogTest : public PromptDialogTest {
 protected:
  PasswordDialogTest() { dialog_.show(); }

  void Submit(const QString& oldPassword, const QString& newPassword, const QString& confirmation) {
    Retype(dialog_, "oldPassword", oldPassword);
    Retype(dialog_, "newPassword", newPassword);
    Retype(dialog_, "confirmPassword", confirmation);
    Click(dialog_, "okButton");
  }
  QString Field(const char* name) const { return Child<QLineEdit>(dialog_, name).text(); }
  // The edits and buttons enabled as `ready` says, and the wait cursor shown exactly while they are not.
  void ExpectReady(bool ready) const {
    EXPECT_EQ(dialog_.busy(), !ready);
    for (const char* control : {"oldPassword", "newPassword", "confirmPassword", "okButton", "cancelButton"}) {
      EXPECT_EQ(Child<QWidget>(dialog_, control).isEnabled(), ready) << control;
    }
    const QCursor* cursor = QApplication::overrideCursor();
    EXPECT_EQ(cursor != nullptr && cursor->shape() == Qt::WaitCursor, !ready);
  }
  bool StillOpen() {
    QCoreApplication::processEvents();
    return dialog_.isVisible() && dialog_.result() == 0;
  }

  std::vector<Passwords> started_;
  bool startSends_ = true;
  PasswordDialog dialog_{english_, messages_,
                         [this](const std::string& newPassword, const std::string& oldPassword) {
                           started_.emplace_back(newPassword, oldPassword);
                           return startSends_;
                         },
                         nullptr};
};

// Passwords that do not match or that the gateway cannot take send nothing; the wrong ones are typed again.
TEST_F(PasswordDialogTest, ARefusedEntrySendsNothingAndEmptiesTheFieldsToTypeAgain) {
  const struct {
    const char* name;
    QString oldPassword, newPassword, confirmation;
    const char* key;
    std::vector<bool> emptied;  // old, new, confirmation
  } rows[] = {
      {"new_ones_differ", "old1", "new1", "new2", "strPasswordConfirmFailed", {false, true, true}},
      {"new_with_umlaut", "old1", "n\u00E4u", "n\u00E4u", "strPasswordNotAscii", {false, true, true}},
      {"old_with_umlaut", "\u00E4lt", "new1", "new1", "strPasswordNotAscii", {true, false, false}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    boxes_.Clear();
    Submit(row.oldPassword, row.newPassword, row.confirmation);
    EXPECT_EQ(boxes_.ShownKeys(), std::vector<std::string>{row.key});
    EXPECT_TRUE(started_.empty());
    EXPECT_EQ((std::vector<bool>{Field("oldPassword").isEmpty(), Field("newPassword").isEmpty(),
                                 Field("confirmPassword").isEmpty()}),
              row.emptied);
    ExpectReady(true);
    EXPECT_TRUE(StillOpen());
  }
}

// Nothing sent leaves the dialog ready. A change sent holds it, Esc and all,
// until the outcome: the owner's cancel rejects it, success accepts it.
TEST_F(PasswordDialogTest, ASentChangeHoldsTheDialogUntilTheOutcome) {
  startSends_ = false;
  Submit("old1", "new1", "new1");
  EXPECT_EQ(started_.size(), 1U);
  ExpectReady(true);

  startSends_ = true;
  for (const bool succeeds : {false, true}) {
    SCOPED_TRACE(succeeds ? "succeeded" : "cancelled by the owner");
    dialog_.show();
    Click(dialog_, "okButton");
    EXPECT_EQ(started_.back(), (Passwords{"new1", "old1"}));
    EXPECT_EQ(dialog_.newPassword(), "new1");
    ExpectReady(false);
    QTest::keyClick(&dialog_, Qt::Key_Escape);
    EXPECT_TRUE(StillOpen()) << "the user cannot walk away from a change in flight";
    if (succeeds) {
      dialog_.Succeeded();
    } else {
      dialog_.CancelFromOwner();
    }
    ASSERT_TRUE(Ends(dialog_));
    EXPECT_EQ(dialog_.result(), succeeds ? QDialog::Accepted : QDialog::Rejected);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  }
}

// A wrong old password or a refusal warns with the gateway's cause and keeps the
// dialog open for another try; a wrong old password is emptied to be typed again.
TEST_F(PasswordDialogTest, AFailedChangeWarnsAndStaysOpenForAnotherTry) {
  const struct {
    const char* name;
    int result;
    std::string cause;
    std::string key;
    bool oldCleared;
  } rows[] = {{"old_password_wrong", 6, "", "strPasswordOldFailed", true},
              {"refused", 2, "Invalid element", "strErrorResponse", false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    boxes_.Clear();
    Submit("old1", "new1", "new1");
    dialog_.Failed(row.result, row.cause);

    ASSERT_EQ(boxes_.ShownKeys(), std::vector<std::string>{row.key});
    const MessageRequest& box = boxes_.shown()[0];
    EXPECT_NE(box.message.text.find(row.cause), std::string::npos) << box.message.text;
    EXPECT_EQ(Field("oldPassword").isEmpty(), row.oldCleared);
    if (row.oldCleared) {
      EXPECT_EQ(dialog_.focusWidget(), &Child<QWidget>(dialog_, "oldPassword"));
    }
    ExpectReady(true);
    EXPECT_TRUE(StillOpen());

    Retype(dialog_, "oldPassword", "again");
    Click(dialog_, "okButton");
    EXPECT_EQ(started_.back(), (Passwords{"new1", "again"}));
    dialog_.Failed(row.result, row.cause);  // the second try ends as well
  }
}

// ---- LanguageDialog ----

// Three languages, the second without its file.
constexpr const char* kIndex =
    "[general]\nnum_languages=3\n[language names]\n1=Zulu\n2=Missing\n3=Alpha\n"
    "[language files]\n1=zulu.ini\n2=missing.ini\n3=alpha.ini\n";

TEST_F(PromptDialogTest, LanguageListHoldsTheLanguagesWhoseFileExistsByName) {
  const tusko::test::TempFolder folder;
  tusko::test::WriteFileText(folder / "LANG.INI", kIndex);
  LanguageManager language(folder.path());
  EXPECT_EQ(LanguageDialog(language, 1, nullptr).language(), 1) << "no file at all: the current language stays";

  for (const char* file : {"zulu.ini", "alpha.ini"}) {
    std::filesystem::copy_file(TUSKO_RESOURCES_DIR "/lang/english.ini", folder / file);
  }
  ASSERT_EQ(language.LoadLanguage(1), LanguageLoadResult::Loaded);
  LanguageDialog dialog(language, 1, nullptr);
  dialog.show();
  auto& list = Child<QComboBox>(dialog, "languageList");
  ASSERT_EQ(list.count(), 2);
  EXPECT_EQ(list.itemText(0), "Alpha");
  EXPECT_EQ(list.itemText(1), "Zulu");
  EXPECT_EQ(dialog.language(), 1);
  list.setCurrentIndex(0);
  Click(dialog, "okButton");
  EXPECT_EQ(dialog.language(), 3);
}

// ---- DateTimeDialog ----

const DateTimeRecord kGatewayTime{2024, 5, 5, 17, 13, 45, 30, 250};  // Friday 17 May 2024

// Set is disabled until a picker changes, and Enter presses Cancel. The
// computer's clock is the dialog's own, its timer driven by hand: Synchronize
// takes the time shown last.
TEST_F(PromptDialogTest, DateTimeShowsBothClocksAndSynchronizeTakesTheComputersTimeShownLast) {
  QDateTime now(QDate(2024, 5, 17), QTime(14, 3, 7, 480));
  DateTimeDialog dialog(english_, kGatewayTime, std::nullopt, nullptr, [&now] { return now; });
  dialog.show();
  EXPECT_EQ(Child<QTimeEdit>(dialog, "timePicker").time(), QTime(13, 45, 30));
  EXPECT_EQ(Child<QDateEdit>(dialog, "datePicker").date(), QDate(2024, 5, 17));
  EXPECT_FALSE(Child<QPushButton>(dialog, "okButton").isEnabled());
  EXPECT_TRUE(Child<QLabel>(dialog, "lastSyncText").text().isEmpty());
  Child<QTimeEdit>(dialog, "timePicker").setTime(QTime(8, 0, 0));
  EXPECT_TRUE(Child<QPushButton>(dialog, "okButton").isEnabled());
  QTest::keyClick(&dialog, Qt::Key_Return);
  EXPECT_EQ(dialog.result(), QDialog::Rejected) << "Enter presses Cancel, not Set";

  dialog.show();
  const auto& shown = Child<QLabel>(dialog, "computerTimeText");
  EXPECT_TRUE(shown.text().contains("14:03:07")) << shown.text().toStdString();
  now = now.addSecs(1);
  QMetaObject::invokeMethod(&Child<QTimer>(dialog, "computerTimeTick"), "timeout");
  EXPECT_TRUE(shown.text().contains("14:03:08")) << shown.text().toStdString();
  Click(dialog, "synchronizeButton");
  EXPECT_EQ(dialog.result(), QDialog::Accepted) << "it ends at once";
  EXPECT_TRUE(dialog.synchronized());
  EXPECT_EQ(dialog.time(), (DateTimeRecord{2024, 5, 5, 17, 14, 3, 8, 480})) << "a Friday";
}

TEST_F(PromptDialogTest, DateTimeSetTakesBothPickersAndTheWeekdayOfTheNewDate) {
  DateTimeDialog dialog(english_, kGatewayTime, std::nullopt, nullptr);
  dialog.show();
  Child<QDateEdit>(dialog, "datePicker").setDate(QDate(2025, 3, 3));
  EXPECT_TRUE(Child<QPushButton>(dialog, "okButton").isEnabled());
  Child<QTimeEdit>(dialog, "timePicker").setTime(QTime(8, 9, 10));
  Click(dialog, "okButton");
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.time(), (DateTimeRecord{2025, 3, 1, 3, 8, 9, 10, 250})) << "3 March 2025 is a Monday";
}

// ---- AnnouncementTypeDialog, ModuleSelectDialog ----

TEST_F(PromptDialogTest, ChoiceDialogsReturnThePositionPicked) {
  AnnouncementTypeDialog announcement(english_, 1, nullptr);
  ModuleSelectDialog module(english_, "Restart GSM module", 5, nullptr);
  EXPECT_EQ(Child<QComboBox>(announcement, "itemList").itemText(2), Text("strAnnouncementIncoming"));
  EXPECT_EQ(announcement.kind(), 1);
  EXPECT_EQ(module.module(), 0) << "a module that does not exist is not preselected";
  for (auto [dialog, picked] : {std::pair<ChoiceDialog*, int>{&announcement, 2}, {&module, 1}}) {
    dialog->show();
    Child<QComboBox>(*dialog, "itemList").setCurrentIndex(picked);
    Click(*dialog, "okButton");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
  }
  EXPECT_EQ(announcement.kind(), 2);
  EXPECT_EQ(module.module(), 1);
}

// ---- ProgressDialog, NotifyDialog, ConnectWaitDialog ----

class ProgressDialogTest : public PromptDialogTest {
 protected:
  std::unique_ptr<ProgressDialog> Open(ProgressKind kind) {
    auto dialog = std::make_unique<ProgressDialog>(english_, messages_, kind, [this] { ++cancels_; }, nullptr);
    dialog->open();
    return dialog;
  }
  static QPushButton& CancelButton(ProgressDialog& dialog) {
    return *dialog.findChild<QPushButton*>("cancelButton");
  }

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

// Yes to the abort question cancels the transfer once and ends the dialog,
// whatever the main window reports late; a completion that arrives in the
// question's own event loop cancels nothing.
TEST_F(ProgressDialogTest, YesCancelsTheTransferOnceUnlessItCompletedMeanwhile) {
  for (const bool completes : {false, true}) {
    SCOPED_TRACE(completes ? "completed during the question" : "cancelled");
    boxes_.Clear();
    auto dialog = Open(ProgressKind::DataUpload);
    bool ended = false;
    if (completes) {
      boxes_.WhileShown([&] {
        dialog->SetPosition(100);
        ended = Ends(*dialog);
      });
    }
    boxes_.Answer(kResultYes);
    QTest::mouseClick(&CancelButton(*dialog), Qt::LeftButton);
    EXPECT_EQ(ended, completes);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), completes ? QDialog::Accepted : QDialog::Rejected);
    EXPECT_EQ(cancels_, 1) << "the first row's one cancel";
    EXPECT_FALSE(dialog->failed());
    if (completes) continue;

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
    if (!closeAsFailed) {
      EXPECT_EQ(dialog->result(), QDialog::Accepted);
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(finished.count(), 1) << "one close however often it is asked";
  }
  EXPECT_EQ(cancels_, 0);
  EXPECT_TRUE(boxes_.shown().empty());
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
  ASSERT_TRUE(Ends(dialog));
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

// Esc ends the wait at once: one that ignored it would end only when settled.
// Waited for again, it runs unseen and modal until the connect settles.
TEST_F(ConnectWaitTest, EscEndsTheWaitOtherwiseItRunsUnseenAndModalUntilSettled) {
  QTimer::singleShot(0, [&] { QTest::keyClick(&dialog_, Qt::Key_Escape); });
  EXPECT_NE(dialog_.exec(), ConnectWaitDialog::kSettled);
  EXPECT_LT(looks_, kLooksUntilSettled);

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

}  // namespace
}  // namespace tusko::gui
