// The drawing sequence shared by the window and wendrix-cli: the five stages that turn
// the accepted input into the three pictures.
#pragma once

#include <string>
#include <vector>

#include "app/DrawingData.h"
#include "app/core/AppState.h"
#include "geometry/Framing.h"
#include "render/Pictures.h"
#include "views/Estereo.h"

namespace Drawing {

// Milliseconds spent in each stage of the last run.
struct TStageTimes {
  double Sample = 0, Analyze = 0, Square = 0, Normals = 0, Hull = 0, Total = 0;
};

// PrepareFigure, AnalyzeBitangents, PaintBitangSquare, PaintMaxwell, RenderHull, in
// this order, with the floating-point flags cleared at the start and tested after
// each stage: data's Figure and Analysis are made anew from its Curve and
// Figure.Param, `view` becomes the view framed for the figure, the three pictures are
// drawn in it into `pictures`, at its sizes. Throws WendrixError (or another
// std::exception) from the failing stage; the stages after it do not run, and what
// they would fill keeps what it held.
TStageTimes RunStages(TDrawingData& data, TPictures& pictures, TView& view);

// RunStages with PrepareFigureInView(view) as the first stage: the new curve seen in
// `view`, chosen before, pivoted on the new figure, instead of a view framed for it.
TStageTimes RunStagesInView(TDrawingData& data, TPictures& pictures, TView& view);

// The drawing that follows an accepted read: PassParameters, then RunStages. A return
// means the figure is drawn; throws as RunStages does.
TStageTimes DrawFigure(TDrawingData& data, TPictures& pictures, TView& view);

// DrawFigure in `view` (a rotation, zoom and shift chosen before) rather than a view
// framed for the new curve; throws as RunStages does.
TStageTimes DrawFigureInView(TDrawingData& data, TPictures& pictures, TView& view);

// What the analysis could not finish, one sentence each: the tritangent search
// stopped at its limit of work, the branch tracing met more waves than it resolves.
// Empty when the drawing is complete.
std::vector<std::string> DrawingNotices(const Bitangents::TAnalysis& analysis);

// The three pictures of the figure of `data` painted again into `pictures`, at its
// sizes, in `view` (the stereo wire-frame too in stereo mode, from the working copy
// `stereo`, when `shown` is in StereoMode): the render stages alone, no new analysis.
// Flags as RunStages; does nothing unless `shown` has a figure drawn.
void RenderAgain(const TDrawingData& data, TPictures& pictures, const TView& view, Estereo::TStereoState& stereo,
                 const TAppState& shown);

}  // namespace Drawing
