#include "app/core/Sweep.h"

#include <QPainter>
#include <charconv>
#include <cmath>
#include <exception>

#include "app/Drawing.h"
#include "app/core/CurveInput.h"
#include "render/Pictures.h"

namespace Sweep {

bool ParseRange(const std::string& text, TRange& range, std::string& message) {
  const std::size_t first = text.find(':');
  const std::size_t second = first == std::string::npos ? first : text.find(':', first + 1);
  if (second == std::string::npos || text.find(':', second + 1) != std::string::npos) {
    message = "a range is A:B:N, not \"" + text + "\"";
    return false;
  }
  const std::string ends[2] = {text.substr(0, first), text.substr(first + 1, second - first - 1)};
  long double* const targets[2] = {&range.From, &range.To};
  for (int i = 0; i < 2; ++i)
    if (!CurveInput::ParsePlainDecimal(ends[i], *targets[i]) || !std::isfinite(*targets[i])) {
      message = "the end \"" + ends[i] + "\" of \"" + text + "\" is not a finite plain number";
      return false;
    }
  const std::string count = text.substr(second + 1);
  const char* end = count.data() + count.size();
  const auto [stop, error] = std::from_chars(count.data(), end, range.Count);
  if (error != std::errc() || stop != end || count.empty() || range.Count < 2 || range.Count > MaxValues) {
    message = "the count \"" + count + "\" of \"" + text + "\" must be a whole number from 2 to " +
              std::to_string(MaxValues);
    return false;
  }
  return true;
}

long double RangeValue(const TRange& range, int k) {
  if (k == range.Count - 1) return range.To;
  return range.From + (range.To - range.From) * k / (range.Count - 1);
}

std::vector<TValue> SweepValues(const std::optional<TRange>& p, const std::optional<TRange>& q, long double p0,
                                long double q0) {
  std::vector<TValue> values;
  const int pCount = p ? p->Count : 1, qCount = q ? q->Count : 1;
  if (!p && !q) return values;
  for (int j = 0; j < qCount; ++j)
    for (int i = 0; i < pCount; ++i) values.push_back({p ? RangeValue(*p, i) : p0, q ? RangeValue(*q, j) : q0});
  return values;
}

TRow DrawValue(Drawing::TDrawingData& data, TPictures& pictures, const TValue& value, const std::optional<TView>& view,
               TView& shown) {
  TRow row;
  row.Value = value;
  data.Input.PValue = value.P;
  data.Input.QValue = value.Q;
  try {
    if (view) shown = *view;
    row.Ms =
        (view ? Drawing::DrawFigureInView(data, pictures, shown) : Drawing::DrawFigure(data, pictures, shown)).Total;
    row.Measures = HullMeasures::MeasureDrawing(data.Curve, data.Figure, data.Analysis);
    row.Drawn = true;
  } catch (const std::exception& error) {
    row.Error = error.what();
    // Blank pictures rather than what an earlier drawing left, so that a failed value's
    // frame is the same whichever values were drawn before it.
    for (QImage* picture : {&pictures.HullBitmap, &pictures.BitangBitmap, &pictures.MaxwellBitmap})
      picture->fill(Qt::white);
  }
  return row;
}

QImage Frame(const TPictures& pictures, bool withSquare) {
  if (!withSquare) return pictures.HullBitmap.convertToFormat(QImage::Format_RGB32);
  const QImage& hull = pictures.HullBitmap;
  const QImage& square = pictures.BitangBitmap;
  QImage frame(hull.width() + square.width(), std::max(hull.height(), square.height()), QImage::Format_RGB32);
  frame.fill(Qt::white);
  QPainter painter(&frame);
  painter.drawImage(0, 0, hull);
  painter.drawImage(hull.width(), (frame.height() - square.height()) / 2, square);
  return frame;
}

namespace {

void AppendReal(std::string& text, long double v) {
  char buffer[64];
  text.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, v).ptr);
}

// A CSV field in quotes, inner quotes doubled.
void AppendQuoted(std::string& text, const std::string& s) {
  text += '"';
  for (const char c : s) {
    if (c == '"') text += '"';
    text += c == '\n' || c == '\r' ? ' ' : c;
  }
  text += '"';
}

}  // namespace

std::string CsvHeader() {
  return "p,q,area,volume,flat_share,planes,on_hull_branches,bitangent_records,tritangents,error,ms\n";
}

std::string CsvRow(const TRow& row) {
  std::string text;
  AppendReal(text, row.Value.P);
  text += ',';
  AppendReal(text, row.Value.Q);
  text += ',';
  if (row.Drawn) {
    const HullMeasures::TMeasures& m = row.Measures;
    for (const long double v : {m.Area, m.Volume, m.FlatShare}) {
      AppendReal(text, v);
      text += ',';
    }
    for (const std::int32_t n : {m.Planes, m.OnHullBranches, m.BitangentRecords, m.Tritangents})
      text += std::to_string(n) + ',';
    text += ',';
  } else {
    text += ",,,,,,,";
    AppendQuoted(text, row.Error);
    text += ',';
  }
  char ms[32];
  std::snprintf(ms, sizeof ms, "%.1f", row.Ms);
  return text + ms + "\n";
}

}  // namespace Sweep
