#include "ui/message_style.h"

#include <gtest/gtest.h>

namespace quire {
namespace {

TEST(MessageStyleTest, NamedIconsAreKeptAndMissingOnesDependOnTheButtons) {
  struct Case {
    int style;
    int icon;
  } cases[] = {
      {kMbOk, kMbIconExclamation},
      {kMbOkCancel, kMbIconExclamation},
      {kMbYesNoCancel, kMbIconExclamation},
      {kMbYesNo, kMbIconExclamation},
      {kMbAbortRetryIgnore, 0},
      {kMbRetryCancel, 0},
      {kMbOk | kMbIconInformation, kMbIconInformation},
      {kMbYesNo | kMbIconQuestion, kMbIconQuestion},
      {kMbRetryCancel | kMbIconStop, kMbIconStop},
      {kMbAbortRetryIgnore | kMbIconExclamation, kMbIconExclamation},
  };
  for (const Case& c : cases)
    EXPECT_EQ(EffectiveIcon(c.style), c.icon) << "style " << c.style;
}

}  // namespace
}  // namespace quire
