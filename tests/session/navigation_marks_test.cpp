#include "session/navigation_marks.h"

#include <gtest/gtest.h>

#include <string>

namespace quire::testing {
namespace {

using O = NavigationOrigin;

TEST(NavigationMarksTest, EachMarkIsTakenOnceByItsOwnAddress) {
  NavigationMarks marks;
  marks.Remember("file:///b/__search.html", O::kCommand);
  marks.Remember("file:///b/index.html", O::kReader);
  EXPECT_EQ(marks.Take("http://127.0.0.1/"), O::kPage);
  EXPECT_EQ(marks.Take("file:///b/index.html"), O::kReader);
  EXPECT_EQ(marks.Take("file:///b/index.html"), O::kPage) << "used up";
  EXPECT_EQ(marks.Take("file:///b/__search.html"), O::kCommand);
  EXPECT_EQ(marks.Take("file:///b/__search.html"), O::kPage);
}

TEST(NavigationMarksTest, MatchesWhatTheWebViewChangedInTheAddress) {
  const struct {
    const char* asked;
    const char* reported;
    bool same;
  } cases[] = {
      {"file:///b/p%20q.html", "file:///b/p q.html", true},
      {"file:///b/caf%C3%A9.html", "file:///b/caf%c3%a9.html", true},
      {"http://x.org", "http://x.org/", true},
      {"HTTP://X.ORG/A", "http://x.org/a", true},
      {"file:///b/p.html##X", "file:///b/p.html##X", true},
      {"file:///b/p.html", "file:///b/p.html##RUN('x')", false},
      {"file:///b/p.html", "file:///b/q.html", false},
  };
  for (const auto& c : cases) {
    NavigationMarks marks;
    marks.Remember(c.asked, O::kCommand);
    EXPECT_EQ(marks.Take(c.reported), c.same ? O::kCommand : O::kPage)
        << c.asked << " / " << c.reported;
  }
}

TEST(NavigationMarksTest, PagesLeaveNoMarkAndOnlyTheNewestAreKept) {
  NavigationMarks marks;
  marks.Remember("file:///b/p.html", O::kPage);
  EXPECT_EQ(marks.Take("file:///b/p.html"), O::kPage);
  for (size_t i = 0; i <= NavigationMarks::kKept; ++i)
    marks.Remember("file:///b/p" + std::to_string(i) + ".html", O::kReader);
  EXPECT_EQ(marks.Take("file:///b/p0.html"), O::kPage) << "the oldest went";
  EXPECT_EQ(marks.Take("file:///b/p1.html"), O::kReader);
  EXPECT_EQ(marks.Take("file:///b/p" + std::to_string(NavigationMarks::kKept) + ".html"),
            O::kReader);
}

}  // namespace
}  // namespace quire::testing
