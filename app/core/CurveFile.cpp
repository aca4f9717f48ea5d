#include "app/core/CurveFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QList>
#include <QString>
#include <cerrno>
#include <cstring>
#include <tuple>

#include "app/DrawingData.h"
#include "app/core/AppState.h"
#include "app/core/NumberText.h"
#include "app/core/SafeFile.h"
#include "formula/Checks.h"
#include "formula/FunPars.h"
#include "geometry/SharedState.h"

namespace CurveFile {

namespace {

// A curve file is eleven short lines; anything much larger is not one.
constexpr qint64 MaxFileSize = 1 << 20;

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// Splits at CR LF, LF or CR; a last line without an end counts, an empty tail does not.
std::vector<std::string> SplitLines(const QByteArray& data) {
  std::vector<std::string> lines;
  std::string line;
  for (qsizetype i = 0; i < data.size(); ++i) {
    const char c = data[i];
    if (c != '\r' && c != '\n') {
      line += c;
      continue;
    }
    if (c == '\r' && i + 1 < data.size() && data[i + 1] == '\n') ++i;
    lines.push_back(line);
    line.clear();
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

// Up to MaxFileSize + 1 bytes of the regular file `path`. Anything else (a FIFO or a
// device, which could keep the program waiting for ever) is refused before a byte is
// read; false with the reason in `error`.
bool ReadRegularFile(const std::string& path, QByteArray& data, std::string& error) {
  // Not blocking, so that opening a FIFO returns at once; a regular file ignores it.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    error = std::string(std::strerror(errno)) + ".";
    return false;
  }
  struct stat info {};
  bool ok = ::fstat(fd, &info) == 0;
  if (!ok) error = std::string(std::strerror(errno)) + ".";
  if (ok && !S_ISREG(info.st_mode)) {
    error = std::string("it is ") + SafeFile::KindName(info.st_mode) + ", not a curve file.";
    ok = false;
  }
  while (ok && data.size() <= MaxFileSize) {
    char block[65536];
    const ssize_t n = ::read(fd, block, sizeof block);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = std::string(std::strerror(errno)) + ".";
      ok = false;
    }
    if (n <= 0) break;
    data.append(block, n);
  }
  ::close(fd);
  return ok;
}

bool HoldsControlCharacter(const std::string& line) {
  for (const char c : line)
    if (static_cast<unsigned char>(c) < ' ' && c != '\t') return true;
  return false;
}

// A range of the file as its fields would be accepted; false when LeeDatos will refuse
// it anyway (a miswritten limit or an empty range).
bool EvaluateRange(const std::string& minText, const std::string& maxText, long double& min, long double& max) {
  std::string minMessage, maxMessage;
  min = FunPars::EvalConstant(minText, minMessage);
  max = FunPars::EvalConstant(maxText, maxMessage);
  return minMessage.empty() && maxMessage.empty() && min < max;
}

// The file's p and q snapped to their scroll positions in the file's own ranges. `known`
// is false when a range does not evaluate or is empty (LeeDatos refuses the file then);
// false with `error` when p or q has no position in its range.
bool SnapFileParameters(const TCurveTexts& file, const std::string& path, bool& known, long double& p,
                        long double& q, std::string& error) {
  const CurveInput::TInputFields& f = file.Fields;
  long double minP = 0, maxP = 0, minQ = 0, maxQ = 0;
  known = EvaluateRange(f.PMin, f.PMax, minP, maxP) && EvaluateRange(f.QMin, f.QMax, minQ, maxQ);
  if (!known) return true;
  std::string message;
  if (CurveInput::SnapParameter('p', file.P, minP, maxP, p, message) &&
      CurveInput::SnapParameter('q', file.Q, minQ, maxQ, q, message))
    return true;
  error = "Cannot load " + Quoted(path) + ": " + message + ".";
  return false;
}

}  // namespace

std::string FormatGeneral(long double value) { return NumberText::General(value, 15); }

std::vector<std::string> BuildSaveList(const Glob::TCurveInput& input) {
  std::vector<std::string> lines = {input.XFormula, input.YFormula, input.ZFormula};
  for (const long double v :
       {input.TMin, input.TMax, input.PMin, input.PMax, input.QMin, input.QMax, input.PValue, input.QValue})
    lines.push_back(FormatGeneral(v));
  return lines;
}

void WriteLines(const std::string& path, const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  SafeFile::Write(path, text);
}

void SaveCurve(const Glob::TCurveInput& input, const std::string& path) { WriteLines(path, BuildSaveList(input)); }

std::string SaveAsName(const std::string& chosen) {
  QString name = QString::fromStdString(CutName(chosen));
  if (name.size() < 4 || name[name.size() - 4] != '.') name += ".wdx";
  return CutName(name.toStdString());
}

std::string CutName(const std::string& name) {
  // Counted in characters, so that a cut never splits one.
  const QList<uint> characters = QString::fromStdString(name).toUcs4();
  if (characters.size() <= MaxNameLength) return name;
  return QString::fromUcs4(reinterpret_cast<const char32_t*>(characters.constData()), MaxNameLength).toStdString();
}

bool ReadCurveFile(const std::string& path, TCurveTexts& texts, std::string& error) {
  const std::string prefix = "Cannot load " + Quoted(path) + ": ";
  QByteArray data;
  if (!ReadRegularFile(path, data, error)) {
    error = prefix + error;
    return false;
  }
  if (data.size() > MaxFileSize) {
    error = prefix + "it is too large to be a curve file.";
    return false;
  }
  // Some editors begin a UTF-8 text with a byte-order mark; it is no part of line 1.
  if (data.startsWith("\xEF\xBB\xBF")) data.remove(0, 3);
  const std::vector<std::string> lines = SplitLines(data);
  bool binary = data.contains('\0');
  for (std::size_t i = 0; i < lines.size() && i < LineCount; ++i) binary = binary || HoldsControlCharacter(lines[i]);
  if (binary) {
    error = prefix + "it holds binary data, not the eleven lines of a curve file.";
    return false;
  }
  if (lines.size() < LineCount) {
    error = prefix + "it has " + std::to_string(lines.size()) + " lines where a curve file has eleven.";
    return false;
  }
  TCurveTexts read;
  read.Fields = {lines[0], lines[1], lines[2], lines[3], lines[4], lines[5], lines[6], lines[7], lines[8]};
  read.PText = lines[9];
  read.QText = lines[10];
  for (const auto& [line, text, value] : {std::tuple{10, &read.PText, &read.P}, std::tuple{11, &read.QText, &read.Q}})
    if (bool tooLarge = false; !CurveInput::ParsePlainDecimal(*text, *value, tooLarge)) {
      error = prefix + "line " + std::to_string(line) + " (\"" + *text + "\") is " +
              (tooLarge ? "too large a number." : "not a number.");
      return false;
    }
  texts = read;
  return true;
}

TLoadResult DelDisco(Drawing::TDrawingData& data, const std::string& path, CurveInput::TInputFields& fields,
                     bool& ready, TAppState& state) {
  TLoadResult result;
  TCurveTexts file;
  const auto fail = [&result] {
    result.FileError = true;
    return result;
  };
  if (!ReadCurveFile(path, file, result.Message)) return fail();
  bool known = false;
  long double p = 0, q = 0;
  if (!SnapFileParameters(file, path, known, p, q, result.Message)) return fail();

  fields = file.Fields;
  // A p or q other than the current one must be drawn even when lines 1 to 9 equal the
  // accepted input.
  if (known && (p != data.Input.PValue || q != data.Input.QValue)) ready = false;
  result.Read = CurveInput::LeeDatos(data, fields, ready);
  if (result.Read.Outcome == CurveInput::TReadOutcome::Changed) state.InputChanged();
  if (result.Read.Outcome != CurveInput::TReadOutcome::Refused) {
    // Accepted ranges are the file's, so p and q are known; they are the values of their
    // cursor positions, whatever position the scroll bars held before.
    data.Input.PValue = p;
    data.Input.QValue = q;
    result.Cursors = CurveInput::SituaCursores(data.Input);
    result.PPanel = CurveInput::PanelText(p);
    result.QPanel = CurveInput::PanelText(q);
  }
  state.DataChanged = false;
  state.CurveFileName = CutName(path);
  return result;
}

bool HasCurveExtension(const std::string& name) {
  return QString::fromStdString(name).endsWith(".wdx", Qt::CaseInsensitive);
}

}  // namespace CurveFile
