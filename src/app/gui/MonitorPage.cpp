#include "app/gui/MonitorPage.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/gui/LogWidget.h"
#include "app/gui/MessageService.h"
#include "app/gui/UiText.h"
#include "app/language/LanguageManager.h"
#include "app/session/LayerSettings.h"

namespace tusko::gui {

namespace {

constexpr int kCategoryColumns = 4;

}  // namespace

MonitorPage::MonitorPage(const LanguageManager& language, MessageService& messages, OperationEngine& engine,
                         const ProgramSettings& settings, const std::filesystem::path& tempFolder,
                         std::function<void()> saveLog, QWidget* parent)
    : QWidget(parent),
      language_(language),
      messages_(messages),
      saveLog_(std::move(saveLog)),
      requests_(engine),
      start_(new QPushButton("strStart")),
      stop_(new QPushButton("strStop")),
      command_(new QLineEdit),
      execute_(new QPushButton("strExecute")) {
  keepAlive_.setSingleShot(true);
  answer_.setSingleShot(true);
  log_ = std::make_unique<MonitorLog>(requests_, static_cast<MonitorLogHost&>(*this), MonitorLogSettingsFrom(settings),
                                      tempFolder);
  connect(&keepAlive_, &QTimer::timeout, this, [this] { log_->OnTimer(MonitorTimer::KeepAlive); });
  connect(&answer_, &QTimer::timeout, this, [this] { log_->OnTimer(MonitorTimer::Answer); });

  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  for (std::size_t i = 0; i < categories_.size(); ++i) {
    categories_[i] = new QCheckBox(this);
    categories_[i]->setObjectName(QStringLiteral("category%1").arg(i + 1));
    grid->addWidget(categories_[i], static_cast<int>(i) / kCategoryColumns, static_cast<int>(i) % kCategoryColumns);
    connect(categories_[i], &QCheckBox::toggled, this, [this, i](bool checked) { log_->SetCategory(i, checked); });
  }
  layout->addLayout(grid);
  auto* row = new QHBoxLayout;
  start_->setObjectName("startButton");
  stop_->setObjectName("stopButton");
  command_->setObjectName("commandLine");
  command_->setMaxLength(static_cast<int>(kMonitorCommandEditLength));
  execute_->setObjectName("executeButton");
  row->addWidget(start_);
  row->addWidget(stop_);
  row->addWidget(command_, 1);
  row->addWidget(execute_);
  layout->addLayout(row);
  view_ = new LogWidget(log_->View(), this);
  view_->setObjectName("monitorLog");
  layout->addWidget(view_, 1);

  connect(start_, &QPushButton::clicked, this, [this] { log_->Start(); UpdateControls(); });
  connect(stop_, &QPushButton::clicked, this, [this] { log_->Stop(); UpdateControls(); });
  connect(execute_, &QPushButton::clicked, this, [this] { log_->Execute(); });
  connect(command_, &QLineEdit::returnPressed, this, [this] { log_->Execute(); });
  connect(command_, &QLineEdit::textEdited, this, [this](const QString& text) {
    log_->SetCommandLine(ToStdString(text));
    UpdateControls();
  });
  log_->SetChangeObserver([this] { UpdateControls(); });
  TranslateWindow(*this, language);
  Retranslate();
}

MonitorPage::~MonitorPage() {
  keepAlive_.stop();
  answer_.stop();
  delete view_;  // the view follows the log's view model, which goes with the log
  view_ = nullptr;
}

void MonitorPage::Retranslate() {
  log_->Retranslate([this](std::string_view key) { return language_.GetString(key); });
  const MonitorCategories& categories = log_->Categories();
  for (std::size_t i = 0; i < categories_.size(); ++i) {
    // A category without a text in the language is not offered.
    categories_[i]->setVisible(categories.IsOffered(i));
    categories_[i]->setText(ToQString(categories.Label(i)));
    const QSignalBlocker quiet(categories_[i]);
    categories_[i]->setChecked(categories.IsChecked(i));
  }
  RetranslateWindow(*this, language_);
  UpdateControls();
}

void MonitorPage::UpdateControls() {
  start_->setEnabled(log_->CanStart());
  stop_->setEnabled(log_->CanStop());
  command_->setEnabled(log_->CanEditCommand());
  if (ToStdString(command_->text()) != log_->CommandLine()) command_->setText(ToQString(log_->CommandLine()));
  execute_->setEnabled(log_->CanExecute());
}

void MonitorPage::ArmTimer(MonitorTimer timer, std::chrono::milliseconds delay) { TimerFor(timer).start(delay); }

void MonitorPage::StopTimer(MonitorTimer timer) { TimerFor(timer).stop(); }

void MonitorPage::AskToSaveLog() {
  // The stop is reported from inside the engine's reply handling: ask afterwards.
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (messages_.Show("strMonitorSaveLogRequest", "strMonitor", kStyleQuestion) == kResultYes && saveLog_) {
          saveLog_();
        }
      },
      Qt::QueuedConnection);
}

}  // namespace tusko::gui
