// Compilation: syntax check, power rewriting, postfix order, messages, and what an
// object holds after a failure; inputs far beyond ordinary formulas.
#include <gtest/gtest.h>

#include <string>

#include "tests/formula/formula_helpers.h"

namespace {

using namespace FunParsWork;
using FormulaTest::ErrorOf;
using FormulaTest::Eval;
using FormulaTest::Postfix;
using FormulaTest::Rewritten;

TEST(FormulaSyntax, FaultsAndAcceptedShapes) {
  for (const char* bad : {"()", "2+", "+*2", "2*-t", "t/-1", "(*t)", "sin()", "2^", "--t", "(-)", "t+(-+t)"})
    EXPECT_EQ(ErrorOf(bad), 6) << bad;
  for (const char* good : {"(2)(3)", "-sin(t)", "-(t)", "((t))", "t*(-1)"}) EXPECT_EQ(ErrorOf(good), 0) << good;
  EXPECT_EQ(Eval("(2)(3)"), 6);
}

TEST(FormulaSyntax, CheckSyntaxOnTokenStrings) {
  EXPECT_EQ(CheckSyntax(u"A(1)"), 0);
  EXPECT_EQ(CheckSyntax(u"A1"), 6);   // a function code needs "("
  EXPECT_EQ(CheckSyntax(u"1q"), 6);   // lower-case letters are never operands
  EXPECT_EQ(CheckSyntax(u"1+a"), 6);  // class "other"
  EXPECT_EQ(CheckSyntax(u"#p"), 0);
  // An operand reference is one operand whatever its index: here the index of "(".
  const TokenText ref(1, OperandRef('(' - 0));
  EXPECT_EQ(CheckSyntax(ref + u"*" + ref), 0);
  EXPECT_EQ(CheckSyntax(ref + ref), 6);
}

TEST(FormulaMessages, EachCodeHasItsText) {
  std::string message;
  TOpCodeFunctionExtended f;
  f.Compile("1.2.3", "tpq", message);
  EXPECT_EQ(message, "There is a miswritten number.");
  f.Compile("t?", "tpq", message);
  EXPECT_EQ(message, "You did use a character not allowed.");
  f.Compile("sin t", "tpq", message);
  EXPECT_EQ(message, "Some function or variable was miswritten.");
  f.Compile("(t", "tpq", message);
  EXPECT_EQ(message, "Check, please, the parentheses.");
  f.Compile("2+", "tpq", message);
  EXPECT_EQ(message, "There is a sintax defect in the formula.");
  f.Compile("  ", "tpq", message);
  EXPECT_EQ(message, "Perhaps you forgot to write something.");
  f.Compile("t", "tpa", message);
  EXPECT_EQ(message, "The allowed variables must be in the range 'p' to 'z'");
  EXPECT_EQ(ErrorOf("t+(", "tpa"), 11);  // the list is refused before the formula is read
  EXPECT_EQ(ErrorOf("t", "ttttttttttttt"), 11);
  EXPECT_EQ(ErrorOf("t", "TPQ"), 0);
  EXPECT_EQ(std::string(CompileMessages[10]), "The independent variables must be: ");
}

TEST(FormulaPowers, IntegerExponentsBecomeSquaringsAndProducts) {
  EXPECT_EQ(Rewritten("t^2"), "(D({1}))");
  EXPECT_EQ(Rewritten("t^3"), "(D({1})*{1})");
  EXPECT_EQ(Rewritten("t^6"), "(D(D({1})*{1}))");
  EXPECT_EQ(Rewritten("t^(-2)"), "(1/(D({1})))");
  EXPECT_EQ(Rewritten("t^0"), "(1)");
  EXPECT_EQ(Rewritten("t^1"), "({1})");
  EXPECT_EQ(Rewritten("t^(1)"), "({1})");
  EXPECT_EQ(Rewritten("t^(-1)"), "(1/({1}))");
  EXPECT_EQ(Rewritten("sin(t)^2"), "(D(B({1})))");
  EXPECT_EQ(Rewritten("-t^2"), "#(D({1}))");
  EXPECT_EQ(Rewritten("(t+1)^2"), "(D(({1}+1)))");
  EXPECT_EQ(Rewritten("t^2^3"), "(D((D({1})))*(D({1})))");
  // Not integer exponents: a variable, pi, an expression, a fraction.
  EXPECT_EQ(Rewritten("t^p"), "{1}^{2}");
  EXPECT_EQ(Rewritten("t^pi"), "{1}^p");
  EXPECT_EQ(Rewritten("t^(1+1)"), "{1}^(1+1)");
  EXPECT_EQ(Rewritten("t^2.5"), "{1}^{4}");
  EXPECT_EQ(Rewritten("t^(--2)"), "There is a sintax defect in the formula.");
  EXPECT_EQ(PowerText(u"x", 5), u"(D(D(x))*x)");
  EXPECT_EQ(PowerText(u"x", -3), u"(1/(D(x)*x))");
}

TEST(FormulaPowers, ValuesOfRewrittenPowers) {
  EXPECT_EQ(Eval("(-2)^2"), 4);
  EXPECT_EQ(Eval("(-2)^3"), -8);
  EXPECT_EQ(Eval("(-2)^2.5"), 0);
  EXPECT_EQ(Eval("t^0", 0), 1);
  EXPECT_EQ(Eval("0^(-1)"), 1e300L);  // 1/(0) follows the division rule
  EXPECT_EQ(Eval("-t^2", 3), -9);
  EXPECT_EQ(Eval("2^(-2)"), 0.25L);
  EXPECT_EQ(Eval("t^2^3", 2), 64);
  EXPECT_EQ(Eval("t^10", 3), 59049);
  EXPECT_EQ(Eval("t^2147483647", 1), 1);
  EXPECT_EQ(Eval("t^(-2147483647)", -1), -1);
}

TEST(FormulaPowers, ExponentsBeyond32BitsStayGeneralPowers) {
  EXPECT_EQ(Rewritten("t^2147483648"), "{1}^{4}");
  EXPECT_EQ(Rewritten("t^(-2147483648)"), "{1}^(#{4})");
  EXPECT_EQ(Eval("t^4294967296", -1), 0);  // a general power of a negative base
  EXPECT_EQ(Eval("t^4294967296", 1), 1);
}

TEST(FormulaPostfix, OrderAndAssociativity) {
  EXPECT_EQ(Postfix("cos(2t)(p+sen(3t))"), "{4}{1}*A{2}{5}{1}*B+*");
  EXPECT_EQ(Postfix("t-p-q"), "{1}{2}-{3}-");
  EXPECT_EQ(Postfix("t/p/q"), "{1}{2}/{3}/");
  EXPECT_EQ(Postfix("t-p*q"), "{1}{2}{3}*-");
  // Powers put the exponent first and the base on top, and associate to the left.
  EXPECT_EQ(Postfix("t^p"), "{2}{1}^");
  EXPECT_EQ(Postfix("t^p^q"), "{3}{2}{1}^^");
  // "#" applies to the whole power chain and binds more tightly than * and /.
  EXPECT_EQ(Postfix("-t^p"), "{2}{1}^#");
  EXPECT_EQ(Postfix("-t*p"), "{1}#{2}*");
  EXPECT_EQ(Postfix("-t^p^q*t"), "{3}{2}{1}^^#{1}*");
  EXPECT_EQ(Postfix("sin(-t+p)"), "{1}#{2}+B");
  // An integer power binds to the factor just before it, even inside a chain.
  EXPECT_EQ(Postfix("t^p^2"), "{2}D{1}^");
}

TEST(FormulaPostfix, AssociativityInValues) {
  EXPECT_EQ(Eval("t-p-q", 10, 4, 3), 3);
  EXPECT_EQ(Eval("t/p/q", 24, 4, 3), 2);
  EXPECT_EQ(Eval("t^p^q", 2, 3, 2), 64);  // (2^3)^2, not 2^9
  EXPECT_EQ(Eval("-t^p", 2, 2), -Eval("t^p", 2, 2));
  EXPECT_EQ(Eval("-t*p", 2, 3), -6);
}

TEST(FormulaObject, FailedCompileLeavesNoProgram) {
  TOpCodeFunctionExtended f;
  std::string message;
  const long double vars[3] = {2, 0, 0};
  f.Compile("t+5", "tpq", message);
  ASSERT_TRUE(f.Compiled());
  EXPECT_EQ(f.Run(vars), 7);
  f.Compile("t+", "tpq", message);
  EXPECT_FALSE(message.empty());
  EXPECT_FALSE(f.Compiled());
  EXPECT_EQ(f.Run(vars), 0);
  EXPECT_EQ(f.Source(), "t+");
  f.Compile("t", "tpa", message);  // a refused list drops the program as well
  EXPECT_EQ(f.Run(vars), 0);
  f.Compile("t*3", "tpq", message);
  EXPECT_EQ(f.Run(vars), 6);
  f.Clear();
  EXPECT_EQ(f.Run(vars), 0);
  EXPECT_EQ(f.Source(), "");
  TOpCodeFunctionExtended never;
  EXPECT_EQ(never.Run(nullptr), 0);
}

TEST(FormulaObject, RecompilingKeepsEachProgramWithItsOwnConstants) {
  TOpCodeFunctionExtended a, b;
  std::string message;
  a.Compile("t*7+0.25", "tpq", message);
  b.Compile("t*3", "tpq", message);
  a.Compile("t+100", "tpq", message);
  const long double vars[3] = {2, 0, 0};
  EXPECT_EQ(a.Run(vars), 102);
  EXPECT_EQ(b.Run(vars), 6);
}

// Inputs far beyond any typed formula give a value or a message (too long), quickly.
TEST(FormulaLimits, LongDeepAndExplodingFormulas) {
  std::string sum;
  for (int k = 0; k < 6000; ++k) sum += "t+";
  EXPECT_EQ(Eval(sum + "t", 0.5L), 3000.5L);
  for (int k = 0; k < 44000; ++k) sum += "t+";
  EXPECT_EQ(ErrorOf(sum + "t"), 8);

  std::string nested;
  for (int k = 0; k < 5000; ++k) nested += "(1+";
  nested += "t";
  nested += std::string(5000, ')');
  EXPECT_EQ(Eval(nested, 0.5L), 5000.5L);

  std::string calls;
  for (int k = 0; k < 5000; ++k) calls += "abs(";
  EXPECT_EQ(Eval(calls + "-t" + std::string(5000, ')'), 3), 3);

  EXPECT_EQ(Eval(std::string(6000, 't') + "(1)", 1), 1);
  EXPECT_EQ(ErrorOf(std::string(100000, 't') + "sin(t)"), 8);

  std::string brackets = std::string(100000, '(') + "t" + std::string(100000, ')');
  EXPECT_EQ(Eval(brackets, 4), 4);

  // Each link of a long chain of integer powers copies the growing base.
  std::string chain = "t";
  for (int k = 0; k < 20000; ++k) chain += "^2";
  EXPECT_EQ(ErrorOf(chain), 8);
  std::string shortChain = "t";
  for (int k = 0; k < 40; ++k) shortChain += "^1";
  EXPECT_EQ(Eval(shortChain, 3), 3);
  // Powers of powers of 2^31 - 1 multiply the length by 32 each time.
  EXPECT_EQ(ErrorOf("t^2147483647^2147483647^2147483647^2147483647^2147483647"), 8);
  EXPECT_EQ(ErrorOf(std::string(5000, '9')), 1);
}

}  // namespace
