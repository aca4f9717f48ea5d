// The two small pictures: the square of bitangent pairs and the circle of the unit
// normals of the hull's strips, with the reversible marker of one normal.
#pragma once

#include "formula/Vector3.h"

class QPainter;

namespace SmallPictures {

// Repaints BitangBitmap: the traced branches in the parameter square.
void PaintBitangSquare();

// Repaints MaxwellBitmap: the unit sphere and the paths of the visible strips' normals.
void PaintMaxwell();

// Draws, in not-xor mode, the decagon marker of normal n (and of -n) on `painter`, a
// 300 x 300 surface; aux is any direction not parallel to n. Drawing twice undoes it.
void DrawMaxwellMarker(QPainter& painter, const TVector3& n, const TVector3& aux);

}  // namespace SmallPictures
