#include "pages/about_page.h"
#include "pages/reader_context.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "pages/page_template.h"
#include "pages/pages_fixture.h"
#include "platform/ini_file.h"

namespace quire::testing {
namespace {

class AboutPageTest : public PagesTest {
 protected:
  AboutPageTest() {
    m_settings.title = "Tom <&> Jerry";
    m_settings.esbn = "EB-42";
    m_settings.aboutMode = 0;
    m_settings.backgroundColor = 0x010203;
    m_settings.linkColor = 0x040506;
    m_settings.visitedLinkColor = 0x070809;
    m_settings.hoverColor = 0x0A0B0C;
    m_settings.boxColor = 0x0D0E0F;
    m_settings.textColor = 0x101112;
    LoadBook(m_settings);
  }

  void Set(void (*change)(EBookSettings*)) {
    change(&m_settings);
    LoadBook(m_settings);
  }

  void WriteSiteSetting(const std::string& value) {
    ASSERT_TRUE(WriteIniValue("pgxconfig.ini", "SITE", "SITE", value));
    context.siteUrl.reset();  // read again, as by a reader started now
  }

  EBookSettings m_settings = DefaultSettings();
};

constexpr char kTitleLine[] = "<BIG><B>Tom &lt;&amp;&gt; Jerry</B></BIG><BR><BR>";
constexpr char kEsbnLine[] = "<BR><SMALL>ESBN: EB-42</SMALL>";

TEST_F(AboutPageTest, BareBookShowsTitleAndEsbnOnly) {
  EXPECT_EQ(BuildBookInfoBlock(context.book), std::string(kTitleLine) + kEsbnLine);
}

TEST_F(AboutPageTest, EveryPartInItsPlace) {
  Set([](EBookSettings* s) {
    s->publisher = "P & Co";
    s->author = "Ann <A>";
    s->authorEmail = "ann@x.org";
    s->authorUrl = "http://x.org/?a=1&b=2";
    s->copyright = "(c) Ann";
  });
  EXPECT_EQ(BuildBookInfoBlock(context.book),
            std::string(kTitleLine) + "published by P &amp; Co<BR><BR>" +
                "by <A HREF=MAILTO:ann@x.org>Ann &lt;A&gt;</A>&nbsp;&nbsp;(<A "
                "HREF=MAILTO:ann@x.org>ann@x.org</A>)<BR>" +
                "<A HREF=http://x.org/?a=1&b=2 TARGET=_blank>http://x.org/?a=1&amp;b=2</A><BR>" +
                "Contents of this E-Book are (c) Ann<BR>" + kEsbnLine);
}

TEST_F(AboutPageTest, AuthorWithoutEmail) {
  Set([](EBookSettings* s) { s->author = "Ann"; });
  EXPECT_EQ(BuildBookInfoBlock(context.book), std::string(kTitleLine) + "by Ann<BR>" + kEsbnLine);
}

TEST_F(AboutPageTest, EmailWithoutAuthorIsNotShown) {
  Set([](EBookSettings* s) { s->authorEmail = "ann@x.org"; });
  EXPECT_EQ(BuildBookInfoBlock(context.book), std::string(kTitleLine) + kEsbnLine);
}

TEST_F(AboutPageTest, PublisherUrlAndCopyrightAlone) {
  Set([](EBookSettings* s) { s->publisher = "Pub"; });
  EXPECT_EQ(BuildBookInfoBlock(context.book),
            std::string(kTitleLine) + "published by Pub<BR><BR>" + kEsbnLine);
  Set([](EBookSettings* s) {
    s->publisher = "";
    s->authorUrl = "https://a.example/";
  });
  EXPECT_EQ(BuildBookInfoBlock(context.book),
            std::string(kTitleLine) +
                "<A HREF=https://a.example/ TARGET=_blank>https://a.example/</A><BR>" + kEsbnLine);
  Set([](EBookSettings* s) {
    s->authorUrl = "";
    s->copyright = "mine";
  });
  EXPECT_EQ(BuildBookInfoBlock(context.book),
            std::string(kTitleLine) + "Contents of this E-Book are mine<BR>" + kEsbnLine);
}

// The attribute values are written without quotes; a value that would end one early and
// add an attribute is quoted instead, and an address that would run a script is no link.
// Ordinary values keep the bytes they always had.
TEST_F(AboutPageTest, LinkValuesCannotAddAttributesOrScripts) {
  const struct {
    const char* email;
    const char* url;
    std::string links;  // what follows "by Ann" up to the copyright line
  } cases[] = {
      {"ann@x.org", "https://x.org/a?b=1&c=2",
       "<A HREF=MAILTO:ann@x.org>Ann</A>&nbsp;&nbsp;(<A HREF=MAILTO:ann@x.org>ann@x.org</A>)<BR>"
       "<A HREF=https://x.org/a?b=1&c=2 TARGET=_blank>https://x.org/a?b=1&amp;c=2</A><BR>"},
      {"a@b onmouseover=alert(1)", "http://x.org/ onclick=alert(1)",
       "<A HREF=\"MAILTO:a@b onmouseover=alert(1)\">Ann</A>&nbsp;&nbsp;(<A HREF=\"MAILTO:a@b "
       "onmouseover=alert(1)\">a@b onmouseover=alert(1)</A>)<BR>"
       "<A HREF=\"http://x.org/ onclick=alert(1)\" TARGET=_blank>http://x.org/ "
       "onclick=alert(1)</A><BR>"},
      {"a@b\tx", "http://x.org/\"><script>alert(1)</script>",
       "<A HREF=\"MAILTO:a@b\tx\">Ann</A>&nbsp;&nbsp;(<A HREF=\"MAILTO:a@b\tx\">a@b\tx</A>)<BR>"
       "<A HREF=\"http://x.org/&quot;&gt;&lt;script&gt;alert(1)&lt;/script&gt;\" TARGET=_blank>"
       "http://x.org/&quot;&gt;&lt;script&gt;alert(1)&lt;/script&gt;</A><BR>"},
      {"a'b@x", "http://x.org/'a`b",
       "<A HREF=\"MAILTO:a'b@x\">Ann</A>&nbsp;&nbsp;(<A HREF=\"MAILTO:a'b@x\">a'b@x</A>)<BR>"
       "<A HREF=\"http://x.org/'a`b\" TARGET=_blank>http://x.org/'a`b</A><BR>"},
      {"ann@x.org", "javascript:alert(document.cookie)",
       "<A HREF=MAILTO:ann@x.org>Ann</A>&nbsp;&nbsp;(<A HREF=MAILTO:ann@x.org>ann@x.org</A>)<BR>"
       "javascript:alert(document.cookie)<BR>"},
      {"ann@x.org", " JaVa\tScRiPt:alert(1)",
       "<A HREF=MAILTO:ann@x.org>Ann</A>&nbsp;&nbsp;(<A HREF=MAILTO:ann@x.org>ann@x.org</A>)<BR>"
       " JaVa\tScRiPt:alert(1)<BR>"},
      {"ann@x.org", "data:text/html,<script>alert(1)</script>",
       "<A HREF=MAILTO:ann@x.org>Ann</A>&nbsp;&nbsp;(<A HREF=MAILTO:ann@x.org>ann@x.org</A>)<BR>"
       "data:text/html,&lt;script&gt;alert(1)&lt;/script&gt;<BR>"},
      // A character reference that a browser would read as the scheme's ':'.
      {"ann@x.org", "javascript&#58;alert(1)",
       "<A HREF=MAILTO:ann@x.org>Ann</A>&nbsp;&nbsp;(<A HREF=MAILTO:ann@x.org>ann@x.org</A>)<BR>"
       "<A HREF=\"javascript&amp;#58;alert(1)\" TARGET=_blank>javascript&amp;#58;alert(1)</A><BR>"},
      {"ann@x.org", "notes.html",
       "<A HREF=MAILTO:ann@x.org>Ann</A>&nbsp;&nbsp;(<A HREF=MAILTO:ann@x.org>ann@x.org</A>)<BR>"
       "<A HREF=notes.html TARGET=_blank>notes.html</A><BR>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.url);
    m_settings.author = "Ann";
    m_settings.authorEmail = c.email;
    m_settings.authorUrl = c.url;
    LoadBook(m_settings);
    EXPECT_EQ(BuildBookInfoBlock(context.book),
              std::string(kTitleLine) + "by " + c.links + kEsbnLine);
  }
}

TEST_F(AboutPageTest, CreditSectionLinksTwiceToTheGivenAddressAndNamesThisVersion) {
  EXPECT_EQ(BuildCreditBlock("https://q.example/", 1, 2),
            PageSection("Software &amp; Copyright",
                        std::string("This E-Book was created with <A HREF=https://q.example/ "
                                    "TARGET=_blank>Quire</A> Compiler, version ") +
                            QUIRE_VERSION +
                            "<BR><BR>"
                            "<A HREF=https://q.example/ TARGET=_blank>Quire</A> Compiler "
                            "and Viewer Software are copyright the Quire developers.",
                        1, 2));
  // No address known: the name without a link.
  for (const char* blank : {"", "  "}) {
    EXPECT_EQ(BuildCreditBlock(blank, 1, 2),
              PageSection("Software &amp; Copyright",
                          std::string("This E-Book was created with Quire Compiler, version ") +
                              QUIRE_VERSION +
                              "<BR><BR>Quire Compiler and Viewer Software are copyright the "
                              "Quire developers.",
                          1, 2));
  }
}

TEST_F(AboutPageTest, GeneratedPageIsHeaderBookSectionCreditAndFooter) {
  std::string path = BuildAboutPage(context);
  EXPECT_EQ(path, context.store.BookFolder() + "__about.html");
  std::string expected =
      PageHeader("About", 0x010203, 0x040506, 0x070809, 0x0A0B0C) +
      PageSection("About this E-Book", BuildBookInfoBlock(context.book), 0x0D0E0F, 0x101112) +
      BuildCreditBlock(kQuireSiteUrl, 0x0D0E0F, 0x101112) + PageFooter();
  EXPECT_EQ(ReadWholeFile(path), expected);
  EXPECT_EQ(context.store.WrittenFiles().count(path), 1u);
}

TEST_F(AboutPageTest, ModeOneStillBuildsTheGeneratedPage) {
  Set([](EBookSettings* s) { s->aboutMode = 1; });
  EXPECT_EQ(BuildAboutPage(context), context.store.BookFolder() + "__about.html");
  EXPECT_TRUE(PathExists(context.store.BookFolder() + "__about.html"));
}

TEST_F(AboutPageTest, ModeTwoIsTheBooksOwnPage) {
  Set([](EBookSettings* s) {
    s->aboutMode = 2;
    s->aboutPageName = "credits.html";
  });
  EXPECT_EQ(BuildAboutPage(context), context.store.BookFolder() + "credits.html");
  EXPECT_FALSE(PathExists(context.store.BookFolder() + "__about.html"));
}

TEST_F(AboutPageTest, ReferralCodeIsAppendedWhenNotBlank) {
  EXPECT_EQ(CreditLinkUrl(context), kQuireSiteUrl);
  Set([](EBookSettings* s) { s->referralCode = "   \t"; });
  EXPECT_EQ(CreditLinkUrl(context), kQuireSiteUrl);
  Set([](EBookSettings* s) { s->referralCode = " r77 "; });
  EXPECT_EQ(CreditLinkUrl(context), std::string(kQuireSiteUrl) + "a.asp?r77");
  // Both credit links of the generated page carry the code.
  std::string page = *ReadWholeFile(BuildAboutPage(context));
  std::string link = std::string("<A HREF=") + kQuireSiteUrl + "a.asp?r77 TARGET=_blank>";
  size_t first = page.find(link);
  ASSERT_NE(first, std::string::npos);
  EXPECT_NE(page.find(link, first + 1), std::string::npos);
}

TEST_F(AboutPageTest, SiteSettingChoosesTheAddress) {
  EXPECT_EQ(SiteUrl(context), kQuireSiteUrl);  // no pgxconfig.ini
  WriteSiteSetting("1");
  EXPECT_EQ(SiteUrl(context), std::string(kQuireLibraryUrl) + "ebook/");
  WriteSiteSetting("7");
  EXPECT_EQ(SiteUrl(context), std::string(kQuireLibraryUrl) + "7/");
  WriteSiteSetting("0");
  EXPECT_EQ(SiteUrl(context), kQuireSiteUrl);
  WriteSiteSetting("none");
  EXPECT_EQ(SiteUrl(context), kQuireSiteUrl);
}

TEST_F(AboutPageTest, SiteFileWithoutTheKeyKeepsTheMainSite) {
  ASSERT_TRUE(WriteIniValue("pgxconfig.ini", "SITE", "OTHER", "7"));
  EXPECT_EQ(SiteUrl(context), kQuireSiteUrl);
}

TEST_F(AboutPageTest, SiteAddressIsKeptOnceComputed) {
  EXPECT_EQ(SiteUrl(context), kQuireSiteUrl);
  ASSERT_TRUE(WriteIniValue("pgxconfig.ini", "site", "site", "3"));
  EXPECT_EQ(SiteUrl(context), kQuireSiteUrl);
  ReaderContext laterReader;
  EXPECT_EQ(SiteUrl(laterReader), std::string(kQuireLibraryUrl) + "3/");
}

}  // namespace
}  // namespace quire::testing
