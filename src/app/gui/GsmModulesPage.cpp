#include "app/gui/GsmModulesPage.h"

#include <string>
#include <utility>

#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "app/gui/SignalChart.h"
#include "app/gui/SignalHistory.h"
#include "app/gui/UiText.h"
#include "app/language/LanguageManager.h"

namespace tusko::gui {

// A module's status text; a double-click asks for the module's information.
class ModuleStatusLabel final : public QLabel {
 public:
  ModuleStatusLabel(std::function<void()> onDoubleClick, QWidget* parent)
      : QLabel(parent), onDoubleClick_(std::move(onDoubleClick)) {
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
  }

  void Paint(StatusColour colour) {
    const auto paint = StatusPaintOf(colour);
    QPalette colours;  // nothing set: the parent's colours
    if (paint) {
      colours.setColor(QPalette::Window, paint->background);
      colours.setColor(QPalette::WindowText, paint->text);
    }
    setAutoFillBackground(paint.has_value());
    setPalette(colours);
  }

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton && onDoubleClick_) onDoubleClick_();
    QLabel::mouseDoubleClickEvent(event);
  }

 private:
  std::function<void()> onDoubleClick_;
};

GsmModulesPage::GsmModulesPage(const LanguageManager& language,
                               const std::function<void(int module)>& onStatusDoubleClick)
    : DiagnosticsPage(DiagnosticsKind::GsmStatus, language) {
  constexpr std::array<const char*, kGsmModuleCount> kGroupKeys{"strGsmModule1", "strGsmModule2"};
  for (std::size_t module = 0; module < kGsmModuleCount; ++module) {
    auto* group = new QGroupBox(kGroupKeys[module], this);
    auto* form = new QFormLayout(group);
    Module& shown = modules_[module];
    const int number = static_cast<int>(module);
    shown.status = new ModuleStatusLabel(
        [onStatusDoubleClick, number] {
          if (onStatusDoubleClick) onStatusDoubleClick(number);
        },
        group);
    shown.status->setObjectName(QString("gsmStatus%1").arg(module + 1));
    shown.signal = new QLabel(group);
    shown.signal->setObjectName(QString("gsmSignal%1").arg(module + 1));
    shown.chart = new SignalChart(group);
    shown.chart->setObjectName(QString("gsmChart%1").arg(module + 1));
    form->addRow(new QLabel("strDiagGsmStatus", group), shown.status);
    form->addRow(new QLabel("strDiagGsmLevel", group), shown.signal);
    form->addRow(shown.chart);
    body().addWidget(group);
  }
}

void GsmModulesPage::DrawData(const DiagnosticsSnapshot& snapshot) {
  const TextLookup text = [this](std::string_view key) { return language().GetString(key); };
  for (std::size_t module = 0; module < kGsmModuleCount; ++module) {
    const GsmModuleStatus record = ReadGsmModuleStatus(snapshot.data, module);
    // An empty store would read as "no module".
    const GsmStatusText status = snapshot.receivedAt ? DescribeGsmStatus(record.code, record.information, text)
                                                     : GsmStatusText{text(kWaitingKey), StatusColour::WindowFace};
    Module& shown = modules_[module];
    shown.status->setText(ToQString(" " + status.text + " "));
    shown.status->Paint(status.colour);
    shown.signal->setText(ToQString(GsmSignalText(record.signal, text)));
    shown.chart->SetReadings(snapshot.history.Readings(module));
  }
}

std::optional<StatusPaint> StatusPaintOf(StatusColour colour) {
  const QColor white(Qt::white);
  const QColor black(Qt::black);
  switch (colour) {
    case StatusColour::WindowFace: return std::nullopt;
    case StatusColour::Red: return StatusPaint{QColor(0xFF, 0x00, 0x00), white};
    case StatusColour::Green: return StatusPaint{QColor(0x00, 0xFF, 0x00), black};
    case StatusColour::Yellow: return StatusPaint{QColor(0xFF, 0xFF, 0x00), black};
    case StatusColour::Blue: return StatusPaint{QColor(0x00, 0x00, 0xFF), white};
    case StatusColour::Magenta: return StatusPaint{QColor(0xFF, 0x00, 0xFF), black};
    case StatusColour::DarkGreen: return StatusPaint{QColor(0x00, 0x80, 0x00), white};
  }
  return std::nullopt;
}

}  // namespace tusko::gui
