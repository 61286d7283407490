// The pages the reader writes under a dark desktop theme: a book whose colours are the
// readable palette gets its dark variant; a book with colours of its own, or one without
// the record, keeps its stored colours byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "book/cebook.h"
#include "book/page_palette.h"
#include "pages/about_page.h"
#include "pages/contents_page.h"
#include "pages/html_text.h"
#include "pages/page_template.h"
#include "pages/reader_context.h"
#include "support/book_fixture.h"
#include "support/fake_window.h"
#include "support/scoped_tmpdir.h"

namespace quire {
namespace {

using testing::FakeWindow;
using testing::ReadWholeFile;
using testing::TestBook;

// Loads a book of one page with `colours` stored and, when `recorded`, the feature record
// saying whether they are the palette's.
void LoadBook(ReaderContext& context, TestBook* book, const PageColours& colours, bool recorded,
              bool palette) {
  book->AddPage("index.html", "<html><head><title>One</title></head><body>x</body></html>");
  EBookSettings& s = book->Input().settings;
  s.backgroundColor = colours.background;
  s.textColor = colours.text;
  s.boxColor = colours.box;
  s.linkColor = colours.link;
  s.visitedLinkColor = colours.visitedLink;
  s.hoverColor = colours.hover;
  book->Input().features.recorded = recorded;
  book->Input().features.colorsFromPalette = palette;
  book->WriteFor(context);
  ASSERT_EQ(testing::LoadAsTheReaderDoes(context).reason, LoadResult::Reason::kNone);
}

std::string HeaderIn(const PageColours& c) {
  return PageHeader("About", c.background, c.link, c.visitedLink, c.hover);
}

class DarkDesktopPagesTest : public ::testing::Test {
 protected:
  ReaderContext context;
  FakeWindow m_window{context.window};
};

TEST_F(DarkDesktopPagesTest, APaletteBookTurnsDarkWithTheDesktopAndBackAgain) {
  TestBook book;
  LoadBook(context, &book, kLightPalette, true, true);
  const CEBook& cebook = context.book;
  EXPECT_EQ(cebook.TextColor(), kLightPalette.text);
  context.book.SetDarkDesktop(true);
  for (const auto& [shown, dark] : {std::pair{cebook.BackgroundColor(), kDarkPalette.background},
                                    std::pair{cebook.TextColor(), kDarkPalette.text},
                                    std::pair{cebook.BoxColor(), kDarkPalette.box},
                                    std::pair{cebook.LinkColor(), kDarkPalette.link},
                                    std::pair{cebook.VisitedLinkColor(), kDarkPalette.visitedLink},
                                    std::pair{cebook.HoverColor(), kDarkPalette.hover}})
    EXPECT_EQ(shown, dark);
  const std::string about = *ReadWholeFile(BuildAboutPage(context));
  EXPECT_EQ(about.rfind(HeaderIn(kDarkPalette), 0), 0u);
  EXPECT_NE(about.find("BGCOLOR=" + ColorToHex(kDarkPalette.box)), std::string::npos);
  EXPECT_NE(about.find("COLOR=" + ColorToHex(kDarkPalette.text)), std::string::npos);
  const std::string contents = *ReadWholeFile(BuildContentsPage(context));
  EXPECT_NE(contents.find("<BODY BGCOLOR=121212 "), std::string::npos);

  // A load keeps what the desktop is; the light theme brings the stored colours back.
  context.book.SetDarkDesktop(false);
  EXPECT_EQ(ReadWholeFile(BuildAboutPage(context))->rfind(HeaderIn(kLightPalette), 0), 0u);
}

TEST_F(DarkDesktopPagesTest, ABookOfItsOwnColoursOrWithoutTheRecordKeepsThemByteForByte) {
  const PageColours own = {RgbColour(0xFFFFF0), RgbColour(0x000000), RgbColour(0xEEEEEE),
                           RgbColour(0x0000FF), RgbColour(0x800080), RgbColour(0xFF0000)};
  const struct {
    const char* what;
    PageColours colours;
    bool recorded;
    bool palette;
  } cases[] = {
      {"its own colours", own, true, false},
      {"no record, the palette's colours", kLightPalette, false, false},
      {"no record, even claiming the palette", kLightPalette, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TestBook book;
    LoadBook(context, &book, c.colours, c.recorded, c.palette);
    context.book.SetDarkDesktop(false);
    const std::string light = *ReadWholeFile(BuildAboutPage(context));
    const std::string lightContents = *ReadWholeFile(BuildContentsPage(context));
    context.book.SetDarkDesktop(true);
    EXPECT_EQ(*ReadWholeFile(BuildAboutPage(context)), light);
    EXPECT_EQ(*ReadWholeFile(BuildContentsPage(context)), lightContents);
    EXPECT_EQ(light.rfind(HeaderIn(c.colours), 0), 0u);
  }
}

}  // namespace
}  // namespace quire
