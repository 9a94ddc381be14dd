#include <QCheckBox>
#include <QPushButton>
#include <QTest>

#include "app/gui/LoginDialog.h"
#include "app/gui/LogWidget.h"
#include "app/gui/MonitorPage.h"
#include "app/gui/ProgressDialog.h"
#include "gui/support/MainWindowFixture.h"
#include "gui/support/ModalDriver.h"
#include "protocol/InformationElements.h"
#include "protocol/FirmwareFile.h"
#include "support/FileText.h"
#include "support/FirmwareFiles.h"
#include "support/RowName.h"
#include "support/TempFolder.h"

namespace tusko::gui::test {
namespace {

constexpr int kLimitMs = 30000;

class MonitorPageTest : public MainWindowFixture {
 protected:
  MonitorLog& Log() { return window().monitorPage().log(); }
  std::string ViewText() { return Log().View().Text(); }
  bool WaitForText(std::string_view text, int limitMs = kLimitMs) {
    return QTest::qWaitFor([&] { return ViewText().find(text) != std::string::npos; }, limitMs);
  }
  std::string Saved() {
    const tusko::test::TempFolder folder;
    EXPECT_FALSE(Log().Save(folder / "monitor-saved.txt"));
    return tusko::test::ReadFileText(folder / "monitor-saved.txt");
  }
  void StartMonitoring() {
    window().Execute(static_cast<int>(Command::ToggleMonitor));
    window().tabs().Select(TabPageId::Monitor);
    // Two categories of trace, chosen before the start.
    window().findChild<QCheckBox*>("category1")->setChecked(true);
    window().findChild<QCheckBox*>("category2")->setChecked(true);
    QTest::mouseClick(window().findChild<QPushButton*>("startButton"), Qt::LeftButton);
    ASSERT_TRUE(WaitForText("SYSTEM MONITORING STARTED"));
    // Commands wait until the gateway has answered the start.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window().busy(); }, kLimitMs));
  }
};

// A lost gateway and its recovery are the monitor log's own tests.
TEST_F(MonitorPageTest, AFirmwareUpdatePausesTheMonitorAndTheMarkersStayOutOfTheFile) {
  OpenWindow();
  StartMonitoring();
  tusko::test::TempFile firmware(tusko::test::FirmwareFileBytes(
      {{kSectionTypeApplication, 0x10000, tusko::test::FirmwareData(2048, "Ombrel Gsm_PW RQX904 1.2.6")}}));
  fileDialogs_.Answer(FileAnswer{firmware.path(), 1});
  window().Execute(static_cast<int>(Command::WriteFirmware));
  ASSERT_TRUE(QTest::qWaitFor([&] { return boxes_.ShownKeys().size() >= 2; }, 90000));
  EXPECT_EQ(boxes_.ShownKeys().back(), "strFlashWriteOK");
  EXPECT_EQ(files_.lastFlashWriteFile, firmware.path()) << "the next update proposes the same file";
  ASSERT_TRUE(WaitForText("SYSTEM MONITORING RESUMED", 60000));
  EXPECT_NE(ViewText().find("SYSTEM MONITORING TEMPORARY STOPPED"), std::string::npos);
  const std::string saved = Saved();
  EXPECT_EQ(saved.find("TEMPORARY STOPPED"), std::string::npos);
  EXPECT_EQ(saved.find("RESUMED"), std::string::npos);
  EXPECT_NE(saved.find("SYSTEM MONITORING STARTED"), std::string::npos);
}

// A command that rests the monitor and the way it ends short of its goal.
struct PausedEndingRow {
  std::string name;
  Command command;
  std::optional<sim::Fault> fault;
  std::string gatewayPassword;  // the login the window is asked for, which the user cancels
};

class PausedEndingTest : public MonitorPageTest, public testing::WithParamInterface<PausedEndingRow> {};

TEST_P(PausedEndingTest, ResumesTheMonitor) {
  const PausedEndingRow& row = GetParam();
  OpenWindow();
  StartMonitoring();
  simulator().Run([&](sim::GatewayModel& gateway) {
    if (row.fault) gateway.InjectFault(*row.fault);
    gateway.Identity().password = row.gatewayPassword;
  });
  tusko::test::TempFile firmware(tusko::test::FirmwareFileBytes(
      {{kSectionTypeApplication, 0x10000, tusko::test::FirmwareData(2048, "Ombrel Gsm_PW RQX904 1.2.6")}}));
  fileDialogs_.Answer(FileAnswer{firmware.path(), 1});
  ModalDriver<LoginDialog> login([](LoginDialog& dialog) { dialog.reject(); });
  if (row.command == Command::WriteConfiguration) window().Execute(static_cast<int>(Command::FileNew));

  window().Execute(static_cast<int>(row.command));
  ASSERT_TRUE(WaitForText("SYSTEM MONITORING TEMPORARY STOPPED"));
  ASSERT_TRUE(WaitForText("SYSTEM MONITORING RESUMED")) << ViewText();
  EXPECT_TRUE(QTest::qWaitFor([&] { return Log().CurrentPauseState() == PauseState::Running; }, kLimitMs));
  EXPECT_EQ(login.seen(), !row.gatewayPassword.empty());
  if (row.command == Command::WriteFirmware) {
    // The ended update no longer hides the gateway's word that it has no firmware.
    QCoreApplication::processEvents();
    boxes_.Clear();
    window().deviceCommands().OnNotification(Notification::NoFirmware, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(boxes_.ShownKeys(), std::vector<std::string>{"strFlashNoFirmware"});
  }
}

sim::Fault NotAllowed(std::uint8_t request) { return {sim::FaultKind::Reject, request, cause::NotAllowed, 1}; }

INSTANTIATE_TEST_SUITE_P(
    Endings, PausedEndingTest,
    testing::Values(PausedEndingRow{"RestartWithTheLoginCancelled", Command::Restart, std::nullopt, "tusk"},
                    PausedEndingRow{"RestartNotAllowed", Command::Restart, NotAllowed(ie::Reset), ""},
                    PausedEndingRow{"UploadNotAllowed", Command::WriteConfiguration, NotAllowed(ie::ConfigWriteStart), ""},
                    PausedEndingRow{"FirmwareUpdateNotAllowed", Command::WriteFirmware, NotAllowed(ie::FlashStart), ""}),
    tusko::test::RowName<PausedEndingRow>);

}  // namespace
}  // namespace tusko::gui::test
