#include "app/core/MeshFiles.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QString>
#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <set>
#include <vector>

#include "app/Drawing.h"
#include "app/core/NumberText.h"
#include "app/core/SafeFile.h"
#include "formula/Checks.h"
#include "geometry/Vectors.h"
#include "render/Pictures.h"

namespace MeshFiles {

namespace {

constexpr int ObjDigits = 15;
constexpr std::size_t StlHeaderSize = 80;
constexpr char StlTitle[] = "Wendrix hull mesh";  // never "solid...", which marks a text STL

const char* const NotDrawn = "Nothing to export: draw a figure first";

void AppendLittleEndian(std::string& bytes, std::uint32_t value, int size) {
  for (int k = 0; k < size; ++k) bytes += static_cast<char>((value >> (8 * k)) & 0xFFu);
}

void AppendFloats(std::string& bytes, const TVector3& v) {
  for (const long double c : {v.x, v.y, v.z})
    AppendLittleEndian(bytes, std::bit_cast<std::uint32_t>(static_cast<float>(c)), 4);
}

// False with `message` for a mesh that no file should hold: one without triangles, or
// with a coordinate that is infinite or not a number (the curve overflowed).
bool Writable(const HullMesh::THullMesh& mesh, std::string& message) {
  if (mesh.Triangles.empty()) {
    message = "No hull mesh written: the analysis found no faces of the hull";
    return false;
  }
  for (const TVector3& v : mesh.Vertices)
    if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z)) {
      message = "No hull mesh written: a curve point has a coordinate that is infinite or not a number";
      return false;
    }
  return true;
}

// How binary STL's single-precision coordinates change `mesh`: the farthest a vertex
// moves, and whether the mesh survives it: no two vertices falling on one point (that
// tears the surface open) and the enclosed volume kept within StlVolumeShare. Far from
// the origin the float grid is coarser than the figure's detail (at 1.5e6 its step is
// 0.125); slivers turned over by a move far below the figure's size do not count.
struct TStlRounding {
  long double Move = 0;
  bool Intact = true;
  bool Overflows = false;  // a coordinate lies beyond the largest float
};

constexpr long double StlVolumeShare = 1e-3L;

TStlRounding StlRounding(const HullMesh::THullMesh& mesh) {
  TStlRounding r;
  HullMesh::THullMesh rounded = mesh;
  std::set<std::array<long double, 3>> points;
  for (TVector3& v : rounded.Vertices) {
    const TVector3 exact = v;
    v = {static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z)};
    // The largest coordinate's move, not the length: the squares of a figure of
    // 1e-4000 would underflow to a move of 0.
    const TVector3 d = v - exact;
    r.Move = std::max({r.Move, std::fabs(d.x), std::fabs(d.y), std::fabs(d.z)});
    r.Overflows = r.Overflows || std::isinf(v.x) || std::isinf(v.y) || std::isinf(v.z);
    r.Intact = points.insert({v.x, v.y, v.z}).second && r.Intact;
  }
  const long double volume = HullMesh::MeshVolume(mesh);
  r.Intact = r.Intact && std::fabs(HullMesh::MeshVolume(rounded) - volume) <= StlVolumeShare * std::fabs(volume);
  return r;
}

// Below this diagonal a refused STL is refused for the figure's size, not its place:
// its coordinates fall among the floats next to 0, or to 0 itself.
constexpr long double StlTinyDiagonal = 1e-30L;

// Moves of a vertex below this share of the figure's diagonal are what single
// precision gives a figure near the origin or a few hundred diagonals away, and go
// unmentioned.
constexpr long double StlNoticeShare = 1e-5L;

// For binary STL: false with `message` when single precision would break the mesh;
// else `warning` tells how far the vertices move, when that is more than a figure near
// the origin sees (left empty otherwise).
bool StlPrecise(const HullMesh::THullMesh& mesh, long double diagonal, std::string& message, std::string& warning) {
  const TStlRounding r = StlRounding(mesh);
  const std::string move = NumberText::General(r.Move, 2);
  if (!r.Intact && (r.Overflows || diagonal < StlTinyDiagonal)) {
    message = std::string("No STL written: single precision cannot hold the coordinates of a figure this ") +
              (r.Overflows ? "large" : "small") + " (diagonal " + NumberText::General(diagonal, 2) +
              "); export as .obj, which keeps full precision";
    return false;
  }
  if (!r.Intact) {
    message = "No STL written: its single-precision coordinates would move the vertices by up to " + move +
              " at this distance from the origin, tearing the surface or changing its volume; export as .obj, "
              "which keeps full precision";
    return false;
  }
  if (r.Move > StlNoticeShare * diagonal)
    warning = "The STL's single-precision coordinates move the vertices by up to " + move +
              "; the .obj export keeps full precision";
  return true;
}

bool EndsWithNoCase(const std::string& text, const char* ending) {
  return QString::fromStdString(text).endsWith(QString::fromLatin1(ending), Qt::CaseInsensitive);
}

}  // namespace

std::string ObjText(const HullMesh::THullMesh& mesh) {
  std::string text = "# Wendrix hull mesh: " + std::to_string(mesh.Vertices.size()) + " vertices, " +
                     std::to_string(mesh.Triangles.size()) + " triangles\no hull\n";
  for (const TVector3& v : mesh.Vertices)
    text += "v " + NumberText::General(v.x, ObjDigits) + " " + NumberText::General(v.y, ObjDigits) + " " +
            NumberText::General(v.z, ObjDigits) + "\n";
  for (std::size_t k = 0; k < mesh.Triangles.size(); ++k) {
    if (k == 0 && mesh.StripTriangles > 0) text += "g strips\n";
    if (k == static_cast<std::size_t>(mesh.StripTriangles)) text += "g flat\n";
    const auto& t = mesh.Triangles[k];
    text += "f " + std::to_string(t[0] + 1) + " " + std::to_string(t[1] + 1) + " " + std::to_string(t[2] + 1) + "\n";
  }
  return text;
}

std::string StlBytes(const HullMesh::THullMesh& mesh) {
  std::string bytes(StlTitle);
  bytes.resize(StlHeaderSize, '\0');
  AppendLittleEndian(bytes, static_cast<std::uint32_t>(mesh.Triangles.size()), 4);
  for (std::size_t k = 0; k < mesh.Triangles.size(); ++k) {
    AppendFloats(bytes, HullMesh::TriangleNormal(mesh, k));
    for (const std::int32_t corner : mesh.Triangles[k]) AppendFloats(bytes, mesh.Vertices.at(corner));
    AppendLittleEndian(bytes, 0, 2);
  }
  return bytes;
}

TMeshFormat MeshFormatOf(const std::string& path) {
  if (EndsWithNoCase(path, ".obj")) return TMeshFormat::Obj;
  if (EndsWithNoCase(path, ".stl")) return TMeshFormat::Stl;
  return TMeshFormat::None;
}

bool ExportHullMesh(const TAppState& shown, const Drawing::TDrawingData& data, const std::string& path,
                    TMeshFormat format, std::string& message, std::string* warning) {
  if (warning) warning->clear();
  if (!shown.DrawnFlag) {
    message = NotDrawn;
    return false;
  }
  if (format == TMeshFormat::None) {
    message = "The mesh file name must end in .obj or .stl";
    return false;
  }
  const HullMesh::THullMesh mesh = HullMesh::BuildHullMesh(data.Curve, data.Figure, data.Analysis);
  std::string note;
  if (!Writable(mesh, message) ||
      (format == TMeshFormat::Stl && !StlPrecise(mesh, data.Figure.FigureDiagonal, message, note)))
    return false;
  SafeFile::Write(path, format == TMeshFormat::Obj ? ObjText(mesh) : StlBytes(mesh));
  const std::int32_t open = HullMesh::OpenEdges(mesh);
  message = "Hull mesh written to " + path + ": " + std::to_string(mesh.Triangles.size()) + " triangles (" +
            std::to_string(mesh.StripTriangles) + " in " + std::to_string(mesh.Strips) + " strips, the others in " +
            std::to_string(mesh.FlatFaces) + " flat faces), " + std::to_string(mesh.Vertices.size()) + " vertices; " +
            (open == 0 ? std::string("closed") : "not closed: " + std::to_string(open) + " open edges");
  if (warning)
    *warning = note;
  else if (!note.empty())
    message += "\n" + note;
  return true;
}

bool ExportHullMesh(const TAppState& shown, const Drawing::TDrawingData& data, const std::string& path,
                    std::string& message) {
  return ExportHullMesh(shown, data, path, MeshFormatOf(path), message, nullptr);
}

std::string PngBytes(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  if (image.isNull() || !buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
    throw WendrixError("Cannot encode a picture as PNG");
  return bytes.toStdString();
}

void WritePng(const std::string& path, const QImage& image) { SafeFile::Write(path, PngBytes(image)); }

TPictureNames PictureNames(const std::string& base) {
  const std::string stem = EndsWithNoCase(base, ".png") ? base.substr(0, base.size() - 4) : base;
  return {stem + "-hull.png", stem + "-square.png", stem + "-normals.png"};
}

bool ExportPictures(const TAppState& shown, const TPictures& pictures, const std::string& base, std::string& message) {
  if (!shown.DrawnFlag) {
    message = NotDrawn;
    return false;
  }
  if (base.empty()) {
    message = "No file name given for the pictures";
    return false;
  }
  const TPictureNames names = PictureNames(base);
  const std::pair<const std::string*, const QImage*> named[] = {
      {&names.Hull, shown.StereoMode ? &pictures.StereoBitmap : &pictures.HullBitmap},
      {&names.Square, &pictures.BitangBitmap},
      {&names.Normals, &pictures.MaxwellBitmap}};
  std::vector<SafeFile::TFile> files;
  for (const auto& [name, image] : named) files.push_back({*name, PngBytes(*image)});
  SafeFile::WriteAll(files);
  message = "Pictures written to " + names.Hull + ", " + names.Square + " and " + names.Normals;
  return true;
}

}  // namespace MeshFiles
