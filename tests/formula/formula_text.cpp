// Formula texts: normalisation, numbers, names and the token string with its constants.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/formula/formula_helpers.h"

namespace {

using namespace FunParsWork;
using FormulaTest::ErrorOf;

// The normalised text, or "error N".
std::string Normal(const std::string& text) {
  std::string normal;
  const int code = NormalizeFormula(text, normal);
  return code == 0 ? normal : "error " + std::to_string(code);
}

// The token string of `text` before power rewriting, or "error N".
std::string Tokens(const std::string& text, const std::string& variables = "TPQ") {
  std::string normal;
  int code = NormalizeFormula(text, normal);
  std::vector<long double> constants(8, 0.0L);
  int count = 0;
  TokenText tokens;
  if (code == 0) code = TokenizeFormula(normal, variables, constants, count, tokens);
  return code == 0 ? TokenDisplay(tokens) : "error " + std::to_string(code);
}

TEST(FormulaNormalisation, ImplicitProducts) {
  EXPECT_EQ(Normal("2t"), "2*T");
  EXPECT_EQ(Normal("2 pi"), "2*PI");
  EXPECT_EQ(Normal("(t)(p)"), "(T)*(P)");
  EXPECT_EQ(Normal("p q"), "P*Q");
  EXPECT_EQ(Normal("x2"), "X*2");
  EXPECT_EQ(Normal("2 3"), "2*3");
  EXPECT_EQ(Normal("2(t)"), "2*(T)");
  EXPECT_EQ(Normal("(t)2"), "(T)*2");
  EXPECT_EQ(Normal("(t)p"), "(T)*P");
  // Only a space separates digits or letters into factors; tabs and line breaks drop out.
  EXPECT_EQ(Normal("2\t3"), "23");
  EXPECT_EQ(Normal("p\nq"), "PQ");
  // A letter before "(" is left for the tokenizer to read as a call or a product.
  EXPECT_EQ(Normal("sin (t)"), "SIN(T)");
}

TEST(FormulaNormalisation, SignsAndPowers) {
  EXPECT_EQ(Normal("-t"), "#T");
  EXPECT_EQ(Normal("(-t)"), "(#T)");
  EXPECT_EQ(Normal(" - t"), "#T");
  EXPECT_EQ(Normal("+t"), "T");
  EXPECT_EQ(Normal("(+t)"), "(T)");
  EXPECT_EQ(Normal("2*-t"), "2*-T");
  EXPECT_EQ(Normal("t-t"), "T-T");
  EXPECT_EQ(Normal("t**2"), "T^2");
  EXPECT_EQ(Normal("t* *2"), "T^2");
  EXPECT_EQ(Normal("t***2"), "T^*2");
  EXPECT_EQ(Normal("t^2"), "T^2");
  EXPECT_EQ(Normal("t\\2"), "T/2");
}

TEST(FormulaNormalisation, BracketShapesAndDecimalPoints) {
  EXPECT_EQ(Normal("[t]+{p}"), "(T)+(P)");
  EXPECT_EQ(Normal("[t)"), "(T)");
  EXPECT_EQ(Normal("1,5"), "1.5");
  EXPECT_EQ(Normal("1'5"), "1.5");
  EXPECT_EQ(Normal("1.5"), "1.5");
  EXPECT_EQ(Normal("((t)"), "error 4");
  EXPECT_EQ(Normal("t)+(t"), "error 4");  // the depth went negative before it came back
  EXPECT_EQ(Normal(""), "error 9");
  EXPECT_EQ(Normal(" \t\r\n"), "error 9");
  EXPECT_EQ(Normal("+"), "error 9");
  EXPECT_EQ(Normal("t;"), "error 2");
  EXPECT_EQ(Normal("t\xc3\xa9"), "error 2");  // bytes above 127 are not letters
  EXPECT_EQ(Normal(std::string("t\0", 2)), "error 2");
}

TEST(FormulaNumbers, ReadNumberStopsOnTheLastCharacter) {
  long double v = 0;
  std::size_t pos = 0;
  EXPECT_EQ(ReadNumber("12.5+T", pos, v), '5');
  EXPECT_EQ(pos, 3u);
  EXPECT_EQ(v, 12.5L);
  pos = 2;
  EXPECT_EQ(ReadNumber("T*0.1", pos, v), '1');
  EXPECT_EQ(v, 0.1L);  // correctly rounded to extended, not via double
  for (const char* bad : {"1.5.2", ".5", "5.", "3.*T"}) {
    pos = 0;
    EXPECT_EQ(ReadNumber(bad, pos, v), '?') << bad;
  }
}

TEST(FormulaNumbers, MalformedAndExtremeNumbers) {
  EXPECT_EQ(ErrorOf("1.5.2"), 1);
  EXPECT_EQ(ErrorOf(".5"), 1);
  EXPECT_EQ(ErrorOf("5."), 1);
  EXPECT_EQ(ErrorOf("3.t"), 1);
  EXPECT_EQ(ErrorOf("1E5"), 3);  // no exponent notation: 1*E*5, and E is no name
  EXPECT_EQ(ErrorOf("e"), 3);
  // Beyond the extended range a number cannot be written.
  EXPECT_EQ(ErrorOf("1" + std::string(5000, '0')), 1);
  EXPECT_EQ(FormulaTest::Eval("1" + std::string(4000, '0')), 1e4000L);
  EXPECT_EQ(FormulaTest::Eval("0." + std::string(3999, '0') + "1"), 1e-4000L);
  EXPECT_EQ(FormulaTest::Eval("123456789012345678901234567890"), 123456789012345678901234567890.0L);
}

TEST(FormulaNames, LookupKnowsEveryspellingExactly) {
  const std::string spellings[18] = {"COS",
                                     "SIN SEN",
                                     "EXP",
                                     "SQR",
                                     "SQRT",
                                     "LN LOG",
                                     "TG TAN",
                                     "SH SINH",
                                     "CH COSH",
                                     "TH TANH",
                                     "ARCSEN ASEN ARCSIN ASIN",
                                     "ARCCOS ACOS ARCOS",
                                     "ARCTG ARCTAN ATAN",
                                     "ABS",
                                     "COTG COTAN COT",
                                     "ARGCH ACOSH ARCCOSH ARGCOSH",
                                     "ARCTANH ARGTANH ARGTH ATANH",
                                     "ARCSINH ASINH ARGSH ARGSINH"};
  int count = 0;
  for (int code = 0; code < 18; ++code) {
    std::size_t start = 0;
    while (start < spellings[code].size()) {
      std::size_t end = spellings[code].find(' ', start);
      if (end == std::string::npos) end = spellings[code].size();
      EXPECT_EQ(LookupFunction(spellings[code].substr(start, end - start)), 'A' + code);
      start = end + 1;
      ++count;
    }
  }
  EXPECT_EQ(count, 42);
  for (const char* none : {"sin", "SINX", "SI", "", "ARCTH", "E", "PI"}) EXPECT_EQ(LookupFunction(none), '?') << none;
}

TEST(FormulaNames, SplitNameReadsFunctionsVariablesAndPi) {
  const std::string tpq = "TPQ";
  bool bracket = true;
  EXPECT_EQ(TokenDisplay(SplitName("PSIN", bracket, tpq)), "{2}*B");
  EXPECT_TRUE(bracket);
  EXPECT_EQ(TokenDisplay(SplitName("TACOSH", bracket, tpq)), "{1}*P");
  EXPECT_EQ(TokenDisplay(SplitName("ARGCOSH", bracket, tpq)), "P");  // the whole run first
  EXPECT_EQ(TokenDisplay(SplitName("QQQQPARGCOSH", bracket, tpq)), "{3}*{3}*{3}*{3}*{2}*P");
  bracket = false;
  EXPECT_EQ(TokenDisplay(SplitName("TPI", bracket, tpq)), "{1}*p");
  EXPECT_EQ(TokenDisplay(SplitName("PI", bracket, tpq)), "p");  // even with P a variable
  EXPECT_EQ(TokenDisplay(SplitName("PPI", bracket, tpq)), "{2}*p");
  EXPECT_EQ(TokenDisplay(SplitName("PQT", bracket, tpq)), "{2}*{3}*{1}");
  EXPECT_EQ(TokenDisplay(SplitName("SIN", bracket, tpq)), "");  // no bracket: S, I, N are no variables
  bracket = true;
  EXPECT_EQ(TokenDisplay(SplitName("T", bracket, tpq)), "{1}");  // one letter is never a call
  EXPECT_FALSE(bracket);
  bracket = true;
  EXPECT_EQ(TokenDisplay(SplitName("TQ", bracket, tpq)), "{1}*{3}");
  EXPECT_FALSE(bracket);
  bracket = true;
  EXPECT_EQ(TokenDisplay(SplitName("RSIN", bracket, tpq)), "");  // R is not a variable here
}

TEST(FormulaTokens, TokenStrings) {
  EXPECT_EQ(Tokens("cos(2t)(p+sen(3t))"), "A({4}*{1})*({2}+B({5}*{1}))");
  EXPECT_EQ(Tokens("2 pi"), "{4}*p");
  EXPECT_EQ(Tokens("t(1+t)"), "{1}*(1+{1})");
  EXPECT_EQ(Tokens("psin(t)"), "{2}*B({1})");
  EXPECT_EQ(Tokens("sin(t)^2"), Tokens("SIN(T)**2"));
  EXPECT_EQ(Tokens("sin(t)^2"), Tokens("sin[t]^2"));
  EXPECT_EQ(Tokens("1,5+1.5+1'5"), "{4}+{4}+{4}");
  EXPECT_EQ(Tokens("-t"), "#{1}");
  EXPECT_EQ(Tokens("sin t"), "error 3");
  EXPECT_EQ(Tokens("r"), "error 3");
  EXPECT_EQ(Tokens("r", "PQRSTUVWXYZ"), "{3}");
  EXPECT_EQ(Tokens("pi", "P"), "p");
}

TEST(FormulaTokens, ConstantsAreSharedAndOneIsNeverStored) {
  std::vector<long double> constants(8, 0.0L);
  int count = 0;
  TokenText tokens;
  ASSERT_EQ(TokenizeFormula("2+3+2+1+1.0+01+0.5*2", "TPQ", constants, count, tokens), 0);
  EXPECT_EQ(TokenDisplay(tokens), "{4}+{5}+{4}+1+1+1+{6}*{4}");
  EXPECT_EQ(count, 3);
  EXPECT_EQ(constants[0], 0);
  EXPECT_EQ(constants[1], 2);
  EXPECT_EQ(constants[3], 0.5L);
  // The table grows to the new slot + 10 when a slot reaches its length.
  std::string many = "0";
  for (int k = 2; k <= 8; ++k) many += "+" + std::to_string(k);
  constants.assign(8, 0.0L);
  count = 0;
  ASSERT_EQ(TokenizeFormula(many, "TPQ", constants, count, tokens), 0);
  EXPECT_EQ(count, 8);
  EXPECT_EQ(constants.size(), 18u);
  EXPECT_EQ(constants[8], 8);
}

// A sum of `count` distinct constants other than 1, each written twice.
std::string DistinctConstants(int count) {
  std::string text = "0";
  for (int k = 2; k <= count; ++k) text += "+" + std::to_string(k) + "-" + std::to_string(k);
  return text;
}

TEST(FormulaTokens, ConstantLimitDependsOnTheVariableCount) {
  EXPECT_EQ(ErrorOf(DistinctConstants(250)), 0);
  EXPECT_EQ(ErrorOf(DistinctConstants(251)), 5);
  EXPECT_EQ(ErrorOf(DistinctConstants(242), ""), 0);  // eleven default variables
  EXPECT_EQ(ErrorOf(DistinctConstants(243), ""), 5);
  EXPECT_EQ(ErrorOf(DistinctConstants(300)), 5);
  EXPECT_EQ(FormulaTest::Eval(DistinctConstants(250) + "+t", 7), 7);
}

}  // namespace
