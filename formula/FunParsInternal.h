// The compiler's steps and working state, open to the unit's own files and its tests.
//
// Token strings hold one 16-bit unit per token: the one-byte tokens keep their
// character code (below 256), and an operand reference to slot k is the single unit
// OperandBase + k, so no scan can ever take its index for a bracket or an operator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace FunParsWork {

using Token = char16_t;
using TokenText = std::u16string;

// An operand reference to slot k (variables 1..VariableCount, then the constants).
constexpr Token OperandBase = 0x100;
inline bool IsOperandRef(Token t) { return t >= OperandBase; }
inline Token OperandRef(int k) { return static_cast<Token>(OperandBase + k); }
inline int OperandIndex(Token t) { return t - OperandBase; }
inline bool IsBinaryOperator(Token t) { return t == u'+' || t == u'-' || t == u'*' || t == u'/' || t == u'^'; }
inline bool IsFunctionCode(Token t) { return t >= u'A' && t <= u'Z'; }

// The longest token string the compiler builds (power rewriting can multiply the
// length); a longer one is refused with message 8.
constexpr std::size_t MaxTokens = std::size_t{1} << 20;

// The most tokens that power rewriting may write in all its replacements together. A
// long chain such as t^2^2^...^2 copies its growing base at every link, so its work
// grows with the square of its length; beyond this it is refused with message 8.
constexpr std::size_t MaxRewriteWork = MaxTokens * 16;

// The work of one run of the postfix program `postfix`, in nanoseconds of this
// machine's x87 unit (about twice the time measured for each operation in long programs,
// so that slower arguments and larger code stay within it): 1 per operand, 4 per
// addition, product, negation, square or absolute value, 8 per division, 30 to 80 per
// root, exponential, logarithm and hyperbolic or inverse function, 150 to 200 per
// power, circular function, tanh, arctan and asinh, and 350 per cotangent.
std::size_t ProgramWork(const TokenText& postfix);

// Error codes of the compiler, indexes of CompileMessages.
enum ECompileError {
  NoError = 0,
  BadNumber = 1,
  BadCharacter = 2,
  BadName = 3,
  BadBrackets = 4,
  TooManyConstants = 5,
  SyntaxDefect = 6,
  TooLong = 8,
  EmptyFormula = 9,
  BadVariableList = 11,
};
extern const char* const CompileMessages[12];

// Working state of one compilation, made afresh by each.
struct TWorkState {
  std::string VariableList;  // upper case, slot order
  int VariableCount = 0;
  int ConstantCount = 0;
  std::string NormalText;  // after NormalizeFormula
  TokenText TokenString;   // after TokenizeFormula, then after RewritePowers
  TokenText PostfixText;   // after ToPostfix
};

// The steps of compiling `text` with the variable list `variables` (letters p to z in
// either case; empty: all eleven), short of the programs: `work` receives the variable
// list and the texts of each step, `constants` the literal values and `cost` the
// program's work. Returns 0 or an error code; a list longer than eleven letters or with
// another letter is BadVariableList.
int TranslateFormula(const std::string& text, const std::string& variables, TWorkState& work,
                     std::vector<long double>& constants, std::size_t& cost);

// ---- Text and tokens (FormulaText.cpp) ----------------------------------------------

// Folds `text` to upper case, drops blanks, inserts the implicit "*", marks unary
// minus as "#" and balances brackets into `normal`. Returns 0 or 2, 4, 9.
int NormalizeFormula(const std::string& text, std::string& normal);

// Reads the number whose first character is text[pos]: digits with at most one ".",
// not ending in ".". Returns the last character of the number with pos on it and the
// value in `value`, or '?' when the number is malformed or beyond the extended range.
char ReadNumber(const std::string& text, std::size_t& pos, long double& value);

// The function code ('A' to 'R') of an exact upper-case spelling, or '?'.
char LookupFunction(const std::string& name);

// Turns a run of letters into tokens with the variables `variables`: a function name
// at the end of the run when `followedByBracket` (cleared when there is none), then
// variables and PI read from right to left, joined by "*". Empty when unreadable.
TokenText SplitName(const std::string& run, bool& followedByBracket, const std::string& variables);

// Turns `normal` into `tokens`, storing every number other than 1 in `constants`
// (slots 1..constantCount, reused when equal, grown by 10). Returns 0 or 1, 3, 5.
int TokenizeFormula(const std::string& normal, const std::string& variables, std::vector<long double>& constants,
                    int& constantCount, TokenText& tokens);

// ---- Syntax, powers and postfix order (Postfix.cpp) ----------------------------------

// Checks the order of token classes. Returns 0 or 6.
int CheckSyntax(const TokenText& tokens);

// The replacement of base^n: "(" B(|n|) ")", or "(1/(" B(|n|) "))" for n < 0, where
// B(0) = "1", B(1) = base, B(m) = "D(" B(m div 2) ")" followed by "*" base when m is odd.
TokenText PowerText(const TokenText& base, std::int64_t n);

// Rewrites every power with an integer constant exponent (optionally bracketed and
// negated) into squarings and products. Constants are slots above variableCount.
// Returns 0, or 8 when the result would exceed MaxTokens or the replacements together
// MaxRewriteWork.
int RewritePowers(TokenText& tokens, const std::vector<long double>& constants, int variableCount);

// The postfix order of a syntax-checked token string: sums and products associate to
// the left, "#" applies to a whole power chain, powers associate to the left and put
// the exponent before the base. Iterative, so nesting depth is limited only by memory.
TokenText ToPostfix(const TokenText& tokens);

// Readable form of a token string for tests and messages: operand references are
// written "{k}", every other token as its character.
std::string TokenDisplay(const TokenText& tokens);

}  // namespace FunParsWork
