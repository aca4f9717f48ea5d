// The hull's boundary as found by the analysis, as a triangle mesh in world coordinates:
// the ruled strips split into triangles exactly as the hull picture splits them, and the
// flat faces of the tritangent planes, every triangle wound so that its normal points
// out of the hull.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "formula/Vector3.h"

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
};

// The mesh of the last analysis in the current view: the strips of the visible records
// as the hull picture walks and splits them (corners shared along a strip, wound along
// the records' PlaneNormal), then the picture's tritangent triangles whose plane
// supports the curve, those of one plane merged into their convex outline, wound away
// from the curve. Triangles without area are left out; empty lists give an empty mesh.
THullMesh BuildHullMesh();

// The unit normal (b - a) x (c - a) / |...| of triangle k; zero when it has no area.
TVector3 TriangleNormal(const THullMesh& mesh, std::size_t k);

// The total area of the triangles.
long double MeshArea(const THullMesh& mesh);

// The volume the triangles enclose, by the divergence theorem about the vertices' mean
// (signed: positive when every triangle faces outwards). Meaningful only for a closed
// mesh; an empty mesh gives 0.
long double MeshVolume(const THullMesh& mesh);

}  // namespace HullMesh
