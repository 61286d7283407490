#include "session/book_address.h"

#include <gtest/gtest.h>

namespace quire::testing {
namespace {

TEST(BookAddressTest, OnlyFilesBelowTheClaimedFolder) {
  const char* kFolder = "/tmp/quire-1000/E.k9w/";
  const struct {
    const char* url;
    bool inside;
  } cases[] = {
      {"file:///tmp/quire-1000/E.k9w/index.html", true},
      {"FILE:///tmp/quire-1000/E.k9w/index.html##RUN('x')", true},
      {"file:///tmp/quire-1000/E.k9w/sub/p.html#!s.txt", true},
      {"file:///tmp/quire-1000/E.k9w/__search.html", true},
      {"file:///tmp/quire-1000/E%2Ek9w/p%20q.html", true},
      {"file:///tmp//quire-1000/E.k9w//p.html", true},
      {"file:///tmp/quire-1000/E.k9w/caf%C3%A9.html?x#y", true},
      // pages of a book that keeps its folders, at any depth, each part escaped or not
      {"file:///tmp/quire-1000/E.k9w/std/collections/hash_map/struct.HashMap.html", true},
      {"file:///tmp/quire-1000/E.k9w/caf%C3%A9%20%231/a%26b/p.html##HOME", true},
      {"file:///tmp/quire-1000/E.k9w/a/b/../../../x.html", false},
      {"file:///tmp/quire-1000/E.k9w/a/b/%2e%2e/%2e%2e/%2e%2e/x.html", false},
      // a folder whose name only begins with the book folder's
      {"file:///tmp/quire-1000/E.k9w-2/p.html", false},
      {"file:///tmp/quire-1000/E.k9wx/p.html", false},
      {"file:///tmp/quire-1000/E.k9/p.html", false},
      // the folder itself
      {"file:///tmp/quire-1000/E.k9w", false},
      {"file:///tmp/quire-1000/E.k9w/", false},
      {"file:///tmp/quire-1000/E.k9w/#!x", false},
      // climbing out, in every spelling
      {"file:///tmp/quire-1000/E.k9w/../E.k9w/p.html", false},
      {"file:///tmp/quire-1000/E.k9w/../../../etc/passwd", false},
      {"file:///tmp/quire-1000/E.k9w/%2e%2e/x.html", false},
      {"file:///tmp/quire-1000/E.k9w/%2E%2e/x.html", false},
      {"file:///tmp/quire-1000/E.k9w/.%2e/x.html", false},
      {"file:///tmp/quire-1000/E.k9w/./p.html", false},
      {"file:///tmp/quire-1000/E.k9w%2Fp.html", false},
      {"file:///tmp/quire-1000/E.k9w/a%2f..%2fb.html", false},
      {"file:///tmp/quire-1000/E.k9w/a%5C..%5Cb.html", false},
      {"file:///tmp/quire-1000/E.k9w/a\\b.html", false},
      {"file:///tmp/quire-1000/E.k9w/p.html%00.txt", false},
      // other hosts and forms
      {"file://host/tmp/quire-1000/E.k9w/p.html", false},
      {"file://localhost/tmp/quire-1000/E.k9w/p.html", false},
      {"file:/tmp/quire-1000/E.k9w/p.html", false},
      {"file:", false},
      {"file://", false},
      // the folder's name after the path has ended
      {"file:///tmp/other.html?/tmp/quire-1000/E.k9w/p.html", false},
      {"file:///tmp/other.html#/tmp/quire-1000/E.k9w/p.html", false},
      // other schemes
      {"http://127.0.0.1/tmp/quire-1000/E.k9w/p.html", false},
      {"about:blank##RUN('x')", false},
      {"about:srcdoc", false},
      {"data:text/html,/tmp/quire-1000/E.k9w/p.html", false},
      {"blob:file:///tmp/quire-1000/E.k9w/p.html", false},
      {"javascript:'/tmp/quire-1000/E.k9w/p.html'", false},
      {"/tmp/quire-1000/E.k9w/p.html", false},
      {"", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsBookAddress(c.url, kFolder), c.inside) << c.url;
}

TEST(BookAddressTest, TheFolderAsTheReaderNamesIt) {
  const struct {
    const char* folder;
    const char* url;
    bool inside;
  } cases[] = {
      {"/t/E.k9w", "file:///t/E.k9w/p.html", true},
      {"/t//./E.k9w/", "file:///t/E.k9w/p.html", true},
      {"/t/x/../E.k9w/", "file:///t/E.k9w/p.html", true},
      {"/t/B\xE9.k9w/", "file:///t/B%E9.k9w/p.html", true},
      {"/t/B\xE9.k9w/", "file:///t/B%C3%A9.k9w/p.html", false},
      {"/t/E-2.k9w/", "file:///t/E-2.k9w/p.html", true},
      {"/t/E-2.k9w/", "file:///t/E.k9w/p.html", false},
      {"", "file:///p.html", false},
      {"/", "file:///p.html", false},
      {"t/E.k9w/", "file:///t/E.k9w/p.html", false},
      {"/../t/", "file:///t/p.html", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsBookAddress(c.url, c.folder), c.inside) << c.folder << " " << c.url;
}

}  // namespace
}  // namespace quire::testing
