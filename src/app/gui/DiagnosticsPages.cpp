#include "app/gui/DiagnosticsPages.h"

#include <array>
#include <span>
#include <utility>

#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QVBoxLayout>

#include "app/gui/GsmModulesPage.h"
#include "app/gui/UiText.h"
#include "app/language/LanguageManager.h"

namespace tusko::gui {

namespace {

constexpr std::size_t kTextCapacity = 255;  // characters of a formatted page text
constexpr std::size_t kCreditPairsPerUnit = 3;
constexpr std::size_t kCreditPairSize = 8;  // two 32-bit counters
constexpr std::array<const char*, kCreditPairsPerUnit> kCreditLabelKeys{"strIsdnLinkCredit1", "strIsdnLinkCredit2",
                                                                        "strIsdnLinkCredit3"};
// A value not received yet.
constexpr std::string_view kNoValue = "\u2013";
constexpr int kIndicatorSize = 16;          // pixels
constexpr int kIndicatorBorder = 2;
const QColor kLampLit(0, 200, 0);

// ---- ISDN lines ----

struct IndicatorRow {
  const char* key;
  const char* name;  // object name stem: the line number follows
  bool IsdnLineIndicators::*bit;
};

constexpr std::array kIndicatorRows{
    IndicatorRow{"strDiagIsdnLos", "isdnLos", &IsdnLineIndicators::lossOfSignal},
    IndicatorRow{"strDiagIsdnL2", "isdnL2", &IsdnLineIndicators::layer2Active},
    IndicatorRow{"strDiagIsdnSDI", "isdnSdi", &IsdnLineIndicators::synchronised},
};

// A round lamp: lit for a set bit, dark for a clear one.
QPixmap LampPixmap(bool lit) {
  QPixmap pixmap(kIndicatorSize, kIndicatorSize);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(Qt::darkGray), 1));
  painter.setBrush(lit ? kLampLit : QColor(Qt::lightGray));
  painter.drawEllipse(QRect(0, 0, kIndicatorSize, kIndicatorSize)
                          .adjusted(kIndicatorBorder, kIndicatorBorder, -kIndicatorBorder, -kIndicatorBorder));
  return pixmap;
}

class IsdnLinesPage final : public DiagnosticsPage {
 public:
  explicit IsdnLinesPage(const LanguageManager& language)
      : DiagnosticsPage(DiagnosticsKind::IsdnStatus, language),
        litLamp_(LampPixmap(true)),
        darkLamp_(LampPixmap(false)) {
    auto* group = new QGroupBox("strDiagIsdnStatus", this);
    auto* grid = new QGridLayout(group);
    grid->addWidget(new QLabel("strIsdnLink1", group), 0, 1, Qt::AlignHCenter);
    grid->addWidget(new QLabel("strIsdnLink2", group), 0, 2, Qt::AlignHCenter);
    for (std::size_t row = 0; row < kIndicatorRows.size(); ++row) {
      const int gridRow = static_cast<int>(row) + 1;
      grid->addWidget(new QLabel(kIndicatorRows[row].key, group), gridRow, 0);
      for (std::size_t line = 0; line < kIsdnLineCount; ++line) {
        auto* lamp = new QLabel(group);
        lamp->setObjectName(QString("%1%2").arg(kIndicatorRows[row].name).arg(line + 1));
        grid->addWidget(lamp, gridRow, static_cast<int>(line) + 1, Qt::AlignHCenter);
        lamps_[row][line] = lamp;
      }
    }
    grid->setColumnStretch(3, 1);
    body().addWidget(group);
  }

 protected:
  void DrawData(const DiagnosticsSnapshot& snapshot) override {
    for (std::size_t line = 0; line < kIsdnLineCount; ++line) {
      const IsdnLineIndicators state = DecodeIsdnLine(StoredWord(snapshot.data.isdnStatus, line * 2));
      for (std::size_t row = 0; row < kIndicatorRows.size(); ++row) {
        const bool lit = state.*kIndicatorRows[row].bit;
        lamps_[row][line]->setPixmap(lit ? litLamp_ : darkLamp_);
        lamps_[row][line]->setProperty("lit", lit);
      }
    }
  }

 private:
  std::array<std::array<QLabel*, kIsdnLineCount>, kIndicatorRows.size()> lamps_{};
  QPixmap litLamp_;
  QPixmap darkLamp_;
};

// ---- ISDN and GSM credit ----

class CreditPage final : public DiagnosticsPage {
 public:
  CreditPage(DiagnosticsKind kind, std::array<const char*, 2> groupKeys, const LanguageManager& language)
      : DiagnosticsPage(kind, language) {
    for (std::size_t unit = 0; unit < groupKeys.size(); ++unit) {
      auto* group = new QGroupBox(groupKeys[unit], this);
      auto* column = new QVBoxLayout(group);
      for (std::size_t pair = 0; pair < kCreditPairsPerUnit; ++pair) {
        auto* text = new QLabel(group);
        text->setObjectName(QString("credit%1_%2").arg(unit + 1).arg(pair + 1));
        column->addWidget(text);
        texts_[unit][pair] = text;
      }
      body().addWidget(group);
    }
  }

 protected:
  void DrawData(const DiagnosticsSnapshot& snapshot) override {
    const std::span<const std::uint8_t> block = kind() == DiagnosticsKind::IsdnCredit
                                                    ? std::span<const std::uint8_t>(snapshot.data.isdnCredit)
                                                    : std::span<const std::uint8_t>(snapshot.data.gsmCredit);
    for (std::size_t unit = 0; unit < texts_.size(); ++unit) {
      for (std::size_t pair = 0; pair < kCreditPairsPerUnit; ++pair) {
        const std::size_t at = unit * kCreditRecordSize + pair * kCreditPairSize;
        // Zero counters before the first answer would read as no credit at all.
        const std::string value = snapshot.receivedAt
                                      ? CreditPairText(StoredCounter(block, at), StoredCounter(block, at + 4))
                                      : std::string(kNoValue);
        const std::string label = language().GetString(kCreditLabelKeys[pair]);
        texts_[unit][pair]->setText(ToQString(language().FormatString("strDiagCreditLine", {label, value}, kTextCapacity)));
      }
    }
  }

 private:
  std::array<std::array<QLabel*, kCreditPairsPerUnit>, 2> texts_{};
};

static_assert(kIsdnLineCount == 2 && kGsmModuleCount == 2, "the credit pages show two groups");

QString ClockText(std::chrono::system_clock::time_point at) {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(at.time_since_epoch()).count();
  return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("hh:mm:ss"));
}

}  // namespace

DiagnosticsPage::DiagnosticsPage(DiagnosticsKind kind, const LanguageManager& language)
    : kind_(kind), language_(language), body_(new QVBoxLayout), receivedAt_(new QLabel(this)) {
  receivedAt_->setObjectName("receivedAt");
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(body_);
  layout->addStretch(1);
  layout->addWidget(receivedAt_);
}

void DiagnosticsPage::Draw(const DiagnosticsSnapshot& snapshot) {
  DrawData(snapshot);
  const std::string clock = snapshot.receivedAt ? ToStdString(ClockText(*snapshot.receivedAt)) : std::string();
  const char* key = snapshot.beforeRestart ? "strDiagReceivedBeforeRestart" : "strDiagReceivedAt";
  receivedAt_->setText(ToQString(snapshot.receivedAt ? language_.FormatString(key, {clock}, kTextCapacity)
                                                     : language_.GetString(kWaitingKey)));
}

std::unique_ptr<DiagnosticsPage> MakeDiagnosticsPage(DiagNodeId id, const LanguageManager& language,
                                                     std::function<void(int module)> onModuleStatusDoubleClick) {
  std::unique_ptr<DiagnosticsPage> page;
  switch (id) {
    case DiagNodeId::Root: return nullptr;
    case DiagNodeId::IsdnLines: page = std::make_unique<IsdnLinesPage>(language); break;
    case DiagNodeId::IsdnCredit:
      page = std::make_unique<CreditPage>(DiagnosticsKind::IsdnCredit,
                                          std::array<const char*, 2>{"strIsdnLink1", "strIsdnLink2"}, language);
      break;
    case DiagNodeId::GsmModules: page = std::make_unique<GsmModulesPage>(language, onModuleStatusDoubleClick); break;
    case DiagNodeId::GsmCredits:
      page = std::make_unique<CreditPage>(DiagnosticsKind::GsmCredit,
                                          std::array<const char*, 2>{"strGsmModule1", "strGsmModule2"}, language);
      break;
  }
  if (page) TranslateWindow(*page, language);
  return page;
}

}  // namespace tusko::gui
