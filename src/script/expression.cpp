#include "script/expression.h"

#include <array>
#include <limits>

#include "platform/ascii_text.h"

namespace quire {
namespace {

enum Op : uint8_t {
  kAdd,
  kSub,
  kMul,
  kDiv,
  kRem,
  kNe,
  kGe,
  kLe,
  kEq,
  kGt,
  kLt,
  kAnd,
  kOr,
  kNot,
  kAbs,
  kSgn,
  kRnd,
  kOpen,
  kClose,
  kOpCount
};

struct OperatorSpec {
  std::string_view text;
  int precedence;
};

// Searched in this order: the first entry whose text begins at a position wins, so "<>",
// ">=" and "<=" come before "<" and ">".
constexpr std::array<OperatorSpec, kOpCount> kOperators = {{
    {"+", 2},    {"-", 3},    {"*", 4},    {"/", 5}, {"\\", 5},  {"<>", 6}, {">=", 6},
    {"<=", 6},   {"=", 6},    {">", 6},    {"<", 6}, {"AND", 7}, {"OR", 7}, {"NOT(", 0},
    {"ABS(", 0}, {"SGN(", 0}, {"RND(", 0}, {"(", 0}, {")", 99},
}};

constexpr bool IsFunction(int op) {
  return op == kNot || op == kAbs || op == kSgn || op == kRnd;
}
constexpr bool OpensGroup(int op) {
  return op == kOpen || IsFunction(op);
}

// The operator whose text begins at `rest`, or -1.
int MatchOperator(std::string_view rest) {
  switch (rest.front()) {
    case '+':
    case '-':
    case '*':
    case '/':
    case '\\':
    case '<':
    case '>':
    case '=':
    case 'A':
    case 'O':
    case 'N':
    case 'S':
    case 'R':
    case '(':
    case ')':
      break;
    default:
      return -1;
  }
  for (int op = 0; op < kOpCount; ++op) {
    if (rest.starts_with(kOperators[op].text))
      return op;
  }
  return -1;
}

int32_t Wrap(uint32_t bits) {
  return static_cast<int32_t>(bits);
}

// The whole working state of one evaluation: two fixed stacks and the open-group count.
struct Evaluator {
  explicit Evaluator(uint32_t& random) : randomState(random) {}

  uint32_t& randomState;  // RND()'s generator
  std::array<int32_t, kMaxExpressionStack> operands;
  std::array<uint8_t, kMaxExpressionStack> operators;
  int operandCount = 0;
  int operatorCount = 0;
  int openCount = 0;  // '(' and functions read where an operand was expected

  bool PushOperand(int32_t value) {
    if (operandCount >= kMaxExpressionStack)
      return false;
    operands[operandCount++] = value;
    return true;
  }
  bool PushOperator(int op) {
    if (operatorCount >= kMaxExpressionStack)
      return false;
    operators[operatorCount++] = static_cast<uint8_t>(op);
    return true;
  }
  int TopOperator() const { return operators[operatorCount - 1]; }

  // Pops the top operator and applies it to the operand stack.
  int ApplyTop() {
    if (operatorCount == 0)
      return kExprParseError;
    const int op = operators[--operatorCount];
    if (op == kOpen) {
      // A plain parenthesis computes nothing; it only has to leave an operand behind.
      return operandCount > 0 ? kExprOk : kExprParseError;
    }
    if (op == kClose)
      return kExprParseError;  // a ')' read where an operand belonged
    if (IsFunction(op)) {
      if (operandCount == 0)
        return kExprParseError;
      int32_t& arg = operands[operandCount - 1];
      return ApplyFunction(op, &arg);
    }
    if (operandCount < 2)
      return kExprParseError;
    const int32_t right = operands[--operandCount];
    int32_t& left = operands[operandCount - 1];
    return ApplyBinary(op, &left, right);
  }

  int ApplyFunction(int op, int32_t* arg) {
    const int32_t a = *arg;
    switch (op) {
      case kNot:
        *arg = a == 0 ? 1 : 0;
        return kExprOk;
      case kAbs:
        *arg = a < 0 ? Wrap(0u - static_cast<uint32_t>(a)) : a;
        return kExprOk;
      case kSgn:
        *arg = a < 0 ? -1 : 1;
        return kExprOk;
      default: {  // kRnd
        if (a <= 0)
          return kExprBadRnd;
        const uint32_t r1 = static_cast<uint32_t>(NextRandom15(randomState));
        const uint32_t r2 = static_cast<uint32_t>(NextRandom15(randomState));
        const uint32_t r3 = static_cast<uint32_t>(NextRandom15(randomState));
        const int32_t mixed = Wrap(r1 + r2 * 32768u + r3 * 1073741824u);
        // The magnitude in 64 bits, so -2147483648 has one too.
        const uint64_t magnitude =
            mixed < 0 ? static_cast<uint64_t>(-static_cast<int64_t>(mixed)) : mixed;
        *arg = static_cast<int32_t>(magnitude % (static_cast<uint64_t>(a) + 1));
        return kExprOk;
      }
    }
  }

  static int ApplyBinary(int op, int32_t* left, int32_t b) {
    const int32_t a = *left;
    const uint32_t ua = static_cast<uint32_t>(a);
    const uint32_t ub = static_cast<uint32_t>(b);
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    switch (op) {
      case kAdd:
        *left = Wrap(ua + ub);
        break;
      case kSub:
        *left = Wrap(ua - ub);
        break;
      case kMul:
        *left = Wrap(ua * ub);
        break;
      case kDiv:
        if (b == 0)
          return kExprDivideByZero;
        *left = (a == kMin && b == -1) ? kMin : a / b;  // the one quotient that overflows
        break;
      case kRem:
        if (b == 0)
          return kExprModuloByZero;
        *left = b == -1 ? 0 : a % b;
        break;
      case kNe:
        *left = a != b;
        break;
      case kGe:
        *left = a >= b;
        break;
      case kLe:
        *left = a <= b;
        break;
      case kEq:
        *left = a == b;
        break;
      case kGt:
        *left = a > b;
        break;
      case kLt:
        *left = a < b;
        break;
      case kAnd:
        *left = (a != 0 && b != 0);
        break;
      case kOr:
        *left = (a != 0 || b != 0);
        break;
      default:
        return kExprParseError;
    }
    return kExprOk;
  }
};

// The leading decimal integer of a number token: an optional '-' and the longest run of
// digits, saturated at the 32-bit limits. `found` tells whether the value may stand:
// a value of 0 needs a '0' somewhere in the token.
bool TokenValue(std::string_view token, int32_t* value) {
  size_t i = 0;
  const bool negative = !token.empty() && token[0] == '-';
  if (negative)
    i = 1;
  int64_t magnitude = 0;
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  for (; i < token.size() && IsAsciiDigit(token[i]); ++i) {
    magnitude = magnitude * 10 + (token[i] - '0');
    if (magnitude > kLimit)
      magnitude = kLimit;
  }
  int64_t signedValue = negative ? -magnitude : magnitude;
  if (signedValue > std::numeric_limits<int32_t>::max()) {
    signedValue = std::numeric_limits<int32_t>::max();
  }
  *value = static_cast<int32_t>(signedValue);
  return *value != 0 || token.find('0') != std::string_view::npos;
}

}  // namespace

int32_t NextRandom15(uint32_t& state) {
  state = state * 214013u + 2531011u;
  return static_cast<int32_t>((state >> 16) & 32767u);
}

ExpressionResult EvaluateExpression(std::string_view input, uint32_t& randomState) {
  std::string text;
  text.reserve(input.size());
  for (char c : input) {
    if (!IsWhiteSpace(c))
      text.push_back(c);
  }
  if (text.empty())
    return {kExprParseError, 0};

  Evaluator ev(randomState);
  const std::string_view all(text);
  bool expectOperand = true;
  size_t pos = 0;
  while (pos < all.size()) {
    const std::string_view rest = all.substr(pos);
    if (expectOperand) {
      int op = MatchOperator(rest);
      if (op == kSub && !(rest.size() > 1 && (IsAsciiDigit(rest[1]) || rest[1] == '.'))) {
        // A minus that does not start a number subtracts from 0: "-(2)", "-ABS(3)".
        if (!ev.PushOperand(0))
          return {kExprParseError, 0};
      } else if (op == kSub) {
        op = -1;  // the minus belongs to the number
      }
      if (op >= 0) {
        if (!ev.PushOperator(op))
          return {kExprParseError, 0};
        if (OpensGroup(op))
          ++ev.openCount;
        pos += kOperators[op].text.size();
        continue;
      }
      // A number token runs up to the next operator; a leading '-' and a '-' right after
      // 'E' (as in 1E-5) are part of it.
      size_t end = rest[0] == '-' ? 1 : 0;
      while (end < rest.size()) {
        if (MatchOperator(rest.substr(end)) >= 0 && !(rest[end] == '-' && rest[end - 1] == 'E')) {
          break;
        }
        ++end;
      }
      if (end >= kMaxExpressionToken)
        return {kExprParseError, 0};
      int32_t value = 0;
      if (!TokenValue(rest.substr(0, end), &value))
        return {kExprParseError, 0};
      if (!ev.PushOperand(value))
        return {kExprParseError, 0};
      pos += end;
      expectOperand = false;
      continue;
    }

    const int op = MatchOperator(rest);
    if (op < 0)
      return {kExprParseError, 0};
    if (op == kClose) {
      if (ev.openCount == 0)
        return {kExprParseError, 0};
      --ev.openCount;
      for (;;) {
        if (ev.operatorCount == 0)
          return {kExprParseError, 0};
        const int applied = ev.TopOperator();
        const int status = ev.ApplyTop();
        if (status != kExprOk)
          return {status, 0};
        if (OpensGroup(applied))
          break;
      }
    } else {
      const int precedence = kOperators[op].precedence;
      while (ev.operatorCount > 0 && kOperators[ev.TopOperator()].precedence >= precedence) {
        const int status = ev.ApplyTop();
        if (status != kExprOk)
          return {status, 0};
      }
      if (!ev.PushOperator(op))
        return {kExprParseError, 0};
      expectOperand = true;
    }
    pos += kOperators[op].text.size();
  }

  while (ev.operandCount > 1) {
    const int status = ev.ApplyTop();
    if (status != kExprOk)
      return {status, 0};
  }
  if (ev.operatorCount > 0 || ev.operandCount == 0)
    return {kExprParseError, 0};
  return {kExprOk, ev.operands[0]};
}

std::string ExpressionMessage(int status) {
  switch (status) {
    case kExprParseError:
      return "Unable to parse numerical expression.";
    case kExprDivideByZero:
      return "Divide by zero error.";
    case kExprModuloByZero:
      return "Modulo by zero error.";
    case kExprBadRnd:
      return "Bad parameter for RND().";
    default:
      return "Unknown error in numerical expression.";
  }
}

}  // namespace quire
