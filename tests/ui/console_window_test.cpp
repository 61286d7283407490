#include "ui/console_window.h"

#include <gtest/gtest.h>

#include "support/fake_window.h"

namespace quire {
namespace {

TEST(ConsoleWindowTest, DismissedBoxAnswersWithItsCancellingButton) {
  struct Case {
    int style;
    int answer;
  } cases[] = {
      {kMbOk, kIdOk},
      {kMbOkCancel, kIdCancel},
      {kMbAbortRetryIgnore, kIdAbort},
      {kMbYesNoCancel, kIdCancel},
      {kMbYesNo, kIdNo},
      {kMbRetryCancel, kIdCancel},
      {kMbYesNo | kMbIconQuestion, kIdNo},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DismissedAnswer(c.style), c.answer) << c.style;
}

TEST(ConsoleWindowTest, FallbackIsUsedWhenNothingIsInstalled) {
  ReaderWindow* fake_address = nullptr;
  {
    testing::FakeWindow fake;
    fake_address = &fake;
    EXPECT_EQ(&TheWindow(), fake_address);
    EXPECT_TRUE(TheWindow().HasView());
  }
  EXPECT_NE(&TheWindow(), fake_address);
  EXPECT_FALSE(TheWindow().HasView());
  EXPECT_FALSE(TheWindow().HasFrame());
  EXPECT_EQ(TheWindow().NativeHandle(), nullptr);
  EXPECT_EQ(TheWindow().FrameRect().width, 0);
}

}  // namespace
}  // namespace quire
