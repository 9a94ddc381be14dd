#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include "app/gui/ConfigurationView.h"
#include "app/gui/DateTimeDialog.h"
#include "app/gui/NotifyDialog.h"
#include "app/gui/PasswordDialog.h"
#include "app/gui/ProgressDialog.h"
#include "config/ImageLayout.h"
#include "gui/support/MainWindowFixture.h"
#include "gui/support/ModalDriver.h"
#include "gui/support/WidgetHands.h"
#include "protocol/FirmwareFile.h"
#include "protocol/InformationElements.h"
#include "protocol/engine/OperationEngine.h"
#include "support/FirmwareFiles.h"
#include "support/FileText.h"
#include "support/TempFolder.h"

namespace tusko::gui::test {
namespace {

constexpr int kTransferLimitMs = 60000;
constexpr int kFirmwareLimitMs = 90000;

class DeviceCommandsTest : public MainWindowFixture {
 protected:
  void Run(Command command) { window().Execute(static_cast<int>(command)); }
  // A notification as the engine delivers it, and what the event loop then does for it.
  void Notify(Notification code, OperationResult result) {
    window().deviceCommands().OnNotification(code, static_cast<int>(result));
    QCoreApplication::processEvents();
  }
  ConfigurationDocument& Document() { return window().configuration().document(); }
  bool WaitForIdle(int limitMs) {
    return QTest::qWaitFor([&] { return !window().busy() && QApplication::activeModalWidget() == nullptr; }, limitMs);
  }
  // A firmware file of one application section, with or without its version text.
  std::vector<std::uint8_t> Firmware(std::string_view version, std::size_t length = 2048) {
    return tusko::test::FirmwareFileBytes({{kSectionTypeApplication, 0x10000, tusko::test::FirmwareData(length, version)}});
  }
};

TEST_F(DeviceCommandsTest, WriteConfigurationSendsTheEditedNetworkPage) {
  OpenWindow();
  Run(Command::FileNew);
  window().configuration().SelectNode(PageId::SystemNetwork);
  auto* port = window().findChild<QSpinBox*>("network.port");
  ASSERT_NE(port, nullptr);
  port->setValue(2345);

  QString noticeText;
  ModalDriver<NotifyDialog> notice([&](NotifyDialog& dialog) {
    noticeText = dialog.findChild<QLabel*>("noticeText")->text();
  });
  Run(Command::WriteConfiguration);
  ASSERT_TRUE(QTest::qWaitFor([&] { return boxes_.ShownKeys().size() == 2; }, kTransferLimitMs));
  ASSERT_TRUE(WaitForIdle(kTransferLimitMs));
  const auto stored = simulator().Run([](sim::GatewayModel& gateway) { return gateway.Configuration().Stored(); });
  const std::string portDigits = stored.Text(63, 5);
  EXPECT_EQ(portDigits, "02345");
  EXPECT_EQ(noticeText.toStdString(), Text("strDataWrittenRestarting")) << "the restart that takes it over is announced";
  EXPECT_EQ(boxes_.ShownKeys(), (std::vector<std::string>{"strDataUploadConfirm", "strDataWrittenRunning"}))
      << "no error after the upload, and word once the gateway runs again";
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
  tusko::test::TempFile file(Firmware("Ombrel Gsm_PW RQX904 1.2.6", 128 * 1024));
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
  EXPECT_EQ(simulator().Run([](sim::GatewayModel& gateway) { return gateway.Phase(); }), sim::GatewayPhase::Firmware)
      << "the loader was asked to start the firmware";
}

TEST_F(DeviceCommandsTest, CdrDownloadSaysWhatItSavedAndEmptiesNoFileForNothing) {
  struct Row {
    const char* name;
    int records;
    const char* key;
    bool fileKept;
    std::string existing;  // the chosen file's text before the download; empty: no file
  };
  const Row rows[] = {
      {"records_counted", 3, "strCdrSaved", true, ""},
      {"none_new_leaves_no_header_only_file", 0, "strCdrNoNewRecords", false, ""},
      {"none_new_keeps_the_records_of_an_earlier_download", 0, "strCdrNoNewRecords", true, "earlier;records\r\n"},
  };
  settings_.cdrHeader = 1;
  OpenWindow();
  const tusko::test::TempFolder folder;
  for (const Row& row : rows) {
    boxes_.Clear();
    simulator().Run([&row](sim::GatewayModel& gateway) { gateway.CdrStore().Fill(row.records, 0); });
    const auto path = folder / (std::string(row.name) + ".csv");
    if (!row.existing.empty()) tusko::test::WriteFileText(path, row.existing);
    fileDialogs_.Answer(FileAnswer{path, 1});
    Run(Command::DownloadCdr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes_.shown().empty(); }, kTransferLimitMs)) << row.name;
    ASSERT_TRUE(WaitForIdle(kTransferLimitMs)) << row.name;
    EXPECT_EQ(boxes_.ShownKeys(), std::vector<std::string>{row.key}) << row.name;
    EXPECT_EQ(std::filesystem::exists(path), row.fileKept) << row.name;
    if (!row.existing.empty()) {
      EXPECT_EQ(tusko::test::ReadFileText(path), row.existing) << row.name;
    } else if (row.fileKept) {
      const std::string told = boxes_.shown()[0].message.text;
      EXPECT_TRUE(told.starts_with(std::to_string(row.records) + " ") && told.find(path.string()) != std::string::npos)
          << row.name << ": " << told;
      const std::string text = tusko::test::ReadFileText(path);
      EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), row.records + 1) << row.name << ": header and records";
    }
  }
  EXPECT_EQ(fileDialogs_.asked()[0].proposedName.substr(0, 3), "CDR");
}

TEST_F(DeviceCommandsTest, AFailedOpenKeepsTheEditedDocument) {
  OpenWindow();
  Run(Command::FileNew);
  window().configuration().SelectNode(PageId::SystemNetwork);
  window().findChild<QSpinBox*>("network.port")->setValue(1003);
  window().configuration().SelectNode(PageId::SystemGeneral);
  const ConfigurationImage edited = Document().CommittedImage();
  const QString title = window().windowTitle();

  const tusko::test::TempFolder folder;
  const auto bad = folder / "not-a-configuration.cfg";
  tusko::test::WriteFileText(bad, "not a configuration");
  boxes_.Answer(kResultNo);  // the save question: discard the edit
  fileDialogs_.Answer(FileAnswer{bad, 1});
  Run(Command::FileOpen);
  EXPECT_EQ(boxes_.ShownKeys(), (std::vector<std::string>{"strDataSaveQuestion", "strDataOpenError"}));
  EXPECT_EQ(Document().CommittedImage(), edited);
  EXPECT_TRUE(Document().Modified());
  EXPECT_EQ(window().windowTitle(), title);
  EXPECT_EQ(files_.browsePathData, bad.parent_path().string()) << "where the user looked is kept";
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
struct EndingRow {
  std::string name;
  Notification code;
  OperationResult result;
  std::vector<std::string> keys;
};

TEST_F(DeviceCommandsTest, OnlyARefusalShowsTheGatewaysReason) {
  constexpr std::uint8_t kCause = 0x81;
  simulator().Run([](sim::GatewayModel& gateway) {
    gateway.InjectFault({sim::FaultKind::Reject, ie::DateTime, kCause, kMaxTries});
  });
  OpenWindow();
  Run(Command::DateTime);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes_.shown().empty(); }, kTransferLimitMs));
  const std::vector<EndingRow> rows{
      {"ClockReadRefused", Notification::GetTimeResult, OperationResult::Rejected, {"strErrorResponse"}},
      {"FirmwareCancelled", Notification::FirmwareResult, OperationResult::Cancelled, {"strCancelledFirmwareRuns"}},
      {"ModuleInfoUnanswered", Notification::ModuleInfoResult, OperationResult::NoAnswer, {"strErrorNoResponse"}},
      {"ModuleInfoShownInItsDialog", Notification::ModuleInfoResult, OperationResult::Done, {}},
  };
  for (const EndingRow& row : rows) {
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

TEST_F(DeviceCommandsTest, TheComputersTimeSetOnTheGatewaySaysSo) {
  OpenWindow();
  ModalDriver<DateTimeDialog> clock([](DateTimeDialog& dialog) { Click(dialog, "synchronizeButton"); });
  Run(Command::DateTime);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes_.shown().empty(); }, kTransferLimitMs));
  EXPECT_TRUE(clock.seen());
  EXPECT_EQ(boxes_.ShownKeys(), std::vector<std::string>{"strDateTimeSynchronized"});
  EXPECT_EQ(boxes_.shown()[0].captionKey, "strFinish");
}

TEST_F(DeviceCommandsTest, APasswordChangeTheGatewayDoesNotAllowSaysSo) {
  OpenWindow();
  ModalDriver<PasswordDialog> change([&](PasswordDialog& dialog) {
    Notify(Notification::NotAllowed, OperationResult{});
    EXPECT_EQ(boxes_.ShownKeys(), std::vector<std::string>{"strErrorNotAllowed"});
    EXPECT_TRUE(dialog.isVisible()) << "open for another try";
    static_cast<QDialog&>(dialog).reject();
  });
  Run(Command::ChangePassword);
  EXPECT_TRUE(change.seen());
}

}  // namespace
}  // namespace tusko::gui::test
