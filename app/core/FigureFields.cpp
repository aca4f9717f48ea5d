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

const std::vector<TField>& ViewFields() {
  static const std::vector<TField> view{
      Vector("axis_x", Glob::ViewAxisX),
      Vector("axis_y", Glob::ViewAxisY),
      Vector("axis_z", Glob::ViewAxisZ),
      Vector("eye", Glob::EyePoint),
      Number("scale", Glob::ViewScale),
      Number("eye_depth", Glob::EyeDepth),
      Number("shift_x", Glob::ViewShiftX),
      Number("shift_y", Glob::ViewShiftY),
      Number("offset_x", Glob::ViewOffsetX),
      Number("offset_y", Glob::ViewOffsetY),
      Vector("box_min", Glob::BoxMin),
      Vector("box_max", Glob::BoxMax),
      Vector("centre", Glob::FigureCentre),
      Vector("screen_centre", Glob::ScreenCentre),
      Number("depth_scale", Glob::DepthScale),
      Number("depth_offset", Glob::DepthOffset)};
  return view;
}

}  // namespace FigureFields
