// A sweep: the curve drawn at a list of values of p and q in one fixed view, with the
// hull's measures of each drawing and its picture as an animation frame. Shared by
// wendrix-cli sweep and the window's play and Export Animation.
#pragma once

#include <QImage>
#include <optional>
#include <string>
#include <vector>

#include "app/DrawingData.h"
#include "geometry/Framing.h"
#include "render/HullMeasures.h"
#include "render/Pictures.h"

namespace Sweep {

// Most values one sweep may draw (a range, or the grid of two).
inline constexpr int MaxValues = 10000;

// N evenly spaced values from `from` to `to`, both included exactly (N >= 2).
struct TRange {
  long double From = 0, To = 0;
  int Count = 0;
};

// Reads "A:B:N": A and B plain decimal numbers (finite), N an integer 2 .. MaxValues.
// False with `message` saying what is wrong.
bool ParseRange(const std::string& text, TRange& range, std::string& message);

// Value k of `range`, k in 0 .. Count - 1; the last is To exactly.
long double RangeValue(const TRange& range, int k);

struct TValue {
  long double P = 0, Q = 0;
};

// The values of a sweep: p over `p` with q fixed at `q0`, q over `q` with p at `p0`,
// or, with both ranges, the grid (p running fastest). Empty when neither is given.
std::vector<TValue> SweepValues(const std::optional<TRange>& p, const std::optional<TRange>& q, long double p0,
                                long double q0);

// One drawn value: the measures when it drew, else the error that stopped it.
struct TRow {
  TValue Value;
  bool Drawn = false;
  std::string Error;  // empty when Drawn
  HullMeasures::TMeasures Measures;
  double Ms = 0;  // the drawing's time
};

// Draws the accepted input of `data` at `value`: PValue, QValue, then the drawing
// sequence in `view` (framed afresh when there is none), then the measures. A failing
// stage gives a row with its message and white pictures; the rest of `data` is then
// as far as the drawing got. The pictures are drawn into `pictures`; `shown` becomes the
// view they are drawn in (a copy of `view` pivoted on the new figure, or the framed one).
TRow DrawValue(Drawing::TDrawingData& data, TPictures& pictures, const TValue& value, const std::optional<TView>& view,
               TView& shown);

// The view of a sweep: the framing of the first value that draws, then `adjust` (the
// command line's drags, called with that view to change) applied once; none when no
// value draws. Errors of `adjust` pass through.
template <class Adjust>
std::optional<TView> ChooseView(Drawing::TDrawingData& data, TPictures& pictures, const std::vector<TValue>& values,
                                Adjust adjust);

// The frame of the last drawing into `pictures`: the hull picture, with the parameter square beside it
// (on its right, centred in height, on white) when `withSquare`; 32-bit RGB.
QImage Frame(const TPictures& pictures, bool withSquare);

// The CSV header and one row: p, q, area, volume, flat share, planes, on-hull branches,
// bitangent records, tritangents, error, milliseconds. Reals are written with every
// digit of their value; a failed row leaves the measures empty and quotes its message.
std::string CsvHeader();
std::string CsvRow(const TRow& row);

// Hundredths of a second each GIF frame shows.
inline constexpr int FrameDelayCs = 10;

template <class Adjust>
std::optional<TView> ChooseView(Drawing::TDrawingData& data, TPictures& pictures, const std::vector<TValue>& values,
                                Adjust adjust) {
  for (const TValue& value : values) {
    TView view;
    if (!DrawValue(data, pictures, value, std::nullopt, view).Drawn) continue;
    adjust(view);
    return view;
  }
  return std::nullopt;
}

}  // namespace Sweep
