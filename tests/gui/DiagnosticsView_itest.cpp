// The diagnostics tab of the real main window polling the gateway simulator
// over loopback TCP: the no-response window of a silent gateway.
#include <QMessageBox>
#include <QTest>

#include "app/gui/DiagnosticsView.h"
#include "gui/support/MainWindowFixture.h"
#include "protocol/InformationElements.h"

namespace tusko::gui::test {
namespace {

constexpr int kLimitMs = 20000;
constexpr std::uint32_t kRefreshMs = 200;

class DiagnosticsViewTest : public MainWindowFixture {
 protected:
  QMessageBox* NoResponseWindow() {
    for (auto* box : window().findChildren<QMessageBox*>()) {
      if (box->isVisible()) return box;
    }
    return nullptr;
  }
};

TEST_F(DiagnosticsViewTest, TheNoResponseWindowComesWhileTheGatewayIsSilentAndGoesWithItsAnswer) {
  settings_.diagnosticsRefresh = kRefreshMs;
  OpenWindow().OpenLinkQuietly();
  ASSERT_TRUE(WaitForLinkState(LinkState::Open, kLimitMs));
  window().tabs().Select(TabPageId::Diagnostics);
  window().diagnostics().SelectNode(DiagNodeId::IsdnLines);
  ASSERT_TRUE(window().diagnostics().RefreshRunning());
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
  EXPECT_FALSE(window().diagnostics().RefreshStopped());
}

}  // namespace
}  // namespace tusko::gui::test
