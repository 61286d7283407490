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

// While a command runs, its own navigation passes untouched and any other one, even to an
// address that looks alike, meets the whole policy.
TEST(NavigationMarksTest, OnlyTheCommandsOwnNavigationPassesUntouched) {
  class Handlers : public NavigationHandlers {
   public:
    void OpenOutsideLink(const std::string& url) override { calls += "outside:" + url + ";"; }
    bool RunLinkCommands(const std::string& url) override {
      calls += "commands:" + url + ";";
      return true;
    }
    bool RunScriptLink(const std::string&) override { return false; }
    std::string calls;
  };
  NavigationContext context;
  context.bookFolder = "/b/";
  context.shownUrl = "file:///b/index.html";
  context.openLinksOutside = true;

  NavigationMarks marks;
  marks.Remember("file:///b/p.html##X", O::kCommand);  // NAVIGATE('p.html##X')
  const struct {
    const char* url;
    NavigationVerdict verdict;
    const char* calls;
  } arrivals[] = {
      {"http://127.0.0.1/##RUN('x')", NavigationVerdict::kCancel,
       "outside:http://127.0.0.1/##RUN('x');"},
      {"about:blank##RUN('x')", NavigationVerdict::kDisplay, ""},
      {"file:///b/p.html##X", NavigationVerdict::kDisplay, ""},
      {"file:///b/p.html##X", NavigationVerdict::kCancel, "commands:file:///b/p.html##X;"},
  };
  for (const auto& arrival : arrivals) {
    Handlers handlers;
    EXPECT_EQ(DecideNavigation(arrival.url, marks.Take(arrival.url), context, handlers),
              arrival.verdict)
        << arrival.url;
    EXPECT_EQ(handlers.calls, arrival.calls) << arrival.url;
  }
}

}  // namespace
}  // namespace quire::testing
