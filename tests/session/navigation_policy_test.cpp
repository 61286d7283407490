#include "session/navigation_policy.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quire::testing {
namespace {

TEST(DecodeLinkCopyTest, UndoesExactlyTheWebViewsEscapes) {
  const struct {
    const char* url;
    const char* decoded;
  } cases[] = {
      {"file:///b/p.html##IF(%7Bn%7D%3E3)", "file:///b/p.html##IF(%7Bn%7D>3)"},
      {"file:///b/p.html##IF({n}%3E3)", "file:///b/p.html##IF({n}>3)"},
      {"a##MESSAGEBOX('hi%20there')", "a##MESSAGEBOX('hi there')"},
      {"a##X(%22q%22,%3Cb%3E,%60t%60)", "a##X(\"q\",<b>,`t`)"},
      {"lower case hex %3c%3e%22%60", "lower case hex <>\"`"},
      {"a#!caf%C3%A9.txt", "a#!caf\xC3\xA9.txt"},
      {"a#!%e9t%E9", "a#!\xE9t\xE9"},
      {"kept: %25 %23 %7B %2F %41 %7F %1F", "kept: %25 %23 %7B %2F %41 %7F %1F"},
      {"malformed %G0 %2 %", "malformed %G0 %2 %"},
      {"%2520 stays as written", "%2520 stays as written"},
      {"", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DecodeLinkCopy(c.url), c.decoded) << c.url;
}

class RecordingHandlers : public NavigationHandlers {
 public:
  void OpenOutsideLink(const std::string& url) override { calls.push_back("outside:" + url); }
  bool RunLinkCommands(const std::string& url) override {
    calls.push_back("commands:" + url);
    return url.find("##") != std::string::npos;
  }
  bool RunScriptLink(const std::string& url) override {
    calls.push_back("script:" + url);
    return scriptHandles &&
           (url.find("#!") != std::string::npos || url.find("#@") != std::string::npos);
  }
  bool scriptHandles = true;
  std::vector<std::string> calls;
};

struct PolicyCase {
  const char* why;
  const char* url;
  bool inCommand;
  bool outside;
  bool scriptHandles;
  NavigationVerdict verdict;
  std::vector<std::string> calls;
};

TEST(NavigationPolicyTest, DecidesInOrder) {
  using V = NavigationVerdict;
  const PolicyCase cases[] = {
      {"plain page",
       "file:///b/p.html",
       false,
       true,
       true,
       V::kDisplay,
       {"commands:file:///b/p.html", "script:file:///b/p.html"}},
      {"in a command everything passes", "http://x.org/##GO", true, true, true, V::kDisplay, {}},
      {"outside link goes to the desktop",
       "http://x.org/",
       false,
       true,
       true,
       V::kCancel,
       {"outside:http://x.org/"}},
      {"capitals are outside too",
       "HTTPS://X.ORG/",
       false,
       true,
       true,
       V::kCancel,
       {"outside:HTTPS://X.ORG/"}},
      {"news", "News:comp.lang", false, true, true, V::kCancel, {"outside:News:comp.lang"}},
      {"ftp", "ftp://f.org/a", false, true, true, V::kCancel, {"outside:ftp://f.org/a"}},
      {"mail:", "mail:x", false, true, true, V::kCancel, {"outside:mail:x"}},
      {"mailto: stays inside",
       "mailto:a@b.org",
       false,
       true,
       true,
       V::kDisplay,
       {"commands:mailto:a@b.org", "script:mailto:a@b.org"}},
      {"too short for a scheme",
       "ftp",
       false,
       true,
       true,
       V::kDisplay,
       {"commands:ftp", "script:ftp"}},
      {"setting off shows web pages inside",
       "http://x.org/",
       false,
       false,
       true,
       V::kDisplay,
       {"commands:http://x.org/", "script:http://x.org/"}},
      {"outside link with a marker still goes out",
       "http://x.org/##GO",
       false,
       true,
       true,
       V::kCancel,
       {"outside:http://x.org/##GO"}},
      {"commands get the decoded copy",
       "p.html##SET(a,%27x%20y%27)",
       false,
       true,
       true,
       V::kCancel,
       {"commands:p.html##SET(a,%27x y%27)"}},
      {"## before #! goes to the commands only",
       "p.html##A#!s.txt",
       false,
       true,
       true,
       V::kCancel,
       {"commands:p.html##A#!s.txt"}},
      {"#! before ## goes to the commands only",
       "p.html#!s.txt##A",
       false,
       true,
       true,
       V::kCancel,
       {"commands:p.html#!s.txt##A"}},
      {"#! runs the script",
       "p.html#!s%20t.txt",
       false,
       true,
       true,
       V::kCancel,
       {"commands:p.html#!s t.txt", "script:p.html#!s t.txt"}},
      {"#@ runs the script",
       "p.html#@%7Btmp%7D/x.txt",
       false,
       true,
       true,
       V::kCancel,
       {"commands:p.html#@%7Btmp%7D/x.txt", "script:p.html#@%7Btmp%7D/x.txt"}},
      {"#! naming no script is displayed",
       "p.html#!",
       false,
       true,
       false,
       V::kDisplay,
       {"commands:p.html#!", "script:p.html#!"}},
  };
  for (const PolicyCase& c : cases) {
    RecordingHandlers handlers;
    handlers.scriptHandles = c.scriptHandles;
    EXPECT_EQ(DecideNavigation(c.url, c.inCommand, c.outside, handlers), c.verdict) << c.why;
    EXPECT_EQ(handlers.calls, c.calls) << c.why;
  }
}

TEST(NavigationPolicyTest, Windows1252BooksGetTheirOwnBytesBack) {
  RecordingHandlers utf8;
  DecideNavigation("p.html##SEARCH('caf%C3%A9')", false, false, utf8);
  EXPECT_EQ(utf8.calls.front(), "commands:p.html##SEARCH('caf\xC3\xA9')");
  RecordingHandlers legacy;
  DecideNavigation("p.html##SEARCH('caf%C3%A9%20%E2%82%AC')", false, false, legacy, true);
  EXPECT_EQ(legacy.calls.front(), "commands:p.html##SEARCH('caf\xE9 \x80')");
  // Raw bytes in the folder's own path are no UTF-8 and stay.
  RecordingHandlers folder;
  DecideNavigation("file:///t/B%E9.k9w/p.html#!s.txt", false, false, folder, true);
  EXPECT_EQ(folder.calls.back(), "script:file:///t/B\xE9.k9w/p.html#!s.txt");
}

TEST(NavigationPolicyTest, NewWindowsFollowTheModifierKeys) {
  const struct {
    NewWindowKeys keys;
    NewWindowVerdict verdict;
  } cases[] = {
      {{false, false, false}, NewWindowVerdict::kOpen},
      {{true, false, false}, NewWindowVerdict::kRefuseWithMessage},
      {{false, true, false}, NewWindowVerdict::kRefuse},
      {{false, false, true}, NewWindowVerdict::kRefuse},
      {{true, true, false}, NewWindowVerdict::kRefuseWithMessage},
      {{true, false, true}, NewWindowVerdict::kRefuseWithMessage},
      {{false, true, true}, NewWindowVerdict::kRefuse},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DecideNewWindow(c.keys), c.verdict) << c.keys.shift << c.keys.control << c.keys.alt;
  }
  EXPECT_STREQ(kNewWindowRefusedMessage,
               "This link is part of the E-Book, you are not to allowed to open it in a new "
               "window.\n\n(Any links to web sites will automatically be opened in your web "
               "browser if you click them)");
}

}  // namespace
}  // namespace quire::testing
