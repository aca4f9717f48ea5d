#include "app/core/FigureFields.h"

#include "geometry/SharedState.h"

namespace FigureFields {

namespace {

TField Number(const char* name, const long double& value) { return {name, &value, nullptr}; }
TField Vector(const char* name, const TVector3& value) { return {name, nullptr, &value}; }

}  // namespace

const std::vector<TText>& InputTexts() {
  static const std::vector<TText> texts{{"x", &Glob::XFormula}, {"y", &Glob::YFormula}, {"z", &Glob::ZFormula}};
  return texts;
}

const std::vector<TField>& InputNumbers() {
  static const std::vector<TField> numbers{
      Number("tmin", Glob::TMin), Number("tmax", Glob::TMax), Number("pmin", Glob::PMin),
      Number("pmax", Glob::PMax), Number("qmin", Glob::QMin), Number("qmax", Glob::QMax),
      Number("p", Glob::PValue),  Number("q", Glob::QValue)};
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
          Vector("box_min", Glob::BoxMin),
          Vector("box_max", Glob::BoxMax),
          Vector("centre", Glob::FigureCentre),
          Vector("screen_centre", view.ScreenCentre),
          Number("depth_scale", view.DepthScale),
          Number("depth_offset", view.DepthOffset)};
}

}  // namespace FigureFields
