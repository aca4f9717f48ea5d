// Building and running formula programs.
#include "formula/Program.h"

#include <algorithm>

#include "formula/FunParsInternal.h"
#include "formula/Operations.h"

using namespace FunParsWork;

namespace {

bool IsBinary(char16_t t) { return t == u'+' || t == u'-' || t == u'*' || t == u'/' || t == u'^'; }

}  // namespace

void TProgram::Emit(const std::u16string& postfix, const long double* constants, int variableCount) {
  Clear();
  constants_ = constants;
  operations_.reserve(postfix.size());
  std::size_t depth = 0;
  for (const Token t : postfix) {
    if (IsOperandRef(t)) {
      const int k = OperandIndex(t);
      const bool variable = k <= variableCount;
      operations_.push_back(
          {EKind::Push, static_cast<std::uint8_t>(variable ? 0 : 1), static_cast<std::uint32_t>(variable ? k - 1 : k - variableCount)});
      depth_ = std::max(depth_, ++depth);
      continue;
    }
    if (t == u'1' || t == u'p') {
      operations_.push_back({t == u'1' ? EKind::PushOne : EKind::PushPi});
      depth_ = std::max(depth_, ++depth);
      continue;
    }
    if (IsBinary(t)) {
      --depth;
      const int offset = static_cast<int>(std::u16string_view(u"+-*/^").find(t));
      // An operator right after a push of a variable or constant reads that operand
      // from memory instead.
      if (operations_.back().Kind == EKind::Push) {
        operations_.back().Kind = static_cast<EKind>(static_cast<int>(EKind::AddMemory) + offset);
      } else {
        operations_.push_back({static_cast<EKind>(static_cast<int>(EKind::Add) + offset)});
      }
      continue;
    }
    if (t == u'#') {
      operations_.push_back({EKind::Negate});
      continue;
    }
    // Function codes 'A' to 'R' in the order of EKind::Cosine onwards.
    operations_.push_back({static_cast<EKind>(static_cast<int>(EKind::Cosine) + (t - u'A'))});
  }
  if (depth_ > LocalDepth) scratch_.assign(depth_, 0.0L);
}

void TProgram::Clear() {
  operations_.clear();
  operations_.shrink_to_fit();
  constants_ = nullptr;
  depth_ = 0;
  scratch_.clear();
  scratch_.shrink_to_fit();
}

bool TProgram::ReadsVariables() const {
  return std::any_of(operations_.begin(), operations_.end(), [](const TOperation& op) {
    return op.Base == 0 && (op.Kind == EKind::Push || (op.Kind >= EKind::AddMemory && op.Kind <= EKind::PowerMemory));
  });
}

long double TProgram::Run(const long double* vars) const {
  using namespace FormulaOps;
  if (operations_.empty()) return 0;
  long double local[LocalDepth];
  long double* const s = depth_ <= LocalDepth ? local : scratch_.data();
  const long double* const bases[2] = {vars, constants_};
  std::size_t n = 0;  // values on the stack; s[n - 1] is the top
  for (const TOperation& op : operations_) {
    switch (op.Kind) {
      case EKind::Push:
        s[n++] = bases[op.Base][op.Index];
        break;
      case EKind::PushOne:
        s[n++] = 1.0L;
        break;
      case EKind::PushPi:
        s[n++] = Shared.Pi;
        break;
      case EKind::Add:
        --n;
        s[n - 1] = s[n - 1] + s[n];
        break;
      case EKind::Subtract:
        --n;
        s[n - 1] = s[n - 1] - s[n];
        break;
      case EKind::Multiply:
        --n;
        s[n - 1] = s[n - 1] * s[n];
        break;
      case EKind::Divide:
        --n;
        s[n - 1] = SafeDivide(s[n - 1], s[n]);
        break;
      case EKind::Power:
        --n;
        s[n - 1] = Power(s[n], s[n - 1]);
        break;
      case EKind::AddMemory:
        s[n - 1] = s[n - 1] + bases[op.Base][op.Index];
        break;
      case EKind::SubtractMemory:
        s[n - 1] = s[n - 1] - bases[op.Base][op.Index];
        break;
      case EKind::MultiplyMemory:
        s[n - 1] = s[n - 1] * bases[op.Base][op.Index];
        break;
      case EKind::DivideMemory:
        s[n - 1] = SafeDivide(s[n - 1], bases[op.Base][op.Index]);
        break;
      case EKind::PowerMemory:
        s[n - 1] = Power(bases[op.Base][op.Index], s[n - 1]);
        break;
      case EKind::Negate:
        s[n - 1] = -s[n - 1];
        break;
      case EKind::Square:
        s[n - 1] = Square(s[n - 1]);
        break;
      default:  // the other function codes, in the order of FunctionEffects
        s[n - 1] = FunctionEffects[static_cast<int>(op.Kind) - static_cast<int>(EKind::Cosine)](s[n - 1]);
        break;
    }
  }
  return s[0];
}
