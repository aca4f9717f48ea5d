// The Python module wendrix: draw() runs the input check and the drawing sequence of the
// window and wendrix-cli draw; eval() is wendrix-cli eval.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <new>

#include "app/Drawing.h"
#include "app/Glob.h"
#include "app/core/CurveInput.h"
#include "app/core/FormulaEval.h"
#include "app/core/ScriptedDraw.h"
#include "python/DrawingObject.h"

namespace py = pybind11;

namespace {

const char* const ModuleDoc =
    "Convex hulls of closed space curves: the analysis and pictures of Wendrix.\n\n"
    "Each draw() fills drawing data of its own, as wendrix-cli does once per command, and\n"
    "lets go of the GIL while it draws: other threads run meanwhile, and draws called from\n"
    "several threads run side by side (each also uses the machine's cores itself). eval()\n"
    "holds the GIL.";

const char* const DrawDoc =
    "Draws the curve (x(t,p,q), y(t,p,q), z(t,p,q)) for t in tmin .. tmax as the window's\n"
    "\"Draw It\" does, the fields given by keyword as the window's texts (defaults: the\n"
    "window's own), p and q placed at their scroll positions in pmin .. pmax and\n"
    "qmin .. qmax, the analysis\n"
    "seeded with `seed` (None: the clock). Returns an object with the attributes input,\n"
    "curve_points, chord_scale, bitangents, tritangents, view, mesh (vertices, faces),\n"
    "pictures (hull, square, normals: H x W x 3 uint8; the hull `size` pixels a side, the\n"
    "other two three quarters of it), measures and timings_ms; reals\n"
    "are numpy.longdouble. Raises ValueError with the window's message when the input is\n"
    "refused, RuntimeError with its message when the drawing fails.";

const char* const EvalDoc =
    "The value of `formula` in the window's notation, as wendrix-cli eval prints it, as a\n"
    "numpy.longdouble. `vars` lists the variable letters (\"\" for PQRSTUVWXYZ); without it\n"
    "the letters are the names of `values`, and without either the formula is read as a\n"
    "limit field is. A value is a number or a decimal text such as \"0.1\" (read to the\n"
    "last digit of a long double); unnamed variables are 0. Raises ValueError with the\n"
    "compiler's message, or for a name that is not a variable or a value that is no number.";

py::object Draw(std::string x, std::string y, std::string z, std::string tmin, std::string tmax, std::string pmin,
                std::string pmax, std::string qmin, std::string qmax, long double p, long double q,
                std::optional<std::uint32_t> /*seed: no stage draws random numbers now*/, int size) {
  CurveInput::TInputFields fields{x, y, z, tmin, tmax, pmin, pmax, qmin, qmax};
  Drawing::TDrawingData data;
  TPictures pictures;
  Drawing::TStageTimes times;
  TView view;
  HullMesh::THullMesh mesh;
  HullMeasures::TMeasures measures;
  {
    // The drawing touches nothing of Python's: other Python threads run meanwhile, and
    // draws on several threads run side by side. The exceptions are translated once the
    // lock is taken back.
    const py::gil_scoped_release unlocked;
    if (!GlobInitialize()) throw std::bad_alloc();
    std::string message;
    if (!ScriptedDraw::AcceptInput(data, fields, message) || !ScriptedDraw::PlaceParameters(data.Input, p, q, message))
      throw py::value_error(message);
    if (!CreatePictures(pictures, size, static_cast<int>(3LL * size / 4), message)) throw py::value_error(message);
    try {
      times = Drawing::DrawFigure(data, pictures, view);
      mesh = HullMesh::BuildHullMesh(data.Curve, data.Figure, data.Analysis);
      measures = HullMeasures::Measure(mesh, data.Analysis);
    } catch (const std::bad_alloc&) {
      throw;
    } catch (const std::exception& error) {
      // Every failure of the drawing is a RuntimeError, whatever its C++ type.
      throw std::runtime_error(error.what());
    }
  }
  return WendrixPython::DrawingObject(data, pictures, view, times, mesh, measures);
}

// A variable's value: a decimal text read as wendrix-cli reads it, or anything numpy
// turns into one long double.
long double VariableValue(const py::handle& value) {
  if (py::isinstance<py::str>(value)) {
    const std::string text = value.cast<std::string>();
    long double parsed = 0;
    if (!FormulaEval::ParseValue(text, parsed)) throw py::value_error("\"" + text + "\" is not a decimal number");
    return parsed;
  }
  const auto array = py::array_t<long double, py::array::forcecast>::ensure(value);
  if (!array || array.size() != 1) throw py::value_error("a variable's value must be one number");
  return *array.data();
}

py::object Eval(const std::string& formula, std::optional<std::string> vars, const py::kwargs& values) {
  if (!vars && !values.empty()) {
    vars.emplace();
    for (const auto& [name, value] : values) *vars += name.cast<std::string>();
  }
  const std::string letters = FormulaEval::VariableLetters(vars);
  std::vector<long double> slotValues(letters.size(), 0.0L);
  for (const auto& [key, value] : values) {
    const std::string name = key.cast<std::string>();
    const std::size_t slot = name.size() == 1 ? FormulaEval::VariableSlot(letters, name[0]) : std::string::npos;
    if (slot == std::string::npos) throw py::value_error("\"" + name + "\" is not a variable of vars");
    slotValues[slot] = VariableValue(value);
  }
  std::string message;
  const long double value = FormulaEval::Evaluate(formula, vars, slotValues, message);
  if (!message.empty()) throw py::value_error(message);
  return WendrixPython::LongDoubleScalar(value);
}

}  // namespace

PYBIND11_MODULE(wendrix, module) {
  module.doc() = ModuleDoc;
  WendrixPython::RegisterRecordTypes();
  const CurveInput::TInputFields defaults = CurveInput::DefaultFields();
  module.def("draw", &Draw, DrawDoc, py::kw_only(), py::arg("x") = defaults.X, py::arg("y") = defaults.Y,
             py::arg("z") = defaults.Z, py::arg("tmin") = defaults.TMin, py::arg("tmax") = defaults.TMax,
             py::arg("pmin") = defaults.PMin, py::arg("pmax") = defaults.PMax, py::arg("qmin") = defaults.QMin,
             py::arg("qmax") = defaults.QMax, py::arg("p") = 0.0L, py::arg("q") = 0.0L, py::arg("seed") = 1,
             py::arg("size") = DefaultHullSize);
  module.def("eval", &Eval, EvalDoc, py::arg("formula"), py::arg("vars") = py::none());
}
