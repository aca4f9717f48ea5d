// Exporting a drawn figure: the hull's boundary as a Wavefront OBJ or binary STL mesh,
// and the three pictures as PNG files. Free of widgets; the window's File menu and
// wendrix-cli draw both call these. Files are replaced whole (SafeFile::Write).
#pragma once

#include <string>

#include "app/DrawingData.h"
#include "app/core/AppState.h"
#include "render/Pictures.h"

class QImage;

#include "render/HullMesh.h"

namespace MeshFiles {

// Wavefront OBJ text of `mesh`: a comment line with the counts, one "v x y z" line per
// vertex (15 significant digits, '.' whatever the locale), then the faces "f a b c"
// (1-based, counter-clockwise seen from outside) in two groups, "strips" and "flat".
// Vertices shared by neighbouring strip triangles are written once. An empty mesh gives
// the comment line and the object name only.
std::string ObjText(const HullMesh::THullMesh& mesh);

// Binary STL bytes of `mesh`: an 80-byte header, the triangle count as a little-endian
// 32-bit integer, then 50 bytes per triangle: its unit outward normal and three corners
// as little-endian 32-bit floats, and a zero 16-bit attribute. 84 + 50 n bytes in all;
// a triangle without area gets the normal (0, 0, 0).
std::string StlBytes(const HullMesh::THullMesh& mesh);

enum class TMeshFormat { None, Obj, Stl };

// The format a file name asks for by its extension, ".obj" or ".stl" in any letter case;
// None for any other name.
TMeshFormat MeshFormatOf(const std::string& path);

// Builds the mesh of the figure of `data` (HullMesh::BuildHullMesh) and writes it to `path`
// in `format`. Answers false with `message` and writes nothing while no figure is drawn
// (`shown`'s DrawnFlag false), when `format` is None, when the mesh has no triangles or a
// coordinate that is not finite, or for STL when single precision would merge vertices
// or change the volume by more than 0.1% (a figure far from the origin); otherwise true,
// `message` saying what was written and whether the surface is closed. An STL whose
// vertices single precision moves by more than 1e-5 of the figure's diagonal gets a note
// saying how far, in `*warning` (emptied otherwise), or without `warning` on a line of
// its own after `message`. A file that cannot be written throws WendrixError (a
// previous file at `path` stays whole).
bool ExportHullMesh(const TAppState& shown, const Drawing::TDrawingData& data, const std::string& path,
                    TMeshFormat format, std::string& message, std::string* warning = nullptr);

// "Export Hull Mesh...": ExportHullMesh in the format of the name's extension; a name
// that ends in neither ".obj" nor ".stl" is refused with a message.
bool ExportHullMesh(const TAppState& shown, const Drawing::TDrawingData& data, const std::string& path,
                    std::string& message);

// The three picture files of a base name: base-hull.png (the main view as shown),
// base-square.png (the parameter square) and base-normals.png (the normals picture).
// A ".png" ending of `base`, in any letter case, is dropped first.
struct TPictureNames {
  std::string Hull, Square, Normals;
};
TPictureNames PictureNames(const std::string& base);

// The bytes of `image` as a PNG file. Throws WendrixError when it cannot be encoded
// (a null image).
std::string PngBytes(const QImage& image);

// Writes `image` as a PNG file at `path` through SafeFile::Write. Throws WendrixError
// when the image cannot be encoded (a null image) or the file cannot be written (a
// previous file at `path` then stays whole).
void WritePng(const std::string& path, const QImage& image);

// "Export Pictures...": writes the main view of `pictures` (StereoBitmap while `shown` is in StereoMode,
// otherwise HullBitmap), BitangBitmap and MaxwellBitmap as PNG under PictureNames(base). Answers
// false with `message` and writes nothing while no figure is drawn or when `base` is
// empty; otherwise true, `message` naming the files. The three are written all or
// nothing (SafeFile::WriteAll): when one cannot be, WendrixError, and none has changed.
bool ExportPictures(const TAppState& shown, const TPictures& pictures, const std::string& base, std::string& message);

}  // namespace MeshFiles
