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

// A page of the book, shown in a window that shows a page of the book.
NavigationContext BookContext(bool openLinksOutside, bool windows1252Book = false) {
  NavigationContext context;
  context.bookFolder = "/b/";
  context.shownUrl = "file:///b/index.html";
  context.openLinksOutside = openLinksOutside;
  context.windows1252Book = windows1252Book;
  return context;
}

NavigationVerdict Decide(const std::string& url, bool inCommand, const NavigationContext& context,
                         NavigationHandlers& handlers) {
  return DecideNavigation(url, inCommand ? NavigationOrigin::kCommand : NavigationOrigin::kPage,
                          context, handlers);
}

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
      {"mailto: stays inside, and is no book page",
       "mailto:a@b.org",
       false,
       true,
       true,
       V::kDisplay,
       {}},
      {"too short for a scheme, and no book page", "ftp", false, true, true, V::kDisplay, {}},
      {"setting off shows web pages inside, never to the interpreter",
       "http://x.org/",
       false,
       false,
       true,
       V::kDisplay,
       {}},
      {"outside link with a marker still goes out",
       "http://x.org/##GO",
       false,
       true,
       true,
       V::kCancel,
       {"outside:http://x.org/##GO"}},
      {"commands get the decoded copy",
       "file:///b/p.html##SET(a,%27x%20y%27)",
       false,
       true,
       true,
       V::kCancel,
       {"commands:file:///b/p.html##SET(a,%27x y%27)"}},
      {"## before #! goes to the commands only",
       "file:///b/p.html##A#!s.txt",
       false,
       true,
       true,
       V::kCancel,
       {"commands:file:///b/p.html##A#!s.txt"}},
      {"#! before ## goes to the commands only",
       "file:///b/p.html#!s.txt##A",
       false,
       true,
       true,
       V::kCancel,
       {"commands:file:///b/p.html#!s.txt##A"}},
      {"#! runs the script",
       "file:///b/p.html#!s%20t.txt",
       false,
       true,
       true,
       V::kCancel,
       {"commands:file:///b/p.html#!s t.txt", "script:file:///b/p.html#!s t.txt"}},
      {"#@ runs the script",
       "file:///b/p.html#@%7Btmp%7D/x.txt",
       false,
       true,
       true,
       V::kCancel,
       {"commands:file:///b/p.html#@%7Btmp%7D/x.txt", "script:file:///b/p.html#@%7Btmp%7D/x.txt"}},
      {"#! naming no script is displayed",
       "file:///b/p.html#!",
       false,
       true,
       false,
       V::kDisplay,
       {"commands:file:///b/p.html#!", "script:file:///b/p.html#!"}},
  };
  for (const PolicyCase& c : cases) {
    RecordingHandlers handlers;
    handlers.scriptHandles = c.scriptHandles;
    EXPECT_EQ(Decide(c.url, c.inCommand, BookContext(c.outside), handlers), c.verdict) << c.why;
    EXPECT_EQ(handlers.calls, c.calls) << c.why;
  }
}

TEST(NavigationPolicyTest, Windows1252BooksGetTheirOwnBytesBack) {
  RecordingHandlers utf8;
  Decide("file:///b/p.html##SEARCH('caf%C3%A9')", false, BookContext(false), utf8);
  EXPECT_EQ(utf8.calls.front(), "commands:file:///b/p.html##SEARCH('caf\xC3\xA9')");
  RecordingHandlers legacy;
  Decide("file:///b/p.html##SEARCH('caf%C3%A9%20%E2%82%AC')", false, BookContext(false, true),
         legacy);
  EXPECT_EQ(legacy.calls.front(), "commands:file:///b/p.html##SEARCH('caf\xE9 \x80')");
  // Raw bytes in the folder's own path are no UTF-8 and stay.
  RecordingHandlers folder;
  NavigationContext context = BookContext(false, true);
  context.bookFolder = "/t/B\xE9.k9w/";
  context.shownUrl = "file:///t/B%E9.k9w/index.html";
  Decide("file:///t/B%E9.k9w/p.html#!s.txt", false, context, folder);
  EXPECT_EQ(folder.calls.back(), "script:file:///t/B\xE9.k9w/p.html#!s.txt");
}

// Who may reach the interpreter. WebKit tells the view neither which frame nor which
// window's page asked, so the same rule holds in all of them: the address decides, and
// the page the window shows, unless the reader or the running command asked itself.
TEST(NavigationPolicyTest, OnlyTheBooksOwnPagesRunScriptLinks) {
  const char* kMarkers[] = {"##RUN('touch /tmp/x')", "#!s.txt", "#@/tmp/s.txt",
                            "#!x##FILEWRITE('ok','/tmp/y','t')"};
  // Addresses that are no page of the book folder /b/.
  const char* kForeign[] = {
      "http://127.0.0.1:8000/p.html",
      "https://127.0.0.1:8000/p.html",
      "about:blank",
      "about:srcdoc",
      "data:text/html,<p>x</p>",
      "blob:http://127.0.0.1:8000/0b7e",
      "javascript:void(0)",
      "file:///tmp/elsewhere.html",
      "file:///b-2/p.html",
      "file:///bx/p.html",
      "file:///b/../etc/p.html",
      "file:///b/%2e%2e/p.html",
      "file:///b%2Fp.html",
      "file://host/b/p.html",
  };
  const char* kShownPages[] = {"file:///b/index.html", "", "http://127.0.0.1:8000/p.html"};
  for (const char* marker : kMarkers) {
    for (const char* address : kForeign) {
      const std::string url = std::string(address) + marker;
      for (const char* shown : kShownPages) {
        for (bool outside : {false, true}) {
          NavigationContext context = BookContext(outside);
          context.shownUrl = shown;
          RecordingHandlers page;
          NavigationVerdict verdict = DecideNavigation(url, NavigationOrigin::kPage, context, page);
          const bool goesOut = outside && std::string(address).rfind("http", 0) == 0;
          EXPECT_EQ(verdict, goesOut ? NavigationVerdict::kCancel : NavigationVerdict::kDisplay)
              << url << " shown " << shown;
          EXPECT_EQ(page.calls, goesOut ? std::vector<std::string>{"outside:" + url}
                                        : std::vector<std::string>{})
              << url << " shown " << shown;
          EXPECT_FALSE(MayRunScriptLinks(url, NavigationOrigin::kPage, context)) << url;

          // The running command's own navigation passes untouched, wherever it leads.
          RecordingHandlers command;
          EXPECT_EQ(DecideNavigation(url, NavigationOrigin::kCommand, context, command),
                    NavigationVerdict::kDisplay)
              << url;
          EXPECT_TRUE(command.calls.empty()) << url;

          // What the reader itself asked for may run, wherever it leads.
          RecordingHandlers reader;
          DecideNavigation(url, NavigationOrigin::kReader, context, reader);
          ASSERT_FALSE(reader.calls.empty()) << url;
          EXPECT_EQ(reader.calls.front(),
                    goesOut ? "outside:" + url : "commands:" + DecodeLinkCopy(url))
              << url;
        }
      }
    }
    // A page of the book runs it from a window that shows the book, not from one that
    // shows nothing, a web page or a file elsewhere.
    const std::string own = std::string("file:///b/p.html") + marker;
    const struct {
      const char* shown;
      bool runs;
    } windows[] = {
        {"file:///b/index.html", true},
        {"file:///b/sub/__display.html", true},
        {"", false},
        {"http://127.0.0.1:8000/p.html", false},
        {"about:blank", false},
        {"file:///tmp/elsewhere.html", false},
        {"file:///b-2/index.html", false},
    };
    for (const auto& window : windows) {
      NavigationContext context = BookContext(true);
      context.shownUrl = window.shown;
      RecordingHandlers handlers;
      NavigationVerdict verdict = DecideNavigation(own, NavigationOrigin::kPage, context, handlers);
      EXPECT_EQ(verdict, window.runs ? NavigationVerdict::kCancel : NavigationVerdict::kDisplay)
          << own << " shown " << window.shown;
      EXPECT_EQ(!handlers.calls.empty(), window.runs) << own << " shown " << window.shown;
      if (window.runs) {
        EXPECT_EQ(handlers.calls.front(), "commands:" + DecodeLinkCopy(own));
      }
    }
  }
}

TEST(NavigationPolicyTest, WithoutAClaimedFolderNoPageRunsScriptLinks) {
  NavigationContext context = BookContext(false);
  context.bookFolder.clear();
  context.shownUrl.clear();
  RecordingHandlers page;
  EXPECT_EQ(DecideNavigation("file:///b/p.html##RUN('x')", NavigationOrigin::kPage, context, page),
            NavigationVerdict::kDisplay);
  EXPECT_TRUE(page.calls.empty());
  RecordingHandlers reader;
  EXPECT_EQ(
      DecideNavigation("file:///b/p.html##RUN('x')", NavigationOrigin::kReader, context, reader),
      NavigationVerdict::kCancel);
  EXPECT_EQ(reader.calls, std::vector<std::string>{"commands:file:///b/p.html##RUN('x')"});
}

// A book made from a site without a manifest: its pages are web pages. No page's script
// link runs, not even the book's own page shown in the book's window; what the reader
// itself asks for (Home, the contents, search results, a command's navigation) still does.
TEST(NavigationPolicyTest, PagesOfAnImportedSiteRunNoScriptLinks) {
  for (const char* link : {"file:///b/p.html##RUN('sh -c x')", "file:///b/p.html#!s.txt",
                           "file:///b/p.html#@/tmp/s.txt", "file:///b/index.html##EXIT()"}) {
    SCOPED_TRACE(link);
    NavigationContext context = BookContext(false);
    context.pageCommands = false;
    RecordingHandlers page;
    EXPECT_EQ(DecideNavigation(link, NavigationOrigin::kPage, context, page),
              NavigationVerdict::kDisplay);
    EXPECT_TRUE(page.calls.empty());
    EXPECT_FALSE(MayRunScriptLinks(link, NavigationOrigin::kPage, context));
    RecordingHandlers reader;
    EXPECT_EQ(DecideNavigation(link, NavigationOrigin::kReader, context, reader),
              NavigationVerdict::kCancel);
    EXPECT_FALSE(reader.calls.empty());
    // The control: the same link in a book whose pages may run it.
    context.pageCommands = true;
    RecordingHandlers own;
    EXPECT_EQ(DecideNavigation(link, NavigationOrigin::kPage, context, own),
              NavigationVerdict::kCancel);
  }
}

// Showing an address again never runs it, whoever put it there: a command address that an
// outside page sent the view to (shown, not run) or that a command navigated to, reloaded
// by Refresh, F5, a page's own reload or the reload after the web process died.
TEST(NavigationPolicyTest, AReloadNeverRunsAScriptLink) {
  for (const char* address : {"file:///b/index.html##FILEWRITE('x','/tmp/y','t')",
                              "file:///b/index.html#!x.txt", "file:///b/index.html#@/tmp/s.txt"}) {
    SCOPED_TRACE(address);
    NavigationContext context = BookContext(false);
    context.shownUrl = address;  // the address is what the window shows
    RecordingHandlers handlers;
    EXPECT_EQ(DecideNavigation(address, NavigationOrigin::kReplay, context, handlers),
              NavigationVerdict::kDisplay);
    EXPECT_TRUE(handlers.calls.empty());
    EXPECT_FALSE(MayRunScriptLinks(address, NavigationOrigin::kReplay, context));
  }
  // An outside address reloaded with open-links-outside on still goes to the browser.
  RecordingHandlers outside;
  EXPECT_EQ(DecideNavigation("http://example.org/##x", NavigationOrigin::kReplay, BookContext(true),
                             outside),
            NavigationVerdict::kCancel);
  EXPECT_EQ(outside.calls, std::vector<std::string>{"outside:http://example.org/##x"});
}

TEST(NavigationPolicyTest, OnlyTheBooksOwnFilesAreSavedFromItsOwnPages) {
  const struct {
    const char* url;
    const char* shown;
    bool saved;
  } cases[] = {
      {"file:///b/notes.zip", "file:///b/index.html", true},
      {"file:///b/notes.zip", "http://127.0.0.1:8000/p.html", false},
      {"file:///b/notes.zip", "", false},
      {"data:text/plain,x", "file:///b/index.html", false},
      {"blob:http://127.0.0.1:8000/0b7e", "file:///b/index.html", false},
      {"http://127.0.0.1:8000/x.bin", "file:///b/index.html", false},
      {"file:///tmp/elsewhere.bin", "file:///b/index.html", false},
      {"file:///b/../etc/passwd", "file:///b/index.html", false},
  };
  for (const auto& c : cases) {
    NavigationContext context = BookContext(false);
    context.shownUrl = c.shown;
    EXPECT_EQ(MaySaveDownload(c.url, context), c.saved) << c.url << " shown " << c.shown;
  }
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
