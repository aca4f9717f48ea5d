#include "app/window/StatusText.h"

#include <QCoreApplication>
#include <QPainter>
#include <cmath>

#include "geometry/Bitangents.h"
#include "geometry/Framing.h"
#include "render/HullMeasures.h"

namespace {

QString Tr(const char* text) { return QCoreApplication::translate("TWendrix", text); }

QString Number(long double value) { return QString::number(static_cast<double>(value), 'g', 4); }

// Pixel of a parameter pair in the 300 x 300 square (s to the right, t upwards).
QPointF SquarePixel(const Glob::TCurveInput& input, long double s, long double t) {
  const long double span = input.TMax - input.TMin;
  return {static_cast<double>(300 * (s - input.TMin) / span), static_cast<double>(300 * (input.TMax - t) / span)};
}

// What the drawing could not finish, after its line.
QString Notices(const Bitangents::TAnalysis& analysis) {
  QString text;
  for (const std::string& notice : Drawing::DrawingNotices(analysis)) text += " " + Tr(notice.c_str());
  return text;
}

}  // namespace

QString DrawingSummary(const Drawing::TDrawingData& data, const Drawing::TStageTimes& times) {
  const Bitangents::TAnalysis& analysis = data.Analysis;
  int onHull = 0, branches = 0;
  for (std::int32_t i = 1; i <= analysis.BitangentCount; ++i) {
    onHull += analysis.BitangentList.at(i).OnHull;
    branches += analysis.BitangentList.at(i).StartsBranch;
  }
  const HullMeasures::TMeasures m = HullMeasures::MeasureDrawing(data.Curve, data.Figure, analysis);
  return Tr("%1 curve points, %2 of %3 bitangent records on the hull, %4 branches (%5 strips on the hull), "
            "%6 flat faces, area %7, volume %8, %9 ms")
             .arg(data.Figure.CurvePointHigh + 1)
             .arg(onHull)
             .arg(analysis.BitangentCount)
             .arg(branches)
             .arg(m.OnHullBranches)
             .arg(m.Planes)
             .arg(Number(m.Area), Number(m.Volume))
             .arg(std::lround(times.Total)) +
         Notices(analysis);
}

QString PairSummary(const Drawing::TDrawingData& data, long double s, long double t, long double x, long double y) {
  const Bitangents::TAnalysis& analysis = data.Analysis;
  // Where an on-hull branch crosses another, the pair is on the hull.
  bool near = false, onHull = false;
  for (std::int32_t i = 1; i <= analysis.BitangentCount && !onHull; ++i) {
    const BitangentRecord& r = analysis.BitangentList.at(i);
    for (const QPointF& p : {SquarePixel(data.Input, r.ParamS, r.ParamT), SquarePixel(data.Input, r.ParamT, r.ParamS)})
      if (std::hypot(p.x() - static_cast<double>(x), p.y() - static_cast<double>(y)) <= 2) {
        near = true;
        onHull = onHull || r.OnHull;
      }
  }
  const QString what = onHull ? Tr("a bitangent pair on the hull")
                       : near ? Tr("a bitangent pair not on the hull")
                              : Tr("no bitangent pair");
  return Tr("s = %1, t = %2: %3").arg(Number(s), Number(t), what);
}

void DrawPairChord(QPainter& painter, const TView& view, const TVector3& a, const TVector3& b, long double scale) {
  ScreenPoint pa = Framing::ProjectPoint(view, a), pb = Framing::ProjectPoint(view, b);
  for (ScreenPoint* p : {&pa, &pb}) {
    p->x *= scale;
    p->y *= scale;
  }
  // Far outside the picture is as good as invisible; the limit keeps QPainter in range.
  for (const ScreenPoint& p : {pa, pb})
    if (!(std::fabs(p.x) < 1e6L && std::fabs(p.y) < 1e6L)) return;
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(0, 70, 255), 2));
  painter.drawLine(QPointF(static_cast<double>(pa.x), static_cast<double>(pa.y)),
                   QPointF(static_cast<double>(pb.x), static_cast<double>(pb.y)));
}
