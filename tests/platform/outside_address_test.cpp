#include "platform/outside_address.h"

#include <gtest/gtest.h>

namespace quire {
namespace {

TEST(OutsideAddressTest, KnowsTheInternetSchemesWhateverTheirCase) {
  for (const char* url : {"http:", "http://x", "HTTP:page", "https://x", "HtTpS:x", "news:group",
                          "mail:someone", "ftp:host", "FTP://host/file"}) {
    EXPECT_TRUE(IsOutsideAddress(url)) << url;
  }
  for (const char* url : {"", "ftp", "http", "mailto:someone", "file:///x", "page.html",
                          " http://x", "https", "gopher://x", "javascript:x"}) {
    EXPECT_FALSE(IsOutsideAddress(url)) << url;
  }
}

}  // namespace
}  // namespace quire
