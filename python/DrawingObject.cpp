#include "python/DrawingObject.h"

#include <pybind11/numpy.h>

#include <QImage>
#include <array>
#include <cstring>

#include "app/core/FigureFields.h"
#include "geometry/Bitangents.h"
#include "geometry/Tritangents.h"
#include "render/Pictures.h"

namespace py = pybind11;

namespace {

using TTriple = std::array<long double, 3>;

// The records as numpy structured arrays; the field names are those of the JSON record.
struct TCurvePointRow {
  long double Param;
  TTriple Point, Tangent;
  long double Torsion;
};

struct TBitangentRow {
  bool OnHull, StartsBranch;
  long double ParamS, ParamT;
  TTriple PointS, PointT, Normal;
};

TTriple Components(const TVector3& v) { return {v.x, v.y, v.z}; }

// Rows first..last of `records` turned by `row` into a structured array.
template <class TRow, class TRecords, class TMake>
py::array_t<TRow> Rows(const TRecords& records, int first, int last, TMake row) {
  py::array_t<TRow> array(last < first ? 0 : last - first + 1);
  TRow* out = array.mutable_data();
  for (int i = first; i <= last; ++i) *out++ = row(records.at(i));
  return array;
}

// n x 3 long doubles, row k from `triple(k)`.
template <class TMake>
py::array_t<long double> Triples(std::size_t n, TMake triple) {
  py::array_t<long double> array({static_cast<py::ssize_t>(n), py::ssize_t{3}});
  auto out = array.mutable_unchecked<2>();
  for (std::size_t k = 0; k < n; ++k) {
    const TTriple t = triple(k);
    for (py::ssize_t c = 0; c < 3; ++c) out(static_cast<py::ssize_t>(k), c) = t[c];
  }
  return array;
}

py::object Real(const FigureFields::TField& field) {
  if (field.Vector) {
    const TTriple v = Components(*field.Vector);
    return py::array_t<long double>(3, v.data());
  }
  return WendrixPython::LongDoubleScalar(*field.Number);
}

py::dict Fields(const std::vector<FigureFields::TField>& fields, py::dict dict = py::dict()) {
  for (const FigureFields::TField& field : fields) dict[field.Name] = Real(field);
  return dict;
}

py::dict Input(const Glob::TCurveInput& accepted) {
  py::dict input;
  for (const FigureFields::TText& text : FigureFields::InputTexts(accepted)) input[text.Name] = *text.Value;
  return Fields(FigureFields::InputNumbers(accepted), input);
}

// H x W x 3 bytes, red, green, blue, as a PNG of the picture shows it.
py::array_t<std::uint8_t> Picture(const QImage& image) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
  const py::ssize_t height = rgb.height(), width = rgb.width();
  py::array_t<std::uint8_t> array({height, width, py::ssize_t{3}});
  for (py::ssize_t y = 0; y < height; ++y)
    std::memcpy(array.mutable_data(y), rgb.constScanLine(static_cast<int>(y)), static_cast<std::size_t>(width) * 3);
  return array;
}

py::object Mesh(const HullMesh::THullMesh& mesh) {
  py::array_t<std::int32_t> faces({static_cast<py::ssize_t>(mesh.Triangles.size()), py::ssize_t{3}});
  if (!mesh.Triangles.empty())
    std::memcpy(faces.mutable_data(), mesh.Triangles.data(), mesh.Triangles.size() * sizeof(mesh.Triangles[0]));
  return py::module_::import("types").attr("SimpleNamespace")(
      py::arg("vertices") = Triples(mesh.Vertices.size(), [&mesh](std::size_t k) { return Components(mesh.Vertices[k]); }),
      py::arg("faces") = faces, py::arg("strip_triangles") = mesh.StripTriangles, py::arg("strips") = mesh.Strips,
      py::arg("flat_faces") = mesh.FlatFaces);
}

py::dict Measures(const HullMeasures::TMeasures& measures) {
  py::dict dict;
  for (const auto& [name, value] : HullMeasures::NamedMeasures(measures))
    dict[name] = WendrixPython::LongDoubleScalar(value);
  return dict;
}

py::dict Timings(const Drawing::TStageTimes& times) {
  return py::dict(py::arg("sample") = times.Sample, py::arg("analyze") = times.Analyze,
                  py::arg("square") = times.Square, py::arg("normals") = times.Normals, py::arg("hull") = times.Hull,
                  py::arg("total") = times.Total);
}

}  // namespace

namespace WendrixPython {

void RegisterRecordTypes() {
  PYBIND11_NUMPY_DTYPE_EX(TCurvePointRow, Param, "param", Point, "point", Tangent, "tangent", Torsion, "torsion");
  PYBIND11_NUMPY_DTYPE_EX(TBitangentRow, OnHull, "on_hull", StartsBranch, "starts_branch", ParamS, "s", ParamT, "t",
                          PointS, "point_s", PointT, "point_t", Normal, "normal");
}

py::object LongDoubleScalar(long double value) {
  py::array_t<long double> array(std::vector<py::ssize_t>{});
  *array.mutable_data() = value;
  return array[py::tuple()];
}

py::object DrawingObject(const Drawing::TDrawingData& data, const TPictures& pictures, const TView& view,
                         const Drawing::TStageTimes& times, const HullMesh::THullMesh& mesh,
                         const HullMeasures::TMeasures& measures) {
  const Sampling::TFigure& figure = data.Figure;
  const Bitangents::TAnalysis& analysis = data.Analysis;
  auto curvePoint = [](const Mastil& m) {
    return TCurvePointRow{m.Param, Components(m.Point), Components(m.Tangent), m.Torsion};
  };
  auto bitangent = [](const BitangentRecord& r) {
    return TBitangentRow{r.OnHull != 0,     r.StartsBranch != 0,  r.ParamS,          r.ParamT,
                         Components(r.PointS), Components(r.PointT), Components(r.PlaneNormal)};
  };
  const auto tritangent = [&analysis](std::size_t k) { return analysis.TritangentTriples.at(k); };
  py::dict images;
  images["hull"] = Picture(pictures.HullBitmap);
  images["square"] = Picture(pictures.BitangBitmap);
  images["normals"] = Picture(pictures.MaxwellBitmap);
  return py::module_::import("types").attr("SimpleNamespace")(
      py::arg("input") = Input(data.Input),
      py::arg("curve_points") = Rows<TCurvePointRow>(figure.CurvePoints, 0, figure.CurvePointHigh, curvePoint),
      py::arg("chord_scale") = LongDoubleScalar(figure.ChordScale),
      py::arg("bitangents") = Rows<TBitangentRow>(analysis.BitangentList, 1, analysis.BitangentCount, bitangent),
      py::arg("tritangents") = Triples(static_cast<std::size_t>(analysis.TritangentCount), tritangent),
      py::arg("view") = Fields(FigureFields::ViewFields(view, figure)), py::arg("mesh") = Mesh(mesh),
      py::arg("pictures") = images, py::arg("measures") = Measures(measures), py::arg("timings_ms") = Timings(times));
}

}  // namespace WendrixPython
