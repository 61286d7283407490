#include "session/progress_pacer.h"

#include <gtest/gtest.h>

#include <vector>

namespace quire {
namespace {

struct Step {
  int64_t atUs;
  bool newInKind;
  bool painted;
};

// Feeds `steps` to a fresh pacer and checks each answer.
void ExpectPaints(const char* why, const std::vector<Step>& steps) {
  ProgressPacer pacer;
  for (size_t i = 0; i < steps.size(); ++i) {
    EXPECT_EQ(pacer.ShouldPaint(steps[i].atUs, steps[i].newInKind), steps[i].painted)
        << why << ", step " << i;
  }
}

TEST(ProgressPacerTest, PaintsAtMostOncePerFrameUnlessSomethingNewShows) {
  constexpr int64_t kFrame = ProgressPacer::kMinPaintIntervalUs;
  ExpectPaints("the first step always paints", {{5, false, true}});
  ExpectPaints("fast steps within a frame are skipped", {{0, false, true},
                                                         {300, false, false},
                                                         {kFrame - 1, false, false},
                                                         {kFrame, false, true},
                                                         {kFrame + 1, false, false}});
  ExpectPaints("a skipped step does not push the next paint back",
               {{0, false, true}, {kFrame / 2, false, false}, {kFrame, false, true}});
  ExpectPaints("slow steps all paint",
               {{0, false, true}, {3 * kFrame, false, true}, {7 * kFrame, false, true}});
  ExpectPaints("a new caption or bar paints at once",
               {{0, true, true}, {1, true, true}, {2, false, false}});
  ExpectPaints("a clock that went back paints",
               {{5 * kFrame, false, true}, {kFrame, false, true}, {kFrame + 1, false, false}});
}

TEST(ProgressPacerTest, ResetMakesTheNextStepPaint) {
  ProgressPacer pacer;
  EXPECT_TRUE(pacer.ShouldPaint(0, false));
  EXPECT_FALSE(pacer.ShouldPaint(1, false));
  pacer.Reset();
  EXPECT_TRUE(pacer.ShouldPaint(2, false));
  EXPECT_FALSE(pacer.ShouldPaint(3, false));
}

}  // namespace
}  // namespace quire
