#include "cli/DrawSetup.h"

#include "app/core/CurveFile.h"
#include "app/core/DragGate.h"
#include "formula/Checks.h"

bool GatherInput(const TDrawOptions& options, CurveInput::TInputFields& fields, long double& p, long double& q,
                 std::string& message) {
  fields = CurveInput::DefaultFields();
  p = q = 0;
  if (!options.File.empty()) {
    CurveFile::TCurveTexts file;
    if (!CurveFile::ReadCurveFile(options.File, file, message)) return false;
    fields = file.Fields;
    p = file.P;
    q = file.Q;
  }
  for (const auto& [field, text] : options.FieldTexts) fields.*field = text;
  if (options.P) p = *options.P;
  if (options.Q) q = *options.Q;
  return true;
}

bool CreateOptionPictures(const TDrawOptions& options, TPictures& pictures, std::string& message) {
  // 300 beside 400, as in the window.
  const int small = static_cast<int>(3LL * options.HullSize / 4);
  return CreatePictures(pictures, options.HullSize, small, message);
}

TAppState ReplayViews(const Drawing::TDrawingData& data, TPictures& pictures, TView& view,
                      const TDrawOptions& options) {
  TAppState shown;
  shown.DrawnFlag = true;
  DragGate::TGate gate;
  if (options.Stereo && !DragGate::MuestraAlambre(gate, shown, data, pictures, view))
    throw WendrixError("the stereo view cannot be shown");
  for (const TDragStep& drag : options.Drags) {
    DragGate::AlPisar(gate, drag.X0, drag.Y0);
    DragGate::AlMoverHull(gate, shown, data, pictures, view, drag.X1, drag.Y1, drag.Keys);
  }
  return shown;
}
