// Takes the screenshots of docs/screenshots: the main window talking to the
// gateway simulator, its communication log, and every dialog, each drawn by
// the real widgets on the display it runs on (Xvfb in scripts/screenshots.sh).

#include <filesystem>
#include <functional>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include "app/gui/AboutDialog.h"
#include "app/gui/ChoiceDialog.h"
#include "app/gui/CommunicationDialog.h"
#include "app/gui/ConfigurationView.h"
#include "app/gui/DateTimeDialog.h"
#include "app/gui/DiagnosticsPages.h"
#include "app/gui/DiagnosticsView.h"
#include "app/gui/FileDialogs.h"
#include "app/gui/FindDialog.h"
#include "app/gui/InfoRowsDialog.h"
#include "app/gui/LanguageDialog.h"
#include "app/gui/LoginDialog.h"
#include "app/gui/MainWindow.h"
#include "app/gui/MessageService.h"
#include "app/gui/MonitorPage.h"
#include "app/gui/NotifyDialog.h"
#include "app/gui/PasswordDialog.h"
#include "app/gui/ProgressDialog.h"
#include "app/gui/RoutingItemDialog.h"
#include "app/gui/TabPages.h"
#include "app/gui/WriteChangesDialog.h"
#include "app/language/LanguageManager.h"
#include "app/settings/FileSettings.h"
#include "app/settings/MemorySettingsStore.h"
#include "app/settings/RecentFiles.h"
#include "app/settings/WindowStateSettings.h"
#include "config/FieldValues.h"
#include "config/LcrRoutingPage.h"
#include "sim/SampleConfiguration.h"
#include "support/SimulatorThread.h"

namespace {

using namespace tusko;
using namespace tusko::gui;

constexpr int kSettleMs = 300;
constexpr int kLinkWaitMs = 10000;
constexpr QSize kMainWindowSize{1000, 640};
constexpr int kLookPeriodMs = 20;

// Message boxes do not belong in a screenshot run: every question is answered No.
class NoBoxes final : public MessagePresenter {
 public:
  int Present(QWidget*, const MessageRequest&) override { return kResultNo; }
};

bool Save(QWidget& widget, const std::filesystem::path& folder, const char* name) {
  widget.show();
  widget.raise();
  QTest::qWait(kSettleMs);
  const auto file = folder / (std::string(name) + ".png");
  const bool saved = widget.grab().save(QString::fromStdString(file.string()));
  std::cout << (saved ? "wrote " : "could not write ") << file.string() << "\n";
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc < 3) {
    std::cerr << "usage: tusko_screenshots RESOURCES_DIR OUTPUT_DIR\n";
    return 2;
  }
  const std::filesystem::path resources = argv[1];
  const std::filesystem::path folder = argv[2];
  std::filesystem::create_directories(folder);

  LanguageManager language(resources);
  if (language.LoadLanguage(1) != LanguageLoadResult::Loaded) {
    std::cerr << language.LoadErrorMessage() << "\n";
    return 1;
  }
  NoBoxes boxes;
  MessageService messages(language, boxes);
  test::SimulatorThread simulator(test::Transport::Tcp);
  if (!simulator.Ready()) {
    std::cerr << simulator.Error() << "\n";
    return 1;
  }

  MemorySettingsStore store;
  ProgramSettings settings;
  settings.comMode = 1;
  settings.tcpAddress = "127.0.0.1";
  settings.tcpPort = simulator.Port();
  settings.communicationLog = 1;
  FileSettings files("/tmp");
  WindowStateSettings windowState;
  RecentFiles recentFiles;
  QtFileDialogPresenter fileDialogs(language);
  DesktopContext context{store, settings, files, windowState, recentFiles, language, messages, fileDialogs};

  MainWindow window(context);
  window.resize(kMainWindowSize);
  window.show();
  window.Execute(static_cast<int>(Command::Connect));
  if (!QTest::qWaitFor([&] { return window.host().link().GetLinkState() == LinkState::Open; }, kLinkWaitMs)) {
    std::cerr << "the simulator did not answer\n";
    return 1;
  }
  bool ok = Save(window, folder, "main-window");

  // A new configuration with each page of the system and ISDN sections open,
  // the ISDN lines on the first link's tab.
  window.Execute(static_cast<int>(Command::FileNew));
  window.configuration().document().RememberTab(TabbedPage::IsdnLines, 1);
  const std::vector<std::pair<PageId, const char*>> pages = {
      {PageId::SystemGeneral, "configuration-general"},  {PageId::SystemNetwork, "configuration-network"},
      {PageId::SystemAlarmIndication, "configuration-alarm"}, {PageId::SystemCdr, "configuration-cdr"},
      {PageId::SystemSms, "configuration-sms"},          {PageId::SystemHttp, "configuration-http"},
      {PageId::SystemCredit, "configuration-credit"},    {PageId::IsdnCommon, "configuration-isdn-common"},
      {PageId::IsdnLines, "configuration-isdn-lines"},
  };
  for (const auto& [page, name] : pages) {
    window.configuration().SelectNode(page);
    ok = Save(window, folder, name) && ok;
  }

  // The GSM and LCR pages on the simulator's sample configuration, and the
  // routing item dialog on the default profile's first rule.
  ConfigurationDocument& document = window.configuration().document();
  document.ShowReceived(sim::MakeSampleConfiguration());
  const std::vector<std::pair<PageId, const char*>> samplePages = {
      {PageId::GsmModules, "configuration-gsm-modules"},
      {PageId::GsmIncomingGroup, "configuration-gsm-incoming-group"},
      {PageId::GsmOutgoingGroup, "configuration-gsm-outgoing-group"},
      {PageId::GsmCellSelect, "configuration-cell-selection"},
      {PageId::LcrClipTab, "configuration-lcr-clip"},
      {PageId::LcrRoutingTab, "configuration-lcr-routing"},
  };
  for (const auto& [page, name] : samplePages) {
    window.configuration().SelectNode(page);
    ok = Save(window, folder, name) && ok;
  }
  if (const auto* routing = dynamic_cast<const LcrRoutingPage*>(document.CurrentPage())) {
    RoutingItemDialog item({language, messages, document}, routing->Rules(0).front(), {},
                           [](const RoutingRecord&) { return PageApply::Success(); }, &window);
    ok = Save(item, folder, "routing-item-dialog") && ok;
  }

  // The CLIP from GSM and mobility extension pages on the sample configuration,
  // the working hours with two holidays added.
  for (const auto& [page, name] : {std::pair{PageId::ClipGsmNumbers, "configuration-clip-from-gsm"},
                                   {PageId::MobilityExtensionNumbers, "configuration-mobility"}}) {
    window.configuration().SelectNode(page);
    ok = Save(window, folder, name) && ok;
  }
  window.configuration().SelectNode(PageId::MobilityExtensionWorkingHours);
  for (const QDate& holiday : {QDate(2026, 1, 1), QDate(2026, 12, 24)}) {
    window.findChild<QDateEdit*>("holiday")->setDate(holiday);
    window.findChild<QPushButton*>("holidays/add")->click();
  }
  ok = Save(window, folder, "configuration-working-hours") && ok;

  // The System information command, its report taken when it comes up.
  bool reported = false;
  QTimer look;
  QObject::connect(&look, &QTimer::timeout, [&] {
    auto* report = qobject_cast<InfoRowsDialog*>(QApplication::activeModalWidget());
    if (report == nullptr) return;
    look.stop();
    reported = Save(*report, folder, "system-information-dialog");
    report->accept();
  });
  look.start(kLookPeriodMs);
  window.Execute(static_cast<int>(Command::SystemInformation));
  ok = QTest::qWaitFor([&] { return reported; }, kLinkWaitMs) && ok;

  // Some traffic for the communication log: the gateway's system information.
  window.Execute(static_cast<int>(Command::ToggleCommunication));
  window.engine().CheckSystemInfo();
  ok = QTest::qWaitFor([&] { return !window.busy(); }, kLinkWaitMs) && ok;
  window.tabs().Select(TabPageId::Communication);
  ok = Save(window, folder, "communication-log") && ok;

  // The Monitor tab with the trace of two categories running.
  window.Execute(static_cast<int>(Command::ToggleMonitor));
  window.tabs().Select(TabPageId::Monitor);
  MonitorLog& monitor = window.monitorPage().log();
  window.findChild<QCheckBox*>("category1")->setChecked(true);
  window.findChild<QCheckBox*>("category2")->setChecked(true);
  window.findChild<QCheckBox*>("category16")->setChecked(true);  // its text has umlauts
  monitor.Start();
  ok = QTest::qWaitFor([&] { return monitor.View().LineCount() > 12; }, kLinkWaitMs) && ok;
  ok = Save(window, folder, "monitor-tab") && ok;
  monitor.Stop();
  ok = QTest::qWaitFor([&] { return !monitor.IsActive(); }, kLinkWaitMs) && ok;

  // The Diagnostics tab on the GSM modules page after a few readings.
  window.tabs().Select(TabPageId::Diagnostics);
  auto& diagnostics = *window.findChild<DiagnosticsView*>();
  diagnostics.SelectNode(DiagNodeId::GsmModules);
  for (int round = 0; round < 6; ++round) {
    diagnostics.RefreshTick();
    QTest::qWait(kSettleMs);
  }
  ok = Save(window, folder, "diagnostics-tab") && ok;
  // As a gateway restart leaves it until new data comes.
  diagnostics.OnGatewayRestart();
  ok = Save(window, folder, "diagnostics-after-restart") && ok;

  const std::vector<SerialPortEntry> ports = {{"/dev/ttyACM0", "Stellaris USB serial port", true},
                                              {"/dev/ttyS0", "", false}};
  const LinkChoice link{1, "/dev/ttyACM0", "127.0.0.1", 1002};
  CommunicationDialog communication(language, link, ports, &window);
  ok = Save(communication, folder, "communication-dialog") && ok;
  LoginDialog login(language, &window);
  ok = Save(login, folder, "login-dialog") && ok;
  PasswordDialog password(language, messages, [](const std::string&, const std::string&) { return false; }, &window);
  ok = Save(password, folder, "password-dialog") && ok;
  LanguageDialog languages(language, 1, &window);
  ok = Save(languages, folder, "language-dialog") && ok;
  const DateTimeRecord time{2026, 12, 0, 6, 14, 30, 5, 0};
  DateTimeDialog clock(language, time, LastSyncRecord{1, 5, 12, 2026}, &window);
  ok = Save(clock, folder, "date-time-dialog") && ok;
  AnnouncementTypeDialog announcement(language, 0, &window);
  ok = Save(announcement, folder, "announcement-type-dialog") && ok;
  ModuleSelectDialog module(language, language.GetString("strGsmModuleReset"), 0, &window);
  ok = Save(module, folder, "module-select-dialog") && ok;
  AboutDialog about(language, &window);
  ok = Save(about, folder, "about-dialog") && ok;
  ProgressDialog progress(language, messages, ProgressKind::DataDownload, [] {}, &window);
  progress.SetPosition(42);
  ok = Save(progress, folder, "progress-dialog") && ok;
  NotifyDialog notice(language, "strNotifyRestart", &window);
  ok = Save(notice, folder, "notify-dialog") && ok;
  FindDialog find(language, "ConfigReadData", false, false, &window);
  ok = Save(find, folder, "find-dialog") && ok;
  // Write configuration's question once the gateway's configuration was read:
  // the sample configuration with three fields edited.
  const ConfigurationImage onGateway = sim::MakeSampleConfiguration();
  ConfigurationImage edited = onGateway;
  catalog::WriteField(edited, catalog::FindField("general.name"), {.text = "Lab gateway"});
  catalog::WriteField(edited, catalog::FindField("network.port"), {.number = 2345});
  catalog::WriteField(edited, catalog::FindField("general.mobilityExtension"), {.number = 2});
  const TextLookup text = [&language](std::string_view key) { return language.GetString(key); };
  WriteChangesDialog changes(language, WriteChanges(onGateway, edited, text), true, &window);
  ok = Save(changes, folder, "write-changes-dialog") && ok;
  return ok ? 0 : 1;
}
