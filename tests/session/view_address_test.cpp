#include "session/view_address.h"

#include <gtest/gtest.h>

#include "support/scoped_tmpdir.h"

namespace quire::testing {
namespace {

TEST(ViewAddressTest, RecognisesSchemes) {
  const struct {
    const char* target;
    bool scheme;
  } cases[] = {
      {"http://x.org", true},
      {"file:///a", true},
      {"about:blank", true},
      {"mailto:a@b", true},
      {"svn+ssh://h/r", true},
      {"C:\\book\\a.html", false},
      {"c:/a.html", false},
      {"/tmp/a.html", false},
      {"a.html", false},
      {"1http://x", false},
      {"", false},
      {":x", false},
      {"we b:x", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(HasUrlScheme(c.target), c.scheme) << c.target;
}

TEST(ViewAddressTest, PathsBecomeFileUrlsAndFragmentsStay) {
  ScopedTmpdir tmp;
  std::string page = tmp.File("my page.html");
  std::string hashed = tmp.File("a#b.html");
  ASSERT_TRUE(WriteWholeFile(page, "x"));
  ASSERT_TRUE(WriteWholeFile(hashed, "x"));
  std::string folderUrl = "file://" + tmp.Path();
  const struct {
    std::string target;
    std::string url;
  } cases[] = {
      {page, folderUrl + "/my%20page.html"},
      {page + "#part two", folderUrl + "/my%20page.html#part two"},
      {hashed, folderUrl + "/a%23b.html"},
      {tmp.File("missing.html#x"), folderUrl + "/missing.html%23x"},
      {"http://x.org/a b", "http://x.org/a b"},
      {"", ""},
  };
  ASSERT_EQ(tmp.Path().find_first_of(" #%\"?"), std::string::npos);
  for (const auto& c : cases)
    EXPECT_EQ(ViewUrlForTarget(c.target), c.url) << c.target;
}

}  // namespace
}  // namespace quire::testing
