// Shared set-up of the view tests: the program's start-up and a figure framed as a
// drawing frames it, from curve points computed here (no formula compiler needed).
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <cmath>

#include "app/Glob.h"
#include "geometry/Bitangents.h"
#include "geometry/Framing.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"
#include "tests/support/TestData.h"
#include "tests/support/TestView.h"
#include "views/Estereo.h"

namespace ViewSetup {

// The stereo view's working copy that the view tests draw and drag through.
inline Estereo::TStereoState& Stereo() {
  static Estereo::TStereoState stereo;
  return stereo;
}

// The default knot, x = cos 2t (1 + sin 3t), y = sin 2t (1 + sin 3t), z = cos 3t, as
// The records that a test draws.
inline Bitangents::TAnalysis Scene;

// `count` + 1 curve points over [0, 2 pi], shifted by `offset`; framed (box, eye, view
// axes, fit) into TestView. No bitangents. Stereo state as after start-up.
inline void UseFramedKnot(const TVector3& offset = {}, int count = 600) {
  ASSERT_TRUE(GlobInitialize());
  TestData().Figure.CurvePoints.clear();
  for (int i = 0; i <= count; ++i) {
    const long double t = 2 * Glob::Pi * i / count;
    Mastil m;
    m.Param = t;
    m.Point = TVector3{std::cos(2 * t) * (1 + std::sin(3 * t)), std::sin(2 * t) * (1 + std::sin(3 * t)), std::cos(3 * t)} + offset;
    TestData().Figure.CurvePoints.push_back(m);
  }
  TestData().Figure.CurvePointHigh = static_cast<std::int16_t>(count);
  Scene = {};
  Framing::FrameBox(TestData().Figure);
  TestView() = Framing::FrameView(TestData().Figure.BoxMin, TestData().Figure.BoxMax, TestData().Figure.FigureCentre,
                                  TestData().Figure.FigureDiagonal);
  Stereo() = {};
}

// The knot moved so that its box is centred on the world origin (the view then turns
// about the figure's centre).
inline void UseCentredKnot() {
  UseFramedKnot();
  const TVector3 centre = TestData().Figure.FigureCentre;
  UseFramedKnot(-centre);
}

// Largest deviation of the view rows from an orthonormal frame.
inline long double OrthonormalError() {
  const TVector3* rows[3] = {&TestView().AxisX, &TestView().AxisY, &TestView().AxisZ};
  long double worst = 0;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      const TVector3& a = *rows[i];
      const TVector3& b = *rows[j];
      const long double dot = a.x * b.x + a.y * b.y + a.z * b.z;
      worst = std::max(worst, std::fabs(dot - (i == j ? 1 : 0)));
    }
  return worst;
}

inline long double Distance(const TVector3& a, const TVector3& b) {
  const TVector3 d = a - b;
  return std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
}

}  // namespace ViewSetup
