// Figures that describe the hull of the last drawing, for the command line, the JSON
// record, sweep tables and any other caller: a plain record, free of toolkit types.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "formula/Curve.h"
#include "geometry/Sampling.h"
#include "render/HullMesh.h"

namespace HullMeasures {

struct TMeasures {
  long double Area = 0;       // surface area of the hull mesh
  long double Volume = 0;     // volume the mesh encloses
  long double FlatShare = 0;  // flat faces' share of Area, 0 .. 1; 0 when Area is 0
  std::int32_t Planes = 0;    // flat faces (supporting tritangent planes merged per plane)
  std::int32_t OnHullBranches = 0;    // runs of on-hull records the picture draws as strips
  std::int32_t BitangentRecords = 0;  // BitangentCount
  std::int32_t Tritangents = 0;       // TritangentCount
};

// The measures of `mesh` (built from `analysis`) and of the bitangent and tritangent
// lists of `analysis`. An empty mesh gives zero area, volume and share; the counts are
// read from the lists as they stand.
TMeasures Measure(const HullMesh::THullMesh& mesh, const Bitangents::TAnalysis& analysis);

// Measure(BuildHullMesh(curve, figure, analysis), analysis).
TMeasures MeasureDrawing(const FunPars::TCurve& curve, const Sampling::TFigure& figure,
                         const Bitangents::TAnalysis& analysis);

// The seven measures under the names the exports use, in this order: area, volume,
// flat_share, planes, on_hull_branches, bitangent_records, tritangents.
std::vector<std::pair<const char*, long double>> NamedMeasures(const TMeasures& m);

// One line for people: "area 12.57, volume 3.142, flat 8.1% in 2 planes, 4 on-hull
// branches" (four significant digits). A NaN or infinity is printed as such.
std::string MeasuresText(const TMeasures& m);

}  // namespace HullMeasures
