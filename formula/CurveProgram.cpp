// Finding the subexpressions three formulas share, and building their joint program.
//
// The three postfix programs are read into one graph in which equal subexpressions are
// one node (hash-consing), so that a node's uses are the places the formulas hold it.
// Walking the nodes in the order they were made, children before parents, gives every
// node used twice or more a variable value of its own, and every argument of both a
// sine and a cosine a pair of values filled by one SineAndCosine step. Each formula and
// each shared value is then written out as postfix again, with shared parts replaced by
// references to their variable values.
//
// Why variable values rather than a new kind of operation: the programs and the native
// code already read variables, so sharing needs nothing of either but a store of a
// step's value; and the values of t, p and q live in the same local array.
#include "formula/CurveProgram.h"

#include <array>
#include <cstddef>
#include <cstring>
#include <map>
#include <unordered_map>

#include "formula/FunParsInternal.h"
#include "formula/Operations.h"

using namespace FunParsWork;

namespace {

constexpr int CurveVariables = 3;  // t, p, q

// The token of a constant in the graph, which no program holds: its Constant field
// gives its slot in the joint table.
constexpr Token ConstantLeaf = u'$';

struct TNode {
  Token Tok;
  std::int32_t First = -1, Second = -1;  // operands in postfix order; -1 for a leaf
  std::int32_t Constant = 0;             // a ConstantLeaf's slot
  std::int32_t Uses = 0;                 // references from other nodes and from the formulas
};

// A node's operands, packed for the lookup of an equal node; operands below 2^24.
std::uint64_t Key(Token tok, std::int32_t first, std::int32_t second) {
  return static_cast<std::uint64_t>(tok) << 48 | static_cast<std::uint64_t>(first + 1) << 24 |
         static_cast<std::uint64_t>(second + 1);
}

// The graph of the formulas and the variable values its shared nodes are given.
class TBuilder {
 public:
  explicit TBuilder(std::vector<long double>& constants) : constants_(constants) { constants_.assign(1, 0.0L); }

  // Adds one formula's postfix program (constants in `constants`, slots 1 and up) and
  // returns its root node; -1 when the program is malformed or too long to pack.
  std::int32_t Read(const TokenText& postfix, const long double* constants) {
    if (nodes_.size() + postfix.size() >= (std::size_t{1} << 23)) return -1;
    std::vector<std::int32_t> stack;
    for (const Token t : postfix) {
      if (IsOperandRef(t) && OperandIndex(t) > CurveVariables) {
        stack.push_back(Node(ConstantLeaf, ConstantSlot(constants[OperandIndex(t) - CurveVariables]), -1));
      } else if (IsOperandRef(t) || t == u'1' || t == u'p') {
        stack.push_back(Node(t, -1, -1));
      } else {
        const std::size_t operands = IsBinaryOperator(t) ? 2 : 1;
        if (stack.size() < operands) return -1;
        const std::int32_t second = operands == 2 ? stack.back() : -1;
        if (operands == 2) stack.pop_back();
        stack.back() = Node(t, stack.back(), second);
      }
    }
    if (stack.size() != 1) return -1;
    ++nodes_[stack[0]].Uses;
    return stack[0];
  }

  // Gives the shared nodes their variable values and lists the steps that fill them,
  // in an order in which each step finds the values it reads already filled.
  void Share() {
    slot_.assign(nodes_.size(), -1);
    pair_.assign(nodes_.size(), -1);
    next_ = CurveVariables;
    for (std::int32_t n = 0; n < static_cast<std::int32_t>(nodes_.size()); ++n) {
      if (next_ + 3 > TCurveProgram::VariableCount) break;
      const TNode& node = nodes_[n];
      // The sine and the cosine count as one use, the step that computes both.
      const bool paired = Find(u'A', n) >= 0 && Find(u'B', n) >= 0;
      if (node.First >= 0 && Projection(n) < 0 && node.Uses - (paired ? 1 : 0) >= 2) {
        slot_[n] = next_++;
        steps_.push_back({n, ETarget::Variable, slot_[n]});
      }
      if (paired) {
        pair_[n] = next_;
        next_ += 2;
        steps_.push_back({n, ETarget::SineAndCosine, pair_[n]});
      }
    }
  }

  // Variable values the shared nodes take.
  int SharedCount() const { return next_ - CurveVariables; }

  // The steps of the shared values, then one output step for each of `roots`.
  std::vector<TNativeProgram::TStep> Steps(const std::int32_t roots[3]) const {
    std::vector<TNativeProgram::TStep> steps;
    for (const TShared& s : steps_) steps.push_back({Postfix(s.Node, s.Target == ETarget::Variable), s.Target, s.Index});
    for (int k = 0; k < 3; ++k) steps.push_back({Postfix(roots[k], false), ETarget::Output, k});
    return steps;
  }

 private:
  using ETarget = TNativeProgram::TStep::ETarget;

  struct TShared {
    std::int32_t Node;
    ETarget Target;
    int Index;
  };

  std::int32_t ConstantSlot(long double value) {
    std::array<unsigned char, 10> bits;
    std::memcpy(bits.data(), &value, bits.size());
    const auto [found, added] = constantSlots_.emplace(bits, static_cast<std::int32_t>(constants_.size()));
    if (added) constants_.push_back(value);
    return found->second;
  }

  // The node of `tok` applied to `first` and `second`, made when there is none yet.
  std::int32_t Node(Token tok, std::int32_t first, std::int32_t second) {
    const std::int32_t operand = tok == ConstantLeaf ? -1 : first;
    const auto [found, added] = index_.emplace(Key(tok, first, second), static_cast<std::int32_t>(nodes_.size()));
    if (added) {
      nodes_.push_back({tok, operand, second, tok == ConstantLeaf ? first : 0, 0});
      if (operand >= 0) ++nodes_[operand].Uses;
      if (second >= 0) ++nodes_[second].Uses;
    }
    return found->second;
  }

  std::int32_t Find(Token tok, std::int32_t operand) const {
    const auto found = index_.find(Key(tok, operand, -1));
    return found == index_.end() ? -1 : found->second;
  }

  // The variable value of node n when it is the cosine (A) or sine (B) of a paired
  // argument, else -1.
  int Projection(std::int32_t n) const {
    const TNode& node = nodes_[n];
    if ((node.Tok != u'A' && node.Tok != u'B') || pair_[node.First] < 0) return -1;
    return pair_[node.First] + (node.Tok == u'A' ? 1 : 0);
  }

  // The postfix text of node `root`: a reference to its variable value when it has
  // one (unless `ownStep`, the step that fills it), else its operands' texts and its
  // token. Iterative, as formulas may nest deeply.
  TokenText Postfix(std::int32_t root, bool ownStep) const {
    TokenText out;
    struct TVisit {
      std::int32_t Node;
      bool Expanded;
    };
    std::vector<TVisit> pending{{root, false}};
    while (!pending.empty()) {
      const TVisit v = pending.back();
      pending.pop_back();
      const TNode& node = nodes_[v.Node];
      const int shared = v.Node == root && ownStep ? -1 : slot_[v.Node] >= 0 ? slot_[v.Node] : Projection(v.Node);
      if (v.Expanded) {
        out += node.Tok;
      } else if (shared >= 0) {
        out += OperandRef(shared + 1);
      } else if (node.Tok == ConstantLeaf) {
        out += OperandRef(next_ + node.Constant);
      } else if (node.First < 0) {
        out += node.Tok;
      } else {
        pending.push_back({v.Node, true});
        if (node.Second >= 0) pending.push_back({node.Second, false});
        pending.push_back({node.First, false});
      }
    }
    return out;
  }

  std::vector<long double>& constants_;
  std::map<std::array<unsigned char, 10>, std::int32_t> constantSlots_;
  std::vector<TNode> nodes_;
  std::unordered_map<std::uint64_t, std::int32_t> index_;
  std::vector<int> slot_;  // a node's variable value, -1 for none
  std::vector<int> pair_;  // the variable value of its sine (its cosine's is next), -1 for none
  std::vector<TShared> steps_;
  int next_ = CurveVariables;  // the first variable value not yet given
};

}  // namespace

void TCurveProgram::Build(const TOpCodeFunctionExtended& x, const TOpCodeFunctionExtended& y,
                          const TOpCodeFunctionExtended& z) {
  Clear();
  const TOpCodeFunctionExtended* formulas[3] = {&x, &y, &z};
  TBuilder builder(constants_);
  std::int32_t roots[3];
  for (int k = 0; k < 3; ++k) {
    const TOpCodeFunctionExtended& f = *formulas[k];
    if (!f.Compiled() || f.variableCount_ != CurveVariables) return Clear();
    roots[k] = builder.Read(f.postfix_, f.Constants.data());
    if (roots[k] < 0) return Clear();
  }
  builder.Share();
  sharedCount_ = builder.SharedCount();
  const int variableCount = CurveVariables + sharedCount_;
  const std::vector<TNativeProgram::TStep> steps = builder.Steps(roots);
  steps_.reserve(steps.size());
  for (const TNativeProgram::TStep& step : steps) {
    steps_.push_back({TProgram(), step.Target, step.Index});
    steps_.back().Code.Emit(step.Postfix, constants_.data(), variableCount);
  }
  if (FunPars::NativeCodeEnabled()) native_.EmitSequence(steps, constants_.data(), variableCount);
  for (int k = 0; k < 3; ++k) {
    sources_[k] = formulas[k];
    versions_[k] = formulas[k]->version_;
  }
}

void TCurveProgram::Clear() {
  constants_.clear();
  steps_.clear();
  native_.Clear();
  sharedCount_ = 0;
  for (int k = 0; k < 3; ++k) {
    sources_[k] = nullptr;
    versions_[k] = 0;
  }
}

void TCurveProgram::Run(long double* vars, TVector3& point) const {
  static_assert(offsetof(TVector3, y) == 16 && offsetof(TVector3, z) == 32, "the outputs are 16 bytes apart");
  if (const TNativeProgram::TSequenceEntry entry = native_.SequenceEntry()) return entry(vars, &point.x);
  static constexpr long double TVector3::*Outputs[3] = {&TVector3::x, &TVector3::y, &TVector3::z};
  for (const TStep& step : steps_) {
    const long double v = step.Code.Run(vars);
    if (step.Target == ETarget::Variable) {
      vars[step.Index] = v;
    } else if (step.Target == ETarget::SineAndCosine) {
      const ExtendedSine::TSineCosine both = FormulaOps::SineAndCosine(v);
      vars[step.Index] = both.Sine;
      vars[step.Index + 1] = both.Cosine;
    } else {
      point.*Outputs[step.Index] = v;
    }
  }
}
