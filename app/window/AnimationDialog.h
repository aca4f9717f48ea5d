// The small dialog of File > Export Animation...: which parameter to sweep over its
// range, in how many frames, and whether the parameter square goes beside the hull.
#pragma once

#include <optional>

#include "app/core/CurveInput.h"

class QWidget;

struct TAnimationChoice {
  CurveInput::TParam Param = CurveInput::TParam::P;
  int Frames = 60;  // 2 .. MaxAnimationFrames
  bool WithSquare = false;  // the parameter square beside the hull
};

inline constexpr int MaxAnimationFrames = 400;

// Asks for the parameter, the number of frames and the square, starting from `initial`. Answers
// nothing when the user cancels.
std::optional<TAnimationChoice> AskAnimation(QWidget* parent, const TAnimationChoice& initial);
