#include "session/kept_forward.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>

namespace quire {
namespace {

using Pages = std::deque<std::string>;

TEST(KeptForwardTest, ACommandEntryKeepsThePagesItDroppedAndForwardRestoresThemInOrder) {
  KeptForward kept;
  EXPECT_EQ(kept.Next(), std::nullopt);
  // Back from b to a, then a's script runs a command link: WebKit drops b and c.
  kept.HistoryChanged("a##SET('x','1')", {"b", "b##TOC", "c"});
  EXPECT_EQ(kept.Pages(), (Pages{"b", "c"}));
  EXPECT_EQ(kept.Next(), "b");
  // Forward: the entry added for b takes its place.
  kept.Restore();
  kept.HistoryChanged("b", {});
  EXPECT_EQ(kept.Pages(), (Pages{"c"}));
  // Another script-run link on b drops nothing more: c stays ahead.
  kept.HistoryChanged("b##SET('y','2')", {});
  EXPECT_EQ(kept.Next(), "c");
  kept.Restore();
  kept.HistoryChanged("c", {});
  EXPECT_EQ(kept.Next(), std::nullopt);
}

TEST(KeptForwardTest, DroppedPagesComeBeforeThoseKeptEarlier) {
  KeptForward kept;
  kept.HistoryChanged("c##X", {"d"});
  // Back from c to b (no entry added), then b's script runs a link and drops c.
  kept.HistoryChanged("", {});
  kept.HistoryChanged("b##Y", {"c", "c##X"});
  EXPECT_EQ(kept.Pages(), (Pages{"c", "d"}));
}

TEST(KeptForwardTest, AnOrdinaryNavigationForgetsThem) {
  const struct {
    const char* what;
    bool restore;
    std::string added;
  } cases[] = {
      {"a link to another page", false, "e"},
      {"the kept page itself, not asked for by Forward", false, "b"},
      {"Forward asked for b but another page came", true, "e"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    KeptForward kept;
    kept.HistoryChanged("a##X", {"b", "c"});
    if (c.restore)
      kept.Restore();
    kept.HistoryChanged(c.added, {});
    EXPECT_EQ(kept.Next(), std::nullopt);
  }
  // Restore with nothing kept asks for nothing.
  KeptForward none;
  none.Restore();
  none.HistoryChanged("b", {});
  EXPECT_EQ(none.Next(), std::nullopt);
}

}  // namespace
}  // namespace quire
