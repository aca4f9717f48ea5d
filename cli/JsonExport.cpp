#include "cli/JsonExport.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

#include "app/core/FigureFields.h"
#include "geometry/Bitangents.h"
#include "geometry/Tritangents.h"

namespace {

// Writes JSON text with the commas and keys in place; values nest through Begin/End.
class TJsonWriter {
 public:
  void Begin(const char* key, char bracket) {
    Key(key);
    text_ += bracket;
    first_.push_back(true);
  }
  void End(char bracket) {
    first_.pop_back();
    text_ += bracket;
  }
  void Number(const char* key, long double v) {
    Key(key);
    if (!std::isfinite(v)) {
      text_ += "null";
      return;
    }
    char buffer[64];
    text_.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, v).ptr);
  }
  void Vector(const char* key, const TVector3& v) {
    Begin(key, '[');
    for (const long double c : {v.x, v.y, v.z}) Number(nullptr, c);
    End(']');
  }
  void Bool(const char* key, bool b) {
    Key(key);
    text_ += b ? "true" : "false";
  }
  void String(const char* key, const std::string& s) {
    Key(key);
    Quote(s);
  }
  // Puts the next value on a new line, to keep long arrays readable.
  void Break() { break_ = true; }
  const std::string& Text() const { return text_; }

 private:
  void Key(const char* key) {
    if (!first_.empty()) {
      if (!first_.back()) text_ += ',';
      first_.back() = false;
    }
    if (break_) text_ += '\n';
    break_ = false;
    if (key) {
      Quote(key);
      text_ += ':';
    }
  }
  void Quote(const std::string& s) {
    text_ += '"';
    for (const char c : s) {
      if (c == '"' || c == '\\') {
        text_ += '\\';
        text_ += c;
      } else if (static_cast<unsigned char>(c) < ' ') {
        char escape[8];
        std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
        text_ += escape;
      } else {
        text_ += c;
      }
    }
    text_ += '"';
  }
  std::string text_;
  std::vector<bool> first_;
  bool break_ = false;
};

void WriteFields(TJsonWriter& json, const std::vector<FigureFields::TField>& fields) {
  for (const FigureFields::TField& field : fields) {
    if (field.Vector)
      json.Vector(field.Name, *field.Vector);
    else
      json.Number(field.Name, *field.Number);
  }
}

void WriteInput(TJsonWriter& json, const Glob::TCurveInput& input) {
  json.Begin("input", '{');
  for (const FigureFields::TText& text : FigureFields::InputTexts(input)) json.String(text.Name, *text.Value);
  WriteFields(json, FigureFields::InputNumbers(input));
  json.End('}');
}

void WriteView(TJsonWriter& json, const TView& view, const Sampling::TFigure& figure) {
  json.Begin("view", '{');
  WriteFields(json, FigureFields::ViewFields(view, figure));
  json.End('}');
}

void WriteCurve(TJsonWriter& json, const Sampling::TFigure& figure) {
  json.Begin("curve", '{');
  json.Number("chord_scale", figure.ChordScale);
  json.Begin("points", '[');
  for (int i = 0; i <= figure.CurvePointHigh; ++i) {
    const Mastil& m = figure.CurvePoints.at(i);
    json.Break();
    json.Begin(nullptr, '{');
    json.Number("param", m.Param);
    json.Vector("point", m.Point);
    json.Vector("tangent", m.Tangent);
    json.Number("torsion", m.Torsion);
    json.End('}');
  }
  json.End(']');
  json.End('}');
}

void WriteBitangents(TJsonWriter& json, const Bitangents::TAnalysis& analysis) {
  json.Begin("bitangents", '[');
  for (int i = 1; i <= analysis.BitangentCount; ++i) {
    const BitangentRecord& r = analysis.BitangentList.at(i);
    json.Break();
    json.Begin(nullptr, '{');
    json.Bool("on_hull", r.OnHull != 0);
    json.Bool("starts_branch", r.StartsBranch != 0);
    json.Number("s", r.ParamS);
    json.Number("t", r.ParamT);
    json.Vector("point_s", r.PointS);
    json.Vector("point_t", r.PointT);
    json.Vector("normal", r.PlaneNormal);
    json.End('}');
  }
  json.End(']');
}

void WriteTritangents(TJsonWriter& json, const Bitangents::TAnalysis& analysis) {
  json.Begin("tritangents", '[');
  for (int i = 0; i < analysis.TritangentCount; ++i) {
    json.Break();
    json.Begin(nullptr, '[');
    for (const long double u : analysis.TritangentTriples.at(i)) json.Number(nullptr, u);
    json.End(']');
  }
  json.End(']');
}

void WriteMeasures(TJsonWriter& json, const HullMeasures::TMeasures& m) {
  json.Begin("measures", '{');
  for (const auto& [key, value] : HullMeasures::NamedMeasures(m))
    json.Number(key, value);
  json.End('}');
}

void WriteTimes(TJsonWriter& json, const Drawing::TStageTimes& times) {
  json.Begin("timings_ms", '{');
  json.Number("sample", times.Sample);
  json.Number("analyze", times.Analyze);
  json.Number("square", times.Square);
  json.Number("normals", times.Normals);
  json.Number("hull", times.Hull);
  json.Number("total", times.Total);
  json.End('}');
}

}  // namespace

std::string DrawingJson(const Drawing::TDrawingData& data, const TView& view, const Drawing::TStageTimes& times,
                        const HullMeasures::TMeasures& measures) {
  TJsonWriter json;
  json.Begin(nullptr, '{');
  WriteInput(json, data.Input);
  json.Break();
  WriteView(json, view, data.Figure);
  json.Break();
  WriteCurve(json, data.Figure);
  json.Break();
  WriteBitangents(json, data.Analysis);
  json.Break();
  WriteTritangents(json, data.Analysis);
  json.Break();
  WriteMeasures(json, measures);
  json.Break();
  WriteTimes(json, times);
  json.End('}');
  return json.Text() + "\n";
}
