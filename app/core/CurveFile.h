// Curve files: eleven lines of text holding the three formulas, the t interval, the
// ranges of p and q and the current p and q. Free of widgets.
#pragma once

#include <string>
#include <vector>

#include "app/core/AppState.h"
#include "app/core/CurveInput.h"

namespace CurveFile {

// Lines a curve file holds; lines after these are ignored.
inline constexpr int LineCount = 11;

// Longest file name kept in CurveFileName.
inline constexpr int MaxNameLength = 255;

// The general number format of curve files: 15 significant digits, '.' whatever the
// locale, no trailing zeros or unneeded point; fixed notation when 1e-5 <= |v| and at
// most 15 digits stand before the point, else scientific with E ("1.5E-6", "1E20").
// Zero gives "0"; infinities and NaN give "INF", "-INF", "NAN".
std::string FormatGeneral(long double value);

// The eleven lines of the accepted input: XFormula, YFormula, ZFormula, then TMin,
// TMax, PMin, PMax, QMin, QMax, PValue, QValue.
std::vector<std::string> BuildSaveList(const Glob::TCurveInput& input);

// Writes `lines`, each ending with CR LF, to `path` through SafeFile::Write: a failed
// save leaves the previous file whole. Throws WendrixError with a readable message.
void WriteLines(const std::string& path, const std::vector<std::string>& lines);

// WriteLines of BuildSaveList(input) to `path`.
void SaveCurve(const Glob::TCurveInput& input, const std::string& path);

// "Save As...": `chosen` cut to 255 characters, with ".wdx" appended (and cut again)
// unless its fourth-last character is '.'; "curve" -> "curve.wdx", "curve.abc" stays,
// "curve.data" -> "curve.data.wdx".
std::string SaveAsName(const std::string& chosen);

// `name` cut to 255 characters (for CurveFileName).
std::string CutName(const std::string& name);

// The contents of a curve file as the window puts them into its fields and panels.
struct TCurveTexts {
  CurveInput::TInputFields Fields;  // lines 1 to 9
  std::string PText, QText;         // lines 10 and 11, as written
  long double P = 0, Q = 0;         // their values
};

// Reads a curve file. Returns false with a message naming the file and the fault, and
// leaves `texts` as it was, when the file cannot be read, holds binary data (a NUL or
// another control character than tab in its first eleven lines), has fewer than
// eleven lines, or when line 10 or 11 is not a plain decimal number. Lines end with
// CR LF, LF or CR.
bool ReadCurveFile(const std::string& path, TCurveTexts& texts, std::string& error);

// What a load leaves for the window to show.
struct TLoadResult {
  bool FileError = false;          // nothing changed; show Message in a message box
  std::string Message;             // the file error
  CurveInput::TReadResult Read;    // the answer of LeeDatos when !FileError
  CurveInput::TCursorPositions Cursors;  // scroll positions when Read was not refused
  std::string PPanel, QPanel;      // panel texts when Read was not refused
};

// Loads the curve file `path` (DelDisco without widgets):
//  1. ReadCurveFile; the file's p and q must lie in the file's own ranges (when those
//     evaluate and are not empty). Any fault: FileError, and nothing at all changes.
//  2. `fields` receive lines 1 to 9. When the file's p or q (snapped to its scroll
//     position in the file's range) differs from data's PValue or QValue, `ready` is cleared
//     so that the curve is drawn anew.
//  3. LeeDatos into `data`; a Changed outcome is taken into `state` (InputChanged). Unless
//     refused, PValue and QValue become the snapped values, the panels and positions
//     are filled in, and the caller runs the drawing when the outcome is Changed.
//  4. `state`'s DataChanged false and CurveFileName := `path` cut to 255 characters
//     (also after a refusal, as the input is then the file's).
// A file the program saved therefore loads to the same state whatever was shown before.
TLoadResult DelDisco(Drawing::TDrawingData& data, const std::string& path, CurveInput::TInputFields& fields,
                     bool& ready, TAppState& state);

// True when `name` ends in ".wdx" in any letter case (the command-line rule).
bool HasCurveExtension(const std::string& name);

}  // namespace CurveFile
