#include "session/window_geometry.h"

#include <gtest/gtest.h>

namespace quire::testing {
namespace {

using Show = InitialPlacement::Show;

struct GeometryCase {
  const char* why;
  int32_t w, h, p;
  int sw, sh;
  Show show;
  WindowRect rect;
};

TEST(WindowGeometryTest, PlacesTheWindowAsTheBookAsks) {
  // Screen 1000 x 800, window 600 x 400: free space 400 x 400.
  const GeometryCase cases[] = {
      {"W -1 maximises", -1, 400, -8, 1000, 800, Show::kMaximized, {}},
      {"W -2 minimises", -2, 400, -8, 1000, 800, Show::kMinimized, {}},
      {"W -3 keeps the system's choice", -3, 400, -8, 1000, 800, Show::kSystemChosen, {}},
      {"P -8 top-left", 600, 400, -8, 1000, 800, Show::kPlaced, {0, 0, 600, 400}},
      {"P -1 top", 600, 400, -1, 1000, 800, Show::kPlaced, {200, 0, 600, 400}},
      {"P -2 top-right", 600, 400, -2, 1000, 800, Show::kPlaced, {400, 0, 600, 400}},
      {"P -3 right", 600, 400, -3, 1000, 800, Show::kPlaced, {400, 200, 600, 400}},
      {"P -4 bottom-right", 600, 400, -4, 1000, 800, Show::kPlaced, {400, 400, 600, 400}},
      {"P -5 bottom", 600, 400, -5, 1000, 800, Show::kPlaced, {200, 400, 600, 400}},
      {"P -6 bottom-left", 600, 400, -6, 1000, 800, Show::kPlaced, {0, 400, 600, 400}},
      {"P -7 left", 600, 400, -7, 1000, 800, Show::kPlaced, {0, 200, 600, 400}},
      {"P 0 centres", 600, 400, 0, 1000, 800, Show::kPlaced, {200, 200, 600, 400}},
      {"P -9 centres", 600, 400, -9, 1000, 800, Show::kPlaced, {200, 200, 600, 400}},
      {"P 5 centres", 600, 400, 5, 1000, 800, Show::kPlaced, {200, 200, 600, 400}},
      {"odd free space halves downwards",
       601,
       401,
       0,
       1000,
       800,
       Show::kPlaced,
       {199, 199, 601, 401}},
      {"both sides larger than the screen maximise",
       1200,
       900,
       -4,
       1000,
       800,
       Show::kMaximized,
       {}},
      {"both sides equal to the screen maximise", 1000, 800, -8, 1000, 800, Show::kMaximized, {}},
      {"width cut to the screen: right edge gives x 0",
       1500,
       400,
       -3,
       1000,
       800,
       Show::kPlaced,
       {0, 200, 1000, 400}},
      {"width cut to the screen: bottom-right gives x 0",
       1500,
       400,
       -4,
       1000,
       800,
       Show::kPlaced,
       {0, 400, 1000, 400}},
      {"height cut to the screen", 600, 5000, -5, 1000, 800, Show::kPlaced, {200, 0, 600, 800}},
      {"negative height reads as 0", 600, -7, -8, 1000, 800, Show::kPlaced, {0, 0, 600, 0}},
      {"width below -3 reads as 0", -4, 400, -1, 1000, 800, Show::kPlaced, {500, 0, 0, 400}},
  };
  for (const GeometryCase& c : cases) {
    InitialPlacement placement = ComputeInitialPlacement(c.w, c.h, c.p, c.sw, c.sh);
    EXPECT_EQ(placement.show, c.show) << c.why;
    EXPECT_EQ(placement.rect.x, c.rect.x) << c.why;
    EXPECT_EQ(placement.rect.y, c.rect.y) << c.why;
    EXPECT_EQ(placement.rect.width, c.rect.width) << c.why;
    EXPECT_EQ(placement.rect.height, c.rect.height) << c.why;
  }
}

TEST(WindowGeometryTest, RestoringReturnsToThePlacedRectangleOnly) {
  InitialPlacement placed = ComputeInitialPlacement(300, 200, -2, 1000, 800);
  EXPECT_EQ(placed.restoreRect.x, 700);
  EXPECT_EQ(placed.restoreRect.y, 0);
  EXPECT_EQ(placed.restoreRect.width, 300);
  EXPECT_EQ(placed.restoreRect.height, 200);
  for (int32_t code : {-1, -2, -3}) {
    InitialPlacement other = ComputeInitialPlacement(code, 200, -2, 1000, 800);
    EXPECT_EQ(other.restoreRect.width, 0) << code;
    EXPECT_EQ(other.restoreRect.height, 0) << code;
  }
  EXPECT_EQ(ComputeInitialPlacement(2000, 2000, 0, 1000, 800).restoreRect.width, 0);
}

TEST(WindowGeometryTest, UnknownScreenSizeStillGivesAnAnswer) {
  // With no screen size every explicit size is cut to 0 x 0 and equals the screen.
  EXPECT_EQ(ComputeInitialPlacement(640, 480, 0, 0, 0).show, Show::kMaximized);
}

}  // namespace
}  // namespace quire::testing
