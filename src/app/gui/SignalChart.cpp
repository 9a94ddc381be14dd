#include "app/gui/SignalChart.h"

#include <array>
#include <chrono>

#include <QPainter>
#include <QPainterPath>

namespace tusko::gui {

namespace {

// The scale of the GSM signal index: its two ends in dBm.
constexpr int kLowestDbm = -113;
constexpr int kHighestDbm = -51;
constexpr std::array kGridDbm{kLowestDbm, (kLowestDbm + kHighestDbm) / 2, kHighestDbm};

constexpr int kChartWidth = 260;  // pixels
constexpr int kChartHeight = 80;
constexpr int kMinimumWidth = 120;
constexpr int kMinimumHeight = 48;
constexpr int kMargin = 4;
constexpr int kDotRadius = 2;
constexpr qreal kLineWidth = 1.5;

// Where the plot goes inside the widget, right of the dBm labels.
QRectF PlotArea(const QRect& widget, int labelWidth) {
  return QRectF(widget).adjusted(kMargin + labelWidth, kMargin, -kMargin, -kMargin);
}

qreal YOf(int dbm, const QRectF& plot) {
  const qreal share = static_cast<qreal>(dbm - kLowestDbm) / (kHighestDbm - kLowestDbm);
  return plot.bottom() - share * plot.height();
}

}  // namespace

SignalChart::SignalChart(QWidget* parent) : QWidget(parent) {
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void SignalChart::SetReadings(const std::deque<SignalReading>& readings) {
  readings_ = &readings;
  update();
}

QSize SignalChart::sizeHint() const { return {kChartWidth, kChartHeight}; }

QSize SignalChart::minimumSizeHint() const { return {kMinimumWidth, kMinimumHeight}; }

void SignalChart::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(rect(), palette().base());
  const int labelWidth = fontMetrics().horizontalAdvance(QString::number(kLowestDbm)) + kMargin;
  const QRectF plot = PlotArea(rect(), labelWidth);

  painter.setPen(QPen(palette().mid().color(), 1, Qt::DotLine));
  for (int dbm : kGridDbm) {
    const qreal y = YOf(dbm, plot);
    painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    const QRectF label(kMargin, y - fontMetrics().height() / 2.0, labelWidth - kMargin, fontMetrics().height());
    painter.setPen(palette().text().color());
    painter.drawText(label, Qt::AlignRight | Qt::AlignVCenter, QString::number(dbm));
    painter.setPen(QPen(palette().mid().color(), 1, Qt::DotLine));
  }
  if (readings_ == nullptr || readings_->empty()) return;

  // Time runs from the first reading to the last; a single reading sits at the right edge.
  const auto first = readings_->front().at;
  const auto span = std::chrono::duration<double>(readings_->back().at - first).count();
  const auto xOf = [&](std::chrono::system_clock::time_point at) {
    if (span <= 0) return plot.right();
    return plot.left() + std::chrono::duration<double>(at - first).count() / span * plot.width();
  };

  const QColor colour = palette().highlight().color();
  painter.setPen(QPen(colour, kLineWidth));
  painter.setBrush(colour);
  QPainterPath path;
  int runLength = 0;  // readings in the line being drawn
  for (const SignalReading& reading : *readings_) {
    if (!reading.dbm) {
      runLength = 0;
      continue;
    }
    const QPointF point(xOf(reading.at), YOf(*reading.dbm, plot));
    if (runLength == 0) {
      path.moveTo(point);
      painter.drawEllipse(point, kDotRadius, kDotRadius);  // a lone reading still shows
    } else {
      path.lineTo(point);
    }
    ++runLength;
  }
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(path);
}

}  // namespace tusko::gui
