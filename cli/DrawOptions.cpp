#include "cli/DrawOptions.h"

#include <QCommandLineParser>

namespace {

// The options that stand for input fields, with the field each one replaces.
struct TFieldOption {
  const char* Name;
  std::string CurveInput::TInputFields::*Field;
  const char* Help;
};
const TFieldOption FieldOptions[] = {
    {"x", &CurveInput::TInputFields::X, "Formula of x(t)."},
    {"y", &CurveInput::TInputFields::Y, "Formula of y(t)."},
    {"z", &CurveInput::TInputFields::Z, "Formula of z(t)."},
    {"tmin", &CurveInput::TInputFields::TMin, "Lower end of t, a constant formula such as \"-pi\"."},
    {"tmax", &CurveInput::TInputFields::TMax, "Upper end of t, a constant formula such as \"2 pi\"."},
    {"pmin", &CurveInput::TInputFields::PMin, "Lower end of the range of p."},
    {"pmax", &CurveInput::TInputFields::PMax, "Upper end of the range of p."},
    {"qmin", &CurveInput::TInputFields::QMin, "Lower end of the range of q."},
    {"qmax", &CurveInput::TInputFields::QMax, "Upper end of the range of q."},
};

// X0,Y0,X1,Y1 with an optional fifth part shift, ctrl or ctrl+shift.
bool ParseDrag(const QString& text, TDragStep& drag) {
  const QStringList parts = text.split(',');
  if (parts.size() != 4 && parts.size() != 5) return false;
  int* const coordinates[4] = {&drag.X0, &drag.Y0, &drag.X1, &drag.Y1};
  for (int i = 0; i < 4; ++i) {
    bool ok = false;
    *coordinates[i] = parts[i].trimmed().toInt(&ok);
    if (!ok) return false;
  }
  drag.Keys = {};
  drag.Keys.Left = true;
  if (parts.size() == 5) {
    const QString keys = parts[4].trimmed().toLower();
    if (keys == "shift") {
      drag.Keys.Shift = true;
    } else if (keys == "ctrl") {
      drag.Keys.Ctrl = true;
    } else if (keys == "ctrl+shift" || keys == "shift+ctrl") {
      drag.Keys.Shift = drag.Keys.Ctrl = true;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

TParseOutcome ParseDrawOptions(const QStringList& arguments, TDrawOptions& options, std::string& message,
                               std::string& usage) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      "Draws a closed space curve and its convex hull without a window: the same input check and\n"
      "drawing as the window, then the pictures and the computed figures written to files.");
  const QCommandLineOption help({"h", "help"}, "Shows this help.");
  parser.addOption(help);
  for (const TFieldOption& f : FieldOptions) parser.addOption({f.Name, f.Help, "text"});
  const QCommandLineOption p("p", "Value of p (a plain number; snapped to its scroll position).", "N");
  const QCommandLineOption q("q", "Value of q (a plain number; snapped to its scroll position).", "N");
  const QCommandLineOption png("png", "Writes hull.png, square.png, normals.png (and stereo.png) into DIR.", "DIR");
  const QCommandLineOption json("json", "Writes the input, view, curve points, bitangents, tritangents and timings.",
                                "FILE");
  const QCommandLineOption obj("obj", "Writes the hull's boundary as a Wavefront OBJ mesh.", "FILE");
  const QCommandLineOption stl("stl", "Writes the hull's boundary as a binary STL mesh.", "FILE");
  const QCommandLineOption seed("seed", "Fixed seed of the pseudo-random generator.", "N");
  const QCommandLineOption stereo("stereo", "Switches to the stereo view before the drags.");
  const QCommandLineOption drag("drag", "A left-button drag in the main view; may be repeated.",
                                "X0,Y0,X1,Y1[,shift|ctrl|ctrl+shift]");
  const QCommandLineOption quiet("quiet", "Prints no summary line.");
  const QCommandLineOption size("size", "Side of the main view's pictures in pixels (default 400; the square and the normals get three quarters of it).", "N");
  for (const QCommandLineOption& o : {p, q, png, json, obj, stl, seed, stereo, drag, quiet, size}) parser.addOption(o);
  parser.addPositionalArgument("FILE.wdx", "Curve file whose eleven lines replace the default input.", "[FILE.wdx]");

  QStringList all = arguments;
  all.prepend("wendrix-cli draw");
  const bool parsed = parser.parse(all);
  // The parser names the executable's path; the usage names the command as typed.
  const QString text = parser.helpText();
  usage = "Usage: wendrix-cli draw [options] [FILE.wdx]" + text.mid(text.indexOf('\n')).toStdString();
  if (parsed && parser.isSet(help)) return TParseOutcome::Help;
  const auto error = [&message](const std::string& text) {
    message = text;
    return TParseOutcome::Error;
  };
  if (!parsed) return error(parser.errorText().toStdString());
  const QStringList files = parser.positionalArguments();
  if (files.size() > 1) return error("only one curve file may be given");

  // An empty name would silently mean "none" (or the current folder).
  if (!files.isEmpty() && files[0].isEmpty()) return error("the curve file name is empty");
  for (const auto& [option, what] : {std::pair{&png, "a folder name"}, std::pair{&json, "a file name"},
                                     std::pair{&obj, "a file name"}, std::pair{&stl, "a file name"}})
    if (parser.isSet(*option) && parser.value(*option).isEmpty())
      return error("--" + option->names()[0].toStdString() + " needs " + what + ", not an empty text");

  options = {};
  if (!files.isEmpty()) options.File = files[0].toStdString();
  for (const TFieldOption& f : FieldOptions)
    if (parser.isSet(f.Name)) options.FieldTexts.emplace_back(f.Field, parser.value(f.Name).toStdString());
  for (const auto& [option, target] : {std::pair{&p, &options.P}, std::pair{&q, &options.Q}}) {
    if (!parser.isSet(*option)) continue;
    const std::string text = parser.value(*option).toStdString();
    long double value = 0;
    bool tooLarge = false;
    const std::string name = "--" + option->names()[0].toStdString();
    if (!CurveInput::ParsePlainDecimal(text, value, tooLarge))
      return error(tooLarge ? name + " is too large: \"" + text + "\""
                            : name + " needs a plain number, not \"" + text + "\"");
    *target = value;
  }
  options.PngDir = parser.value(png).toStdString();
  options.JsonFile = parser.value(json).toStdString();
  options.ObjFile = parser.value(obj).toStdString();
  options.StlFile = parser.value(stl).toStdString();
  if (parser.isSet(seed)) {
    bool ok = false;
    const uint value = parser.value(seed).toUInt(&ok);
    if (!ok) return error("--seed needs an unsigned 32-bit integer");
    options.Seed = value;
  }
  if (parser.isSet(size)) {
    bool ok = false;
    options.HullSize = parser.value(size).toInt(&ok);
    if (!ok) return error("--size needs a whole number of pixels");
  }
  options.Stereo = parser.isSet(stereo);
  options.Quiet = parser.isSet(quiet);
  for (const QString& text : parser.values(drag)) {
    TDragStep step;
    if (!ParseDrag(text, step)) return error("--drag needs X0,Y0,X1,Y1[,shift|ctrl|ctrl+shift], not \"" +
                                             text.toStdString() + "\"");
    options.Drags.push_back(step);
  }
  return TParseOutcome::Run;
}
