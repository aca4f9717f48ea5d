// Normalisation of formula texts and their tokenizing.
#include <locale.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "formula/FunParsInternal.h"

namespace FunParsWork {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return c >= 'A' && c <= 'Z'; }

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// The spellings of the functions and their codes, in lookup order.
struct WrittenFunction {
  const char* Name;
  char Code;
};
constexpr WrittenFunction FunctionNames[42] = {
    {"COS", 'A'},    {"SIN", 'B'},     {"SEN", 'B'},     {"EXP", 'C'},     {"SQR", 'D'},     {"SQRT", 'E'},
    {"LN", 'F'},     {"LOG", 'F'},     {"TG", 'G'},      {"TAN", 'G'},     {"SH", 'H'},      {"SINH", 'H'},
    {"CH", 'I'},     {"COSH", 'I'},    {"TH", 'J'},      {"TANH", 'J'},    {"ARCSEN", 'K'},  {"ASEN", 'K'},
    {"ARCSIN", 'K'}, {"ASIN", 'K'},    {"ARCCOS", 'L'},  {"ACOS", 'L'},    {"ARCOS", 'L'},   {"ARCTG", 'M'},
    {"ARCTAN", 'M'}, {"ATAN", 'M'},    {"ABS", 'N'},     {"COTG", 'O'},    {"COTAN", 'O'},   {"COT", 'O'},
    {"ARGCH", 'P'},  {"ACOSH", 'P'},   {"ARCCOSH", 'P'}, {"ARCTANH", 'Q'}, {"ARGTANH", 'Q'}, {"ARGTH", 'Q'},
    {"ATANH", 'Q'},  {"ARCSINH", 'R'}, {"ASINH", 'R'},   {"ARGSH", 'R'},   {"ARGSINH", 'R'}, {"ARGCOSH", 'P'},
};

constexpr std::size_t LongestSpelling = [] {
  std::size_t longest = 0;
  for (const WrittenFunction& f : FunctionNames) longest = std::max(longest, std::char_traits<char>::length(f.Name));
  return longest;
}();

// Numbers are read with "." as the decimal point whatever locale the process runs in.
locale_t CLocale() {
  static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return c;
}

// The variables and PI of a run of letters, read from right to left and joined by "*"
// in their written order. Empty when a letter is neither.
TokenText ReadVariables(const std::string& letters, const std::string& variables) {
  std::vector<Token> groups;
  for (std::size_t j = letters.size(); j-- > 0;) {
    if (letters[j] == 'I' && j > 0 && letters[j - 1] == 'P') {
      groups.push_back(u'p');
      --j;
      continue;
    }
    const std::size_t k = variables.find(letters[j]);
    if (k == std::string::npos) return {};
    groups.push_back(OperandRef(static_cast<int>(k) + 1));
  }
  TokenText text;
  for (std::size_t g = groups.size(); g-- > 0;) {
    text += groups[g];
    if (g > 0) text += u'*';
  }
  return text;
}

}  // namespace

int NormalizeFormula(const std::string& text, std::string& normal) {
  normal.clear();
  if (text.empty()) return EmptyFormula;
  char last = '(';
  char prev = '(';
  long depth = 0;
  for (const char raw : text) {
    const char c = UpperAscii(raw);
    switch (c) {
      case ' ':
      case '\t':
      case '\r':
      case '\n':
        break;
      case '(':
      case '[':
      case '{':
        if (last == ')' || IsDigit(last)) normal += '*';
        normal += '(';
        ++depth;
        break;
      case ')':
      case ']':
      case '}':
        normal += ')';
        --depth;
        break;
      case '*':
        if (last == '*') {
          normal.back() = '^';  // "**" is a power
        } else {
          normal += '*';
        }
        break;
      case '+':
        if (last != '(') normal += '+';  // a unary plus is dropped
        break;
      case '-':
        normal += last == '(' ? '#' : '-';
        break;
      case '/':
      case '\\':
        normal += '/';
        break;
      case '^':
        normal += '^';
        break;
      case '.':
      case ',':
      case '\'':
        normal += '.';
        break;
      default:
        if (IsDigit(c)) {
          if (last == ')' || IsLetter(last) || (IsDigit(last) && prev == ' ')) normal += '*';
        } else if (IsLetter(c)) {
          if (last == ')' || IsDigit(last) || (IsLetter(last) && prev == ' ')) normal += '*';
        } else {
          return BadCharacter;
        }
        normal += c;
    }
    if (depth < 0) return BadBrackets;
    if (!normal.empty()) last = normal.back();
    prev = c;
  }
  if (depth != 0) return BadBrackets;
  if (normal.empty()) return EmptyFormula;
  return NoError;
}

char ReadNumber(const std::string& text, std::size_t& pos, long double& value) {
  const std::size_t start = pos;
  if (start >= text.size() || !IsDigit(text[start])) return '?';
  std::size_t end = start;
  int points = 0;
  while (end < text.size() && (IsDigit(text[end]) || text[end] == '.')) {
    if (text[end] == '.' && ++points > 1) return '?';
    ++end;
  }
  if (text[end - 1] == '.') return '?';
  const std::string digits = text.substr(start, end - start);
  value = strtold_l(digits.c_str(), nullptr, CLocale());
  // Beyond the extended range the conversion gives infinity: that number cannot be
  // written, as a malformed one cannot.
  if (std::isinf(value)) return '?';
  pos = end - 1;
  return text[pos];
}

char LookupFunction(const std::string& name) {
  for (const WrittenFunction& f : FunctionNames)
    if (name == f.Name) return f.Code;
  return '?';
}

TokenText SplitName(const std::string& run, bool& followedByBracket, const std::string& variables) {
  if (followedByBracket && run.size() > 1) {
    // Suffixes longer than every spelling need no lookup.
    const std::size_t first = run.size() > LongestSpelling ? run.size() - LongestSpelling : 0;
    for (std::size_t start = first; start < run.size(); ++start) {
      const char code = LookupFunction(run.substr(start));
      if (code == '?') continue;
      if (start == 0) return TokenText(1, static_cast<Token>(code));
      TokenText prefix = ReadVariables(run.substr(0, start), variables);
      if (prefix.empty()) return {};
      return prefix + u'*' + static_cast<Token>(code);
    }
  }
  followedByBracket = false;
  return ReadVariables(run, variables);
}

int TokenizeFormula(const std::string& normal, const std::string& variables, std::vector<long double>& constants,
                    int& constantCount, TokenText& tokens) {
  const int variableCount = static_cast<int>(variables.size());
  tokens.clear();
  for (std::size_t pos = 0; pos < normal.size(); ++pos) {
    const char c = normal[pos];
    if (IsDigit(c) || c == '.') {
      long double value = 0;
      if (ReadNumber(normal, pos, value) == '?') return BadNumber;
      if (value == 1) {
        tokens += u'1';
        continue;
      }
      int slot = 1;
      while (slot <= constantCount && constants[slot] != value) ++slot;
      if (slot > constantCount) {
        ++constantCount;
        if (constantCount + variableCount >= 254) return TooManyConstants;
        if (static_cast<std::size_t>(constantCount) >= constants.size()) constants.resize(constantCount + 10, 0.0L);
        constants[constantCount] = value;
      }
      tokens += OperandRef(slot + variableCount);
    } else if (IsLetter(c)) {
      std::size_t end = pos;
      while (end < normal.size() && IsLetter(normal[end])) ++end;
      const bool bracketFollows = end < normal.size() && normal[end] == '(';
      bool followedByBracket = bracketFollows;
      const TokenText name = SplitName(normal.substr(pos, end - pos), followedByBracket, variables);
      if (name.empty()) return BadName;
      tokens += name;
      if (bracketFollows && !followedByBracket) tokens += u'*';
      pos = end - 1;
    } else {
      tokens += static_cast<Token>(static_cast<unsigned char>(c));
    }
  }
  return NoError;
}

std::string TokenDisplay(const TokenText& tokens) {
  std::string text;
  for (const Token t : tokens) {
    if (IsOperandRef(t)) {
      text += '{' + std::to_string(OperandIndex(t)) + '}';
    } else {
      text += static_cast<char>(t);
    }
  }
  return text;
}

}  // namespace FunParsWork
