#include "session/status_bar_layout.h"

#include <gtest/gtest.h>

namespace quire {
namespace {

TEST(StatusBarLayoutTest, PlacesTheBarBesideTheCaption) {
  struct Case {
    const char* why;
    int pane;
    bool hasCaption;
    int caption;
    int average;
    int x;
    int width;
  };
  const Case cases[] = {
      {"wide pane: 200 px flush right", 900, true, 60, 7, 700, 200},
      {"exactly 200 left", 274, true, 60, 7, 74, 200},
      {"narrow pane: what the caption leaves", 150, true, 60, 7, 74, 76},
      {"exactly 20 left", 94, true, 60, 7, 74, 20},
      {"19 left: no bar", 93, true, 60, 7, 0, 0},
      {"caption wider than the pane", 50, true, 60, 7, 0, 0},
      {"no caption: the whole pane", 120, false, 60, 7, 0, 120},
      {"no caption, wide pane", 500, false, 0, 7, 300, 200},
      {"empty pane", 0, false, 0, 7, 0, 0},
  };
  for (const Case& c : cases) {
    const ProgressBarSpan span = ProgressBarSpanFor(c.pane, c.hasCaption, c.caption, c.average);
    EXPECT_EQ(span.x, c.x) << c.why;
    EXPECT_EQ(span.width, c.width) << c.why;
  }
}

}  // namespace
}  // namespace quire
