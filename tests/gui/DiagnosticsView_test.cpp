// The diagnostics tab over an engine on a scripted link: the pages' texts for
// the gateway's answers, the refresh cycle and the no-response window.
#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QDateTime>
#include <QImage>
#include <QLabel>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include "app/gui/DiagnosticsView.h"
#include "app/gui/GsmModulesPage.h"
#include "app/gui/SignalChart.h"
#include "app/gui/UiText.h"
#include "gui/support/GuiLanguage.h"
#include "gui/support/WidgetHands.h"
#include "protocol/InformationElements.h"
#include "support/ScriptedEngine.h"
#include "support/TestMessages.h"

namespace tusko::gui {
namespace {

using std::chrono::milliseconds;
using tusko::test::TestElement;

constexpr milliseconds kPeriod{50};

// Records what the view asks of the no-response window.
class RecordingNotice final : public NoResponseNotice {
 public:
  void Show() override {
    ++showCalls;
    shown = true;
  }
  void Close() override { shown = false; }
  bool IsShown() const override { return shown; }

  int showCalls = 0;
  bool shown = false;
};

void PutLittleEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

TestElement IsdnStatusElement(std::uint16_t line1, std::uint16_t line2) {
  std::vector<std::uint8_t> data;
  PutLittleEndian(data, line1, 2);
  PutLittleEndian(data, line2, 2);
  return {ie::IsdnStatus, data};
}

// Both units' six counters, unit 1 first.
TestElement CreditElement(std::uint8_t id, const std::array<std::uint32_t, 12>& counters) {
  std::vector<std::uint8_t> data;
  for (std::uint8_t unit = 0; unit < 2; ++unit) {
    data.push_back(unit);
    data.push_back(static_cast<std::uint8_t>(kCreditRecordSize));
    for (std::size_t i = 0; i < kCreditCounterCount; ++i) PutLittleEndian(data, counters[unit * 6 + i], 4);
  }
  return {id, data};
}

TestElement GsmStatusElement(std::uint8_t module, std::uint16_t code, std::uint8_t signal, const std::string& text) {
  std::vector<std::uint8_t> data{module};
  PutLittleEndian(data, code, 2);
  data.push_back(signal);
  data.push_back(static_cast<std::uint8_t>(text.size()));
  data.insert(data.end(), text.begin(), text.end());
  return {ie::GsmStatus, data};
}

QString Q(const std::string& text) { return ToQString(text); }

class DiagnosticsViewTest : public ::testing::Test {
 protected:
  DiagnosticsViewTest() {
    OperationsOf(gateway.engine).SetState(EngineState::Idle);
    gateway.host.onNotify = [this](const tusko::test::RecordedNotification& n) {
      if (view) view->OnData(n.code);
    };
    view = std::make_unique<DiagnosticsView>(language, gateway.engine, [this] { return gateway.host.link; }, kPeriod);
    view->SetNoResponseNotice(notice);
    view->SetClock([this] { return now; });
    view->resize(800, 600);
  }

  // The gateway's answer, as the link delivers it.
  void Answer(std::initializer_list<TestElement> elements) { gateway.Receive(tusko::test::ReplyWith(elements)); }

  QLabel& Label(const char* name) const { return test::Child<QLabel>(*view, name); }
  QString Text(const char* name) const { return Label(name).text(); }
  QString Key(std::string_view key) const { return Q(language.GetString(key)); }
  // The elements the engine sent, oldest first.
  std::vector<std::uint8_t> Sent() const { return gateway.host.SentElements(); }

  tusko::test::ScriptedEngine gateway;
  LanguageManager language = test::LoadedLanguage(1);
  RecordingNotice notice;
  std::chrono::system_clock::time_point now = std::chrono::system_clock::time_point(
      milliseconds(QDateTime(QDate(2024, 5, 17), QTime(14, 3, 7)).toMSecsSinceEpoch()));
  std::unique_ptr<DiagnosticsView> view;
};

// ---- Pages ----

// How the answers read is the diagnostics texts' matter; here each page puts
// them into the labels of their line, unit and module.
TEST_F(DiagnosticsViewTest, IsdnPagesShowEachLineAndCreditPair) {
  view->SelectNode(DiagNodeId::IsdnLines);
  Answer({IsdnStatusElement(0x0080, 0x0003)});  // line 1 lost; line 2 in layer 2 and synchronised
  const auto lit = [&](int line) {
    const auto on = [&](const char* name) { return Label((name + std::to_string(line)).c_str()).property("lit").toBool(); };
    return std::vector<bool>{on("isdnLos"), on("isdnL2"), on("isdnSdi")};
  };
  EXPECT_EQ(lit(1), (std::vector<bool>{true, false, false}));
  EXPECT_EQ(lit(2), (std::vector<bool>{false, true, true}));

  view->SelectNode(DiagNodeId::IsdnCredit);
  Answer({CreditElement(ie::IsdnCredit, {0, 125, 0, 0, 3725, 61, 59, 60, 7, 0, 0, 1})});
  EXPECT_EQ(Text("credit1_1"), "Credit 1: 0:00 / 2:05 (min:s)");
  EXPECT_EQ(Text("credit1_3"), "Credit 3: 62:05 / 1:01 (min:s)");
  EXPECT_EQ(Text("credit2_2"), "Credit 2: 0:07 / 0:00 (min:s)");
  view->SelectNode(DiagNodeId::GsmCredits);
  Answer({CreditElement(ie::GsmCredit, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4294967295u, 120})});
  EXPECT_EQ(Text("credit2_3"), "Credit 3: 71582788:15 / 2:00 (min:s)");
}

// The last data stays, marked as old, over a gateway restart until new data comes.
TEST_F(DiagnosticsViewTest, ReceptionTimeFollowsTheDataTheRestartAndTheLanguage) {
  view->SelectNode(DiagNodeId::GsmModules);
  Answer({GsmStatusElement(0, 16, 10, "")});
  EXPECT_EQ(Text("receivedAt"), "Received at 14:03:07");
  gateway.Receive(tusko::test::EventWith({{ie::FirmwareStarted, {}}}));  // the engine's stores are emptied
  view->OnGatewayRestart();
  EXPECT_EQ(Label("gsmStatus1").text(), Key("strDiagGsmStatusIdle").prepend(' ').append(' '));
  EXPECT_EQ(Text("receivedAt"), "Received at 14:03:07, before the gateway restarted");
  view->SelectNode(DiagNodeId::IsdnLines);
  EXPECT_EQ(Text("receivedAt"), Key("strDiagWaiting")) << "a kind that never came has nothing from before";

  view->SelectNode(DiagNodeId::GsmModules);
  now += std::chrono::seconds(5);
  Answer({GsmStatusElement(0, 2, 10, "")});
  EXPECT_EQ(Text("receivedAt"), "Received at 14:03:12");
  language = test::LoadedLanguage(2);
  view->Retranslate();
  view->SelectNode(DiagNodeId::GsmModules);
  EXPECT_EQ(Text("receivedAt"), "Empfangen um 14:03:12");
  EXPECT_EQ(Label("gsmStatus1").text(), Key("strDiagGsmStatusLogout").prepend(' ').append(' '));
  auto& tree = *view->findChild<QTreeWidget*>("diagnosticsTree");
  EXPECT_EQ(tree.topLevelItem(0)->text(0), Key("strDiagRoot"));
  EXPECT_EQ(tree.headerItem()->text(0), Key("strDiagSystem"));
}

TEST_F(DiagnosticsViewTest, SignalReadingsMakeOneChartPointPerRoundAndModule) {
  view->SelectNode(DiagNodeId::GsmModules);
  Answer({GsmStatusElement(0, 16, 16, "")});
  Answer({GsmStatusElement(1, 16, 99, "")});  // the second answer of the round
  now += kPeriod;
  view->RefreshTick();
  Answer({GsmStatusElement(0, 16, 20, "")});
  const auto& module1 = view->signalHistory().Readings(0);
  const auto& module2 = view->signalHistory().Readings(1);
  ASSERT_EQ(module1.size(), 2u);
  ASSERT_EQ(module2.size(), 2u);
  EXPECT_EQ(module1[0].dbm, -81);
  EXPECT_EQ(module1[1].dbm, -73);
  EXPECT_EQ(module2[0].dbm, std::nullopt);  // no signal leaves a gap
  EXPECT_EQ(module1[1].at - module1[0].at, kPeriod);

  // The chart draws the readings of its module only.
  view->show();
  const QColor line = view->palette().highlight().color();
  const auto drawsLine = [&](const char* name) {
    const QImage image = view->findChild<SignalChart*>(name)->grab().toImage();
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        if (image.pixelColor(x, y) == line) return true;
      }
    }
    return false;
  };
  EXPECT_TRUE(drawsLine("gsmChart1"));
  EXPECT_FALSE(drawsLine("gsmChart2"));
}

// A double click on a module's status asks for its information; while it is
// shown only the modules' page stops asking.
TEST_F(DiagnosticsViewTest, DoubleClickOnAModuleStatusAsksForItsInformation) {
  view->SelectNode(DiagNodeId::IsdnLines);
  view->StopModulePageRefresh();
  EXPECT_TRUE(view->RefreshRunning());
  view->SelectNode(DiagNodeId::GsmModules);
  view->show();
  gateway.host.sent.clear();
  QTest::mouseDClick(&Label("gsmStatus2"), Qt::LeftButton);
  ASSERT_EQ(Sent(), std::vector<std::uint8_t>{ie::ModuleType});
  const auto element = FindElement(gateway.host.sent.back().message, ie::ModuleType);
  EXPECT_EQ(std::vector<std::uint8_t>(element->data.begin(), element->data.end()), std::vector<std::uint8_t>{1});
  EXPECT_EQ(gateway.host.CountOf(Notification::ModuleInfoRequested), 1);
  view->StopModulePageRefresh();
  EXPECT_FALSE(view->RefreshRunning());
  view->RestartModulePageRefresh();
  EXPECT_TRUE(view->RefreshRunning());
}

// ---- Refresh ----

// Each page asks at once and on every tick, the modules' page for both
// modules; before the first answer of its kind it waits, and an empty store is no data.
TEST_F(DiagnosticsViewTest, PagesAskAtOnceAndOnEveryTickAndWaitForTheirFirstAnswer) {
  const QString waiting = Key("strDiagWaiting");
  const struct {
    DiagNodeId node;
    std::vector<std::uint8_t> elements;
    const char* label;
    QString text;
  } rows[] = {{DiagNodeId::GsmModules, {ie::GsmStatus, ie::GsmStatus}, "gsmStatus1", " " + waiting + " "},
              {DiagNodeId::GsmCredits, {ie::GsmCredit}, "credit2_1", "Credit 1: \u2013 (min:s)"},
              {DiagNodeId::IsdnLines, {ie::IsdnStatus}, "receivedAt", waiting}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.label);
    gateway.host.sent.clear();
    view->SelectNode(row.node);
    EXPECT_EQ(Text(row.label), row.text);
    EXPECT_EQ(Text("receivedAt"), waiting);
    EXPECT_TRUE(view->RefreshRunning());
    EXPECT_EQ(view->RefreshPeriod(), kPeriod);
    EXPECT_EQ(Sent(), row.elements);
    gateway.host.sent.clear();
    view->RefreshTick();
    EXPECT_EQ(Sent(), row.elements);
  }
}

TEST_F(DiagnosticsViewTest, NoResponseWindowComesWithoutDataAndGoesWithTheNext) {
  view->SelectNode(DiagNodeId::IsdnLines);
  Answer({IsdnStatusElement(0, 0)});
  view->RefreshTick();  // the first answer came in time
  EXPECT_EQ(notice.showCalls, 0);
  view->RefreshTick();  // the second did not
  EXPECT_EQ(notice.showCalls, 1);
  EXPECT_TRUE(notice.shown);
  Answer({IsdnStatusElement(0, 0)});
  EXPECT_FALSE(notice.shown);
  view->RefreshTick();
  EXPECT_EQ(notice.showCalls, 1);
  // A link still connecting skips the tick: nothing asked, no silence noticed.
  gateway.host.sent.clear();
  gateway.host.link = LinkState::Connecting;
  view->RefreshTick();
  view->RefreshTick();
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(notice.showCalls, 1);
}

TEST_F(DiagnosticsViewTest, StoppedRefreshSendsNothingButStillNoticesSilence) {
  view->SelectNode(DiagNodeId::IsdnLines);
  gateway.host.sent.clear();
  view->StopRefresh();
  EXPECT_TRUE(view->RefreshStopped());
  EXPECT_FALSE(view->RefreshRunning());
  view->RefreshTick();
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(notice.showCalls, 1);

  view->AllowRefresh();
  EXPECT_FALSE(view->RefreshRunning());  // the page stays idle
  view->SelectNode(DiagNodeId::IsdnCredit);
  EXPECT_TRUE(view->RefreshRunning());
  EXPECT_EQ(Sent(), std::vector<std::uint8_t>{ie::IsdnCredit});
}

TEST_F(DiagnosticsViewTest, TabActivationStopsAndRestartsThePage) {
  view->SelectNode(DiagNodeId::GsmCredits);
  gateway.host.sent.clear();
  view->SetActive(false);
  EXPECT_FALSE(view->RefreshRunning());
  view->SelectNode(DiagNodeId::IsdnCredit);  // made while hidden: it waits
  EXPECT_FALSE(view->RefreshRunning());
  EXPECT_TRUE(Sent().empty());
  view->SetActive(true);
  EXPECT_TRUE(view->RefreshRunning());
  EXPECT_EQ(Sent(), std::vector<std::uint8_t>{ie::IsdnCredit});
}

}  // namespace
}  // namespace tusko::gui
