// wendrix-cli sweep: reads the input as draw does, chooses one view, draws the curve
// at every value of the sweep and writes the table, the animation, the frames and the
// plot.
#include <unistd.h>

#include <QDir>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <exception>

#include "app/Glob.h"
#include "app/core/GifWriter.h"
#include "app/core/MeshFiles.h"
#include "app/core/SafeFile.h"
#include "app/core/ScriptedDraw.h"
#include "cli/Commands.h"
#include "cli/DrawSetup.h"
#include "cli/SweepJobs.h"
#include "cli/SweepOptions.h"
#include "formula/Checks.h"
#include "render/MeasurePlot.h"

namespace {

int Fail(int status, const std::string& message) {
  std::fprintf(stderr, "wendrix-cli sweep: %s\n", message.c_str());
  return status;
}

// "value k of N, about 12 s left" over itself on a terminal; nothing elsewhere.
class TProgress {
 public:
  explicit TProgress(int total) : total_(total), shown_(::isatty(STDERR_FILENO) == 1) {}
  void Done(int count) {
    if (!shown_) return;
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    const double left = elapsed / count * (total_ - count);
    std::fprintf(stderr, "\rsweep: value %d of %d, about %.0f s left   ", count, total_, left);
    if (count == total_) std::fputc('\n', stderr);
    std::fflush(stderr);
  }

 private:
  int total_;
  bool shown_;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// The plot's lines: one per value of the parameter not on the x axis (p is on it when
// swept), the failed values left as gaps.
std::vector<MeasurePlot::TSeries> PlotSeries(const TSweepOptions& options, const std::vector<Sweep::TRow>& rows) {
  const bool pAxis = options.P.has_value();
  const int perLine = pAxis ? options.P->Count : options.Q->Count;
  std::vector<MeasurePlot::TSeries> series;
  for (std::size_t k = 0; k < rows.size(); ++k) {
    const Sweep::TRow& row = rows[k];
    if (k % perLine == 0) {
      series.emplace_back();
      if (pAxis && options.Q) {
        char label[64];
        std::snprintf(label, sizeof label, "q = %.4Lg", row.Value.Q);
        series.back().Label = label;
      }
    }
    const long double gap = NAN;
    series.back().X.push_back(pAxis ? row.Value.P : row.Value.Q);
    series.back().Area.push_back(row.Drawn ? row.Measures.Area : gap);
    series.back().Volume.push_back(row.Drawn ? row.Measures.Volume : gap);
  }
  return series;
}

// Everything after the command line and the start-up.
int RunSweepValues(const TSweepOptions& options) {
  CurveInput::TInputFields fields;
  long double p0 = 0, q0 = 0;
  std::string message;
  if (!GatherInput(options.Draw, fields, p0, q0, message)) return Fail(ExitRefused, message);
  Drawing::TDrawingData data;
  if (!ScriptedDraw::AcceptInput(data, fields, message)) return Fail(ExitRefused, message);

  TPictures pictures;
  if (!CreateOptionPictures(options.Draw, pictures, message)) return Fail(ExitRefused, message);
  TSweepWork work;
  work.Values = Sweep::SweepValues(options.P, options.Q, p0, q0);
  work.WantFrames = !options.GifFile.empty() || !options.FramesDir.empty();
  work.WithSquare = options.WithSquare;
  work.Jobs = options.Jobs;
  std::vector<Sweep::TRow> rows;
  int failed = 0;
  try {
    work.View = Sweep::ChooseView(data, pictures, work.Values,
                                  [&](TView& view) { ReplayViews(data, pictures, view, options.Draw); });
    std::optional<GifWriter::TGifAnimation> gif;
    const QDir frames(QString::fromStdString(options.FramesDir));
    if (!options.FramesDir.empty() && !frames.mkpath("."))
      throw WendrixError("cannot create the folder " + options.FramesDir);
    TProgress progress(static_cast<int>(work.Values.size()));
    RunSweepWork(data, pictures, work, [&](int k, const Sweep::TRow& row, const QImage& frame) {
      rows.push_back(row);
      failed += !row.Drawn;
      if (!options.GifFile.empty()) {
        if (!gif) gif.emplace(frame.width(), frame.height(), Sweep::FrameDelayCs);
        gif->AddFrame(frame);
      }
      if (!options.FramesDir.empty()) {
        char name[32];
        std::snprintf(name, sizeof name, "frame-%05d.png", k + 1);
        MeshFiles::WritePng(frames.filePath(name).toStdString(), frame);
      }
      progress.Done(k + 1);
    });
    if (!options.CsvFile.empty()) {
      std::string csv = Sweep::CsvHeader();
      for (const Sweep::TRow& row : rows) csv += Sweep::CsvRow(row);
      SafeFile::Write(options.CsvFile, csv);
    }
    if (!options.PlotFile.empty())
      MeshFiles::WritePng(options.PlotFile, MeasurePlot::PlotMeasures(PlotSeries(options, rows), options.P ? "p" : "q"));
    if (gif) gif->Save(options.GifFile);
  } catch (const std::exception& error) {
    return Fail(ExitFailed, error.what());
  }
  if (failed > 0)
    std::fprintf(stderr, "wendrix-cli sweep: %d of %zu values could not be drawn (see the error column)\n", failed,
                 rows.size());
  return ExitOk;
}

}  // namespace

int RunSweep(const QStringList& arguments) {
  return RunParsedCommand<TSweepOptions>("sweep", arguments, ParseSweepOptions, RunSweepValues);
}
