#include "session/history_rules.h"

#include <gtest/gtest.h>

namespace quire::testing {
namespace {

constexpr int kNone = -1;

TEST(HistoryRulesTest, CommandAddressesAndTheirPages) {
  const struct {
    const char* address;
    bool command;
    const char* page;
  } cases[] = {
      {"file:///b/index.html", false, "file:///b/index.html"},
      {"file:///b/index.html#part", false, "file:///b/index.html#part"},
      {"file:///b/index.html##TOC", true, "file:///b/index.html"},
      {"file:///b/a.html##SEARCH('lamp')##BACK", true, "file:///b/a.html"},
      {"file:///b/a.html#!tour.txt", true, "file:///b/a.html"},
      {"file:///b/a.html#@{ebook}/x.txt", true, "file:///b/a.html"},
      {"file:///b/a.html#part##HOME", true, "file:///b/a.html#part"},
      {"file:///b/a%23b.html", false, "file:///b/a%23b.html"},
      {"#", false, "#"},
      {"", false, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsCommandAddress(c.address), c.command) << c.address;
    EXPECT_EQ(PageOfAddress(c.address), c.page) << c.address;
  }
}

TEST(HistoryRulesTest, BackAndForwardGoToOtherPagesTheirOwnEntriesFirst) {
  const struct {
    const char* what;
    HistoryList history;
    int back;
    int forward;
  } cases[] = {
      {"empty", {{}, -1}, kNone, kNone},
      {"current out of range", {{"a"}, 3}, kNone, kNone},
      {"first page", {{"a"}, 0}, kNone, kNone},
      {"plain pages", {{"a", "b", "c"}, 1}, 0, 2},
      {"after a command link that loaded a page", {{"a", "b", "b##TOC", "toc"}, 3}, 1, kNone},
      {"back on the page before a command entry", {{"a", "b", "b##TOC", "toc"}, 1}, 0, 3},
      {"a command link that loaded nothing", {{"a", "a##SEARCH"}, 1}, kNone, kNone},
      {"##BACK on a page reached by a link", {{"i", "c", "c##BACK"}, 2}, 0, kNone},
      {"the same page twice (Home on the start page)", {{"i", "i"}, 1}, kNone, kNone},
      {"a fragment of the page is a place", {{"i", "i#part"}, 1}, 0, kNone},
      {"script links are skipped too", {{"a", "a#!s.txt", "a#@/x/s.txt", "d"}, 3}, 0, kNone},
      {"forward over command entries", {{"a", "a##TOC", "toc", "toc##BACK"}, 0}, kNone, 2},
      {"only command entries ahead", {{"a", "a##X", "a##Y"}, 0}, kNone, kNone},
      {"current is a command entry", {{"a", "b", "b##SET('x','1')", "c"}, 2}, 0, 3},
      {"a script replaced the page's entry with a command entry", {{"a##X", "b"}, 1}, 0, kNone},
      {"forward to such an entry", {{"z", "a##X"}, 0}, kNone, 1},
      {"the page's own entry beyond its command entries",
       {{"a", "a#!s.txt", "a##X", "b"}, 3},
       0,
       kNone},
      {"runs of two pages", {{"a##X", "b##Y", "c"}, 2}, 1, kNone},
  };
  for (const auto& c : cases) {
    const std::optional<int> back = HistoryTarget(c.history, HistoryDirection::kBack);
    const std::optional<int> forward = HistoryTarget(c.history, HistoryDirection::kForward);
    EXPECT_EQ(back.value_or(kNone), c.back) << c.what;
    EXPECT_EQ(forward.value_or(kNone), c.forward) << c.what;
  }
}

}  // namespace
}  // namespace quire::testing
