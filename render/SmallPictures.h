// The two small pictures: the square of bitangent pairs and the circle of the unit
// normals of the hull's strips, with the reversible marker of one normal.
#pragma once

#include "formula/Vector3.h"
#include "geometry/Bitangents.h"
#include "geometry/Sampling.h"
#include "geometry/View.h"
#include "render/Pictures.h"

class QPainter;

namespace SmallPictures {

// Repaints the BitangBitmap of `pictures`: the traced branches of `analysis` in the
// parameter square of the t interval of `figure`, laid out for 300 pixels and scaled
// to the picture's size.
void PaintBitangSquare(TPictures& pictures, const Sampling::TFigure& figure, const Bitangents::TAnalysis& analysis);

// Repaints the MaxwellBitmap of `pictures`: the unit sphere and the paths of the visible
// strips' normals of `analysis` as `view` turns them, laid out for 300 pixels and scaled to the
// picture's size.
void PaintMaxwell(TPictures& pictures, const TView& view, const Bitangents::TAnalysis& analysis);

// Draws, in not-xor mode, the decagon marker of normal n (and of -n) on `painter`, a
// square surface of `size` pixels (the normals' picture) as `view` turns it; aux is any
// direction not parallel to n. Drawing twice undoes it.
void DrawMaxwellMarker(QPainter& painter, int size, const TView& view, const TVector3& n, const TVector3& aux);

}  // namespace SmallPictures
