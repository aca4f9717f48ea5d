#include "app/Glob.h"

#include <new>

#include "app/Drawing.h"
#include "formula/FunPars.h"
#include "geometry/Bitangents.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"
#include "geometry/Tritangents.h"
#include "render/Palette.h"

bool GlobInitialize() {
  Glob::Input.PMin = 0;
  Glob::Input.PMax = 5;
  Glob::Input.QMin = 0;
  Glob::Input.QMax = Glob::Pi;
  try {
    Sampling::Figure.CurvePoints.assign(1, Mastil{});
    Drawing::LastAnalysis = {};
    Palette::ShadePalette();  // built here rather than inside the first drawing
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

void GlobFinalize() {
  Sampling::Figure.CurvePoints.clear();
  Drawing::LastAnalysis = {};
  Glob::Input.XFormula.clear();
  Glob::Input.YFormula.clear();
  Glob::Input.ZFormula.clear();
  // The formulas' native code memory goes back to the system.
  for (TOpCodeFunctionExtended* f : {&Glob::Curve.X, &Glob::Curve.Y, &Glob::Curve.Z}) f->Clear();
}
