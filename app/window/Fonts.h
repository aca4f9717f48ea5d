// The window's fonts. The faces the layout was designed with are Windows fonts; each
// is asked for by its own name first and then by a free face of the same metrics, so
// that captions keep their widths on Linux (fonts-liberation) and still render with
// DejaVu when nothing better is installed.
#pragma once

#include <QFont>

namespace Fonts {

// Proportional sans serif ("MS Sans Serif", "Arial"): Liberation Sans, else DejaVu Sans.
QFont Sans(int pixels, bool bold = false);

// Serif ("Times New Roman"): Liberation Serif, else DejaVu Serif.
QFont Serif(int pixels, bool bold = false);

// The narrow face of the p and q panels ("Terminal"): a 30-pixel panel must hold
// "2.500", which a monospaced face of 12 pixels cannot. Liberation Sans Narrow, else
// DejaVu Sans Condensed.
QFont Panel(int pixels);

}  // namespace Fonts
