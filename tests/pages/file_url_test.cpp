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

}  // namespace
}  // namespace quire::testing
