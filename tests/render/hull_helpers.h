// Shared set-up of the hull picture tests: a view in which world x and y are pixel
// coordinates and world z = 16000 - depth, hand-made curve points, and colour look-ups.
#pragma once

#include <QImage>
#include <cstdint>
#include <vector>

#include "geometry/Bitangents.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"
#include "geometry/Tritangents.h"
#include "render/Palette.h"
#include "render/Pictures.h"
#include "tests/support/TestData.h"
#include "tests/support/TestPictures.h"
#include "tests/support/TestView.h"

namespace HullTest {

inline constexpr QRgb White = 0xFFFFFFFF, Yellow = 0xFFFFFF00, Silver = 0xFFC0C0C0;

// The records and triples that a test draws.
inline Bitangents::TAnalysis Scene;

// An eye so far away that ProjectPoint is exact: a - EyeDepth rounds to -EyeDepth.
inline void UseFlatView() {
  TestView().AxisX = {1, 0, 0};
  TestView().AxisY = {0, 1, 0};
  TestView().AxisZ = {0, 0, 1};
  TestView().EyeDepth = 1e30L;
  TestView().Scale = -1e30L;
  TestView().ShiftX = TestView().ShiftY = TestView().OffsetX = TestView().OffsetY = 0;
  TestView().DepthScale = 1;
  TestView().DepthOffset = 16000;
}

// The world point that the flat view shows at pixel (x, y) with the given depth.
inline TVector3 At(long double x, long double y, long double depth) { return {x, y, 16000 - depth}; }

// The colour of palette entry k as QImage::pixel reports it.
inline QRgb PaletteRgb(int k) {
  const std::uint32_t c = Palette::PaletteColour(k);
  return qRgb(c & 0xFF, (c >> 8) & 0xFF, c >> 16);
}

inline QRgb PixelAt(int x, int y) { return TestPictures().HullBitmap.pixel(x, y); }

// Makes `points` the curve points 0..CurvePointHigh.
inline void UseCurvePoints(const std::vector<TVector3>& points) {
  TestData().Figure.CurvePoints.assign(points.size(), Mastil{});
  for (std::size_t k = 0; k < points.size(); ++k) TestData().Figure.CurvePoints[k].Point = points[k];
  TestData().Figure.CurvePointHigh = static_cast<std::int16_t>(static_cast<int>(points.size()) - 1);
}

// A fresh picture in the flat view: bitmaps and palette, no bitangent records, no
// tritangent triples, no curve points. False when the bitmaps cannot be made.
inline bool UseEmptyScene() {
  if (!CreatePictures(TestPictures())) return false;
  UseFlatView();
  Scene.BitangentList.assign(1, BitangentRecord{});
  Scene.BitangentCount = 0;
  Scene.TritangentTriples.clear();
  Scene.TritangentCount = 0;
  UseCurvePoints({});
  return true;
}

// Appends r to the Scene's BitangentList as its last record.
inline void AppendRecord(const BitangentRecord& r) {
  Scene.BitangentList.push_back(r);
  Scene.BitangentCount = static_cast<std::int32_t>(Scene.BitangentList.size()) - 1;
}

}  // namespace HullTest
