// Random formulas from a small grammar: the compiled program and a plain recursive
// evaluation of the same expression tree, with the same x87 steps, agree to the bit;
// deep formulas agree with shallow ones.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

#include "tests/formula/formula_helpers.h"
#include "tests/formula/formula_random.h"

namespace {

using namespace FormulaRandom;

TEST(FormulaProperty, ProgramAgreesWithRecursiveEvaluationToTheBit) {
  TGenerator generator(20240611);
  std::mt19937 values(7);
  std::uniform_real_distribution<double> value(-4, 4);
  int compared = 0;
  for (int round = 0; round < 3000; ++round) {
    const std::unique_ptr<TExpr> e = generator.Make(1 + round % 6);
    const std::string text = generator.Write(*e);
    TOpCodeFunctionExtended f;
    std::string message;
    f.Compile(text, "tpq", message);
    ASSERT_EQ(message, "") << text;
    for (int k = 0; k < 3; ++k) {
      const long double vars[3] = {value(values), value(values), k == 0 ? 0.0L : value(values)};
      const long double program = f.Run(vars), reference = Reference(*e, vars);
      ASSERT_TRUE(SameBits(program, reference)) << text << " at t=" << vars[0] << " p=" << vars[1] << " q=" << vars[2]
                                                << ": " << program << " vs " << reference;
      ++compared;
    }
  }
  EXPECT_EQ(compared, 9000);
}

TEST(FormulaProperty, DeepFormulasAgreeWithShallowOnes) {
  // Right-nested sums keep every term on the stack; left-nested ones keep two.
  for (const int terms : {9, 40, 200}) {
    std::string deep, shallow = "t";
    for (int k = 1; k <= terms; ++k) {
      deep += std::to_string(k) + "+(";
      shallow += "+" + std::to_string(terms + 1 - k);
    }
    deep += "t" + std::string(terms, ')');
    EXPECT_EQ(FormulaTest::Eval(deep, 5), FormulaTest::Eval(shallow, 5)) << terms;
  }
  // A deep random formula against its reference, beyond the stack kept on the machine stack.
  TGenerator generator(99);
  std::string text = "t";
  long double expected = 0.75L;
  const long double vars[3] = {0.75L, 1.25L, -0.5L};
  for (int k = 0; k < 100; ++k) {
    const std::unique_ptr<TExpr> e = generator.Make(3);
    text = generator.Write(*e) + "-(" + text + ")";
    expected = Reference(*e, vars) - expected;
  }
  TOpCodeFunctionExtended f;
  std::string message;
  f.Compile(text, "tpq", message);
  ASSERT_EQ(message, "");
  EXPECT_TRUE(SameBits(f.Run(vars), expected));
}

}  // namespace
