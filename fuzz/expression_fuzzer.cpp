// Numeric expressions of script parameters.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_support.h"
#include "script/expression.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quire;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  uint32_t random = kFirstRandomState;
  const ExpressionResult first = EvaluateExpression(text, random);
  if (first.status != kExprOk && first.status != kExprParseError &&
      first.status != kExprDivideByZero && first.status != kExprModuloByZero &&
      first.status != kExprBadRnd) {
    fuzz::Finding("an expression status outside the known ones");
  }
  if (first.status != kExprOk && ExpressionMessage(first.status).empty())
    fuzz::Finding("a failed expression without a message");
  // The same text with the same random state gives the same answer.
  random = kFirstRandomState;
  const ExpressionResult second = EvaluateExpression(text, random);
  if (second.status != first.status || (first.status == kExprOk && second.value != first.value))
    fuzz::Finding("the same expression evaluated twice gives two answers");
  return 0;
}
