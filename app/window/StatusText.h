// What the window says about a drawing and about the pair under the pointer: the
// status-bar lines, and the pair's chord drawn over the main view.
#pragma once

#include <QString>

#include "app/Drawing.h"
#include "formula/Vector3.h"

class QPainter;

// One line on the drawing of `data`: curve points, bitangent records on the hull,
// branches (and the runs of them drawn as strips), flat faces, the hull mesh's area
// and volume, and the drawing's time.
// A figure without a hull reads as zero faces, area and volume.
QString DrawingSummary(const Drawing::TDrawingData& data, const Drawing::TStageTimes& times);

// The pair (s, t) under pixel (x, y) of the 300-pixel parameter square of `data` and
// what it is: on the hull, on a traced branch but not on the hull, or on no branch: the
// traced records within two pixels of (x, y) (in either order of s and t) decide, on-hull ones first.
QString PairSummary(const Drawing::TDrawingData& data, long double s, long double t, long double x, long double y);

// The chord from `a` to `b` projected into the main view `view`, in its own blue, at
// `scale` pixels of the painter per pixel of the 400-pixel framing. Ends that do not
// project to a finite pixel (behind the eye) draw nothing.
void DrawPairChord(QPainter& painter, const TView& view, const TVector3& a, const TVector3& b, long double scale);
