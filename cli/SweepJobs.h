// The drawings of a sweep, in this process or shared out among child processes: each
// child, forked once the input is accepted and the view chosen, draws every Jobs-th
// value into its copy of the drawing data and sends its rows and frames back through
// a pipe; the parent
// takes them in the order of the values, so the results do not depend on Jobs.
#pragma once

#include <QImage>
#include <functional>
#include <optional>
#include <vector>

#include "app/core/Sweep.h"

struct TSweepWork {
  std::vector<Sweep::TValue> Values;
  std::optional<TView> View;
  bool WantFrames = false;  // a frame per value is needed (GIF or PNG frames)
  bool WithSquare = false;
  int Jobs = 1;
};

// Called with value k's row and frame (null when frames are not wanted), k = 0, 1, ...
// in order. An exception it throws ends the sweep: the children are stopped and it
// passes through.
using TSweepSink = std::function<void(int k, const Sweep::TRow& row, const QImage& frame)>;

// Draws every value of `work` from the accepted input of `data` into `data` and
// `pictures` (in a child process: into its copies) and hands the results to `sink` in
// order. Throws WendrixError when a child process cannot be started or dies before
// sending all its results.
void RunSweepWork(Drawing::TDrawingData& data, TPictures& pictures, const TSweepWork& work, const TSweepSink& sink);
