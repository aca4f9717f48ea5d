#include "render/HullMeasures.h"

#include <cstdio>

#include "geometry/Bitangents.h"
#include "geometry/Tritangents.h"
#include "render/HullPicture.h"

namespace HullMeasures {

TMeasures Measure(const HullMesh::THullMesh& mesh, const Bitangents::TAnalysis& analysis) {
  TMeasures m;
  m.Area = HullMesh::MeshArea(mesh);
  m.Volume = HullMesh::MeshVolume(mesh);
  HullMesh::THullMesh flat;
  flat.Vertices = mesh.Vertices;
  flat.Triangles.assign(mesh.Triangles.begin() + mesh.StripTriangles, mesh.Triangles.end());
  if (m.Area > 0) m.FlatShare = HullMesh::MeshArea(flat) / m.Area;
  m.Planes = mesh.FlatFaces;
  HullPicture::WalkStrips(analysis,
                          [&m](const BitangentRecord&, bool stripStart) { m.OnHullBranches += stripStart; });
  m.BitangentRecords = analysis.BitangentCount;
  m.Tritangents = analysis.TritangentCount;
  return m;
}

TMeasures MeasureDrawing(const FunPars::TCurve& curve, const Sampling::TFigure& figure,
                         const Bitangents::TAnalysis& analysis) {
  return Measure(HullMesh::BuildHullMesh(curve, figure, analysis), analysis);
}

std::vector<std::pair<const char*, long double>> NamedMeasures(const TMeasures& m) {
  return {{"area", m.Area},
          {"volume", m.Volume},
          {"flat_share", m.FlatShare},
          {"planes", m.Planes},
          {"on_hull_branches", m.OnHullBranches},
          {"bitangent_records", m.BitangentRecords},
          {"tritangents", m.Tritangents}};
}

std::string MeasuresText(const TMeasures& m) {
  char text[160];
  std::snprintf(text, sizeof text, "area %.4Lg, volume %.4Lg, flat %.1Lf%% in %d planes, %d on-hull branches", m.Area,
                m.Volume, 100 * m.FlatShare, static_cast<int>(m.Planes), static_cast<int>(m.OnHullBranches));
  return text;
}

}  // namespace HullMeasures
