#include "manifest.h"

#include <gtest/gtest.h>

#include <string>

#include "ini_document.h"
#include "manifest_values.h"
#include "tools/settings_fields.h"

namespace quire::pack {
namespace {

using quire::testing::SettingsFields;

// Parses and reads `text` as book.ini; returns the error text ("" on success).
std::string ReadText(const std::string& text, Manifest* manifest) {
  IniDocument doc;
  std::string error;
  if (!ParseIni(text, "book.ini", &doc, &error))
    return error;
  if (!ReadManifest(doc, "book.ini", manifest, &error))
    return error;
  return "";
}

TEST(IniDocumentTest, ReadsSectionsKeysAndQuotedValuesWithLineNumbers) {
  IniDocument doc;
  std::string error;
  ASSERT_TRUE(
      ParseIni("\xEF\xBB\xBF; comment\r\n[Book]\r\n  Title =  A ; B #C  \r\n"
               "# another\nmsg = \"  two\\nlines \\\"q\\\" \\\\ \"\nempty=\n",
               "book.ini", &doc, &error))
      << error;
  ASSERT_EQ(doc.sections.size(), 1u);
  EXPECT_EQ(doc.sections[0].name, "Book");
  ASSERT_EQ(doc.sections[0].entries.size(), 3u);
  EXPECT_EQ(doc.sections[0].entries[0].key, "title");
  EXPECT_EQ(doc.sections[0].entries[0].keyAsWritten, "Title");
  EXPECT_EQ(doc.sections[0].entries[0].value, "A ; B #C");
  EXPECT_EQ(doc.sections[0].entries[0].line, 3);
  EXPECT_EQ(doc.sections[0].entries[1].value, "  two\nlines \"q\" \\ ");
  EXPECT_EQ(doc.sections[0].entries[2].value, "");
}

TEST(IniDocumentTest, RejectsMalformedLinesNamingTheLine) {
  const struct {
    const char* text;
    const char* error;
  } cases[] = {
      {"key = 1\n", "book.ini:1: key 'key' before any [section]"},
      {"[book\n", "book.ini:1: section header without its closing ']'"},
      {"[book]\n\njust words\n", "book.ini:3: expected 'key = value' or '[section]'"},
      {"[book]\n= value\n", "book.ini:2: a value without a key"},
      {"[book]\na = 1\nA = 2\n", "book.ini:3: key 'a' given twice in [book] (first on line 2)"},
      {"[book]\n[BOOK]\n", "book.ini:2: section [BOOK] appears twice (first on line 1)"},
      {"[book]\na = \"open\n", "book.ini:2: quoted value without its closing '\"'"},
      {"[book]\na = \"x\" y\n", "book.ini:2: text after the closing '\"' of a quoted value"},
      {"[book]\na = \"\\q\"\n", "book.ini:2: unknown escape \\q in a quoted value"},
      {"[ ]\n", "book.ini:1: empty section name"},
  };
  for (const auto& c : cases) {
    IniDocument doc;
    std::string error;
    EXPECT_FALSE(ParseIni(c.text, "book.ini", &doc, &error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
}

TEST(IniDocumentTest, QuotedValuesComeBackExactly) {
  for (std::string value :
       {"", "plain", " lead", "trail ", "\"quoted\"", "a\nb\r\tc\\d", "#!script.txt",
        "C:\\path\\file", "esc\x1b[1m", "del\x7f", "bell\x07\\x07"}) {
    IniDocument doc;
    std::string error;
    ASSERT_TRUE(ParseIni("[s]\nk = " + QuoteIniValue(value) + "\n", "x", &doc, &error)) << error;
    EXPECT_EQ(doc.sections[0].entries[0].value, value);
  }
}

// A listing escapes control bytes but not backslashes: inside quotes every backslash is
// doubled, so "\x1b" shown there can only be the byte.
TEST(IniDocumentTest, ValuesWithControlBytesAreAlwaysQuoted) {
  EXPECT_EQ(QuoteIniValue("esc\x1b"), "\"esc\x1b\"");
  EXPECT_EQ(QuoteIniValue("x\x7f\\"), "\"x\x7f\\\\\"");
  EXPECT_EQ(QuoteIniValue("C:\\x1b"), "C:\\x1b");
}

TEST(ManifestValuesTest, ColoursAreWrittenRedFirstAndStoredRedInTheLowByte) {
  int32_t value = 0;
  std::string reason;
  ASSERT_TRUE(ReadColor("#102030", &value, &reason));
  EXPECT_EQ(value, 0x302010);
  ASSERT_TRUE(ReadColor("#abc", &value, &reason));
  EXPECT_EQ(value, 0xCCBBAA);
  ASSERT_TRUE(ReadColor("-2", &value, &reason));
  EXPECT_EQ(value, -2);
  EXPECT_EQ(WriteColor(0x302010), "#102030");
  EXPECT_EQ(WriteColor(-2), "-2");
  EXPECT_FALSE(ReadColor("#12345", &value, &reason));
  EXPECT_FALSE(ReadColor("red", &value, &reason));
}

TEST(ManifestValuesTest, WordsAndNumbersMeanTheStoredCodes) {
  const struct {
    ValueReader read;
    const char* text;
    int32_t value;
  } cases[] = {
      {ReadFlag, "Yes", 1},
      {ReadFlag, "off", 0},
      {ReadFlag, "7", 7},
      {ReadWindowWidth, "maximized", -1},
      {ReadWindowWidth, "system", -3},
      {ReadWindowWidth, "640", 640},
      {ReadWindowPosition, "top-left", -8},
      {ReadWindowPosition, "center", 0},
      {ReadWindowPosition, "left", -7},
      {ReadPageMode, "own", 2},
      {ReadPageMode, "none", 1},
      {ReadToolbarStyle, "bottom", 3},
      {ReadShortcutOffer, "start-menu", -2},
      {ReadVariableKind, "html", 2},
      {ReadVariableKind, "3", 3},
      {ReadInteger, "-42", -42},
  };
  for (const auto& c : cases) {
    int32_t value = 12345;
    std::string reason;
    EXPECT_TRUE(c.read(c.text, &value, &reason)) << c.text << ": " << reason;
    EXPECT_EQ(value, c.value) << c.text;
  }
  int32_t value = 0;
  std::string reason;
  EXPECT_FALSE(ReadFlag("maybe", &value, &reason));
  EXPECT_EQ(reason, "expected yes or no");
  EXPECT_FALSE(ReadInteger("99999999999", &value, &reason));
}

TEST(ManifestValuesTest, ToolbarButtonsByNameNumberOrExactList) {
  std::array<int32_t, kToolbarButtonCount> flags{};
  std::string reason;
  ASSERT_TRUE(ReadToolbarButtons("back, forward home about 11", &flags, &reason)) << reason;
  EXPECT_EQ(flags, (std::array<int32_t, 13>{1, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1, 1}));
  EXPECT_EQ(WriteToolbarButtons(flags), "back forward home 11 about");
  for (auto sample :
       {std::array<int32_t, 13>{}, std::array<int32_t, 13>{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1},
        std::array<int32_t, 13>{2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, -1}}) {
    std::array<int32_t, kToolbarButtonCount> back{};
    ASSERT_TRUE(ReadToolbarButtons(WriteToolbarButtons(sample), &back, &reason)) << reason;
    EXPECT_EQ(back, sample);
  }
  EXPECT_FALSE(ReadToolbarButtons("back sideways", &flags, &reason));
  EXPECT_FALSE(ReadToolbarButtons("13", &flags, &reason));
  EXPECT_FALSE(ReadToolbarButtons("=1,2", &flags, &reason));
}

TEST(ManifestTest, EmptyManifestTakesTheBuildDefaults) {
  Manifest manifest;
  ASSERT_EQ(ReadText("", &manifest), "");
  EXPECT_EQ(SettingsFields(manifest.settings), SettingsFields(ManifestDefaultSettings()));
  EXPECT_FALSE(manifest.Gives("book", "title"));
  EXPECT_FALSE(manifest.Gives("book", "id"));
  EXPECT_FALSE(manifest.Gives("book", "page-commands"));
  EXPECT_EQ(manifest.settings.alwaysOnTop, 0);
  EXPECT_EQ(manifest.settings.windowWidthCode, kDefaultWindowWidth);
  EXPECT_EQ(manifest.settings.windowHeight, kDefaultWindowHeight);
  EXPECT_TRUE(manifest.colorKeysSet.empty());
  EXPECT_EQ(manifest.settings.contentsMode, 3);
}

TEST(ManifestTest, SectionsSetSettingsFilesAndVariables) {
  Manifest manifest;
  ASSERT_EQ(ReadText("[book]\nid = my-book\ntitle = T\nesbn = E-1\nsplash = s.bmp\n"
                     "rebranded = yes\nignore = drafts/ *.bak\nstartup-script = #!start.txt\n"
                     "page-commands = no\n"
                     "[window]\nwidth = 640\nheight = 480\nposition = bottom-right\n"
                     "[toolbar]\nbuttons = back home\nstyle = left\n"
                     "[colors]\nbackground = #FFFFFF\n"
                     "[contents]\nmode = own\npage = toc.html\n"
                     "[variables]\nEdition = First\n"
                     "[variable:Banner]\nvalue = <b>x</b>\nkind = html\nnote = n\n"
                     "[file:index.html]\ntitle = Home\nsort-key = 01\nsearchable = no\n"
                     "[file:old.html]\ninclude = no\n",
                     &manifest),
            "");
  const EBookSettings& s = manifest.settings;
  EXPECT_EQ(manifest.bookId, "my-book");
  EXPECT_EQ(s.title, "T");
  EXPECT_EQ(s.esbn, "E-1");
  EXPECT_EQ(manifest.splash, "s.bmp");
  EXPECT_EQ(manifest.rebranded, 1);
  EXPECT_TRUE(manifest.Gives("book", "page-commands"));
  EXPECT_FALSE(manifest.features.pageCommands);
  EXPECT_EQ(manifest.ignore, (std::vector<std::string>{"drafts/", "*.bak"}));
  EXPECT_EQ(s.startupScript, "#!start.txt");
  EXPECT_EQ(s.windowWidthCode, 640);
  EXPECT_EQ(s.windowHeight, 480);
  EXPECT_EQ(s.windowPositionCode, -4);
  EXPECT_EQ(s.toolbarButtons[0], 1);
  EXPECT_EQ(s.toolbarButtons[1], 0);
  EXPECT_EQ(s.toolbarStyle, 1);
  EXPECT_EQ(s.backgroundColor, 0xFFFFFF);
  EXPECT_EQ(s.contentsMode, 2);
  EXPECT_EQ(s.contentsPageName, "toc.html");
  ASSERT_EQ(manifest.variables.size(), 2u);
  EXPECT_EQ(manifest.variables[0].name, "Edition");
  EXPECT_EQ(manifest.variables[0].kind, 1);
  EXPECT_EQ(manifest.variables[1].name, "Banner");
  EXPECT_EQ(manifest.variables[1].value, "<b>x</b>");
  EXPECT_EQ(manifest.variables[1].kind, 2);
  EXPECT_EQ(manifest.variables[1].secondText, "n");
  ASSERT_EQ(manifest.files.size(), 2u);
  EXPECT_EQ(manifest.files[0].title, "Home");
  EXPECT_EQ(manifest.files[0].sortKey, "01");
  EXPECT_EQ(manifest.files[0].searchable, 0);
  EXPECT_FALSE(manifest.files[0].inContents.has_value());
  EXPECT_FALSE(manifest.files[1].include);
}

TEST(ManifestTest, BadManifestsAreRefusedWithTheirLine) {
  const struct {
    std::string text;
    std::string error;
  } cases[] = {
      {"[books]\n", "book.ini:1: unknown section [books]"},
      {"[book]\ntitel = x\n", "book.ini:2: unknown key 'titel' in [book]"},
      {"[window]\nsizeable = maybe\n", "book.ini:2: [window] sizeable: expected yes or no"},
      {"[book]\npage-commands = sometimes\n", "book.ini:2: [book] page-commands: expected yes"},
      {"[colors]\nlink = blue\n", "book.ini:2: [colors] link: expected a colour"},
      {"[book]\nid = " + std::string(64, 'x') + "\n", "book.ini:2: the book id may hold at most"},
      {"[variables]\ntitle = x\n", "book.ini:2: variable name 'title' is a predefined"},
      {"[variables]\na{b = x\n", "book.ini:2: variable name 'a{b' may not hold braces"},
      {"[variables]\nx = 1\n[variable:x]\n", "book.ini:3: variable 'x' is defined twice"},
      {"[file:..]\n", "book.ini:1: [file:..]: not a name a book can store a file under"},
      {"[file:img/../a.png]\n",
       "book.ini:1: [file:img/../a.png]: not a name a book can store a file under"},
      {"[file:/etc/a.png]\n", "book.ini:1: [file:/etc/a.png]: not a name a book can store"},
      {"[file:img//a.png]\n", "book.ini:1: [file:img//a.png]: not a name a book can store"},
      {"[file:img\\a.png]\n", "book.ini:1: [file:img\\a.png]: not a name a book can store"},
      {"[file:" + std::string(256, 'n') + "]\n",
       "book.ini:1: [file:" + std::string(256, 'n') +
           "]: the name is longer or deeper than the reader keeps (1024 bytes, 255 per part, 32 "
           "parts)"},
      {"[file:a.html]\ncolour = red\n", "book.ini:2: unknown key 'colour' in [file:a.html]"},
      {"[file:a.html]\n[file:a.html]\n", "book.ini:2: section [file:a.html] appears twice"},
      {"[variable:v]\nkind = wide\n", "book.ini:2: expected text, html or a number"},
      {"[thing:x]\n", "book.ini:1: unknown section [thing:x]"},
      {"[contents]\npane = sometimes\n", "book.ini:2: pane: expected yes or no"},
      {"[book]\nremember-reading = 2x\n", "book.ini:2: remember-reading: expected yes or no"},
      {"[window]\npane = yes\n", "book.ini:2: unknown key 'pane' in [window]"},
  };
  for (const auto& c : cases) {
    Manifest manifest;
    std::string error = ReadText(c.text, &manifest);
    EXPECT_EQ(error.rfind(c.error, 0), 0u) << c.text << "\ngot: " << error;
  }
}

TEST(ManifestTest, WrittenManifestReadsBackToTheSameRecords) {
  ManifestSource source;
  EBookSettings& s = source.settings;
  s = DefaultSettings();
  int32_t n = 2;
  for (int32_t* field :
       {&s.openLinksOutside, &s.windowWidthCode, &s.windowHeight, &s.windowPositionCode,
        &s.searchShowPercent, &s.backgroundColor, &s.textColor, &s.boxColor, &s.linkColor,
        &s.visitedLinkColor, &s.hoverColor, &s.alwaysOnTop, &s.toolbarStyle, &s.shortcutOffer,
        &s.aboutMode, &s.contentsMode, &s.popupMenu, &s.statusBarToggle}) {
    *field = n++ * 37;
  }
  s.linkColor = -7;
  s.toolbarButtons = {1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1};
  s.title = "  A \"title\"\twith\nbreaks ";
  s.esbn = "ESBN-9";
  s.startupScript = "##MESSAGEBOX('hi')";
  s.aboutPageName = "about.html";
  source.bookId = "book id";
  source.rebranded = 5;
  source.features.pageCommands = false;
  source.splash = "splash.bmp";
  source.variables = {{"v1", "note", "line1\nline2", 0, 1}, {"V2", "", "<i>x</i>", 0, 9}};
  EBookFile file;
  file.fileName = "page one.html";
  file.searchable = true;
  file.packed = true;
  file.title = "T";
  file.description = " D ";
  file.keywords = "k1 k2";
  file.sortKey = "07";
  source.files = {file};
  source.features.contentsPane = true;
  source.features.rememberReading = false;

  Manifest manifest;
  ASSERT_EQ(ReadText(WriteManifest(source), &manifest), "");
  EXPECT_EQ(SettingsFields(manifest.settings), SettingsFields(s));
  EXPECT_EQ(manifest.bookId, "book id");
  EXPECT_EQ(manifest.rebranded, 5);
  EXPECT_FALSE(manifest.features.pageCommands);
  EXPECT_EQ(manifest.splash, "splash.bmp");
  ASSERT_EQ(manifest.variables.size(), 2u);
  EXPECT_EQ(manifest.variables[0].value, "line1\nline2");
  EXPECT_EQ(manifest.variables[0].secondText, "note");
  EXPECT_EQ(manifest.variables[1].kind, 9);
  ASSERT_EQ(manifest.files.size(), 1u);
  const FileRule& rule = manifest.files[0];
  EXPECT_EQ(rule.name, "page one.html");
  EXPECT_EQ(rule.searchable, 1);
  EXPECT_EQ(rule.inContents, 0);
  EXPECT_EQ(rule.packed, 1);
  EXPECT_EQ(rule.expandVariables, 0);
  EXPECT_EQ(rule.description, " D ");
  EXPECT_EQ(rule.sortKey, "07");
  EXPECT_TRUE(manifest.features.contentsPane);
  EXPECT_FALSE(manifest.features.rememberReading);
}

TEST(ManifestTest, ReadingKeysDefaultToAHiddenPaneAndRemembering) {
  Manifest manifest;
  ASSERT_EQ(ReadText("", &manifest), "");
  EXPECT_FALSE(manifest.features.contentsPane);
  EXPECT_TRUE(manifest.features.rememberReading);
  ASSERT_EQ(ReadText("[contents]\nPane = yes\n[book]\nremember-reading = no\n", &manifest), "");
  EXPECT_TRUE(manifest.features.contentsPane);
  EXPECT_FALSE(manifest.features.rememberReading);
}

}  // namespace
}  // namespace quire::pack
