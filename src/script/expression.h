// Numeric expressions of script parameters: signed 32-bit integers, evaluated with an
// operator-precedence parse over two fixed-size stacks.
//
// Operators, tried in this order at each position (the first whose text begins there
// wins; letters are upper case only), with their precedence (higher binds tighter):
//   +  2   -  3   *  4   /  5   \  5 (remainder)   <> >= <= = > <  6   AND OR  7
//   NOT( ABS( SGN( RND( (  0        )  99
// Note the unusual order: comparisons bind tighter than arithmetic, AND/OR tighter than
// comparisons and '-' tighter than '+'. Scripts rely on it.
//
// White space anywhere is ignored. An operand is the leading decimal integer of its token
// ("12abc" is 12); a token without digits counts only when it holds a '0' somewhere.
// Arithmetic wraps around in 32 bits; -2147483648 / -1 gives -2147483648 and its
// remainder 0; ABS(-2147483648) stays -2147483648. Numbers too large for 32 bits saturate
// at the nearest limit.
#ifndef QUIRE_SCRIPT_EXPRESSION_H_
#define QUIRE_SCRIPT_EXPRESSION_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quire {

inline constexpr int kExprOk = 0;
inline constexpr int kExprParseError = -1;
inline constexpr int kExprDivideByZero = -2;
inline constexpr int kExprModuloByZero = -3;
inline constexpr int kExprBadRnd = -4;

// Working-storage bounds: an expression needing more operands or operators, or holding a
// token of kMaxExpressionToken bytes or more, fails with kExprParseError.
inline constexpr int kMaxExpressionStack = 256;
inline constexpr size_t kMaxExpressionToken = 256;

struct ExpressionResult {
  int status = kExprParseError;  // kExprOk or one of the negative statuses above
  int32_t value = 0;             // valid when status is kExprOk
};

// `randomState` is RND()'s generator state (NextRandom15), kept by the caller for the run.
ExpressionResult EvaluateExpression(std::string_view text, uint32_t& randomState);

// The message a status stands for: "Unable to parse numerical expression.", "Divide by
// zero error.", "Modulo by zero error.", "Bad parameter for RND()." or "Unknown error in
// numerical expression.".
std::string ExpressionMessage(int status);

// The random generator behind RND(): linear congruential, state 1 at program start
// (kFirstRandomState). Advances `state` and returns the next 15-bit number.
inline constexpr uint32_t kFirstRandomState = 1;
int32_t NextRandom15(uint32_t& state);

}  // namespace quire

#endif  // QUIRE_SCRIPT_EXPRESSION_H_
