// The hull's boundary as found by the analysis, as a triangle mesh in world coordinates
// whatever the view: the ruled strips of the on-hull bitangent records and the flat
// faces of the supporting tritangent planes, sharing their vertices where they meet, so
// that a complete analysis gives a closed surface with every triangle facing outwards.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "formula/Curve.h"
#include "formula/Vector3.h"
#include "geometry/Bitangents.h"
#include "geometry/Sampling.h"

namespace HullMesh {

struct THullMesh {
  std::vector<TVector3> Vertices;
  // Corners as indexes into Vertices, counter-clockwise seen from outside the hull, so
  // that (b - a) x (c - a) points outwards. Strip triangles come first, then the flat
  // faces' triangles.
  std::vector<std::array<std::int32_t, 3>> Triangles;
  std::int32_t StripTriangles = 0;  // how many of Triangles lie in ruled strips
  std::int32_t Strips = 0;          // strips of two or more rulings
  std::int32_t FlatFaces = 0;       // flat faces after the strips, each a fan of triangles
  std::int32_t OpenEnds = 0;        // strip ends that met no flat face, other strip or point
};

// The mesh of the last analysis. Its vertices are curve points at one sorted set of
// parameters (every record's two parameters and every flat face's contacts), shared by
// all pieces. Each strip of drawn records (as the picture walks them, split where its
// rulings turn round through a crossing of the curve) is first closed at both ends
// against the nearest of: the point where its two ends meet, a point where the curve
// crosses itself (one vertex for all its parameters), an edge of a flat face, or the end
// of another strip (within a 40th of the t interval), then zipped
// between its two boundary arcs, every vertex the arcs pass included, and wound along
// its records' normals. Each supporting tritangent plane gives one convex face of all
// its contacts, wound away from the curve. All from `analysis`, with the vertices on
// `curve` and the t interval and size of `figure`; empty lists give an empty mesh.
// Throws CancelledError, at its next strip or vertex, once this thread's drawing is
// asked to stop: the window's worker measures the hull after every drawing.
THullMesh BuildHullMesh(const FunPars::TCurve& curve, const Sampling::TFigure& figure,
                        const Bitangents::TAnalysis& analysis);

// The unit normal (b - a) x (c - a) / |...| of triangle k; zero when it has no area.
TVector3 TriangleNormal(const THullMesh& mesh, std::size_t k);

// The total area of the triangles.
long double MeshArea(const THullMesh& mesh);

// How many edges are not used exactly twice, once in each direction: 0 for a closed,
// consistently wound surface.
std::int32_t OpenEdges(const THullMesh& mesh);

// The volume the triangles enclose, by the divergence theorem about the vertices' mean
// (signed: positive when every triangle faces outwards). Meaningful only for a closed
// mesh; an empty mesh gives 0.
long double MeshVolume(const THullMesh& mesh);

}  // namespace HullMesh
