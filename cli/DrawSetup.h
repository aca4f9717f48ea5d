// The steps that wendrix-cli draw and sweep share before and after the drawing.
#pragma once

#include <cstdio>
#include <string>

#include "app/DrawingData.h"
#include "app/Glob.h"
#include "app/core/AppState.h"
#include "app/core/CurveInput.h"
#include "cli/Commands.h"
#include "cli/DrawOptions.h"

// The input fields and p, q as the window would hold them before "Draw It": the
// defaults, then the curve file, then the options. False with `message` when the
// curve file cannot be used.
bool GatherInput(const TDrawOptions& options, CurveInput::TInputFields& fields, long double& p, long double& q,
                 std::string& message);

// The stereo switch and the drags of `options` on the figure of `data` just drawn into
// `pictures` and `view`, through the window's own gate; answers what they leave on the screen (a
// drawn figure, in stereo mode or not). Throws WendrixError when the stereo view
// cannot be shown.
TAppState ReplayViews(const Drawing::TDrawingData& data, TPictures& pictures, TView& view, const TDrawOptions& options);

// Blank pictures at the sizes `options` asks for (--size). False with `message` for a
// size outside the accepted range or when memory lacks.
bool CreateOptionPictures(const TDrawOptions& options, TPictures& pictures, std::string& message);

// Parses the options of command `name` with `parse` and runs `run` on them after the
// program's start-up (GlobInitialize). --help prints the usage on stdout (exit 0); a
// bad command line prints the parser's message and the usage on stderr (exit 2).
template <class Options, class Parse, class Run>
int RunParsedCommand(const char* name, const QStringList& arguments, Parse parse, Run run) {
  Options options;
  std::string message, usage;
  switch (parse(arguments, options, message, usage)) {
    case TParseOutcome::Help:
      std::fputs(usage.c_str(), stdout);
      return ExitOk;
    case TParseOutcome::Error:
      std::fprintf(stderr, "wendrix-cli %s: %s\n\n%s", name, message.c_str(), usage.c_str());
      return ExitUsage;
    case TParseOutcome::Run:
      break;
  }
  if (!GlobInitialize()) {
    std::fputs("not enough memory to start\n", stderr);
    return ExitFailed;
  }
  return run(options);
}
