#include "ui/status_progress.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fake_window.h"

namespace quire::testing {
namespace {

using Calls = std::vector<std::string>;

TEST(StatusProgressTest, RunsCaptionCursorAndBarThenRestoresReady) {
  FakeWindow window;
  {
    StatusProgress progress(window, "Searching");
    EXPECT_TRUE(progress.Running());
    progress.Step(10);
    progress.Step(60);
  }
  EXPECT_EQ(window.TakeCalls(), (Calls{"SetStatusText:Searching", "BeginWaitCursor",
                                       "ShowProgress:Searching,10", "ShowProgress:Searching,60",
                                       "HideProgress", "SetStatusText:Ready", "EndWaitCursor"}));
}

TEST(StatusProgressTest, EndingWithoutAStepLeavesTheBarAlone) {
  FakeWindow window;
  StatusProgress progress(window, "Preparing Contents List");
  progress.End();
  EXPECT_FALSE(progress.Running());
  EXPECT_EQ(window.TakeCalls(), (Calls{"SetStatusText:Preparing Contents List", "BeginWaitCursor",
                                       "SetStatusText:Ready", "EndWaitCursor"}));
  progress.End();  // a second end does nothing
  EXPECT_TRUE(window.TakeCalls().empty());
}

TEST(StatusProgressTest, StepBeginsANotStartedIndicatorAndNegativeStepsShowNoBar) {
  FakeWindow window;
  StatusProgress progress(window, "Work", false);
  EXPECT_TRUE(window.TakeCalls().empty());
  progress.Step(-1);
  EXPECT_TRUE(progress.Running());
  progress.Step(250);
  EXPECT_EQ(window.TakeCalls(),
            (Calls{"SetStatusText:Work", "BeginWaitCursor", "ShowProgress:Work,100"}));
}

TEST(StatusProgressTest, BeginWhileRunningEndsFirst) {
  FakeWindow window;
  StatusProgress progress(window, "Again");
  progress.Step(5);
  progress.Begin();
  EXPECT_EQ(
      window.TakeCalls(),
      (Calls{"SetStatusText:Again", "BeginWaitCursor", "ShowProgress:Again,5", "HideProgress",
             "SetStatusText:Ready", "EndWaitCursor", "SetStatusText:Again", "BeginWaitCursor"}));
}

}  // namespace
}  // namespace quire::testing
