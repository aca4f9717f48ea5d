// Building and running formula programs.
#include "formula/Program.h"

#include <algorithm>

#include "formula/FunParsInternal.h"
#include "formula/Operations.h"

using namespace FunParsWork;

void TProgram::Emit(const std::u16string& postfix, const long double* constants, int variableCount) {
  Clear();
  constants_ = constants;
  operations_.reserve(postfix.size());
  std::size_t depth = 0;
  for (const Token t : postfix) {
    if (IsOperandRef(t)) {
      const int k = OperandIndex(t);
      const bool variable = k <= variableCount;
      const int index = variable ? k - 1 : k - variableCount;
      operations_.push_back(
          {EKind::Push, static_cast<std::uint8_t>(variable ? 0 : 1), static_cast<std::uint32_t>(index)});
      depth_ = std::max(depth_, ++depth);
      continue;
    }
    if (t == u'1' || t == u'p') {
      operations_.push_back({t == u'1' ? EKind::PushOne : EKind::PushPi});
      depth_ = std::max(depth_, ++depth);
      continue;
    }
    if (IsBinaryOperator(t)) {
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
    static_assert(static_cast<int>(EKind::ArgSinh) - static_cast<int>(EKind::Cosine) == 'R' - 'A');
    operations_.push_back({static_cast<EKind>(static_cast<int>(EKind::Cosine) + (t - u'A'))});
  }
}

void TProgram::Clear() {
  operations_.clear();
  operations_.shrink_to_fit();
  constants_ = nullptr;
  depth_ = 0;
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
  // A deeper program's stack is the running thread's own: threads that evaluate one
  // curve at once would overwrite each other's values in a stack of the program's.
  thread_local std::vector<long double> deep;
  if (depth_ > LocalDepth && deep.size() < depth_) deep.resize(depth_);
  long double* const s = depth_ <= LocalDepth ? local : deep.data();
  const long double* const bases[2] = {vars, constants_};
  // The top of the value stack stays in x (a register); s[0..n-1] hold the values
  // below it. The first push stores the meaningless initial x into s[0].
  long double x = 0;
  std::size_t n = 0;
  for (const TOperation& op : operations_) {
    switch (op.Kind) {
      case EKind::Push:
        s[n++] = x;
        x = bases[op.Base][op.Index];
        break;
      case EKind::PushOne:
        s[n++] = x;
        x = 1.0L;
        break;
      case EKind::PushPi:
        s[n++] = x;
        x = Shared.Pi;
        break;
      case EKind::Add:
        x = s[--n] + x;
        break;
      case EKind::Subtract:
        x = s[--n] - x;
        break;
      case EKind::Multiply:
        x = s[--n] * x;
        break;
      case EKind::Divide:
        x = SafeDivide(s[--n], x);
        break;
      case EKind::Power:  // x is the base, the exponent lies below it
        x = Power(x, s[--n]);
        break;
      case EKind::AddMemory:
        x = x + bases[op.Base][op.Index];
        break;
      case EKind::SubtractMemory:
        x = x - bases[op.Base][op.Index];
        break;
      case EKind::MultiplyMemory:
        x = x * bases[op.Base][op.Index];
        break;
      case EKind::DivideMemory:
        x = SafeDivide(x, bases[op.Base][op.Index]);
        break;
      case EKind::PowerMemory:
        x = Power(bases[op.Base][op.Index], x);
        break;
      case EKind::Negate:
        x = -x;
        break;
      case EKind::Cosine:
        x = Cosine(x);
        break;
      case EKind::Sine:
        x = Sine(x);
        break;
      case EKind::Exponential:
        x = Exponential(x);
        break;
      case EKind::Square:
        x = Square(x);
        break;
      case EKind::SquareRoot:
        x = SquareRoot(x);
        break;
      case EKind::Logarithm:
        x = Logarithm(x);
        break;
      case EKind::Tangent:
        x = Tangent(x);
        break;
      case EKind::HypSine:
        x = HypSine(x);
        break;
      case EKind::HypCosine:
        x = HypCosine(x);
        break;
      case EKind::HypTangent:
        x = HypTangent(x);
        break;
      case EKind::ArcSine:
        x = ArcSine(x);
        break;
      case EKind::ArcCosine:
        x = ArcCosine(x);
        break;
      case EKind::ArcTangent:
        x = ArcTangent(x);
        break;
      case EKind::Absolute:
        x = Absolute(x);
        break;
      case EKind::Cotangent:
        x = Cotangent(x);
        break;
      case EKind::ArgCosh:
        x = ArgCosh(x);
        break;
      case EKind::ArgTanh:
        x = ArgTanh(x);
        break;
      case EKind::ArgSinh:
        x = ArgSinh(x);
        break;
    }
  }
  return x;
}
