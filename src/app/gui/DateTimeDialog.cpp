#include "app/gui/DateTimeDialog.h"

#include <chrono>
#include <utility>

#include <QDateEdit>
#include <QDateTime>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTimeEdit>
#include <QTimer>
#include <QVBoxLayout>

#include "app/gui/UiText.h"
#include "app/language/LanguageManager.h"

namespace tusko::gui {

namespace {

// The gateway keeps two-digit years: its clock runs from 2000 to 2099.
const QDate kFirstDate(2000, 1, 1);
const QDate kLastDate(2099, 12, 31);
constexpr std::size_t kMaxLabelTextChars = 259;
constexpr int kDaysPerWeek = 7;
constexpr const char* kTimeFormat = "HH:mm:ss";
// The computer's time is shown anew this often.
constexpr std::chrono::milliseconds kComputerTimeTickMs{1000};

// The record counts the days of the week from Sunday = 0; Qt from Monday = 1 to Sunday = 7.
std::uint16_t DayOfWeek(const QDate& date) { return static_cast<std::uint16_t>(date.dayOfWeek() % kDaysPerWeek); }

QDateTime ToQDateTime(const DateTimeRecord& time) {
  return QDateTime(QDate(time.year, time.month, time.day), QTime(time.hour, time.minute, time.second));
}

QString LastSyncText(const LanguageManager& language, const LastSyncRecord& sync) {
  if (sync.Failed()) return ToQString(language.GetString("strDateTimeLastSyncError"));
  return ToQString(language.FormatString("strDateTimeLastSync", {sync.first, sync.second, sync.year}, kMaxLabelTextChars));
}

}  // namespace

DateTimeDialog::DateTimeDialog(const LanguageManager& language, DateTimeRecord time,
                               std::optional<LastSyncRecord> lastSync, QWidget* parent, Clock computerTime)
    : QDialog(parent),
      language_(language),
      computerTime_(std::move(computerTime)),
      time_(time),
      timeEdit_(new QTimeEdit),
      dateEdit_(new QDateEdit) {
  setWindowTitle("strDateTime");
  timeEdit_->setObjectName("timePicker");
  timeEdit_->setDisplayFormat(kTimeFormat);
  dateEdit_->setObjectName("datePicker");
  // Dates follow the user's locale, not the language of the texts.
  dateEdit_->setDisplayFormat(QLocale::system().dateFormat(QLocale::ShortFormat));
  dateEdit_->setDateRange(kFirstDate, kLastDate);
  dateEdit_->setCalendarPopup(true);
  const QDateTime given = ToQDateTime(time);
  timeEdit_->setTime(given.time());
  dateEdit_->setDate(given.date().isValid() ? given.date() : kFirstDate);

  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  form->addRow(new QLabel("strDateTimeTime"), timeEdit_);
  form->addRow(new QLabel("strDateTimeDate"), dateEdit_);
  layout->addLayout(form);
  auto* syncText = new QLabel(this);
  syncText->setObjectName("lastSyncText");
  if (lastSync) syncText->setText(LastSyncText(language, *lastSync));
  layout->addWidget(syncText);
  computerText_ = new QLabel(this);
  computerText_->setObjectName("computerTimeText");
  layout->addWidget(computerText_);
  ShowComputerTime();
  auto* tick = new QTimer(this);
  tick->setObjectName("computerTimeTick");
  connect(tick, &QTimer::timeout, this, &DateTimeDialog::ShowComputerTime);
  tick->start(kComputerTimeTickMs);

  auto* buttons = new QHBoxLayout;
  auto* synchronize = new QPushButton("strDateTimeSynchronize", this);
  synchronize->setObjectName("synchronizeButton");
  set_ = new QPushButton("strSet", this);
  set_->setObjectName("okButton");
  set_->setEnabled(false);
  auto* cancel = new QPushButton("strCancel", this);
  cancel->setObjectName("cancelButton");
  cancel->setDefault(true);
  buttons->addWidget(synchronize);
  buttons->addStretch();
  buttons->addWidget(set_);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);

  connect(timeEdit_, &QTimeEdit::timeChanged, set_, [this] { set_->setEnabled(true); });
  connect(dateEdit_, &QDateEdit::dateChanged, set_, [this] { set_->setEnabled(true); });
  connect(set_, &QPushButton::clicked, this, &DateTimeDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &DateTimeDialog::reject);
  connect(synchronize, &QPushButton::clicked, this, &DateTimeDialog::Synchronize);
  TranslateWindow(*this, language);
}

void DateTimeDialog::ShowComputerTime() {
  const QDateTime now = computerTime_();
  // As the pickers would show it.
  const QString shown = now.date().toString(dateEdit_->displayFormat()) + " " + now.time().toString(kTimeFormat);
  computerText_->setText(
      ToQString(language_.FormatString("strDateTimeComputer", {shown.toStdString()}, kMaxLabelTextChars)));
}

void DateTimeDialog::Synchronize() {
  const QDateTime now = computerTime_();
  timeEdit_->setTime(now.time());
  dateEdit_->setDate(now.date());
  time_.milliseconds = static_cast<std::uint16_t>(now.time().msec());
  synchronized_ = true;
  accept();
}

void DateTimeDialog::accept() {
  const QTime chosenTime = timeEdit_->time();
  const QDate chosenDate = dateEdit_->date();
  time_.hour = static_cast<std::uint16_t>(chosenTime.hour());
  time_.minute = static_cast<std::uint16_t>(chosenTime.minute());
  time_.second = static_cast<std::uint16_t>(chosenTime.second());
  time_.year = static_cast<std::uint16_t>(chosenDate.year());
  time_.month = static_cast<std::uint16_t>(chosenDate.month());
  time_.day = static_cast<std::uint16_t>(chosenDate.day());
  // A weekday kept from the given time would contradict a changed date.
  time_.dayOfWeek = DayOfWeek(chosenDate);
  QDialog::accept();
}

}  // namespace tusko::gui
