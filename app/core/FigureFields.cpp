#include "app/core/FigureFields.h"

#include "geometry/Sampling.h"
#include "geometry/SharedState.h"

namespace FigureFields {

namespace {

TField Number(const char* name, const long double& value) { return {name, &value, nullptr}; }
TField Vector(const char* name, const TVector3& value) { return {name, nullptr, &value}; }

}  // namespace

const std::vector<TText>& InputTexts() {
  static const std::vector<TText> texts{
      {"x", &Glob::Input.XFormula}, {"y", &Glob::Input.YFormula}, {"z", &Glob::Input.ZFormula}};
  return texts;
}

const std::vector<TField>& InputNumbers() {
  static const std::vector<TField> numbers{Number("tmin", Glob::Input.TMin), Number("tmax", Glob::Input.TMax),
                                           Number("pmin", Glob::Input.PMin), Number("pmax", Glob::Input.PMax),
                                           Number("qmin", Glob::Input.QMin), Number("qmax", Glob::Input.QMax),
                                           Number("p", Glob::Input.PValue),  Number("q", Glob::Input.QValue)};
  return numbers;
}

std::vector<TField> ViewFields(const TView& view) {
  return {Vector("axis_x", view.AxisX),
          Vector("axis_y", view.AxisY),
          Vector("axis_z", view.AxisZ),
          Vector("eye", view.Eye),
          Number("scale", view.Scale),
          Number("eye_depth", view.EyeDepth),
          Number("shift_x", view.ShiftX),
          Number("shift_y", view.ShiftY),
          Number("offset_x", view.OffsetX),
          Number("offset_y", view.OffsetY),
          Vector("box_min", Sampling::Figure.BoxMin),
          Vector("box_max", Sampling::Figure.BoxMax),
          Vector("centre", Sampling::Figure.FigureCentre),
          Vector("screen_centre", view.ScreenCentre),
          Number("depth_scale", view.DepthScale),
          Number("depth_offset", view.DepthOffset)};
}

}  // namespace FigureFields
