#include "script/expression.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>

namespace quire {
namespace {

// Each case: the expression and either its value or the message it fails with.
struct ExpressionCase {
  std::string text;
  std::variant<int32_t, std::string> expected;
};

std::string Describe(const ExpressionResult& result) {
  if (result.status == kExprOk)
    return "value " + std::to_string(result.value);
  return "error " + ExpressionMessage(result.status);
}

std::string Describe(const std::variant<int32_t, std::string>& expected) {
  if (const int32_t* value = std::get_if<int32_t>(&expected)) {
    return "value " + std::to_string(*value);
  }
  return "error " + std::get<std::string>(expected);
}

const std::string kParse = "Unable to parse numerical expression.";
const std::string kDivide = "Divide by zero error.";
const std::string kModulo = "Modulo by zero error.";
const std::string kRnd = "Bad parameter for RND().";

TEST(EvaluateExpressionTest, FollowsTheReadersOwnPrecedenceAndOperandRules) {
  // "1(1(1..." keeps one operator but piles up operands; "((((..." piles up operators.
  std::string tooManyOperands = "1";
  for (int i = 0; i < 300; ++i)
    tooManyOperands += "(1";
  const std::string deepParentheses = std::string(300, '(') + "1" + std::string(300, ')');
  const std::string nestedWithinBounds = std::string(200, '(') + "1" + std::string(200, ')');
  const ExpressionCase cases[] = {
      // Precedence: '-' above '+', '/' above '*', comparisons above arithmetic.
      {"1+2*3", 7},
      {"3*5/2", 6},
      {"8/4*2", 4},
      {"1-2-3", -4},
      {"1+2=3", 1},
      {"3<5 AND 2>1", 0},
      {"(3<5)AND(2>1)", 1},
      {"2*(3+4)", 14},
      {"1<>2", 1},
      {"2>=2", 1},
      {"3<=2", 0},
      {"0 OR 0", 0},
      {"0 OR 7", 1},
      // Truncated division and remainder with the sign of the left operand.
      {"-7/2", -3},
      {"-7\\3", -1},
      {"7\\3", 1},
      // Minus before groups and numbers.
      {"-(2)*3", -6},
      {"2*-(3)", -6},
      {"10--(3)", 13},
      {"5--2", 7},
      // Functions.
      {"NOT(0)", 1},
      {"NOT(5)", 0},
      {"SGN(0)", 1},
      {"SGN(-5)", -1},
      {"ABS(-4)", 4},
      {"4-ABS(-2)", 2},
      // Failures.
      {"6/0", kDivide},
      {"(6/0)+1", kDivide},
      {"6/0+1", kDivide},
      {"5\\0", kModulo},
      {"RND(0)", kRnd},
      {"RND(-3)", kRnd},
      {"abc", kParse},
      {"", kParse},
      {"   ", kParse},
      {"(2+3", kParse},
      {"1+2)", kParse},
      {"+5", kParse},
      {"2*", kParse},
      {"()", kParse},
      // Operand tokens: the leading integer, a lone 0 needs its digit.
      {"x0", 0},
      {"12abc", 12},
      {"1E-5", 1},
      {"1and0", 1},
      {"0", 0},
      // Unclosed groups are applied at the end while more than one operand remains.
      {"2+(3", 5},
      {"2+NOT(3", 2},
      // White space is removed everywhere.
      {"2 * 3", 6},
      {"1 2", 12},
      {"\t4\n+1 ", 5},
      // 32-bit edges: wrap-around instead of undefined behaviour.
      {"2147483647+1", INT32_MIN},
      {"-2147483647-2", INT32_MAX},
      {"65536*65536", 0},
      {"-2147483648/-1", INT32_MIN},
      {"-2147483648\\-1", 0},
      {"ABS(-2147483648)", INT32_MIN},
      {"99999999999", INT32_MAX},
      {"-99999999999", INT32_MIN},
      // Working storage is bounded: refuse instead of overrunning it.
      {std::string(255, '7').replace(0, 254, std::string(254, '0')), 7},
      {std::string(256, '1'), kParse},
      {tooManyOperands, kParse},
      {deepParentheses, kParse},
      {nestedWithinBounds, 1},
  };
  uint32_t random = kFirstRandomState;
  for (const ExpressionCase& c : cases) {
    EXPECT_EQ(Describe(EvaluateExpression(c.text, random)), Describe(c.expected))
        << "expression: " << c.text.substr(0, 60);
  }
}

TEST(EvaluateExpressionTest, StatusesMapToTheirMessages) {
  EXPECT_EQ(ExpressionMessage(-1), "Unable to parse numerical expression.");
  EXPECT_EQ(ExpressionMessage(-2), "Divide by zero error.");
  EXPECT_EQ(ExpressionMessage(-3), "Modulo by zero error.");
  EXPECT_EQ(ExpressionMessage(-4), "Bad parameter for RND().");
  EXPECT_EQ(ExpressionMessage(-9), "Unknown error in numerical expression.");
}

TEST(EvaluateExpressionTest, RandomNumbersFollowTheFixedGeneratorFromStateOne) {
  uint32_t state = kFirstRandomState;
  // state = state * 214013 + 2531011, output = (state >> 16) & 32767, starting at 1.
  EXPECT_EQ(NextRandom15(state), 41);
  EXPECT_EQ(NextRandom15(state), 18467);
  EXPECT_EQ(NextRandom15(state), 6334);

  uint32_t random = kFirstRandomState;
  // 41 + 18467 * 32768 + 6334 * 2^30 wraps to a negative number; its magnitude modulo 101.
  const int64_t mixed =
      static_cast<int32_t>(static_cast<uint32_t>(41u + 18467u * 32768u + 6334u * 1073741824u));
  const int32_t expected = static_cast<int32_t>((mixed < 0 ? -mixed : mixed) % 101);
  const ExpressionResult first = EvaluateExpression("RND(100)", random);
  ASSERT_EQ(first.status, kExprOk);
  EXPECT_EQ(first.value, expected);

  for (int i = 0; i < 200; ++i) {
    const ExpressionResult roll = EvaluateExpression("RND(6)", random);
    ASSERT_EQ(roll.status, kExprOk);
    EXPECT_GE(roll.value, 0);
    EXPECT_LE(roll.value, 6);
  }
  const ExpressionResult widest = EvaluateExpression("RND(2147483647)", random);
  ASSERT_EQ(widest.status, kExprOk);
  EXPECT_GE(widest.value, 0);
}

}  // namespace
}  // namespace quire
