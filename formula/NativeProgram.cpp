// Emitting native x87 code for formula programs with the asmjit assembler.
//
// Register management: the x87 unit holds eight values. FreeSlots counts the free
// registers and SpillDepth the values moved out to memory. Before each token,
// EnsureRoom frees the registers its sequence needs at its peak by storing the oldest
// register values, one by one, into 16-byte slots at the bottom of a frame below the
// stack top; before a binary operator that finds only one value in the registers,
// ReloadSpilled brings the most recently stored value back beneath it.
//
// A constant that a double holds exactly, pushed right before +, - or * (or before a
// push that such an operator follows), is read by that operator as an m64 operand: one
// cheap instruction instead of a 10-byte load, with the same value.
//
// Every jump is a forward jump inside one guard or inside the sine sequence
// (NativeSine.cpp); all but the sine's are short.
//
// Comparisons follow the interpreter's compiled C++: "b == 0" is the quiet fucomip,
// the ordered tests the signalling fcomip, so that a NaN raises the invalid flag
// exactly where the interpreter raises it.
#include "formula/NativeProgram.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <asmjit/x86.h>
#include <cstdint>
#include <cstring>
#include <map>

#include "formula/FunParsInternal.h"
#include "formula/NativeSine.h"
#include "formula/X87.h"

using namespace asmjit;
using namespace FunParsWork;

namespace {

// Records that the assembler refused something; the program then stays without code.
class TErrorFlag : public ErrorHandler {
 public:
  void handleError(Error, const char*, BaseEmitter*) override { Failed = true; }
  bool Failed = false;
};

// Free registers a token's sequence needs at its peak; -1 for a token that no
// program holds.
int RoomNeeded(Token t) {
  if (IsOperandRef(t) || t == u'1' || t == u'p' || t == u'/' || t == u'^') return 1;
  switch (t) {
    case u'E': case u'F': case u'G': case u'M':
      return 1;
    case u'A': case u'B':
      return NativeSine::RoomNeeded;
    case u'C': case u'H': case u'I': case u'J': case u'K': case u'L': case u'O': case u'P': case u'Q': case u'R':
      return 2;
    case u'+': case u'-': case u'*': case u'#': case u'D': case u'N':  // in place
      return 0;
    default:
      return -1;
  }
}

class TEmitter {
 public:
  // A dry run (no assembler) only counts, to size the spill frame.
  explicit TEmitter(x86::Assembler* a, int variableCount, const long double* constants, int frameSlots)
      : a_(a), variableCount_(variableCount), constants_(constants), frameSlots_(frameSlots) {}

  // The code of one program whose value the entry returns; false when it is not a
  // well-formed program.
  bool Program(const std::u16string& postfix) {
    Begin();
    if (!Value(postfix)) return false;
    End();
    return true;
  }

  // The code of a sequence of programs, each storing its value; false when one is not
  // a well-formed program.
  bool Program(const std::vector<TNativeProgram::TStep>& steps) {
    Begin();
    for (const TNativeProgram::TStep& step : steps) {
      if (!Value(step.Postfix)) return false;
      Store(step);
    }
    End();
    return true;
  }

  int MostSpilled() const { return mostSpilled_; }

 private:
  void Begin() {
    if (a_ && frameSlots_ > 0) a_->sub(x86::rsp, 16 * frameSlots_);
  }

  void End() {
    if (!a_) return;
    if (frameSlots_ > 0) a_->add(x86::rsp, 16 * frameSlots_);
    a_->ret();
    PlaceLiterals();
  }

  // The code of `postfix`, which leaves its value alone in st0; false when it is not a
  // well-formed program.
  bool Value(const std::u16string& postfix) {
    for (std::size_t i = 0; i < postfix.size(); ++i) {
      const Token t = postfix[i];
      if (i + 1 < postfix.size() && FusesWith(t, postfix[i + 1])) {
        // c, op: st0 = st0 op c
        if (FreeSlots > 7) return false;  // no left operand
        ++i;
        if (a_) EmitFused(OperandIndex(t), postfix[i], false);
        continue;
      }
      if (i + 2 < postfix.size() && IsOperandRef(postfix[i + 1]) && FusesWith(t, postfix[i + 2])) {
        // c, push v, op: push v, then st0 = c op v
        EnsureRoom(1);
        if (a_) {
          EmitToken(postfix[i + 1]);
          EmitFused(OperandIndex(t), postfix[i + 2], true);
        }
        --FreeSlots;
        i += 2;
        continue;
      }
      const bool push = IsOperandRef(t) || t == u'1' || t == u'p';
      const int need = RoomNeeded(t);
      if (need < 0) return false;
      if (IsBinaryOperator(t)) {
        ReloadSpilled();
        if (FreeSlots > 6) return false;  // fewer than two values
      } else if (!push && FreeSlots > 7) {
        return false;  // a function without an argument
      }
      EnsureRoom(need);
      if (a_) EmitToken(t);
      if (push) --FreeSlots;
      if (IsBinaryOperator(t)) ++FreeSlots;
    }
    return FreeSlots == 7 && SpillDepth == 0;
  }

  // Stores the value Value left in st0 where `step` says, which empties the stack.
  void Store(const TNativeProgram::TStep& step) {
    using ETarget = TNativeProgram::TStep::ETarget;
    if (step.Target == ETarget::SineAndCosine) EnsureRoom(NativeSine::RoomNeededForBoth);
    FreeSlots = 8;
    if (!a_) return;
    if (step.Target == ETarget::Output) {
      a_->fstp(x86::tword_ptr(x86::rsi, 16 * step.Index));
      return;
    }
    if (step.Target == ETarget::SineAndCosine) {
      NativeSine::EmitBoth(*a_, Literals(), [&] {  // fsin; fprem by 2 pi, fcos
        a_->fld(x86::st0);
        Reduce(X87::Shared.TwoPi);
        a_->fcos();
        a_->fxch(x86::st1);
        a_->fsin();
      });
      a_->fstp(x86::tword_ptr(x86::rdi, 16 * step.Index));
      a_->fstp(x86::tword_ptr(x86::rdi, 16 * (step.Index + 1)));
      return;
    }
    a_->fstp(x86::tword_ptr(x86::rdi, 16 * step.Index));
  }

  // ---- Register management ----------------------------------------------------------

  void EnsureRoom(int need) {
    while (FreeSlots < need) {
      // The oldest register value is st(n-1). Turning the register ring by 9-n places
      // makes it st(0); it is stored and popped, and the ring turned back so that the
      // newest value is st(0) again. The values themselves never move.
      const int n = 8 - FreeSlots;
      ++SpillDepth;
      mostSpilled_ = std::max(mostSpilled_, SpillDepth);
      if (a_) {
        Turn(9 - n);
        a_->fstp(SpillSlot(SpillDepth));
        Turn(-(8 - n));
      }
      ++FreeSlots;
    }
  }

  void ReloadSpilled() {
    if (FreeSlots != 7 || SpillDepth == 0) return;
    if (a_) {
      a_->fld(SpillSlot(SpillDepth));
      a_->fxch(x86::st1);
    }
    --SpillDepth;
    --FreeSlots;
  }

  // Turns the register ring so that st(i) becomes st(i + places): fdecstp per place
  // forward, fincstp per place backward, whichever way round is shorter.
  void Turn(int places) {
    const int forward = ((places % 8) + 8) % 8;
    if (forward <= 4) {
      for (int k = 0; k < forward; ++k) a_->fdecstp();
    } else {
      for (int k = 0; k < 8 - forward; ++k) a_->fincstp();
    }
  }

  x86::Mem SpillSlot(int k) const { return x86::tword_ptr(x86::rsp, 16 * (k - 1)); }

  // ---- Literals, placed after the code and read relative to the instruction pointer --

  x86::Mem Literal(long double value) {
    std::array<unsigned char, 10> bytes;
    std::memcpy(bytes.data(), &value, 10);
    auto found = literals_.find(bytes);
    if (found == literals_.end()) found = literals_.emplace(bytes, a_->newLabel()).first;
    return x86::tword_ptr(found->second);
  }

  // A double, read by the instructions that take an m64 operand.
  x86::Mem DoubleLiteral(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    auto found = doubles_.find(bits);
    if (found == doubles_.end()) found = doubles_.emplace(bits, a_->newLabel()).first;
    return x86::qword_ptr(found->second);
  }

  NativeSine::TLiterals Literals() {
    return {[this](double value) { return DoubleLiteral(value); }};
  }

  void PlaceLiterals() {
    for (const auto& [bytes, label] : literals_) {
      a_->align(AlignMode::kData, 16);
      a_->bind(label);
      a_->embed(bytes.data(), bytes.size());
    }
    for (const auto& [bits, label] : doubles_) {
      a_->align(AlignMode::kData, 8);
      a_->bind(label);
      a_->embed(&bits, sizeof bits);
    }
  }

  // ---- Tokens -----------------------------------------------------------------------

  // True when `t` pushes a constant that a normal double (or zero) holds exactly and
  // `op` is +, - or *: the constant is then read by the operator as an m64 operand, in
  // place of a slow 10-byte load; converting it to double and back is exact, so the
  // value is the same. Decided on the bits, so that no conversion raises a flag.
  bool FusesWith(Token t, Token op) const {
    if (!IsOperandRef(t) || OperandIndex(t) <= variableCount_ || (op != u'+' && op != u'-' && op != u'*'))
      return false;
    const long double c = constants_[OperandIndex(t) - variableCount_];
    std::uint64_t significand;
    std::uint16_t signAndExponent;
    std::memcpy(&significand, &c, sizeof significand);
    std::memcpy(&signAndExponent, reinterpret_cast<const unsigned char*>(&c) + 8, sizeof signAndExponent);
    const int exponent = (signAndExponent & 0x7FFF) - 16383;
    if (significand == 0) return true;  // a zero
    return (significand & 0x7FF) == 0 && exponent >= -1022 && exponent <= 1023;
  }

  // st0 = st0 op c for the constant c of operand reference k, or c op st0 when the
  // constant is the left operand (fsubr for c - st0).
  void EmitFused(int k, Token op, bool constantFirst) {
    const x86::Mem c = DoubleLiteral(static_cast<double>(constants_[k - variableCount_]));
    if (op == u'+') a_->fadd(c);
    else if (op == u'*') a_->fmul(c);
    else if (constantFirst) a_->fsubr(c);
    else a_->fsub(c);
  }

  void EmitToken(Token t) {
    x86::Assembler& a = *a_;
    if (IsOperandRef(t)) {
      const int k = OperandIndex(t);
      if (k <= variableCount_)
        a.fld(x86::tword_ptr(x86::rdi, 16 * (k - 1)));
      else
        a.fld(Literal(constants_[k - variableCount_]));
      return;
    }
    switch (t) {
      case u'1': a.fld1(); break;
      case u'p': a.fldpi(); break;
      case u'+': a.faddp(x86::st1); break;
      case u'-': a.fsubp(x86::st1); break;  // st1 = st1 - st0: a - b
      case u'*': a.fmulp(x86::st1); break;
      case u'/': SafeDivide(); break;
      case u'^': Power(); break;
      case u'#': a.fchs(); break;
      case u'A':  // cosine; beyond the sequence's range one fprem by 2 pi, fcos
        NativeSine::Emit(a, 1, Literals(), [&] {
          Reduce(X87::Shared.TwoPi);
          a.fcos();
        });
        break;
      case u'B': NativeSine::Emit(a, 0, Literals(), [&] { a.fsin(); }); break;
      case u'C': Exponential(); break;
      case u'D': a.fmul(x86::st0, x86::st0); break;
      case u'E': SquareRoot(); break;
      case u'F': SafeLog(); break;
      case u'G': Tangent(); break;
      case u'H':
      case u'I':  // e -/+ 1/e, times 0.5
        Exponential();
        a.fld1();
        a.fdiv(x86::st0, x86::st1);
        if (t == u'H') a.fsubp(x86::st1); else a.faddp(x86::st1);
        a.fld(Literal(X87::Shared.Half));
        a.fmulp(x86::st1);
        break;
      case u'J': HypTangent(); break;
      case u'K':
      case u'L': ArcSineOrCosine(t == u'K'); break;
      case u'M':
        a.fld1();
        a.fpatan();
        break;
      case u'N': a.fabs(); break;
      case u'O': Cotangent(); break;
      case u'P': ArgCosh(); break;
      case u'Q': ArgTanh(); break;
      case u'R': ArgSinh(); break;
      default: break;  // RoomNeeded refused every other token
    }
  }

  // Compares the constant c (loaded into st0 and popped) with x = st(i) by fcomip:
  // falls through when x > c, jumps to `otherwise` when x <= c or x is NaN.
  void UnlessAbove(long double c, const Label& otherwise, int i = 1) {
    Load(c);
    a_->fcomip(x86::st(i));
    a_->short_().jae(otherwise);  // c >= x
    a_->short_().jp(otherwise);   // unordered
  }

  // Compares the constant c with x = st1 likewise: falls through when x >= c, jumps to
  // `otherwise` when x < c or x is NaN.
  void UnlessAtLeast(long double c, const Label& otherwise) {
    Load(c);
    a_->fcomip(x86::st1);
    a_->short_().ja(otherwise);  // c > x
    a_->short_().jp(otherwise);  // unordered
  }

  // Leaves |x| of st0 compared with c in the flags: CF set when c < |x| or unordered,
  // ZF set when equal or unordered (fld st0; fabs; load c; fcomip st1; fstp st0).
  void CompareAbs(long double c) {
    a_->fld(x86::st0);
    a_->fabs();
    Load(c);
    a_->fcomip(x86::st1);
    a_->fstp(x86::st0);
  }

  void Load(long double c) {
    if (c == 0 && !__builtin_signbit(c))
      a_->fldz();
    else if (c == 1)
      a_->fld1();
    else
      a_->fld(Literal(c));
  }

  // Drops st0 and puts the constant c in its place.
  void Replace(long double c) {
    a_->fstp(x86::st0);
    Load(c);
  }

  // a = st1, b = st0: a / b when b is not 0, a times 1e300 when it is.
  void SafeDivide() {
    x86::Assembler& a = *a_;
    const Label divide = a.newLabel(), done = a.newLabel();
    a.fldz();
    a.fucomip(x86::st1);
    a.short_().jp(divide);
    a.short_().jne(divide);
    a.fstp(x86::st0);
    a.fld(Literal(X87::Shared.Huge));
    a.fmulp(x86::st1);
    a.short_().jmp(done);
    a.bind(divide);
    a.fdivp(x86::st1);  // st1 = st1 / st0
    a.bind(done);
  }

  // 2^y of st0 for |y| <= 1000, else 1e300 (y > 1000) or 1e-300.
  void SafeExp2() {
    x86::Assembler& a = *a_;
    const Label outside = a.newLabel(), tiny = a.newLabel(), done = a.newLabel();
    CompareAbs(X87::Shared.Thousand);
    a.short_().jb(outside);  // 1000 < |y|, or NaN
    a.fld(x86::st0);
    a.frndint();
    a.fsub(x86::st1, x86::st0);  // st1 = y - n
    a.fxch(x86::st1);
    a.f2xm1();
    a.fld1();
    a.faddp(x86::st1);
    a.fscale();
    a.fstp(x86::st1);
    a.short_().jmp(done);
    a.bind(outside);
    UnlessAbove(X87::Shared.Thousand, tiny);
    Replace(X87::Shared.Huge);
    a.short_().jmp(done);
    a.bind(tiny);
    Replace(X87::Shared.Tiny);
    a.bind(done);
  }

  // ln x = log2(x) / log2(e) for x > 0, else -1000.
  void SafeLog() {
    x86::Assembler& a = *a_;
    const Label nonPositive = a.newLabel(), done = a.newLabel();
    UnlessAbove(0, nonPositive);
    a.fld1();
    a.fxch(x86::st1);
    a.fyl2x();
    a.fld(Literal(X87::Shared.Log2E));
    a.fdivp(x86::st1);
    a.short_().jmp(done);
    a.bind(nonPositive);
    Replace(-X87::Shared.Thousand);
    a.bind(done);
  }

  // ln x without a guard: fldln2; fxch; fyl2x.
  void LnDirect() {
    a_->fldln2();
    a_->fxch(x86::st1);
    a_->fyl2x();
  }

  // One fprem step of st0 modulo m.
  void Reduce(long double m) {
    a_->fld(Literal(m));
    a_->fxch(x86::st1);
    a_->fprem();
    a_->fstp(x86::st1);
  }

  void Exponential() {
    a_->fld(Literal(X87::Shared.Log2E));
    a_->fmulp(x86::st1);
    SafeExp2();
  }

  // Base x = st0, exponent y = st1: SafeExp2(y log2 x) for x > 0, else 0.
  void Power() {
    x86::Assembler& a = *a_;
    const Label nonPositive = a.newLabel(), done = a.newLabel();
    UnlessAbove(0, nonPositive);
    a.fyl2x();
    SafeExp2();
    a.short_().jmp(done);
    a.bind(nonPositive);
    a.fstp(x86::st0);
    Replace(0);
    a.bind(done);
  }

  void SquareRoot() {
    x86::Assembler& a = *a_;
    const Label nonPositive = a.newLabel(), done = a.newLabel();
    UnlessAbove(0, nonPositive);
    a.fsqrt();
    a.short_().jmp(done);
    a.bind(nonPositive);
    Replace(0);
    a.bind(done);
  }

  // fptan pushes 1 after a successful step (C2 clear); that 1 is dropped.
  void Tangent() {
    x86::Assembler& a = *a_;
    const Label done = a.newLabel();
    Reduce(X87::Shared.Pi);
    a.fptan();
    a.fnstsw(x86::ax);
    a.test(x86::ah, 4);
    a.short_().jnz(done);
    a.fstp(x86::st0);
    a.bind(done);
  }

  void Cotangent() {
    Reduce(X87::Shared.Pi);
    a_->fld(x86::st0);
    a_->fcos();
    a_->fxch(x86::st1);
    a_->fsin();
    SafeDivide();  // cos r / sin r
  }

  // s = e times e; (s - 1) / (s + 1).
  void HypTangent() {
    x86::Assembler& a = *a_;
    Exponential();
    a.fmul(x86::st0, x86::st0);
    a.fld(x86::st0);
    a.fld1();
    a.fsubp(x86::st1);  // s - 1, s
    a.fxch(x86::st1);
    a.fld1();
    a.faddp(x86::st1);  // s + 1, s - 1
    a.fdivp(x86::st1);
  }

  // |x| <= 1: the angle of (s, x) (sine) or (x, s) (cosine), s = sqrt(1 - x times x);
  // beyond: the end values of each.
  void ArcSineOrCosine(bool sine) {
    x86::Assembler& a = *a_;
    const Label outside = a.newLabel(), below = a.newLabel(), done = a.newLabel();
    CompareAbs(1);
    a.short_().jb(outside);
    a.fld(x86::st0);
    a.fmul(x86::st0, x86::st0);
    a.fld1();
    a.fsubrp(x86::st1);  // st1 = 1 - x times x
    a.fsqrt();
    if (!sine) a.fxch(x86::st1);
    a.fpatan();
    a.short_().jmp(done);
    a.bind(outside);
    UnlessAbove(1, below);
    Replace(sine ? X87::Shared.HalfPi : 0);
    a.short_().jmp(done);
    a.bind(below);
    Replace(sine ? -X87::Shared.HalfPi : X87::Shared.Pi);
    a.bind(done);
  }

  // x >= 1: LnDirect(x + sqrt(x times x - 1)); else 0.
  void ArgCosh() {
    x86::Assembler& a = *a_;
    const Label below = a.newLabel(), done = a.newLabel();
    UnlessAtLeast(1, below);
    a.fld(x86::st0);
    a.fmul(x86::st0, x86::st0);
    a.fld1();
    a.fsubp(x86::st1);  // x times x - 1
    a.fsqrt();
    a.faddp(x86::st1);
    LnDirect();
    a.short_().jmp(done);
    a.bind(below);
    Replace(0);
    a.bind(done);
  }

  // |x| < 1: LnDirect((1 + x) / (1 - x)) times 0.5; x >= 1: 1e300; else -1e300.
  void ArgTanh() {
    x86::Assembler& a = *a_;
    const Label outside = a.newLabel(), below = a.newLabel(), done = a.newLabel();
    CompareAbs(1);
    a.short_().jbe(outside);  // 1 <= |x|, or NaN
    a.fld1();
    a.fadd(x86::st0, x86::st1);  // 1 + x, x
    a.fld1();
    a.fsub(x86::st0, x86::st2);  // 1 - x, 1 + x, x
    a.fdivp(x86::st1);
    a.fstp(x86::st1);
    LnDirect();
    a.fld(Literal(X87::Shared.Half));
    a.fmulp(x86::st1);
    a.short_().jmp(done);
    a.bind(outside);
    UnlessAtLeast(1, below);
    Replace(X87::Shared.Huge);
    a.short_().jmp(done);
    a.bind(below);
    Replace(X87::Shared.NegHuge);
    a.bind(done);
  }

  // v = LnDirect(|x| + sqrt(x times x + 1)), negated when x < 0.
  void ArgSinh() {
    x86::Assembler& a = *a_;
    const Label done = a.newLabel();
    a.fld(x86::st0);
    a.fmul(x86::st0, x86::st0);
    a.fld1();
    a.faddp(x86::st1);
    a.fsqrt();  // s, x
    a.fld(x86::st1);
    a.fabs();
    a.faddp(x86::st1);  // |x| + s, x
    LnDirect();         // v, x
    a.fldz();
    a.fcomip(x86::st2);
    a.fstp(x86::st1);
    a.short_().jbe(done);  // not 0 > x
    a.fchs();
    a.bind(done);
  }

  x86::Assembler* a_;
  int variableCount_;
  const long double* constants_;
  int frameSlots_;
  int FreeSlots = 8;
  int SpillDepth = 0;
  int mostSpilled_ = 0;
  std::map<std::array<unsigned char, 10>, Label> literals_;
  std::map<std::uint64_t, Label> doubles_;
};

}  // namespace

namespace {

// Code pages holding a finished program; no pages when there is none.
struct TMapped {
  void* Pages = nullptr;
  std::size_t Length = 0, Size = 0;
};

// Assembles the code of `source` (a postfix program or a sequence of steps) into pages
// of its own; none when the emitter refuses the source, when it would spill more than
// MaxSpilled values or when the system refuses executable memory.
template <class TSource>
TMapped Assemble(const TSource& source, const long double* constants, int variableCount) {
  TEmitter plan(nullptr, variableCount, constants, 0);
  if (!plan.Program(source) || plan.MostSpilled() > TNativeProgram::MaxSpilled) return {};

  CodeHolder code;
  TErrorFlag errors;
  code.init(Environment::host());
  code.setErrorHandler(&errors);
  x86::Assembler assembler(&code);
  TEmitter(&assembler, variableCount, constants, plan.MostSpilled()).Program(source);
  if (errors.Failed || code.flatten() != kErrorOk || code.resolveUnresolvedLinks() != kErrorOk) return {};

  // Written while read-write, then made read-execute: never both at once.
  const std::size_t size = code.codeSize();
  const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  const std::size_t length = (size + page - 1) / page * page;
  void* pages = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (pages == MAP_FAILED) return {};
  const bool written = code.relocateToBase(reinterpret_cast<std::uint64_t>(pages)) == kErrorOk &&
                       code.copyFlattenedData(pages, size, CopySectionFlags::kPadSectionBuffer) == kErrorOk;
  if (!written || mprotect(pages, length, PROT_READ | PROT_EXEC) != 0) {
    munmap(pages, length);
    return {};
  }
  return {pages, length, size};
}

}  // namespace

bool TNativeProgram::EmitProgram(const std::u16string& postfix, const long double* constants, int variableCount) {
  Clear();
  const TMapped mapped = Assemble(postfix, constants, variableCount);
  Keep(mapped.Pages, mapped.Length, mapped.Size);
  entry_ = reinterpret_cast<TEntry>(pages_);
  return pages_ != nullptr;
}

bool TNativeProgram::EmitSequence(const std::vector<TStep>& steps, const long double* constants, int variableCount) {
  Clear();
  const TMapped mapped = Assemble(steps, constants, variableCount);
  Keep(mapped.Pages, mapped.Length, mapped.Size);
  sequence_ = reinterpret_cast<TSequenceEntry>(pages_);
  return pages_ != nullptr;
}

void TNativeProgram::Keep(void* pages, std::size_t length, std::size_t size) {
  pages_ = pages;
  length_ = length;
  size_ = size;
}

void TNativeProgram::Clear() {
  if (pages_) munmap(pages_, length_);
  pages_ = nullptr;
  length_ = size_ = 0;
  entry_ = nullptr;
  sequence_ = nullptr;
}
