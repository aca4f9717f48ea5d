// A random formula grammar for the compiler's tests: trees of variables, constants,
// pi, operators, powers, negations and functions; their texts written in the
// notation's several ways; and a recursive evaluation of a tree with the same x87
// steps as the programs.
#pragma once

#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "formula/Operations.h"

namespace FormulaRandom {

using namespace FormulaOps;

struct TExpr {
  enum EKind { Variable, Constant, Pi, Binary, GeneralPower, IntegerPower, Negate, Function } Kind;
  char Letter = 0;        // Variable: t, p or q; Binary: + - * /; Function: code A..R
  long double Value = 0;  // Constant
  std::string Text;       // Constant as written; Function: the spelling
  int Exponent = 0;       // IntegerPower
  std::unique_ptr<TExpr> A, B;
};

inline const char* const Spellings[18][2] = {
    {"cos", "COS"},    {"sin", "sen"}, {"exp", "EXP"},  {"sqr", "Sqr"},       {"sqrt", "SQRT"},   {"ln", "log"},
    {"tg", "tan"},     {"sh", "sinh"}, {"ch", "cosh"},  {"th", "tanh"},       {"asin", "arcsen"}, {"acos", "arcos"},
    {"atan", "arctg"}, {"abs", "ABS"}, {"cotg", "cot"}, {"acosh", "argcosh"}, {"atanh", "argth"}, {"asinh", "argsh"}};

inline bool IntegralConstant(const TExpr& e) {
  return e.Kind == TExpr::Constant && e.Value == static_cast<long long>(e.Value);
}

class TGenerator {
 public:
  explicit TGenerator(unsigned seed) : random_(seed) {}

  std::unique_ptr<TExpr> Make(int depth) {
    auto e = std::make_unique<TExpr>();
    const int choice = depth <= 0 ? Pick(3) : Pick(9);
    switch (choice) {
      case 0:
        e->Kind = TExpr::Variable;
        e->Letter = "tpq"[Pick(3)];
        break;
      case 1: {
        static const char* const texts[] = {"2", "3", "0.5", "2.25", "7", "0", "10", "1.5", "1"};
        static const long double values[] = {2, 3, 0.5L, 2.25L, 7, 0, 10, 1.5L, 1};
        const int k = Pick(9);
        e->Kind = TExpr::Constant;
        e->Text = texts[k];
        e->Value = values[k];
        break;
      }
      case 2:
        e->Kind = TExpr::Pi;
        break;
      case 3:
      case 4:
        e->Kind = TExpr::Binary;
        e->Letter = "+-*/"[Pick(4)];
        e->A = Make(depth - 1);
        e->B = Make(depth - 1);
        break;
      case 5:
        e->Kind = TExpr::GeneralPower;
        e->A = Make(depth - 1);
        // An integral constant exponent would be an integer power.
        do e->B = Make(Pick(2) == 0 ? 0 : depth - 1);
        while (IntegralConstant(*e->B) || (e->B->Kind == TExpr::Negate && IntegralConstant(*e->B->A)));
        break;
      case 6:
        e->Kind = TExpr::IntegerPower;
        e->Exponent = Pick(9) - 3;
        e->A = Make(depth - 1);
        break;
      case 7:
        e->Kind = TExpr::Negate;
        e->A = Make(depth - 1);
        break;
      default:
        e->Kind = TExpr::Function;
        e->Letter = static_cast<char>('A' + Pick(18));
        e->Text = Spellings[e->Letter - 'A'][Pick(2)];
        e->A = Make(depth - 1);
        break;
    }
    return e;
  }

  // A formula text with exactly this tree: brackets only where the notation's binding
  // rules need them (and some more at random); products, powers, brackets and decimal
  // points written in the notation's several ways. `needed` is the binding strength the
  // place requires; `atStart` is true right after "(" or at the start, where "-" is unary.
  std::string Write(const TExpr& e, int needed = 0, bool atStart = true) {
    bool bracket = Strength(e) < needed || Pick(5) == 0;
    if (e.Kind == TExpr::Negate && !atStart) bracket = true;
    const std::string body = WriteBody(e, bracket || atStart);
    return bracket ? Bracket(body) : body;
  }

 private:
  // How tightly a tree written without outer brackets binds: sums 1, products 2, a unary
  // minus 3 (it applies to a whole power chain), powers 4, primaries 5.
  static int Strength(const TExpr& e) {
    switch (e.Kind) {
      case TExpr::Binary:
        return e.Letter == '+' || e.Letter == '-' ? 1 : 2;
      case TExpr::Negate:
        return 3;
      case TExpr::GeneralPower:
      case TExpr::IntegerPower:
        return 4;
      default:
        return 5;
    }
  }

  std::string WriteBody(const TExpr& e, bool atStart) {
    switch (e.Kind) {
      case TExpr::Variable:
        return std::string(1, Pick(2) == 0 ? e.Letter : static_cast<char>(e.Letter - 'a' + 'A'));
      case TExpr::Constant:
        return Pick(2) == 0 ? e.Text : Comma(e.Text);
      case TExpr::Pi:
        return Pick(2) == 0 ? "pi" : "PI";
      case TExpr::Binary: {
        const int strength = Strength(e);
        if (e.Letter == '*' && Pick(3) == 0) {
          // Implicit products: "2t", "2 pi", "t p", or "(a)(b)".
          if (e.A->Kind == TExpr::Constant && e.B->Kind != TExpr::Constant && Strength(*e.B) == 5 &&
              e.B->Kind != TExpr::Function)
            return e.A->Text + (Pick(2) == 0 ? " " : "") + WriteBody(*e.B, false);
          if (e.A->Kind == TExpr::Variable && e.B->Kind == TExpr::Variable)
            return WriteBody(*e.A, false) + (Pick(2) == 0 ? " " : "") + WriteBody(*e.B, false);
          return Bracket(Write(*e.A)) + Bracket(Write(*e.B));
        }
        return Write(*e.A, strength, atStart) + " " + e.Letter + " " + Write(*e.B, strength + 1, false);
      }
      case TExpr::GeneralPower:
        return Write(*e.A, 4, atStart) + Power() + Write(*e.B, 5, false);
      case TExpr::IntegerPower: {
        // Only another integer power may stay unbracketed as the base: t^2^3 is (t^2)^3,
        // while in t^p^2 the 2 applies to p alone.
        const std::string base = Write(*e.A, e.A->Kind == TExpr::IntegerPower ? 4 : 5, atStart);
        const std::string n = std::to_string(e.Exponent < 0 ? -e.Exponent : e.Exponent);
        return base + Power() + (e.Exponent < 0 ? "(-" + n + ")" : Pick(4) == 0 ? "(" + n + ")" : n);
      }
      case TExpr::Negate:
        return "-" + Write(*e.A, 4, false);
      case TExpr::Function:
        return e.Text + Bracket(Write(*e.A));
    }
    return "";
  }

  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
  std::string Bracket(const std::string& s) {
    static const char* const shapes[3] = {"()", "[]", "{}"};
    const char* shape = shapes[Pick(3)];
    return shape[0] + s + shape[1];
  }
  std::string Power() { return Pick(2) == 0 ? "^" : "**"; }
  std::string Comma(std::string s) {
    const std::size_t point = s.find('.');
    if (point != std::string::npos) s[point] = Pick(2) == 0 ? ',' : '\'';
    return s;
  }

  std::mt19937 random_;
};

// B(m) of an integer power: squarings of the halves, times the base for odd m.
inline long double IntegerPowerOf(long double base, unsigned m) {
  if (m == 0) return 1;
  if (m == 1) return base;
  const long double half = Square(IntegerPowerOf(base, m / 2));
  return m % 2 == 1 ? half * base : half;
}

inline long double Reference(const TExpr& e, const long double vars[3]) {
  switch (e.Kind) {
    case TExpr::Variable:
      return vars[e.Letter == 't' ? 0 : e.Letter == 'p' ? 1 : 2];
    case TExpr::Constant:
      return e.Value;
    case TExpr::Pi:
      return Shared.Pi;
    case TExpr::Binary: {
      const long double a = Reference(*e.A, vars), b = Reference(*e.B, vars);
      switch (e.Letter) {
        case '+':
          return a + b;
        case '-':
          return a - b;
        case '*':
          return a * b;
        default:
          return SafeDivide(a, b);
      }
    }
    case TExpr::GeneralPower:
      return Power(Reference(*e.A, vars), Reference(*e.B, vars));
    case TExpr::IntegerPower: {
      const unsigned m = static_cast<unsigned>(e.Exponent < 0 ? -e.Exponent : e.Exponent);
      const long double b = IntegerPowerOf(Reference(*e.A, vars), m);
      return e.Exponent < 0 ? SafeDivide(1, b) : b;
    }
    case TExpr::Negate:
      return -Reference(*e.A, vars);
    case TExpr::Function:
      return FunctionEffects[e.Letter - 'A'](Reference(*e.A, vars));
  }
  return 0;
}

inline bool SameBits(long double a, long double b) { return std::memcmp(&a, &b, 10) == 0; }

}  // namespace FormulaRandom
