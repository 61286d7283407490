#include "readable_palette.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <optional>
#include <string>
#include <vector>

#include "book/book_features.h"
#include "book/page_palette.h"
#include "book_file.h"
#include "book_plan.h"
#include "ini_document.h"
#include "manifest.h"
#include "support/scoped_tmpdir.h"
#include "tools/pack_runner.h"

namespace quire::pack {
namespace {

using quire::testing::ScopedTmpdir;
using quire::testing::WriteWholeFile;

// A colour reference from 0xRRGGBB.
int32_t Rgb(uint32_t rgb) {
  return static_cast<int32_t>(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
}

TEST(ReadablePaletteTest, ContrastFollowsTheRelativeLuminanceFormula) {
  const struct {
    int32_t first, second;
    double ratio;
  } cases[] = {
      {Rgb(0x000000), Rgb(0xFFFFFF), 21.0},
      {Rgb(0xFFFFFF), Rgb(0x000000), 21.0},  // either order
      {Rgb(0x123456), Rgb(0x123456), 1.0},
      {Rgb(0x777777), Rgb(0xFFFFFF), 4.48},
      {Rgb(0xFF0000), Rgb(0xFFFFFF), 4.0},
      {Rgb(0x0000FF), Rgb(0x000000), 2.44},  // blue weighs least: red first in the reference
      {-2, Rgb(0xFEFFFF), 1.0},              // a stored number: its low 24 bits, as pages show it
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << std::hex << c.first << " / " << c.second);
    EXPECT_NEAR(ContrastRatio(c.first, c.second), c.ratio, 0.01);
  }
}

TEST(ReadablePaletteTest, PaletteIsDarkTextOnLightWithBlueAndPurpleLinks) {
  EBookSettings s{};
  ApplyReadablePalette(&s);
  EXPECT_GE(ContrastRatio(s.textColor, s.backgroundColor), 7.0);
  EXPECT_GE(ContrastRatio(s.textColor, s.boxColor), 7.0);  // sections are written in boxes
  for (int32_t link : {s.linkColor, s.visitedLinkColor, s.hoverColor}) {
    EXPECT_GE(ContrastRatio(link, s.boxColor), 4.5);
    EXPECT_GE(ContrastRatio(link, s.backgroundColor), 4.5);
  }
  EXPECT_GT(RelativeLuminance(s.backgroundColor), 0.8);
  EXPECT_GT(RelativeLuminance(s.boxColor), 0.8);
  EXPECT_LT(RelativeLuminance(s.textColor), 0.05);
  auto channel = [](int32_t c, int shift) { return (c >> shift) & 0xFF; };
  EXPECT_GT(channel(s.linkColor, 16), 2 * channel(s.linkColor, 0));            // blue over red
  EXPECT_GT(channel(s.visitedLinkColor, 16), channel(s.visitedLinkColor, 8));  // purple:
  EXPECT_GT(channel(s.visitedLinkColor, 0), channel(s.visitedLinkColor, 8));   // red and blue
  EXPECT_EQ(ReadablePalette().size(), 6u);
}

// The dark variant the reader shows under a dark desktop theme keeps the same rules: text
// and links at least 7:1 on the background and in the boxes, light on dark.
TEST(ReadablePaletteTest, DarkVariantIsLightTextOnDarkAsReadableAsTheLightOne) {
  const PageColours& dark = kDarkPalette;
  for (int32_t on : {dark.background, dark.box}) {
    for (int32_t ink : {dark.text, dark.link, dark.visitedLink, dark.hover})
      EXPECT_GE(ContrastRatio(ink, on), 7.0) << std::hex << ink << " on " << on;
  }
  EXPECT_LT(RelativeLuminance(dark.background), 0.02);
  EXPECT_LT(RelativeLuminance(dark.box), 0.05);
  EXPECT_GT(RelativeLuminance(dark.text), 0.7);
  // The light palette build stores is the reader's light palette.
  EBookSettings s{};
  ApplyReadablePalette(&s);
  EXPECT_EQ(s.backgroundColor, kLightPalette.background);
  EXPECT_EQ(s.hoverColor, kLightPalette.hover);
}

// A book whose manifest sets no colour records that its colours are the palette; one that
// sets any keeps its colours whatever the desktop, and extract writes the first back as a
// manifest without colours, so that build records it again.
TEST(ReadablePaletteTest, OnlyABookWithoutColoursRecordsThePalette) {
  ScopedTmpdir tmp;
  const struct {
    const char* name;
    const char* manifest;
    bool palette;
  } cases[] = {
      {"none", "[book]\ntitle = T\n", true},
      {"empty-section", "[colors]\n", true},
      {"one-colour", "[colors]\nlink = #0645AD\n", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string src = tmp.File(std::string("src-") + c.name);
    mkdir(src.c_str(), 0700);
    ASSERT_TRUE(WriteWholeFile(src + "/index.html", "<title>T</title>"));
    ASSERT_TRUE(WriteWholeFile(src + "/book.ini", c.manifest));
    const std::string book = tmp.File(std::string("book-") + c.name);
    quire::testing::RunResult built = quire::testing::RunPack(
        {"build", src, "-o", book, "--reader", quire::testing::ReaderPath(), "-q"}, tmp.Path());
    ASSERT_EQ(built.exitCode, 0) << built.err;
    BookFile read;
    std::string error;
    ASSERT_TRUE(OpenBookFile(book, &read, &error)) << error;
    EXPECT_EQ(ReadBookFeatures(read.reserved).colorsFromPalette, c.palette);

    const std::string out = tmp.File(std::string("out-") + c.name);
    quire::testing::RunResult extracted =
        quire::testing::RunPack({"extract", book, out, "--manifest"}, tmp.Path());
    ASSERT_EQ(extracted.exitCode, 0) << extracted.err;
    const std::string again = book + "-again";
    built = quire::testing::RunPack(
        {"build", out, "-o", again, "--reader", quire::testing::ReaderPath(), "-q"}, tmp.Path());
    ASSERT_EQ(built.exitCode, 0) << built.err;
    BookFile reread;
    ASSERT_TRUE(OpenBookFile(again, &reread, &error)) << error;
    EXPECT_EQ(ReadBookFeatures(reread.reserved).colorsFromPalette, c.palette);
    EXPECT_EQ(reread.settings.backgroundColor, read.settings.backgroundColor);
    EXPECT_EQ(reread.settings.linkColor, read.settings.linkColor);
  }
}

// What build makes of the [colors] a manifest gives: stored colours, note and warning.
TEST(ReadablePaletteTest, UnsetColoursComeFromThePaletteAndExplicitOnesAreKept) {
  EBookSettings palette{};
  ApplyReadablePalette(&palette);
  const struct {
    const char* manifest;
    int32_t background, text, box, hover;
    const char* note;  // "" for none
    bool warned;
  } cases[] = {
      {"", palette.backgroundColor, palette.textColor, palette.boxColor, palette.hoverColor,
       "no colours set; the contents, search and about pages get the readable palette "
       "(background #FFFFFF, text #1F1F1F, box #F2F4F7, link #0645AD, visited-link #6B2FA0, "
       "hover #B3261E)",
       false},
      {"[colors]\n", palette.backgroundColor, palette.textColor, palette.boxColor,
       palette.hoverColor, "no colours set", false},
      // Black on black stays, as the author wrote it, with a warning.
      {"[colors]\nbackground = #000000\ntext = #000\n", 0, 0, palette.boxColor, palette.hoverColor,
       "[colors] sets no box, link, visited-link, hover; taken from the readable palette (box "
       "#F2F4F7, link #0645AD, visited-link #6B2FA0, hover #B3261E)",
       true},
      {"[colors]\nbackground = #000000\n", 0, palette.textColor, palette.boxColor,
       palette.hoverColor, "[colors] sets no text, box, link, visited-link, hover", true},
      {"[colors]\nBackground = #000000\nTEXT = #FFFFFF\nbox = #333\nlink = #8AB4F8\n"
       "visited-link = #C58AF9\nhover = -2\n",
       0, Rgb(0xFFFFFF), Rgb(0x333333), -2, "", false},
      {"[colors]\ntext = #777777\nbackground = #888888\n", Rgb(0x888888), Rgb(0x777777),
       palette.boxColor, palette.hoverColor, "[colors] sets no box", true},
      // 3:1 is enough; just below it is not.
      {"[colors]\ntext = #949494\n", palette.backgroundColor, Rgb(0x949494), palette.boxColor,
       palette.hoverColor, "[colors] sets no background, box", false},
      {"[colors]\ntext = #959595\nbackground = #FFFFFF\n", palette.backgroundColor, Rgb(0x959595),
       palette.boxColor, palette.hoverColor, "[colors] sets no box", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.manifest);
    IniDocument doc;
    Manifest manifest;
    std::string error;
    ASSERT_TRUE(ParseIni(c.manifest, "book.ini", &doc, &error)) << error;
    ASSERT_TRUE(ReadManifest(doc, "book.ini", &manifest, &error)) << error;
    const EBookSettings& s = manifest.settings;
    EXPECT_EQ(s.backgroundColor, c.background);
    EXPECT_EQ(s.textColor, c.text);
    EXPECT_EQ(s.boxColor, c.box);
    EXPECT_EQ(s.hoverColor, c.hover);
    std::string note = PaletteNote(manifest.colorKeysSet);
    if (*c.note) {
      EXPECT_EQ(note.rfind(c.note, 0), 0u) << note;
    } else {
      EXPECT_EQ(note, "");
    }
    std::string warning = TextContrastWarning(s);
    EXPECT_EQ(!warning.empty(), c.warned) << warning;
  }
}

TEST(ReadablePaletteTest, ContrastWarningNamesBothColoursAndTheRatioCutNotRounded) {
  EBookSettings s{};
  s.textColor = Rgb(0x959595);  // 2.995:1 on white
  s.backgroundColor = Rgb(0xFFFFFF);
  EXPECT_EQ(TextContrastWarning(s),
            "[colors] text #959595 on background #FFFFFF has a contrast of 2.9:1 (below 3:1); "
            "the contents, search and about pages will be hard to read");
  s.textColor = 0;
  s.backgroundColor = 0;
  EXPECT_NE(TextContrastWarning(s).find("text #000000 on background #000000 has a contrast of "
                                        "1.0:1"),
            std::string::npos);
}

// The warning reaches the plan's warnings, and the book keeps the author's colours.
TEST(ReadablePaletteTest, PlanOfABlackOnBlackBookWarnsAndKeepsTheColours) {
  ScopedTmpdir tmp;
  std::string dir = tmp.File("src");
  mkdir(dir.c_str(), 0700);
  ASSERT_TRUE(WriteWholeFile(dir + "/index.html", "<title>Dark</title>"));
  PlanInput input;
  input.sourceDir = dir;
  IniDocument doc;
  std::string error;
  ASSERT_TRUE(
      ParseIni("[colors]\nbackground = #000000\ntext = #000000\n", "book.ini", &doc, &error));
  ASSERT_TRUE(ReadManifest(doc, "book.ini", &input.manifest, &error)) << error;
  PlannedBook planned;
  ASSERT_TRUE(PlanBook(input, &planned, &error)) << error;
  EXPECT_EQ(planned.record.settings.backgroundColor, 0);
  EXPECT_EQ(planned.record.settings.textColor, 0);
  ASSERT_EQ(planned.warnings.size(), 1u);
  EXPECT_EQ(planned.warnings[0].rfind("[colors] text #000000 on background #000000", 0), 0u);
}

}  // namespace
}  // namespace quire::pack
