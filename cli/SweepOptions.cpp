#include "cli/SweepOptions.h"

#include <array>

namespace {

const char* const Usage =
    "Usage: wendrix-cli sweep [FILE.wdx] [field options] (--p A:B:N | --q A:B:N | both) [options]\n"
    "Draws the curve at N evenly spaced values of p from A to B (or of q; with both, the\n"
    "grid, p running fastest) in one fixed view, measures each hull and writes the results.\n"
    "\n"
    "Options:\n"
    "  --p A:B:N | V       Sweeps p over A..B in N values (2 to 10,000), or fixes p at V.\n"
    "  --q A:B:N | V       The same for q. At most 10,000 values in all.\n"
    "  --csv FILE          One row per value: p, q, area, volume, flat share, planes,\n"
    "                      on-hull branches, bitangent records, tritangents, error, ms.\n"
    "  --gif FILE          Animated GIF of the shaded view, without loss.\n"
    "  --square            The parameter square beside the hull in the GIF and frames.\n"
    "  --frames DIR        The frames as DIR/frame-00001.png, ...\n"
    "  --plot FILE.png     Area and volume against the swept parameter.\n"
    "  --jobs N            Draws in N processes (1 to 64); the files are the same as with 1.\n"
    "  --seed N            Seed of the pseudo-random generator (default 1, so runs repeat).\n"
    "  --drag X0,Y0,X1,Y1[,shift|ctrl|ctrl+shift]\n"
    "                      A drag applied once to the first value's view; may be repeated.\n"
    "  --x, --y, --z, --tmin, --tmax, --pmin, --pmax, --qmin, --qmax TEXT\n"
    "                      Input fields, as for wendrix-cli draw.\n"
    "  -h, --help          Shows this help.\n";

// The options of sweep itself; every other argument goes to the draw parser.
enum class TOwn { None, P, Q, Csv, Gif, Frames, Plot, Jobs, Square, Help };

TOwn OwnOption(const QString& name) {
  static const std::array<std::pair<const char*, TOwn>, 11> Names{
      {{"p", TOwn::P}, {"q", TOwn::Q}, {"csv", TOwn::Csv}, {"gif", TOwn::Gif}, {"frames", TOwn::Frames},
       {"plot", TOwn::Plot}, {"jobs", TOwn::Jobs}, {"square", TOwn::Square}, {"help", TOwn::Help},
       {"h", TOwn::Help}, {"?", TOwn::Help}}};
  for (const auto& [text, own] : Names)
    if (name == text) return own;
  return TOwn::None;
}

}  // namespace

TParseOutcome ParseSweepOptions(const QStringList& arguments, TSweepOptions& options, std::string& message,
                                std::string& usage) {
  usage = Usage;
  options = {};
  const auto error = [&message](const std::string& text) {
    message = text;
    return TParseOutcome::Error;
  };
  QStringList rest;
  for (int i = 0; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    if (argument == "--") {
      rest += arguments.mid(i);
      break;
    }
    // --name, --name=value, and -p, -q, -h as the draw command spells them.
    QString name = argument.startsWith("--") ? argument.mid(2) : argument.startsWith('-') ? argument.mid(1) : "";
    std::optional<QString> value;
    if (const qsizetype equals = name.indexOf('='); equals >= 0) value = name.mid(equals + 1), name.truncate(equals);
    const TOwn own = OwnOption(name);
    if (own == TOwn::None) {
      rest += argument;
      continue;
    }
    if (own == TOwn::Help) return TParseOutcome::Help;
    if (own == TOwn::Square) {
      options.WithSquare = true;
      continue;
    }
    if (!value) {
      if (i + 1 >= arguments.size()) return error("--" + name.toStdString() + " needs a value");
      value = arguments[++i];
    }
    const std::string text = value->toStdString();
    switch (own) {
      case TOwn::P:
      case TOwn::Q: {
        // A plain value fixes the parameter as draw would; a range sweeps it.
        if (!value->contains(':')) {
          rest << argument.left(argument.indexOf('=') < 0 ? argument.size() : argument.indexOf('=')) << *value;
          break;
        }
        Sweep::TRange range;
        std::string why;
        if (!Sweep::ParseRange(text, range, why)) return error("--" + name.toStdString() + ": " + why);
        (own == TOwn::P ? options.P : options.Q) = range;
        break;
      }
      case TOwn::Csv: options.CsvFile = text; break;
      case TOwn::Gif: options.GifFile = text; break;
      case TOwn::Frames: options.FramesDir = text; break;
      case TOwn::Plot: options.PlotFile = text; break;
      case TOwn::Jobs: {
        bool ok = false;
        options.Jobs = value->toInt(&ok);
        if (!ok || options.Jobs < 1 || options.Jobs > MaxJobs)
          return error("--jobs needs a whole number from 1 to " + std::to_string(MaxJobs) + ", not \"" + text + "\"");
        break;
      }
      default: break;
    }
  }
  std::string drawUsage;
  if (ParseDrawOptions(rest, options.Draw, message, drawUsage) != TParseOutcome::Run) return TParseOutcome::Error;
  const TDrawOptions& draw = options.Draw;
  if (!draw.PngDir.empty() || !draw.JsonFile.empty() || !draw.ObjFile.empty() || !draw.StlFile.empty() ||
      draw.Stereo || draw.Quiet)
    return error("--png, --json, --obj, --stl, --stereo and --quiet belong to draw; a sweep writes --csv, --gif, "
                 "--frames and --plot");
  if (!options.P && !options.Q) return error("give --p A:B:N or --q A:B:N (or both)");
  if (options.P && options.Q && options.P->Count * options.Q->Count > Sweep::MaxValues)
    return error("the grid of --p and --q has " + std::to_string(options.P->Count * options.Q->Count) +
                 " values; at most " + std::to_string(Sweep::MaxValues) + " are drawn in one sweep");
  if (!options.Draw.Seed) options.Draw.Seed = 1;
  return TParseOutcome::Run;
}
