// The gateway's commands run from the real main window against the simulator:
// writing and reading the configuration, firmware updates, CDR downloads and
// the monitor's pause around them, and the boxes their endings show.
#include <cstdlib>
#include <string>

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTreeWidget>

#include "app/gui/ConfigurationView.h"
#include "app/gui/LoginDialog.h"
#include "app/gui/MonitorPage.h"
#include "app/gui/NotifyDialog.h"
#include "app/gui/ProgressDialog.h"
#include "app/gui/WriteChangesDialog.h"
#include "app/session/ConfigBackups.h"
#include "config/ConfigurationFile.h"
#include "config/ImageLayout.h"
#include "gui/support/MainWindowFixture.h"
#include "gui/support/ModalDriver.h"
#include "gui/support/WidgetHands.h"
#include "protocol/InformationElements.h"
#include "protocol/engine/OperationEngine.h"
#include "support/FileText.h"
#include "support/RowName.h"
#include "support/TempFolder.h"

namespace tusko::gui::test {
namespace {

constexpr int kTransferLimitMs = 60000;
constexpr int kFirmwareLimitMs = 90000;
constexpr std::size_t kFirstPortDigit = 63;

class DeviceCommandsTest : public MainWindowFixture {
 protected:
  // A notification as the engine delivers it, and what the event loop then does for it.
  void Notify(Notification code, OperationResult result) {
    window().deviceCommands().OnNotification(code, static_cast<int>(result));
    QCoreApplication::processEvents();
  }
  ConfigurationDocument& Document() { return window().configuration().document(); }
};

struct WriteRow {
  std::string name;
  bool backup;
  bool gatewayAltersAByte;
  std::vector<std::string> keys;
  const char* verdictNames;  // in the last box's text, with backups
};

class WriteConfigurationTest : public DeviceCommandsTest, public testing::WithParamInterface<WriteRow> {};

// The edited network page is written and the restart that takes it over is
// announced. Without backups the user confirms a question; with them the
// gateway's configuration is read and kept, the fields that change are listed
// with both values, and reading back after the write agrees or names what differs.
TEST_P(WriteConfigurationTest, SendsTheEditedNetworkPage) {
  const WriteRow& row = GetParam();
  const tusko::test::TempFolder data;
  setenv("XDG_DATA_HOME", data.path().c_str(), 1);
  settings_.configBackup = row.backup ? 1 : 0;
  if (row.gatewayAltersAByte) {
    simulator().Run([](sim::GatewayModel& gateway) { gateway.Configuration().AlterOnCommit(kFirstPortDigit); });
  }
  const ConfigurationImage before = StoredConfiguration();
  OpenWindow();
  Run(Command::FileNew);
  window().configuration().SelectNode(PageId::SystemNetwork);
  window().findChild<QSpinBox*>("network.port")->setValue(2345);

  QString noticeText;
  ModalDriver<NotifyDialog> notice(
      [&](NotifyDialog& dialog) { noticeText = Child<QLabel>(dialog, "noticeText").text(); });
  QStringList portRow;
  ModalDriver<WriteChangesDialog> question([&](WriteChangesDialog& dialog) {
    const auto found = dialog.findChild<QTreeWidget*>("changeList")->findItems("TCP port", Qt::MatchExactly);
    if (!found.empty()) portRow = {found.front()->text(1), found.front()->text(2)};
    dialog.findChild<QCheckBox*>("verifyBox")->setChecked(true);
    QTest::mouseClick(dialog.findChild<QPushButton*>("okButton"), Qt::LeftButton);
  });
  Run(Command::WriteConfiguration);
  ASSERT_TRUE(QTest::qWaitFor([&] { return boxes_.ShownKeys().size() == 2; }, kTransferLimitMs));
  // The change list is confirmed at once, while the backup's progress dialog still closes: the
  // upload's own dialog must still end, with the window idle.
  ASSERT_TRUE(WaitForIdle(kTransferLimitMs));
  EXPECT_EQ(boxes_.ShownKeys(), row.keys) << "no error after the upload, and word once the gateway runs again";
  EXPECT_EQ(noticeText.toStdString(), Text("strDataWrittenRestarting"));
  if (!row.gatewayAltersAByte) {
    EXPECT_EQ(StoredConfiguration().Text(kFirstPortDigit, 5), "02345");
  }
  if (!row.backup) return;

  EXPECT_EQ(portRow, (QStringList{QString::number(std::stoi(before.Text(kFirstPortDigit, 5))), "2345"}));
  EXPECT_NE(boxes_.shown().back().message.text.find(row.verdictNames), std::string::npos)
      << boxes_.shown().back().message.text;
  std::vector<std::filesystem::path> backups;
  for (const auto& entry : std::filesystem::directory_iterator(BackupRulesFrom(settings_, false)->folder)) {
    backups.push_back(entry.path());
  }
  ASSERT_EQ(backups.size(), 1u);
  const ConfigurationReadResult backup = ReadConfigurationFile(backups.front());
  ASSERT_TRUE(backup.image.has_value());
  EXPECT_TRUE(*backup.image == before) << "the backup holds what the gateway held before the write";
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WriteConfigurationTest,
    testing::Values(
        WriteRow{"WithoutBackup", false, false, {"strDataUploadConfirm", "strDataWrittenRunning"}, ""},
        WriteRow{"BackedUpAndReadBack", true, false, {"strDataWrittenRunning", "strDataWriteVerified"}, "agrees"},
        WriteRow{"ReadBackDiffers",
                 true,
                 true,
                 {"strDataWrittenRunning", "strDataWriteVerifyFailed"},
                 "network.port (TCP port)"}),
    tusko::test::RowName<WriteRow>);

// A backup that cannot be saved is said, and No to writing without one writes nothing.
TEST_F(DeviceCommandsTest, AWriteWithoutItsBackupIsAskedForAndNoWritesNothing) {
  const tusko::test::TempFolder data;
  tusko::test::WriteFileText(data / "Ombrel", "a file where the data folder should be");
  setenv("XDG_DATA_HOME", data.path().c_str(), 1);
  settings_.configBackup = 1;
  const ConfigurationImage before = StoredConfiguration();
  OpenWindow();
  Run(Command::FileNew);
  boxes_.Answer(kResultOk);
  boxes_.Answer(kResultNo);
  Run(Command::WriteConfiguration);
  ASSERT_TRUE(QTest::qWaitFor([&] { return boxes_.ShownKeys().size() == 2; }, kTransferLimitMs));
  EXPECT_EQ(boxes_.ShownKeys(), (std::vector<std::string>{"strBackupSaveError", "strBackupNotMadeGoOn"}));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window().busy(); }, kTransferLimitMs));
  EXPECT_TRUE(StoredConfiguration() == before);
}

TEST_F(DeviceCommandsTest, ImageWithoutSignatureAnsweredNoKeepsThePreviousDocument) {
  simulator().Run([](sim::GatewayModel& gateway) {
    ConfigurationImage broken = gateway.Configuration().Stored();
    broken.SetByte(layout::general::kSignature, 0);
    gateway.Configuration().Replace(broken);
  });
  OpenWindow();
  Run(Command::FileNew);
  const ConfigurationImage before = Document().CommittedImage();
  boxes_.Answer(kResultNo);
  Run(Command::ReadConfiguration);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes_.shown().empty(); }, kTransferLimitMs));
  ASSERT_TRUE(WaitForIdle(kTransferLimitMs));
  EXPECT_EQ(boxes_.ShownKeys(), std::vector<std::string>{"strDataInvalid"});
  EXPECT_EQ(Document().CommittedImage(), before);
  EXPECT_FALSE(Document().Modified());
}

TEST_F(DeviceCommandsTest, CancelledFirmwareUpdateSaysSo) {
  OpenWindow();
  // Large enough that the blocks are still flowing when Cancel is pressed.
  tusko::test::TempFile file(Firmware(128 * 1024));
  fileDialogs_.Answer(FileAnswer{file.path(), 1});
  ModalDriver<ProgressDialog> progress([&](ProgressDialog& dialog) {
    auto* bar = dialog.findChild<QProgressBar*>("progressBar");
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar->value() > 0; }, kFirmwareLimitMs));
    boxes_.Answer(kResultYes);
    QTest::mouseClick(dialog.findChild<QPushButton*>("cancelButton"), Qt::LeftButton);
  });
  Run(Command::WriteFirmware);
  ASSERT_TRUE(QTest::qWaitFor([&] { return boxes_.ShownKeys().size() >= 3; }, kFirmwareLimitMs));
  EXPECT_EQ(boxes_.ShownKeys(),
            (std::vector<std::string>{"strFlashWriteFileVersion", "strFlashWriteAbort", "strCancelledFirmwareRuns"}));
}

// Which file a download without records leaves behind is the CDR file's own test.
TEST_F(DeviceCommandsTest, CdrDownloadSaysWhatItSavedOrThatNothingWasNew) {
  settings_.cdrHeader = 1;
  OpenWindow();
  const tusko::test::TempFolder folder;
  for (const int records : {3, 0}) {
    SCOPED_TRACE(records);
    boxes_.Clear();
    simulator().Run([records](sim::GatewayModel& gateway) { gateway.CdrStore().Fill(records, 0); });
    const auto path = folder / (std::to_string(records) + ".csv");
    fileDialogs_.Answer(FileAnswer{path, 1});
    Run(Command::DownloadCdr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes_.shown().empty(); }, kTransferLimitMs));
    ASSERT_TRUE(WaitForIdle(kTransferLimitMs));
    EXPECT_EQ(boxes_.ShownKeys(), std::vector<std::string>{records > 0 ? "strCdrSaved" : "strCdrNoNewRecords"});
    if (records == 0) continue;
    const std::string told = boxes_.shown()[0].message.text;
    EXPECT_TRUE(told.starts_with("3 ") && told.find(path.string()) != std::string::npos) << told;
    const std::string text = tusko::test::ReadFileText(path);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), records + 1) << "header and records";
  }
  EXPECT_EQ(fileDialogs_.asked()[0].proposedName.substr(0, 3), "CDR");
}

TEST_F(DeviceCommandsTest, NotificationsWhileABoxIsOpenAreHandledOnceInOrder) {
  OpenWindow();
  DeviceCommands& commands = window().deviceCommands();
  std::size_t boxesAfterTheirHandlers = 0;
  boxes_.WhileShown([&] {
    commands.OnNotification(Notification::NoFirmware, 0);  // one box of this kind at a time
    commands.OnNotification(Notification::SetTimeResult, static_cast<int>(OperationResult::NoAnswer));
    boxesAfterTheirHandlers = boxes_.shown().size();
  });
  commands.OnNotification(Notification::NoFirmware, 0);
  EXPECT_TRUE(boxes_.shown().empty()) << "the handler returned before its box opened";
  ASSERT_TRUE(QTest::qWaitFor([&] { return boxes_.shown().size() >= 2; }, kTransferLimitMs));
  QCoreApplication::processEvents();
  EXPECT_EQ(boxesAfterTheirHandlers, 1u) << "the handlers that came meanwhile opened no box inside the first";
  EXPECT_EQ(boxes_.ShownKeys(), (std::vector<std::string>{"strFlashNoFirmware", "strDateTimeSetError"}));
}

// An ending, the boxes it shows after an earlier refusal left its reason behind.
TEST_F(DeviceCommandsTest, OnlyARefusalShowsTheGatewaysReason) {
  constexpr std::uint8_t kCause = 0x81;
  simulator().Run([](sim::GatewayModel& gateway) {
    gateway.InjectFault({sim::FaultKind::Reject, ie::DateTime, kCause, kMaxTries});
  });
  OpenWindow();
  Run(Command::DateTime);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes_.shown().empty(); }, kTransferLimitMs));
  const struct {
    std::string name;
    Notification code;
    OperationResult result;
    std::vector<std::string> keys;
  } rows[] = {
      {"ClockReadRefused", Notification::GetTimeResult, OperationResult::Rejected, {"strErrorResponse"}},
      {"FirmwareCancelled", Notification::FirmwareResult, OperationResult::Cancelled, {"strCancelledFirmwareRuns"}},
      {"ModuleInfoUnanswered", Notification::ModuleInfoResult, OperationResult::NoAnswer, {"strErrorNoResponse"}},
      {"ModuleInfoShownInItsDialog", Notification::ModuleInfoResult, OperationResult::Done, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    if (row.code != Notification::GetTimeResult) {
      boxes_.Clear();
      Notify(row.code, row.result);
    }
    ASSERT_EQ(boxes_.ShownKeys(), row.keys);
    if (!row.keys.empty()) {
      const std::string& text = boxes_.shown()[0].message.text;
      EXPECT_EQ(text.find("81") != std::string::npos, row.result == OperationResult::Rejected) << text;
    }
  }
}

// ---- The monitor around the commands ----

// A command that rests the monitor and the way it ends. A lost gateway and its
// recovery, and the markers kept out of the log's file, are the monitor log's own tests.
struct PausedRow {
  std::string name;
  Command command;
  std::optional<sim::Fault> fault;
  std::string gatewayPassword;  // the login the window is asked for, which the user cancels
};

class MonitorPauseTest : public DeviceCommandsTest, public testing::WithParamInterface<PausedRow> {
 protected:
  MonitorLog& Log() { return window().monitorPage().log(); }
  std::string ViewText() { return Log().View().Text(); }
  bool WaitForText(std::string_view text) {
    return QTest::qWaitFor([&] { return ViewText().find(text) != std::string::npos; }, kTransferLimitMs);
  }
  // Monitoring of two categories of trace, chosen before the start, with a
  // firmware file ready for an update.
  void StartMonitoring() {
    OpenWindow();
    Run(Command::ToggleMonitor);
    window().tabs().Select(TabPageId::Monitor);
    window().findChild<QCheckBox*>("category1")->setChecked(true);
    window().findChild<QCheckBox*>("category2")->setChecked(true);
    QTest::mouseClick(window().findChild<QPushButton*>("startButton"), Qt::LeftButton);
    ASSERT_TRUE(WaitForText("SYSTEM MONITORING STARTED"));
    // Commands wait until the gateway has answered the start.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window().busy(); }, kTransferLimitMs));
    fileDialogs_.Answer(FileAnswer{firmware_.path(), 1});
  }

  tusko::test::TempFile firmware_{Firmware()};
};

TEST_P(MonitorPauseTest, ResumesTheMonitor) {
  const PausedRow& row = GetParam();
  StartMonitoring();
  simulator().Run([&](sim::GatewayModel& gateway) {
    if (row.fault) gateway.InjectFault(*row.fault);
    gateway.Identity().password = row.gatewayPassword;
  });
  ModalDriver<LoginDialog> login([](LoginDialog& dialog) { dialog.reject(); });
  if (row.command == Command::WriteConfiguration) Run(Command::FileNew);

  Run(row.command);
  ASSERT_TRUE(WaitForText("SYSTEM MONITORING TEMPORARY STOPPED"));
  ASSERT_TRUE(WaitForText("SYSTEM MONITORING RESUMED")) << ViewText();
  EXPECT_TRUE(QTest::qWaitFor([&] { return Log().CurrentPauseState() == PauseState::Running; }, kTransferLimitMs));
  EXPECT_EQ(login.seen(), !row.gatewayPassword.empty());
  if (row.command != Command::WriteFirmware) return;
  EXPECT_EQ(files_.lastFlashWriteFile, firmware_.path()) << "the next update proposes the same file";
  if (!row.fault) {
    ASSERT_TRUE(QTest::qWaitFor([&] { return boxes_.ShownKeys().size() >= 2; }, kFirmwareLimitMs));
    EXPECT_EQ(boxes_.ShownKeys().back(), "strFlashWriteOK");
  }
  // The ended update no longer hides the gateway's word that it has no firmware.
  QCoreApplication::processEvents();
  boxes_.Clear();
  window().deviceCommands().OnNotification(Notification::NoFirmware, 0);
  QCoreApplication::processEvents();
  EXPECT_EQ(boxes_.ShownKeys(), std::vector<std::string>{"strFlashNoFirmware"});
}

sim::Fault NotAllowed(std::uint8_t request) { return {sim::FaultKind::Reject, request, cause::NotAllowed, 1}; }

INSTANTIATE_TEST_SUITE_P(
    Endings, MonitorPauseTest,
    testing::Values(PausedRow{"FirmwareUpdated", Command::WriteFirmware, std::nullopt, ""},
                    PausedRow{"RestartWithTheLoginCancelled", Command::Restart, std::nullopt, "tusk"},
                    PausedRow{"RestartNotAllowed", Command::Restart, NotAllowed(ie::Reset), ""},
                    PausedRow{"UploadNotAllowed", Command::WriteConfiguration, NotAllowed(ie::ConfigWriteStart), ""},
                    PausedRow{"FirmwareUpdateNotAllowed", Command::WriteFirmware, NotAllowed(ie::FlashStart), ""}),
    tusko::test::RowName<PausedRow>);

}  // namespace
}  // namespace tusko::gui::test
