// wendrix-cli draw: reads the input as the window would (default fields, then a curve
// file, then the options), runs the same check and drawing, replays the drags, and
// writes the pictures and the figure.
#include <QDir>
#include <QImage>
#include <cstdio>
#include <exception>
#include <vector>

#include "app/Drawing.h"
#include "app/Glob.h"
#include "app/core/CurveFile.h"
#include "app/core/CurveInput.h"
#include "app/core/DragGate.h"
#include "app/core/MeshFiles.h"
#include "app/core/SafeFile.h"
#include "app/core/ScriptedDraw.h"
#include "cli/Commands.h"
#include "cli/DrawOptions.h"
#include "cli/DrawSetup.h"
#include "cli/JsonExport.h"
#include "formula/Checks.h"
#include "geometry/Bitangents.h"
#include "geometry/Tritangents.h"
#include "render/HullMeasures.h"

namespace {

int Fail(int status, const std::string& message) {
  std::fprintf(stderr, "%s\n", message.c_str());
  return status;
}

void WriteOutputs(const Drawing::TDrawingData& data, const TAppState& shown, const TPictures& pictures,
                  const TView& view, const TDrawOptions& options, const Drawing::TStageTimes& times,
                  const HullMeasures::TMeasures& measures) {
  if (!options.PngDir.empty()) {
    const QDir dir(QString::fromStdString(options.PngDir));
    if (!dir.mkpath(".")) throw WendrixError("cannot create the folder " + options.PngDir);
    std::vector<SafeFile::TFile> files;
    const auto add = [&](const char* name, const QImage& image) {
      files.push_back({dir.filePath(name).toStdString(), MeshFiles::PngBytes(image)});
    };
    add("hull.png", pictures.HullBitmap);
    add("square.png", pictures.BitangBitmap);
    add("normals.png", pictures.MaxwellBitmap);
    if (shown.StereoMode) add("stereo.png", pictures.StereoBitmap);
    // All or nothing: a set of pictures from two drawings would be worse than none.
    SafeFile::WriteAll(files);
  }
  if (!options.JsonFile.empty()) {
    SafeFile::Write(options.JsonFile, DrawingJson(data, view, times, measures));
  }
  std::string message, warning;
  for (const auto& [file, format] : {std::pair{&options.ObjFile, MeshFiles::TMeshFormat::Obj},
                                     std::pair{&options.StlFile, MeshFiles::TMeshFormat::Stl}})
    if (!file->empty()) {
      if (!MeshFiles::ExportHullMesh(shown, data, *file, format, message, &warning)) throw WendrixError(message);
      if (!options.Quiet) std::printf("%s\n", message.c_str());
      // Even when quiet: the file is written, but it is not the figure the user asked for.
      if (!warning.empty()) std::fprintf(stderr, "%s\n", warning.c_str());
    }
}

// Everything after the command line and the start-up.
int Draw(const TDrawOptions& options) {
  CurveInput::TInputFields fields;
  long double p = 0, q = 0;
  std::string message;
  if (!GatherInput(options, fields, p, q, message)) return Fail(ExitRefused, message);
  Drawing::TDrawingData data;
  if (!ScriptedDraw::AcceptInput(data, fields, message) || !ScriptedDraw::PlaceParameters(data.Input, p, q, message))
    return Fail(ExitRefused, message);
  TPictures pictures;
  if (!CreateOptionPictures(options, pictures, message)) return Fail(ExitRefused, message);
  try {
    TView view;
    const Drawing::TStageTimes times = Drawing::DrawFigure(data, pictures, view);
    const TAppState shown = ReplayViews(data, pictures, view, options);
    const HullMeasures::TMeasures measures = HullMeasures::MeasureDrawing(data.Curve, data.Figure, data.Analysis);
    WriteOutputs(data, shown, pictures, view, options, times, measures);
    if (!options.Quiet)
      std::printf("Drawn: %d curve points, %d bitangent records, %d tritangent planes in %.0f ms; %s.\n",
                  data.Figure.CurvePointHigh + 1, static_cast<int>(data.Analysis.BitangentCount),
                  static_cast<int>(data.Analysis.TritangentCount), times.Total,
                  HullMeasures::MeasuresText(measures).c_str());
    for (const std::string& notice : Drawing::DrawingNotices(data.Analysis)) std::printf("%s\n", notice.c_str());
  } catch (const std::exception& error) {
    return Fail(ExitFailed, error.what());
  }
  return ExitOk;
}

}  // namespace

int RunDraw(const QStringList& arguments) {
  return RunParsedCommand<TDrawOptions>("draw", arguments, ParseDrawOptions, Draw);
}
