// The steps that wendrix-cli draw and sweep share before and after the drawing.
#pragma once

#include <string>

#include "app/core/CurveInput.h"
#include "cli/DrawOptions.h"

// The input fields and p, q as the window would hold them before "Draw It": the
// defaults, then the curve file, then the options. False with `message` when the
// curve file cannot be used.
bool GatherInput(const TDrawOptions& options, CurveInput::TInputFields& fields, long double& p, long double& q,
                 std::string& message);

// The stereo switch and the drags of `options`, through the window's own gate. Throws
// WendrixError when the stereo view cannot be shown.
void ReplayViews(const TDrawOptions& options);
