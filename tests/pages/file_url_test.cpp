#include "pages/file_url.h"

#include <gtest/gtest.h>

namespace quire::testing {
namespace {

TEST(FileUrlTest, EncodesEveryByteButUnreservedOnesAndSlashes) {
  const struct {
    const char* path;
    const char* url;
  } cases[] = {
      {"/tmp/quire-1/B.k9w/index.html", "file:///tmp/quire-1/B.k9w/index.html"},
      {"/a b/c\"d\".html", "file:///a%20b/c%22d%22.html"},
      {"/x/#1%?.html", "file:///x/%231%25%3F.html"},
      {"/x/<&>'`.html", "file:///x/%3C%26%3E%27%60.html"},
      {"/x/caf\xC3\xA9.html", "file:///x/caf%C3%A9.html"},
      {"/x/\xE9\x01\x7F", "file:///x/%E9%01%7F"},
      {"/x/A-z_0.9~", "file:///x/A-z_0.9~"},
      {"/x/a\\b:c", "file:///x/a%5Cb%3Ac"},
      {"", "file://"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FileUrlFromPath(c.path), c.url) << c.path;
}

TEST(FileUrlTest, KeepsEmbeddedZeroBytesEncoded) {
  EXPECT_EQ(FileUrlFromPath(std::string("/a\0b", 4)), "file:///a%00b");
}

TEST(FileUrlTest, PageLinksStayPlainPathsUnlessAByteWouldBreakThem) {
  const struct {
    const char* path;
    const char* link;
  } cases[] = {
      {"/tmp/quire-1/B.k9w/index.html", "/tmp/quire-1/B.k9w/index.html"},
      {"/tmp/quire-1/A-z_0.9~.k9w/x.htm", "/tmp/quire-1/A-z_0.9~.k9w/x.htm"},
      {"/tmp/quire-1/B.k9w/a b.html", "/tmp/quire-1/B.k9w/a b.html"},
      {"/tmp/quire-1/B.k9w/(1),+'x'=!@$;:*[]{}|^`.html",
       "/tmp/quire-1/B.k9w/(1),+'x'=!@$;:*[]{}|^`.html"},
      {"/tmp/quire-1/B.k9w/a.html ", "file:///tmp/quire-1/B.k9w/a.html%20"},
      {"/tmp/quire-1/B.k9w/a&b.html", "file:///tmp/quire-1/B.k9w/a%26b.html"},
      {"/tmp/quire-1/B.k9w/a?b.html", "file:///tmp/quire-1/B.k9w/a%3Fb.html"},
      {"/tmp/quire-1/B.k9w/a\\b.html", "file:///tmp/quire-1/B.k9w/a%5Cb.html"},
      {"/tmp/quire-1/B.k9w/<b>.html", "file:///tmp/quire-1/B.k9w/%3Cb%3E.html"},
      {"/tmp/quire-1/B.k9w/a\tb.html", "file:///tmp/quire-1/B.k9w/a%09b.html"},
      {"/tmp/quire-1/B.k9w/a\x7F.html", "file:///tmp/quire-1/B.k9w/a%7F.html"},
      {"/tmp/quire-1/B\"1.k9w/x.html", "file:///tmp/quire-1/B%221.k9w/x.html"},
      {"/tmp/quire-1/B.k9w/#1.html", "file:///tmp/quire-1/B.k9w/%231.html"},
      {"/tmp/quire-1/B.k9w/100%.html", "file:///tmp/quire-1/B.k9w/100%25.html"},
      {"/tmp/quire-1/B.k9w/caf\xC3\xA9.html", "file:///tmp/quire-1/B.k9w/caf%C3%A9.html"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(PageLinkFromPath(c.path), c.link) << c.path;
}

}  // namespace
}  // namespace quire::testing
