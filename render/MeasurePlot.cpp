#include "render/MeasurePlot.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <limits>

namespace MeasurePlot {

namespace {

constexpr int Width = 800, Height = 640;
constexpr int Left = 90, Right = 160, Top = 30, Gap = 70, Bottom = 60;  // margins in pixels

const QColor LineColours[] = {QColor(0, 90, 180), QColor(200, 80, 0), QColor(0, 140, 60), QColor(150, 0, 150),
                              QColor(120, 120, 0), QColor(0, 140, 140), QColor(180, 0, 40), QColor(90, 90, 90)};

struct TAxis {
  double Lo = 0, Hi = 1;
};

// The finite extent of the values, widened when it is a single value or empty.
TAxis Extent(const std::vector<const std::vector<long double>*>& lists) {
  double lo = std::numeric_limits<double>::infinity(), hi = -lo;
  for (const auto* list : lists)
    for (const long double v : *list)
      if (std::isfinite(v)) lo = std::min(lo, double(v)), hi = std::max(hi, double(v));
  if (!(lo <= hi)) return {};
  if (hi - lo <= 1e-12 * std::max(1.0, std::fabs(lo))) {
    const double pad = std::max(1.0, std::fabs(lo)) * 0.05;
    return {lo - pad, hi + pad};
  }
  return {lo, hi};
}

// A step of 1, 2 or 5 times a power of ten that gives about five ticks.
double TickStep(const TAxis& axis) {
  const double rough = (axis.Hi - axis.Lo) / 5;
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  for (const double m : {1.0, 2.0, 5.0})
    if (m * power >= rough) return m * power;
  return 10 * power;
}

QString TickText(double v, double step) {
  if (std::fabs(v) < step * 1e-9) v = 0;
  return QString::number(v, 'g', 6);
}

class TPanel {
 public:
  TPanel(QRect frame, TAxis x, TAxis y) : frame_(frame), x_(x), y_(y) {}
  QPointF Map(double x, double y) const {
    return {frame_.left() + (x - x_.Lo) / (x_.Hi - x_.Lo) * frame_.width(),
            frame_.bottom() - (y - y_.Lo) / (y_.Hi - y_.Lo) * frame_.height()};
  }
  void DrawAxes(QPainter& painter, const QString& xName, const QString& yName) const {
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(frame_);
    const QFontMetrics metrics = painter.fontMetrics();
    const double xStep = TickStep(x_), yStep = TickStep(y_);
    for (double v = std::ceil(x_.Lo / xStep) * xStep; v <= x_.Hi + xStep * 1e-9; v += xStep) {
      const int px = int(std::lround(Map(v, y_.Lo).x()));
      painter.drawLine(px, frame_.bottom(), px, frame_.bottom() + 5);
      const QString text = TickText(v, xStep);
      painter.drawText(px - metrics.horizontalAdvance(text) / 2, frame_.bottom() + 8 + metrics.ascent(), text);
    }
    for (double v = std::ceil(y_.Lo / yStep) * yStep; v <= y_.Hi + yStep * 1e-9; v += yStep) {
      const int py = int(std::lround(Map(x_.Lo, v).y()));
      painter.drawLine(frame_.left() - 5, py, frame_.left(), py);
      const QString text = TickText(v, yStep);
      painter.drawText(frame_.left() - 8 - metrics.horizontalAdvance(text), py + metrics.ascent() / 2, text);
    }
    painter.drawText(frame_.center().x() - metrics.horizontalAdvance(xName) / 2,
                     frame_.bottom() + 10 + 2 * metrics.height(), xName);
    painter.save();
    painter.translate(frame_.left() - 70, frame_.center().y() + metrics.horizontalAdvance(yName) / 2);
    painter.rotate(-90);
    painter.drawText(0, 0, yName);
    painter.restore();
  }
  void DrawLine(QPainter& painter, const std::vector<long double>& x, const std::vector<long double>& y) const {
    QPainterPath path;
    bool open = false;
    for (std::size_t i = 0; i < x.size() && i < y.size(); ++i) {
      if (!std::isfinite(x[i]) || !std::isfinite(y[i])) {
        open = false;
        continue;
      }
      const QPointF p = Map(double(x[i]), double(y[i]));
      if (open) path.lineTo(p); else path.moveTo(p);
      painter.drawEllipse(p, 2, 2);
      open = true;
    }
    painter.drawPath(path);
  }

 private:
  QRect frame_;
  TAxis x_, y_;
};

}  // namespace

QImage PlotMeasures(const std::vector<TSeries>& series, const std::string& xName) {
  QImage image(Width, Height, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  std::vector<const std::vector<long double>*> xs, areas, volumes;
  for (const TSeries& s : series) xs.push_back(&s.X), areas.push_back(&s.Area), volumes.push_back(&s.Volume);
  const int panelHeight = (Height - Top - Gap - Bottom) / 2;
  const TAxis x = Extent(xs);
  const QString name = QString::fromStdString(xName);
  const TPanel area(QRect(Left, Top, Width - Left - Right, panelHeight), x, Extent(areas));
  const TPanel volume(QRect(Left, Top + panelHeight + Gap, Width - Left - Right, panelHeight), x, Extent(volumes));
  area.DrawAxes(painter, name, "area");
  volume.DrawAxes(painter, name, "volume");
  const QFontMetrics metrics = painter.fontMetrics();
  for (std::size_t i = 0; i < series.size(); ++i) {
    const QColor colour = LineColours[i % std::size(LineColours)];
    painter.setPen(QPen(colour, 1.5));
    painter.setBrush(Qt::NoBrush);
    area.DrawLine(painter, series[i].X, series[i].Area);
    volume.DrawLine(painter, series[i].X, series[i].Volume);
    if (series[i].Label.empty()) continue;
    const int y = Top + 10 + int(i) * metrics.height();
    if (y > Height - Bottom) continue;  // more lines than the legend has room for
    painter.drawLine(Width - Right + 15, y, Width - Right + 35, y);
    painter.drawText(Width - Right + 40, y + metrics.ascent() / 2, QString::fromStdString(series[i].Label));
  }
  return image;
}

}  // namespace MeasurePlot
