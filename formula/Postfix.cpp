// The syntax check, the rewriting of integer powers and the postfix order of a token
// string.
#include <cmath>
#include <cstdint>

#include "formula/FunParsInternal.h"

namespace FunParsWork {

namespace {

// ---- Syntax classes ---------------------------------------------------------------

enum ETokenClass { Open = 0, Close = 1, Operator = 2, UnaryMinus = 3, Operand = 4, Lower = 5, Function = 6, Other = 7 };

ETokenClass ClassOf(Token t) {
  if (IsOperandRef(t) || t == u'1' || t == u'p') return Operand;
  switch (t) {
    case u'(':
      return Open;
    case u')':
      return Close;
    case u'+':
    case u'-':
    case u'*':
    case u'/':
    case u'^':
      return Operator;
    case u'#':
      return UnaryMinus;
    default:
      if (t >= u'q' && t <= u'z') return Lower;
      if (IsFunctionCode(t)) return Function;
      return Other;
  }
}

bool IsFault(ETokenClass previous, ETokenClass current) {
  if (current == Other) return true;
  const bool closing = current == Close || current == Operator;
  switch (previous) {
    case Open:
      return closing;
    case Close:
    case Operand:
    case Lower:
      return !closing;
    case Operator:
    case UnaryMinus:
      return closing || current == UnaryMinus;
    case Function:
      return current != Open;
    case Other:
      break;
  }
  return false;
}

// ---- Bracket-aware scans ----------------------------------------------------------

bool IsIn(Token t, const char16_t* set) {
  for (; *set != 0; ++set)
    if (t == *set) return true;
  return false;
}

// For every "(" of a balanced token string the position of its ")", so that forward
// scans step over a bracket in one move.
std::vector<std::size_t> MatchingCloses(const TokenText& text) {
  std::vector<std::size_t> close(text.size(), 0);
  std::vector<std::size_t> open;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'(') open.push_back(i);
    if (text[i] == u')' && !open.empty()) {
      close[open.back()] = i;
      open.pop_back();
    }
  }
  return close;
}

// ScanForward: from `start`, the end (one past the last token) of the text before the
// first delimiter at depth 0, or before a ")" that closes a bracket opened before
// `start`, or the end of the text.
std::size_t ScanForward(const TokenText& text, const std::vector<std::size_t>& close, std::size_t start,
                        const char16_t* delimiters) {
  std::size_t i = start;
  while (i < text.size()) {
    const Token t = text[i];
    if (t == u')' || IsIn(t, delimiters)) break;
    i = t == u'(' ? close[i] + 1 : i + 1;
  }
  return i;
}

// A token string under construction that remembers, for each ")", where its "(" is,
// so that backward scans step over a bracket in one move.
class TBackwardText {
 public:
  void Append(Token t) {
    if (t == u'(') pending_.push_back(text_.size());
    std::size_t open = 0;
    if (t == u')' && !pending_.empty()) {
      open = pending_.back();
      pending_.pop_back();
    }
    text_ += t;
    openOf_.push_back(open);
  }
  void Append(const TokenText& tokens) {
    for (const Token t : tokens) Append(t);
  }

  // ScanBackward: the start of the text after the last delimiter at depth 0, or after
  // an unmatched "(", or the beginning of the text.
  std::size_t ScanBackward(const char16_t* delimiters) const {
    std::size_t i = text_.size();
    while (i > 0) {
      const Token t = text_[i - 1];
      if (t == u'(' || IsIn(t, delimiters)) break;
      i = t == u')' ? openOf_[i - 1] : i - 1;
    }
    return i;
  }

  // Drops everything from `start` on; the dropped part must be balanced.
  void Truncate(std::size_t start) {
    text_.resize(start);
    openOf_.resize(start);
  }

  const TokenText& Text() const { return text_; }
  std::size_t Size() const { return text_.size(); }

 private:
  TokenText text_;
  std::vector<std::size_t> openOf_;
  std::vector<std::size_t> pending_;
};

// The integer exponent n of tokens [begin, end): the token 1 or one constant with an
// integral value in the 32-bit range, inside at most one pair of brackets and after
// at most one "#". False for anything else.
bool IntegerExponent(const TokenText& text, std::size_t begin, std::size_t end,
                     const std::vector<long double>& constants, int variableCount, std::int64_t& n) {
  if (end - begin >= 2 && text[begin] == u'(' && text[end - 1] == u')') {
    ++begin;
    --end;
  }
  bool negative = false;
  if (begin < end && text[begin] == u'#') {
    negative = true;
    ++begin;
  }
  if (end - begin != 1) return false;
  const Token t = text[begin];
  if (t == u'1') {
    n = 1;
  } else if (IsOperandRef(t) && OperandIndex(t) > variableCount) {
    const long double v = constants[OperandIndex(t) - variableCount];
    // Exponents beyond the 32-bit range stay general powers.
    if (!(v >= -2147483648.0L && v <= 2147483647.0L) || std::nearbyint(v) != v) return false;
    n = static_cast<std::int64_t>(v);
  } else {
    return false;
  }
  if (negative) n = -n;
  return true;
}

// Length of B(m) for a base of `baseLength` tokens (see PowerText).
std::size_t PowerLength(std::size_t baseLength, std::uint64_t m) {
  if (m == 0) return 1;
  if (m == 1) return baseLength;
  return 3 + PowerLength(baseLength, m / 2) + (m % 2 == 1 ? 1 + baseLength : 0);
}

void AppendPower(TokenText& out, const TokenText& base, std::uint64_t m) {
  if (m == 0) {
    out += u'1';
  } else if (m == 1) {
    out += base;
  } else {
    out += u"D(";
    AppendPower(out, base, m / 2);
    out += u')';
    if (m % 2 == 1) out += u'*' + base;
  }
}

// ---- Postfix order ----------------------------------------------------------------

// Binding strength of the operators; "#" binds more tightly than "*" and "/" but
// applies to a whole power chain.
int Precedence(Token t) {
  switch (t) {
    case u'+':
    case u'-':
      return 1;
    case u'*':
    case u'/':
      return 2;
    case u'#':
      return 3;
    case u'^':
      return 4;
    default:
      return 0;  // "(" and function codes are never applied by an operator
  }
}

// One node of the expression tree: an operand, or a token applied to its operands.
// For "^", Left is the base and Right the exponent.
struct TNode {
  Token Tok;
  std::int32_t Left = -1;
  std::int32_t Right = -1;
};

class TTreeBuilder {
 public:
  explicit TTreeBuilder(std::size_t size) { nodes_.reserve(size); }

  void PushOperand(Token t) { Push({t}); }

  // Applies a binary operator to the two newest operands, or "#" or a function code to
  // the newest one.
  void Apply(Token t) {
    TNode node{t};
    if (IsBinaryOperator(t)) node.Right = Pop();
    node.Left = Pop();
    Push(node);
  }

  // The postfix text of the finished tree: operands first, "^" with its exponent
  // before its base.
  TokenText Postfix() const {
    TokenText out;
    out.reserve(nodes_.size());
    if (operands_.size() != 1) return out;
    struct TVisit {
      std::int32_t Node;
      bool Expanded;
    };
    std::vector<TVisit> pending{{operands_.back(), false}};
    while (!pending.empty()) {
      const TVisit v = pending.back();
      pending.pop_back();
      const TNode& node = nodes_[v.Node];
      if (v.Expanded || node.Left < 0) {
        out += node.Tok;
        continue;
      }
      pending.push_back({v.Node, true});
      // Pushed in reverse of the order they are written.
      const bool power = node.Tok == u'^';
      std::int32_t first = power ? node.Right : node.Left;
      std::int32_t second = power ? node.Left : node.Right;
      if (second >= 0) pending.push_back({second, false});
      pending.push_back({first, false});
    }
    return out;
  }

 private:
  void Push(const TNode& node) {
    nodes_.push_back(node);
    operands_.push_back(static_cast<std::int32_t>(nodes_.size() - 1));
  }
  std::int32_t Pop() {
    const std::int32_t id = operands_.back();
    operands_.pop_back();
    return id;
  }

  std::vector<TNode> nodes_;
  std::vector<std::int32_t> operands_;
};

}  // namespace

int CheckSyntax(const TokenText& tokens) {
  ETokenClass previous = Open;
  for (const Token t : tokens) {
    const ETokenClass current = ClassOf(t);
    if (IsFault(previous, current)) return SyntaxDefect;
    previous = current;
  }
  return IsFault(previous, Close) ? SyntaxDefect : NoError;
}

TokenText PowerText(const TokenText& base, std::int64_t n) {
  const std::uint64_t m = n < 0 ? -static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
  TokenText out = n < 0 ? u"(1/(" : u"(";
  AppendPower(out, base, m);
  out += n < 0 ? u"))" : u")";
  return out;
}

int RewritePowers(TokenText& tokens, const std::vector<long double>& constants, int variableCount) {
  const std::vector<std::size_t> close = MatchingCloses(tokens);
  TBackwardText out;
  std::size_t work = 0;
  std::size_t i = 0;
  while (i < tokens.size()) {
    const Token t = tokens[i];
    std::int64_t n = 0;
    if (t == u'^' && out.Size() > 0) {
      const std::size_t exponentEnd = ScanForward(tokens, close, i + 1, u"+-*/^");
      if (IntegerExponent(tokens, i + 1, exponentEnd, constants, variableCount, n)) {
        const std::size_t baseStart = out.ScanBackward(u"+-*/^#");
        const TokenText base = out.Text().substr(baseStart);
        const std::uint64_t m = n < 0 ? -static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
        const std::size_t length = PowerLength(base.size(), m) + (n < 0 ? 6 : 2);
        work += length;
        if (baseStart + length + (tokens.size() - exponentEnd) > MaxTokens || work > MaxRewriteWork) return TooLong;
        out.Truncate(baseStart);
        out.Append(PowerText(base, n));
        i = exponentEnd;
        continue;
      }
    }
    out.Append(t);
    ++i;
  }
  tokens = out.Text();
  return NoError;
}

TokenText ToPostfix(const TokenText& tokens) {
  TTreeBuilder tree(tokens.size());
  TokenText waiting;  // "(", "#", function codes and binary operators not yet applied
  for (const Token t : tokens) {
    if (IsOperandRef(t) || t == u'1' || t == u'p') {
      tree.PushOperand(t);
    } else if (t == u'(' || t == u'#' || IsFunctionCode(t)) {
      waiting += t;
    } else if (t == u')') {
      while (!waiting.empty() && waiting.back() != u'(') {
        tree.Apply(waiting.back());
        waiting.pop_back();
      }
      if (!waiting.empty()) waiting.pop_back();
      if (!waiting.empty() && IsFunctionCode(waiting.back())) {
        tree.Apply(waiting.back());
        waiting.pop_back();
      }
    } else {
      // Binary operators associate to the left: apply what binds at least as tightly.
      while (!waiting.empty() && Precedence(waiting.back()) >= Precedence(t)) {
        tree.Apply(waiting.back());
        waiting.pop_back();
      }
      waiting += t;
    }
  }
  while (!waiting.empty()) {
    tree.Apply(waiting.back());
    waiting.pop_back();
  }
  return tree.Postfix();
}

std::size_t ProgramWork(const TokenText& postfix) {
  // Function codes 'A' (cos) to 'R' (asinh), as FormulaOps computes them.
  constexpr std::size_t FunctionWork['R' - 'A' + 1] = {
      150, 150, 40, 4, 30, 60, 150, 50, 50, 150, 40, 60, 200, 4, 350, 80, 80, 200};
  std::size_t work = 0;
  for (const Token t : postfix) {
    if (t >= u'A' && t <= u'R')
      work += FunctionWork[t - u'A'];
    else if (t == u'^')
      work += 150;
    else if (t == u'/')
      work += 8;
    else if (IsBinaryOperator(t) || t == u'#')
      work += 4;
    else
      work += 1;
  }
  return work;
}

}  // namespace FunParsWork
