// The diagnostics tab of the real main window polling the gateway simulator
// over loopback TCP.
#include <chrono>

#include <QLabel>
#include <QMessageBox>
#include <QTest>

#include "app/gui/DiagnosticsView.h"
#include "gui/support/MainWindowFixture.h"
#include "protocol/InformationElements.h"

namespace tusko::gui::test {
namespace {

using namespace std::chrono_literals;

constexpr int kLimitMs = 20000;
constexpr std::uint32_t kRefreshMs = 200;

QString Q(const std::string& text) { return QString::fromStdString(text); }

class DiagnosticsViewTest : public MainWindowFixture {
 protected:
  DiagnosticsView& View() { return window().diagnostics(); }

  // Connected, with the Diagnostics tab showing `node` and its first data.
  void ShowNode(DiagNodeId node) {
    settings_.diagnosticsRefresh = kRefreshMs;
    OpenWindow().OpenLinkQuietly();
    ASSERT_TRUE(WaitForLinkState(LinkState::Open, kLimitMs));
    window().tabs().Select(TabPageId::Diagnostics);
    View().SelectNode(node);
    ASSERT_TRUE(View().RefreshRunning());
    ASSERT_TRUE(WaitForChange("receivedAt", Q(Text("strDiagWaiting"))));  // the first data has come
  }
  QString Label(const char* name) {
    const auto* label = View().CurrentPage()->findChild<QLabel*>(name);
    return label ? label->text() : QString();
  }
  // Waits until the label shows something other than `before` (and not nothing).
  bool WaitForChange(const char* name, const QString& before) {
    return QTest::qWaitFor([&] { return !Label(name).isEmpty() && Label(name) != before; }, kLimitMs);
  }
  // The gateway's time runs on by `elapsed` at once.
  void GatewayRunsFor(std::chrono::milliseconds elapsed) {
    simulator().Run([elapsed](sim::GatewayModel& gateway) { gateway.Advance(elapsed); });
  }
  QMessageBox* NoResponseWindow() {
    for (auto* box : window().findChildren<QMessageBox*>()) {
      if (box->isVisible()) return box;
    }
    return nullptr;
  }
};

TEST_F(DiagnosticsViewTest, TheModulesPageFollowsTheGatewaysCallsAndSignal) {
  ShowNode(DiagNodeId::GsmModules);
  const QString idle = Label("gsmStatus1");
  const QString received = Label("receivedAt");

  // Module 1 dials half a minute into each of its periods.
  GatewayRunsFor(31s);
  EXPECT_TRUE(idle.contains(Q(Text("strDiagGsmStatusIdle")))) << idle.toStdString();
  ASSERT_TRUE(WaitForChange("gsmStatus1", idle)) << idle.toStdString();
  EXPECT_TRUE(Label("gsmStatus1").contains(Q(Text("strDiagGsmStatusOutCall")))) << Label("gsmStatus1").toStdString();
  EXPECT_TRUE(WaitForChange("receivedAt", received));
  // Each poll adds a reading per module to the chart's history.
  EXPECT_TRUE(QTest::qWaitFor([&] { return View().signalHistory().Readings(0).size() >= 3; }, kLimitMs));
}

TEST_F(DiagnosticsViewTest, TheNoResponseWindowComesWhileTheGatewayIsSilentAndGoesWithItsAnswer) {
  ShowNode(DiagNodeId::IsdnLines);
  // Enough lost requests for a whole refresh period without an answer.
  simulator().Run([](sim::GatewayModel& gateway) {
    gateway.InjectFault({sim::FaultKind::DropReply, ie::IsdnStatus, 0, 4});
  });
  ASSERT_TRUE(QTest::qWaitFor([&] { return NoResponseWindow() != nullptr; }, kLimitMs));
  EXPECT_EQ(NoResponseWindow()->text().toStdString(), Text("strDiagErrorNoResponse"));
  EXPECT_EQ(NoResponseWindow()->windowTitle().toStdString(), language_.GetCaptionString("strError"));
  EXPECT_EQ(NoResponseWindow()->icon(), QMessageBox::Warning);
  EXPECT_FALSE(NoResponseWindow()->isModal()) << "polling goes on behind it";
  EXPECT_EQ(window().findChildren<QMessageBox*>().size(), 1) << "one window however many polls go unanswered";
  // The gateway answers again: the window goes by itself.
  EXPECT_TRUE(QTest::qWaitFor([&] { return NoResponseWindow() == nullptr; }, kLimitMs));
  EXPECT_FALSE(View().RefreshStopped());
}

}  // namespace
}  // namespace tusko::gui::test
