#include "app/core/FigureFields.h"

namespace FigureFields {

namespace {

TField Number(const char* name, const long double& value) { return {name, &value, nullptr}; }
TField Vector(const char* name, const TVector3& value) { return {name, nullptr, &value}; }

}  // namespace

std::vector<TText> InputTexts(const Glob::TCurveInput& input) {
  return {{"x", &input.XFormula}, {"y", &input.YFormula}, {"z", &input.ZFormula}};
}

std::vector<TField> InputNumbers(const Glob::TCurveInput& input) {
  return {Number("tmin", input.TMin), Number("tmax", input.TMax), Number("pmin", input.PMin),
          Number("pmax", input.PMax), Number("qmin", input.QMin), Number("qmax", input.QMax),
          Number("p", input.PValue),  Number("q", input.QValue)};
}

std::vector<TField> ViewFields(const TView& view, const Sampling::TFigure& figure) {
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
          Vector("box_min", figure.BoxMin),
          Vector("box_max", figure.BoxMax),
          Vector("centre", figure.FigureCentre),
          Vector("screen_centre", view.ScreenCentre),
          Number("depth_scale", view.DepthScale),
          Number("depth_offset", view.DepthOffset)};
}

}  // namespace FigureFields
