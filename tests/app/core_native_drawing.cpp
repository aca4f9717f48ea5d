// A drawing with the formulas' native code and the same drawing with the interpreted
// programs compute the same figure: curve points, bitangent records, tritangent
// triples, the three pictures, and the pictures after drag steps and in stereo.
#include <gtest/gtest.h>

#include <QImage>
#include <cstring>
#include <string>
#include <vector>

#include "app/Drawing.h"
#include "app/Glob.h"
#include "app/core/CurveInput.h"
#include "app/core/DragGate.h"
#include "formula/FunPars.h"
#include "geometry/Bitangents.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"
#include "geometry/Tritangents.h"
#include "render/Pictures.h"
#include "tests/support/TestData.h"
#include "tests/support/TestGate.h"
#include "tests/support/TestPictures.h"

namespace {

// The bytes that make up a figure's numbers, in order; reals by their 10 significant
// bytes.
class TBytes {
 public:
  void Add(long double v) { bytes_.append(reinterpret_cast<const char*>(&v), 10); }
  void Add(const TVector3& v) {
    Add(v.x);
    Add(v.y);
    Add(v.z);
  }
  void Add(int v) { bytes_.append(reinterpret_cast<const char*>(&v), sizeof v); }
  const std::string& Bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

struct TFigure {
  std::string Error;  // what the drawing threw, if it did
  std::string Points, Records, Triples;
  QImage Hull, Square, Normals, Dragged, Stereo;
};

TFigure Draw(const std::string& x, const std::string& y, const std::string& z, long double p, bool native) {
  FunPars::UseNativeCode(native);
  CurveInput::TInputFields fields = CurveInput::DefaultFields();
  fields.X = x;
  fields.Y = y;
  fields.Z = z;
  bool ready = false;
  const CurveInput::TReadResult read = CurveInput::LeeDatos(TestData(), fields, ready);
  FunPars::UseNativeCode(true);
  EXPECT_EQ(read.Outcome, CurveInput::TReadOutcome::Changed) << read.Message;
  EXPECT_EQ(TestData().Curve.X.Native(), native);
  EXPECT_EQ(TestData().Curve.Joint.Native(), native);
  TestData().Input.PValue = p;
  TestData().Input.QValue = 0.5L;
  TFigure figure;
  try {
    Drawing::DrawFigure(TestData(), TestPictures(), TestView());
  } catch (const std::exception& error) {
    figure.Error = error.what();
    return figure;
  }
  TBytes points, records, triples;
  for (int k = 0; k <= TestData().Figure.CurvePointHigh; ++k) {
    const Mastil& m = TestData().Figure.CurvePoints.at(k);
    points.Add(m.Param);
    points.Add(m.Torsion);
    points.Add(m.Point);
    points.Add(m.Tangent);
  }
  for (int k = 1; k <= TestData().Analysis.BitangentCount; ++k) {
    const BitangentRecord& r = TestData().Analysis.BitangentList.at(k);
    records.Add(r.OnHull * 2 + r.StartsBranch);
    records.Add(r.ParamS);
    records.Add(r.ParamT);
    records.Add(r.PointS);
    records.Add(r.PointT);
    records.Add(r.PlaneNormal);
  }
  for (const Tritangents::Triple& u : TestData().Analysis.TritangentTriples)
    for (const long double v : u) triples.Add(v);
  figure.Points = points.Bytes();
  figure.Records = records.Bytes();
  figure.Triples = triples.Bytes();
  figure.Hull = TestPictures().HullBitmap.copy();
  figure.Square = TestPictures().BitangBitmap.copy();
  figure.Normals = TestPictures().MaxwellBitmap.copy();
  // Two drag steps, a turn and a zoom, then the stereo view.
  TAppState shown;
  shown.DrawnFlag = true;
  DragGate::AlPisar(TestGate(), 200, 200);
  DragGate::AlMoverHull(TestGate(), shown, TestData(), TestPictures(), TestView(), 230, 190,
                        {false, false, false, true});
  DragGate::AlMoverHull(TestGate(), shown, TestData(), TestPictures(), TestView(), 230, 150,
                        {true, false, false, true});
  figure.Dragged = TestPictures().HullBitmap.copy();
  if (DragGate::MuestraAlambre(TestGate(), shown, TestData(), TestPictures(), TestView()))
    figure.Stereo = TestPictures().StereoBitmap.copy();
  return figure;
}

class NativeDrawing : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(GlobInitialize()); }
  static void TearDownTestSuite() { FreshTestData(); }

  static void ExpectSameFigure(const std::string& x, const std::string& y, const std::string& z, long double p) {
    const TFigure native = Draw(x, y, z, p, true);
    const TFigure interpreted = Draw(x, y, z, p, false);
    const std::string curve = x + ", " + y + ", " + z;
    EXPECT_EQ(native.Error, interpreted.Error) << curve;
    EXPECT_TRUE(native.Points == interpreted.Points) << curve;
    EXPECT_TRUE(native.Records == interpreted.Records) << curve;
    EXPECT_TRUE(native.Triples == interpreted.Triples) << curve;
    EXPECT_TRUE(native.Hull == interpreted.Hull) << curve;
    EXPECT_TRUE(native.Square == interpreted.Square) << curve;
    EXPECT_TRUE(native.Normals == interpreted.Normals) << curve;
    EXPECT_TRUE(native.Dragged == interpreted.Dragged) << curve;
    EXPECT_TRUE(native.Stereo == interpreted.Stereo) << curve;
    if (native.Error.empty()) {
      EXPECT_FALSE(native.Records.empty()) << curve;
    }
  }
};

TEST_F(NativeDrawing, KnotsAndTheDefaultCurve) {
  ExpectSameFigure("cos(2t)(p+sen(3t))", "sen(2t)(p+sen(3t))", "cos(3t+q)", 1);
  ExpectSameFigure("sin(t)+2sin(2t)", "cos(t)-2cos(2t)", "-sin(3t)", 0);
  ExpectSameFigure("(2+cos(5t))cos(2t)", "(2+cos(5t))sin(2t)", "sin(5t)", 0);
  ExpectSameFigure("cos(t)", "sin(t)", "cos(3t)", 0);
}

TEST_F(NativeDrawing, CurvesThroughTheGuards) {
  // Powers of negative bases, logarithms and roots of negative values, tangents near
  // their poles, deep nesting that spills registers.
  ExpectSameFigure("cos(t)(2+sin(3t))^p", "sin(t)*ln(3+cos(2t)) + sqrt(sin(t))", "tan(t/3)/(1+p) + 0.1 t^q", 1.5L);
  ExpectSameFigure("cosh(sin(t)) - atanh(0.5 cos(t))", "asinh(2 sin(t)) + acos(0.9 sin(2t))",
                   "1+(sin(t)+(cos(2t)+(sin(3t)/2+(cos(t)/3+(sin(2t)/4+(cos(3t)/5+(sin(t)/6+(p/7))))))))", 2);
  ExpectSameFigure("exp(cos(t))", "ln(t)", "1/sin(t)", 0);
}

}  // namespace
