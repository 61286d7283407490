#include "ui/console_window.h"

#include <gtest/gtest.h>

#include "support/fake_window.h"
#include "ui/window_slot.h"

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
  WindowSlot slot;
  ReaderWindow* fake_address = nullptr;
  {
    testing::FakeWindow fake(slot);
    fake_address = &fake;
    EXPECT_EQ(&*slot, fake_address);
    EXPECT_TRUE(slot->HasView());
  }
  EXPECT_NE(&*slot, fake_address);
  EXPECT_FALSE(slot->HasView());
  EXPECT_FALSE(slot->HasFrame());
  EXPECT_EQ(slot->NativeHandle(), nullptr);
  EXPECT_EQ(slot->FrameRect().width, 0);
}

}  // namespace
}  // namespace quire
