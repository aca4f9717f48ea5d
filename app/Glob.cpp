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
  Glob::PMin = 0;
  Glob::PMax = 5;
  Glob::QMin = 0;
  Glob::QMax = Glob::Pi;
  try {
    Sampling::CurvePoints.assign(1, Mastil{});
    Drawing::LastAnalysis = {};
    Palette::ShadePalette();  // built here rather than inside the first drawing
    Sampling::Initialize();
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

void GlobFinalize() {
  Sampling::CurvePoints.clear();
  Drawing::LastAnalysis = {};
  Glob::XFormula.clear();
  Glob::YFormula.clear();
  Glob::ZFormula.clear();
  FunPars::Finalize();
}
