// The quire-pack program itself, run as a user runs it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "book/book_writer.h"
#include "book/cebook.h"
#include "book_file.h"
#include "pages/html_text.h"
#include "support/book_fixture.h"
#include "support/fake_window.h"
#include "support/scoped_env.h"
#include "support/scoped_tmpdir.h"
#include "tools/json_value.h"
#include "tools/pack_runner.h"
#include "tools/settings_fields.h"

namespace quire {
namespace {

namespace fs = std::filesystem;
using testing::BookLayout;
using testing::FakeWindow;
using testing::JsonValue;
using testing::ParseJson;
using testing::PathExists;
using testing::PutScrambledInt;
using testing::ReadWholeFile;
using testing::RunPack;
using testing::RunResult;
using testing::ScopedEnv;
using testing::ScopedTmpdir;
using testing::SettingsFields;
using testing::TestBook;
using testing::WriteWholeFile;

constexpr int kFailed = 1;
constexpr int kUsage = 2;
constexpr std::time_t kBuildTime = 1700000000;

std::string RandomBytes(size_t size, unsigned seed) {
  std::mt19937 gen(seed);
  std::string out(size, '\0');
  for (char& c : out)
    c = static_cast<char>(gen() & 0xFF);
  return out;
}

// Names in a folder, sorted.
std::vector<std::string> Listing(const std::string& dir) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(dir, ec))
    names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

class PackCliTest : public ::testing::Test {
 protected:
  PackCliTest() : m_epoch("SOURCE_DATE_EPOCH", std::to_string(kBuildTime)) {}

  std::string Path(const std::string& name) const { return m_tmp.File(name); }
  RunResult Pack(const std::vector<std::string>& args) { return RunPack(args, m_tmp.Path()); }

  void Write(const std::string& name, const std::string& bytes) {
    fs::create_directories(fs::path(Path(name)).parent_path());
    ASSERT_TRUE(WriteWholeFile(Path(name), bytes)) << name;
  }

  // Expects a clean failure: the exit code, a message on standard error that holds
  // `message`, no crash, and no file at `output` (when given).
  void ExpectFailure(const RunResult& r, int code, const std::string& message,
                     const std::string& output = "") {
    EXPECT_FALSE(r.crashed) << r.err;
    EXPECT_EQ(r.exitCode, code) << r.err;
    EXPECT_EQ(r.err.rfind("quire-pack: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(message), std::string::npos)
        << "expected: " << message << "\ngot: " << r.err;
    if (!output.empty()) {
      EXPECT_FALSE(PathExists(output)) << output;
    }
  }

  // A built book of a small folder, for the tests that need any book.
  std::string SimpleBook() {
    Write("simple/book.ini", "[book]\ntitle = Simple\n");
    Write("simple/index.html", "<title>Start</title><p>" + std::string(5000, 'a') + "</p>");
    Write("simple/data.bin", RandomBytes(3000, 1));
    RunResult r = Pack(
        {"build", Path("simple"), "-o", Path("simple.book"), "--reader", testing::ReaderPath()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return Path("simple.book");
  }

  ScopedTmpdir m_tmp;
  ScopedEnv m_epoch;
};

// --- Round trip ---------------------------------------------------------------------------

// Everything a manifest can say, with values that differ from every default.
constexpr char kFullManifest[] = R"(; every setting
[book]
id = round-trip-id
esbn = RT-0001
title = "  The Round Trip  "
author = A. Author
author-email = a@example.org
author-url = https://example.org/a
publisher = Pub & Co
copyright = (c) 2026
startup-message = "Welcome!\nTwo lines."
startup-script = #!start.txt
exit-script = ##MESSAGEBOX('bye')
referral-code = REF42
splash = splash.bmp
rebranded = yes
open-links-outside = yes
shortcut-offer = desktop
popup-menu = no
ignore = drafts/ *.bak

[window]
width = 640
height = 480
position = bottom-left
sizeable = no
minimize-box = no
maximize-box = no
always-on-top = yes
menu-bar = no
status-bar = no
status-bar-toggle = no

[toolbar]
show = no
toggle = no
texts = no
style = right
buttons = back forward home 11 about

[colors]
background = #F0E8D8
text = #202020
box = #FFFFF0
link = #0040A0
visited-link = #602080
hover = #C00000

[contents]
mode = own
page = contents.html
show-descriptions = no
popup = no

[about]
mode = own
page = about.html

[search]
show-percent = no
show-descriptions = no

[variables]
Edition = Second & "final"

[variable:Banner]
value = <b>bold</b>
kind = html
note = shown on every page

[variable:Motto]
value = "line one\nline two"
kind = 3

[file:index.html]
title = Home
description = Where it starts
keywords = start home
sort-key = 01

[file:contents.html]
contents = no
searchable = no

[file:about.html]
expand = yes
contents = no

[file:photo.png]
packed = yes

[file:start.txt]
expand = no

[file:raw.html]
packed = no
searchable = no
sort-key = 99
)";

TEST_F(PackCliTest, BuildThenListAndExtractGiveBackExactlyWhatWentIn) {
  std::map<std::string, std::string> files = {
      {"index.html", "<html><head><title>Ignored</title></head><body>[={Edition}]</body></html>"},
      {"contents.html", "<title>Contents</title><ul><li>one</li></ul>"},
      {"about.html", "<p>[={title}]</p>"},
      {"chapter.html",
       "<HEAD><TITLE>Chapter &amp; Verse</TITLE>"
       "<META NAME=description CONTENT=\"The middle\"></HEAD>" +
           std::string(200000, 'z') + RandomBytes(70000, 2)},
      {"raw.html", "<title>Raw</title>"},
      {"photo.png", RandomBytes(20000, 3)},
      {"style.css", "body { color: red }"},
      {"start.txt", "SET('n',0)\n"},
      {"empty.txt", ""},
  };
  for (const auto& [name, bytes] : files)
    Write("src/" + name, bytes);
  Write("src/book.ini", kFullManifest);
  Write("src/splash.bmp", testing::MakeBmp(40, 30, 200, 100, 50));
  Write("src/drafts/unused.html", "x");
  Write("src/old.bak", "x");
  Write("ext/__pxa__tool.so", RandomBytes(5000, 4));

  RunResult built = Pack({"build", Path("src"), "-o", Path("out.book"), "--reader",
                          testing::ReaderPath(), "--add", Path("ext/__pxa__tool.so")});
  ASSERT_EQ(built.exitCode, 0) << built.err;
  EXPECT_EQ(built.err, "quire-pack: warning: --add " + Path("ext/__pxa__tool.so") +
                           ": extension library '__pxa__tool.so' is not an ELF shared object; "
                           "the reader cannot load it\n");
  // The book is the reader program with the book appended, and may be run.
  std::string book = *ReadWholeFile(Path("out.book"));
  std::string reader = *ReadWholeFile(testing::ReaderPath());
  EXPECT_EQ(book.compare(0, reader.size(), reader), 0);
  EXPECT_EQ(access(Path("out.book").c_str(), X_OK), 0);

  RunResult listed = Pack({"list", "--json", Path("out.book")});
  ASSERT_EQ(listed.exitCode, 0) << listed.err;
  std::optional<JsonValue> json = ParseJson(listed.out);
  ASSERT_TRUE(json) << listed.out;
  const JsonValue& s = (*json)["settings"];
  EXPECT_EQ((*json)["bookId"].text, "round-trip-id");
  EXPECT_EQ((*json)["rebranded"].number, 1);
  EXPECT_EQ((*json)["splash"]["size"].number,
            static_cast<int64_t>(testing::MakeBmp(40, 30, 200, 100, 50).size()));
  const std::map<std::string, std::string> texts = {
      {"esbn", "RT-0001"},
      {"title", "  The Round Trip  "},
      {"author", "A. Author"},
      {"authorEmail", "a@example.org"},
      {"authorUrl", "https://example.org/a"},
      {"publisher", "Pub & Co"},
      {"copyright", "(c) 2026"},
      {"startupMessage", "Welcome!\nTwo lines."},
      {"startupScript", "#!start.txt"},
      {"exitScript", "##MESSAGEBOX('bye')"},
      {"referralCode", "REF42"},
      {"contentsPageName", "contents.html"},
      {"aboutPageName", "about.html"},
  };
  for (const auto& [key, value] : texts)
    EXPECT_EQ(s[key].text, value) << key;
  std::tm local{};
  std::time_t when = kBuildTime;
  localtime_r(&when, &local);
  const std::map<std::string, int64_t> numbers = {
      {"openLinksOutside", 1},
      {"windowWidthCode", 640},
      {"windowHeight", 480},
      {"windowPositionCode", -6},
      {"searchShowPercent", 0},
      {"searchShowDescriptions", 0},
      {"backgroundColor", 0xD8E8F0},
      {"textColor", 0x202020},
      {"boxColor", 0xF0FFFF},
      {"linkColor", 0xA04000},
      {"visitedLinkColor", 0x802060},
      {"hoverColor", 0x0000C0},
      {"contentsShowDescriptions", 0},
      {"sizeableFrame", 0},
      {"minimizeBox", 0},
      {"maximizeBox", 0},
      {"alwaysOnTop", 1},
      {"menuBar", 0},
      {"toolbar", 0},
      {"toolbarToggle", 0},
      {"toolbarButtonTexts", 0},
      {"contentsPopup", 0},
      {"statusBar", 0},
      {"statusBarToggle", 0},
      {"toolbarStyle", 2},
      {"shortcutOffer", -1},
      {"aboutMode", 2},
      {"contentsMode", 2},
      {"popupMenu", 0},
      {"compileDay", local.tm_mday},
      {"compileMonth", local.tm_mon + 1},
      {"compileYear", local.tm_year + 1900},
      {"compileHour", local.tm_hour},
      {"compileMinute", local.tm_min},
      {"compileSecond", local.tm_sec},
      {"fileCount", 10},
  };
  for (const auto& [key, value] : numbers)
    EXPECT_EQ(s[key].number, value) << key;
  std::vector<int64_t> buttons;
  for (const JsonValue& b : s["toolbarButtons"].items)
    buttons.push_back(b.number);
  EXPECT_EQ(buttons, (std::vector<int64_t>{1, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1, 1}));

  // Files: described ones in manifest order, then the folder's in name order, then --add.
  const JsonValue& list = (*json)["files"];
  std::vector<std::string> names;
  for (const JsonValue& f : list.items)
    names.push_back(f["name"].text);
  EXPECT_EQ(names, (std::vector<std::string>{"index.html", "contents.html", "about.html",
                                             "photo.png", "start.txt", "raw.html", "chapter.html",
                                             "empty.txt", "style.css", "__pxa__tool.so"}));
  auto file = [&](const std::string& name) -> const JsonValue& {
    for (const JsonValue& f : list.items) {
      if (f["name"].text == name)
        return f;
    }
    static JsonValue none;
    return none;
  };
  for (const auto& [name, bytes] : files) {
    EXPECT_EQ(file(name)["size"].number, static_cast<int64_t>(bytes.size())) << name;
  }
  EXPECT_EQ(file("index.html")["title"].text, "Home");
  EXPECT_EQ(file("index.html")["description"].text, "Where it starts");
  EXPECT_EQ(file("index.html")["keywords"].text, "start home");
  EXPECT_EQ(file("index.html")["sortKey"].text, "01");
  EXPECT_TRUE(file("index.html")["expandVariables"].boolean);
  EXPECT_TRUE(file("index.html")["searchable"].boolean);
  EXPECT_TRUE(file("index.html")["inContents"].boolean);
  EXPECT_FALSE(file("contents.html")["inContents"].boolean);
  EXPECT_FALSE(file("contents.html")["searchable"].boolean);
  EXPECT_TRUE(file("about.html")["expandVariables"].boolean);
  EXPECT_TRUE(file("photo.png")["packed"].boolean);
  EXPECT_FALSE(file("start.txt")["expandVariables"].boolean);
  EXPECT_FALSE(file("raw.html")["packed"].boolean);
  EXPECT_EQ(file("raw.html")["storedSize"].number, 18);
  EXPECT_EQ(file("raw.html")["sortKey"].text, "99");
  EXPECT_EQ(file("chapter.html")["title"].text, "Chapter & Verse");
  EXPECT_EQ(file("chapter.html")["description"].text, "The middle");
  EXPECT_TRUE(file("chapter.html")["packed"].boolean);
  EXPECT_LT(file("chapter.html")["storedSize"].number, file("chapter.html")["size"].number);
  EXPECT_FALSE(file("style.css")["searchable"].boolean);
  EXPECT_EQ(file("__pxa__tool.so")["size"].number, 5000);

  const JsonValue& vars = (*json)["variables"];
  ASSERT_EQ(vars.items.size(), 3u);
  EXPECT_EQ(vars[0]["name"].text, "Edition");
  EXPECT_EQ(vars[0]["value"].text, "Second & \"final\"");
  EXPECT_EQ(vars[0]["kind"].number, 1);
  EXPECT_EQ(vars[1]["name"].text, "Banner");
  EXPECT_EQ(vars[1]["value"].text, "<b>bold</b>");
  EXPECT_EQ(vars[1]["kind"].number, 2);
  EXPECT_EQ(vars[1]["note"].text, "shown on every page");
  EXPECT_EQ(vars[2]["value"].text, "line one\nline two");
  EXPECT_EQ(vars[2]["kind"].number, 3);

  // Extract: the same bytes, nothing else; with --manifest, a folder that builds the same
  // book again.
  RunResult extracted = Pack({"extract", Path("out.book"), Path("x"), "--manifest"});
  ASSERT_EQ(extracted.exitCode, 0) << extracted.err;
  for (const auto& [name, bytes] : files) {
    EXPECT_EQ(ReadWholeFile(Path("x/" + name)), bytes) << name;
  }
  EXPECT_EQ(ReadWholeFile(Path("x/__pxa__tool.so")), RandomBytes(5000, 4));
  EXPECT_EQ(ReadWholeFile(Path("x/splash.bmp")), testing::MakeBmp(40, 30, 200, 100, 50));
  EXPECT_EQ(Listing(Path("x")).size(), files.size() + 3);  // + extension, splash, book.ini

  RunResult rebuilt =
      Pack({"build", Path("x"), "-o", Path("again.book"), "--reader", testing::ReaderPath()});
  ASSERT_EQ(rebuilt.exitCode, 0) << rebuilt.err;
  RunResult relisted = Pack({"list", "--json", Path("again.book")});
  std::optional<JsonValue> again = ParseJson(relisted.out);
  ASSERT_TRUE(again);
  EXPECT_EQ(listed.out.substr(listed.out.find("\"bookId\"")),
            relisted.out.substr(relisted.out.find("\"bookId\"")));
}

TEST_F(PackCliTest, HumanListingShowsSettingsFilesAndVariables) {
  Write("src/book.ini", "[book]\ntitle = Shown\n[variables]\nWho = Me\n");
  Write("src/index.html", "<title>The Index</title>" + std::string(3000, 'q'));
  Write("src/pic.gif", "GIF89a");
  ASSERT_EQ(
      Pack({"build", Path("src"), "-o", Path("b"), "--reader", testing::ReaderPath()}).exitCode, 0);
  RunResult r = Pack({"list", Path("b")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  for (const char* expected : {"title = Shown", "Files (2):", "index.html", "SC--", "The Index",
                               "pic.gif", "Variables (1)", "Who", "Me"}) {
    EXPECT_NE(r.out.find(expected), std::string::npos) << expected << "\n" << r.out;
  }
}

// --- Rebind -------------------------------------------------------------------------------

// An ELF shared object header: enough for the check quire-pack makes.
std::string ElfSharedObjectHeader() {
  std::string elf =
      "\x7f"
      "ELF";
  elf += {2, 1, 1, 0};
  elf += std::string(8, '\0');
  elf += {3, 0};  // e_type ET_DYN, little-endian
  return elf + RandomBytes(200, 5);
}

class RebindTest : public PackCliTest, public ::testing::WithParamInterface<int> {
 protected:
  // The foreign program image of case `which`.
  static std::string ForeignImage(int which) {
    switch (which) {
      case 0:
        return RandomBytes(50000, 6);
      case 1:
        return *ReadWholeFile("/bin/true");
      default:
        return "";
    }
  }
};

TEST_P(RebindTest, BookOnAForeignImageLoadsInTheReaderWithEverythingKept) {
  FakeWindow window;
  TestBook book;  // owns the reader's TMPDIR for the load below
  BookSpec& bookSpec = book.Input();
  bookSpec.image = ForeignImage(GetParam());
  bookSpec.settings = DefaultSettings();
  bookSpec.settings.esbn = "REBOUND";
  bookSpec.settings.title = "Rebound";
  bookSpec.settings.backgroundColor = 0x123456;
  bookSpec.settings.windowWidthCode = 700;
  bookSpec.settings.toolbarButtons[3] = 0;
  bookSpec.settings.compileYear = 2009;
  bookSpec.settings.startupMessage = "hello";
  bookSpec.bookId = "rebound-id";
  bookSpec.splashBitmap = testing::MakeBmp(8, 8, 1, 2, 3);
  bookSpec.variables.rebranded = 1;
  bookSpec.variables.variables = {{"Plain", "", "a<b", 0, 1}, {"Html", "n", "<i>x</i>", 0, 2}};
  EBookFile& index = book.AddPage("index.html", "<title>I</title>[={Plain}]");
  index.sortKey = "k";
  index.keywords = "kw";
  index.expandVariables = true;
  book.AddFile("pic.jpg", RandomBytes(4000, 7), /*packed=*/false);
  book.AddFile("__pxa__win.dll", "MZ" + RandomBytes(3000, 8));
  book.AddFile("__pxa__linux.so", ElfSharedObjectHeader());
  const std::string foreign = book.Bytes();
  Write("foreign.book", foreign);

  RunResult r = Pack({"rebind", Path("foreign.book"), "-o", Path("linux.book"), "--reader",
                      testing::ReaderPath()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.err.find("'__pxa__win.dll' is not an ELF shared object"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("__pxa__linux.so"), std::string::npos) << r.err;
  std::string rebound = *ReadWholeFile(Path("linux.book"));
  std::string reader = *ReadWholeFile(testing::ReaderPath());
  EXPECT_EQ(rebound.compare(0, reader.size(), reader), 0);

  book.WriteBytes(rebound);
  CEBook& loaded = CEBook::Instance();
  EXPECT_EQ(testing::LoadAsTheReaderDoes().reason, LoadResult::Reason::kNone);
  EXPECT_TRUE(window.messages.empty());
  EBookSettings expected = bookSpec.settings;
  expected.fileCount = 4;
  EXPECT_EQ(loaded.Title(), "Rebound");
  EXPECT_EQ(loaded.BackgroundColor(), 0x123456);
  EXPECT_EQ(loaded.WindowWidthCode(), 700);
  EXPECT_FALSE(loaded.ToolbarButton(3));
  EXPECT_EQ(loaded.CompileYear(), 2009);
  EXPECT_EQ(loaded.Trailer().bookId, "rebound-id");
  EXPECT_EQ(loaded.Rebranded(), 1);
  ASSERT_EQ(loaded.Files().size(), bookSpec.files.size());
  for (size_t i = 0; i < bookSpec.files.size(); ++i) {
    const EBookFile& want = bookSpec.files[i].entry;
    const EBookFile& got = loaded.Files()[i];
    EXPECT_EQ(got.fileName, want.fileName);
    EXPECT_EQ(got.searchable, want.searchable) << want.fileName;
    EXPECT_EQ(got.inContents, want.inContents) << want.fileName;
    EXPECT_EQ(got.packed, want.packed) << want.fileName;
    EXPECT_EQ(got.expandVariables, want.expandVariables) << want.fileName;
    EXPECT_EQ(got.title, want.title) << want.fileName;
    EXPECT_EQ(got.description, want.description) << want.fileName;
    EXPECT_EQ(got.keywords, want.keywords) << want.fileName;
    EXPECT_EQ(got.sortKey, want.sortKey) << want.fileName;
    if (want.fileName != "index.html") {
      EXPECT_EQ(book.Extracted(want.fileName), bookSpec.files[i].data) << want.fileName;
    }
  }
  EXPECT_EQ(book.Extracted("index.html"), "<title>I</title>a&lt;b");
  ASSERT_EQ(loaded.Variables().size(), 2u);
  EXPECT_EQ(loaded.Variables()[0].value, TextToHtml("a<b"));
  EXPECT_EQ(loaded.Variables()[1].value, "<i>x</i>");
  EXPECT_EQ(loaded.Variables()[1].secondText, "n");
  EXPECT_EQ(loaded.Variables()[1].kind, 2);

  // Settings as the container stores them, field by field.
  RunResult listed = Pack({"list", "--json", Path("linux.book")});
  std::optional<JsonValue> json = ParseJson(listed.out);
  ASSERT_TRUE(json) << listed.err;
  EXPECT_EQ((*json)["splash"]["size"].number, static_cast<int64_t>(bookSpec.splashBitmap.size()));
  RunResult original = Pack({"list", "--json", Path("foreign.book")});
  ASSERT_EQ(original.exitCode, 0) << original.err;
  auto settingsText = [](const std::string& out) {
    return out.substr(out.find("\"settings\""), out.find("\"files\"") - out.find("\"settings\""));
  };
  EXPECT_EQ(settingsText(listed.out), settingsText(original.out));
}

INSTANTIATE_TEST_SUITE_P(ForeignImages, RebindTest, ::testing::Values(0, 1, 2));

TEST_F(PackCliTest, RebindDropsForeignExtensionsWhenAskedTo) {
  TestBook book;
  book.Input().image = RandomBytes(1000, 9);
  book.AddPage("index.html", "<p>x</p>");
  book.AddFile("__pxa__win.dll", "MZ" + RandomBytes(100, 10));
  Write("foreign.book", book.Bytes());
  RunResult r = Pack({"rebind", Path("foreign.book"), "-o", Path("linux.book"), "--reader",
                      testing::ReaderPath(), "--drop-foreign-extensions"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.err.find("left out"), std::string::npos) << r.err;
  RunResult listed = Pack({"list", "--json", Path("linux.book")});
  std::optional<JsonValue> json = ParseJson(listed.out);
  ASSERT_TRUE(json);
  ASSERT_EQ((*json)["files"].items.size(), 1u);
  EXPECT_EQ((*json)["settings"]["fileCount"].number, 1);
}

// --- Damaged input and unsafe output --------------------------------------------------------

TEST_F(PackCliTest, DamagedBooksGiveAClearErrorAndNoOutput) {
  std::string good = *ReadWholeFile(SimpleBook());
  BookLayout layout(good);
  struct Case {
    const char* name;
    std::string bytes;
    const char* message;
  };
  std::string badTrailer = good;
  badTrailer[good.size() - 1] ^= 0x55;
  std::string hugeCount = good;
  PutScrambledInt(&hugeCount, layout.directory + 4, 0x7FFFFFFF);
  std::string negativeText = good;
  PutScrambledInt(&negativeText, layout.settings + 4, -5);
  std::string badSettings = good;
  PutScrambledInt(&badSettings, layout.settings, 0x12345678);
  std::string hugeVariables = good;
  PutScrambledInt(&hugeVariables, layout.variables + 8, 1000000);
  const Case cases[] = {
      {"truncated", good.substr(0, good.size() - 50), "no book trailer"},
      {"cut to its trailer", good.substr(good.size() - 104), "damaged book"},
      {"tiny", "abc", "shorter than a book's trailer"},
      {"empty", "", "shorter than a book's trailer"},
      {"bad trailer mark", badTrailer, "no book trailer"},
      {"huge directory count", hugeCount, "damaged book"},
      {"negative text length", negativeText, "damaged book"},
      {"bad settings mark", badSettings, "damaged book"},
      {"huge variable count", hugeVariables, "damaged book"},
      {"a program without a book", *ReadWholeFile(testing::ReaderPath()), "no book trailer"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Write("damaged.book", c.bytes);
    ExpectFailure(Pack({"list", Path("damaged.book")}), kFailed, c.message);
    ExpectFailure(Pack({"extract", Path("damaged.book"), Path("xd")}), kFailed, c.message);
    EXPECT_TRUE(Listing(Path("xd")).empty());
    ExpectFailure(Pack({"rebind", Path("damaged.book"), "-o", Path("new.book"), "--reader",
                        testing::ReaderPath()}),
                  kFailed, c.message, Path("new.book"));
  }
  ExpectFailure(Pack({"list", Path("missing.book")}), kFailed, "no such file");
  ExpectFailure(Pack({"list", m_tmp.Path()}), kFailed, "not a readable file");
}

TEST_F(PackCliTest, DamagedFileDataFailsTheFileNotTheWholeListing) {
  TestBook book;
  book.Input().image = "IMG";
  book.AddPage("index.html", std::string(4000, 'a'));
  book.AddFile("b.bin", RandomBytes(100, 11), /*packed=*/false);
  Write("broken.book", book.Bytes());
  // The packed page's stored bytes become all zero bits once unscrambled: literals of 0
  // that run into the end of the data without an end token.
  pack::BookFile parsed;
  std::string error;
  ASSERT_TRUE(pack::OpenBookFile(Path("broken.book"), &parsed, &error)) << error;
  std::string broken = book.Bytes();
  const EBookFile& page = parsed.files[0];
  size_t start = static_cast<size_t>(parsed.trailer.dataBase + page.dataOffset);
  for (size_t i = start; i < start + static_cast<size_t>(page.storedSize); ++i)
    broken[i] = '\xC6';
  Write("broken.book", broken);
  RunResult r = Pack({"list", Path("broken.book")});
  ExpectFailure(r, kFailed, "cannot be read");
  EXPECT_NE(r.out.find("b.bin"), std::string::npos);
  RunResult x = Pack({"extract", Path("broken.book"), Path("xb")});
  ExpectFailure(x, kFailed, "could not be extracted");
  EXPECT_EQ(Listing(Path("xb")), (std::vector<std::string>{"b.bin"}));
  ExpectFailure(
      Pack({"rebind", Path("broken.book"), "-o", Path("nb"), "--reader", testing::ReaderPath()}),
      kFailed, "'index.html'", Path("nb"));
}

TEST_F(PackCliTest, UnsafePrivateTemporaryFolderIsNamedInTheError) {
  std::string book = SimpleBook();
  fs::create_directories(Path("evil"));
  ASSERT_EQ(symlink(m_tmp.Path().c_str(), Path("evil/quire-" + std::to_string(getuid())).c_str()),
            0);
  ScopedEnv tmpdir("TMPDIR", Path("evil"));
  RunResult r = Pack({"list", book});
  ExpectFailure(r, kFailed, "cannot be read");
  EXPECT_NE(r.out.find("cannot use the private temporary folder"), std::string::npos) << r.out;
}

TEST_F(PackCliTest, FileCountThatDisagreesWithTheDirectoryIsNotRebound) {
  TestBook book;
  book.Input().image = "IMG";
  book.Input().fileCountOverride = 5;
  book.AddPage("index.html", "x");
  Write("count.book", book.Bytes());
  RunResult listed = Pack({"list", Path("count.book")});
  EXPECT_NE(listed.out.find("the reader refuses this book"), std::string::npos) << listed.out;
  ExpectFailure(
      Pack({"rebind", Path("count.book"), "-o", Path("n"), "--reader", testing::ReaderPath()}),
      kFailed, "its settings count 5 files, its directory holds 1", Path("n"));
}

TEST_F(PackCliTest, BadSourcesAreRefusedWithoutWritingABook) {
  const struct {
    const char* name;
    const char* manifest;  // nullptr: no book.ini
    const char* extraFile;
    const char* message;
  } cases[] = {
      {"missing manifest", nullptr, nullptr, "no manifest"},
      {"unknown key", "[book]\nname = x\n", nullptr, "book.ini:2: unknown key 'name'"},
      {"bad flag", "[window]\nsizeable = sometimes\n", nullptr, "expected yes or no"},
      {"bad colour", "[colors]\ntext = #GG0000\n", nullptr, "expected a colour"},
      {"subfolder", "", "pics/a.png", "subfolders are not supported"},
      {"missing described file", "[file:gone.html]\n", nullptr, "gone.html is not a readable"},
      {"splash not a picture", "[book]\nsplash = notes.txt\n", "notes.txt", "not a BMP"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::error_code ec;
    fs::remove_all(Path("bad"), ec);
    Write("bad/index.html", "<title>x</title>");
    if (c.manifest)
      Write("bad/book.ini", c.manifest);
    if (c.extraFile)
      Write(std::string("bad/") + c.extraFile, "x");
    ExpectFailure(
        Pack({"build", Path("bad"), "-o", Path("bad.book"), "--reader", testing::ReaderPath()}),
        kFailed, c.message, Path("bad.book"));
  }
  EXPECT_EQ(Listing(m_tmp.Path()), (std::vector<std::string>{"bad"}));
}

TEST_F(PackCliTest, NeverWritesOverItsInput) {
  std::string book = SimpleBook();
  std::string original = *ReadWholeFile(book);
  ASSERT_EQ(link(book.c_str(), Path("hardlink.book").c_str()), 0);
  ASSERT_EQ(symlink(book.c_str(), Path("symlink.book").c_str()), 0);
  Write("reader-copy", *ReadWholeFile(testing::ReaderPath()));
  chmod(Path("reader-copy").c_str(), 0755);
  ASSERT_EQ(link(Path("reader-copy").c_str(), Path("reader-link").c_str()), 0);
  const std::vector<std::vector<std::string>> commands = {
      {"rebind", book, "-o", book},
      {"rebind", book, "-o", Path("hardlink.book")},
      {"rebind", book, "-o", Path("symlink.book")},
      {"rebind", book, "-o", Path("./simple.book")},
      {"rebind", book, "-o", Path("reader-link"), "--reader", Path("reader-copy")},
      {"build", Path("simple"), "-o", Path("reader-link"), "--reader", Path("reader-copy")},
      {"build", Path("simple"), "-o", Path("simple/index.html")},
      {"build", Path("simple"), "-o", Path("simple/new.book")},
  };
  for (const auto& args : commands) {
    RunResult r = Pack(args);
    SCOPED_TRACE(args[0] + " -o " + args[3]);
    EXPECT_FALSE(r.crashed);
    EXPECT_EQ(r.exitCode, kFailed) << r.err;
    EXPECT_NE(r.err.find("refusing to write"), std::string::npos) << r.err;
  }
  // The same with paths relative to the working folder.
  const std::vector<std::vector<std::string>> relative = {
      {"build", ".", "-o", "new.book", "--reader", testing::ReaderPath()},
      {"build", "./", "-o", "./new.book", "--reader", testing::ReaderPath()},
      {"rebind", "../simple.book", "-o", "../simple.book", "--reader", testing::ReaderPath()},
  };
  for (const auto& args : relative) {
    RunResult r = RunPack(args, m_tmp.Path(), Path("simple"));
    SCOPED_TRACE(args[0] + " " + args[1] + " -o " + args[3]);
    EXPECT_EQ(r.exitCode, kFailed) << r.err;
    EXPECT_NE(r.err.find("refusing to write"), std::string::npos) << r.err;
  }
  EXPECT_EQ(*ReadWholeFile(book), original);
  EXPECT_EQ(*ReadWholeFile(Path("reader-copy")), *ReadWholeFile(testing::ReaderPath()));
  EXPECT_FALSE(PathExists(Path("simple/new.book")));
}

TEST_F(PackCliTest, ReaderThatIsNoProgramOrAlreadyABookIsRefused) {
  std::string book = SimpleBook();
  Write("not-a-program", "#!/bin/sh\n");
  ExpectFailure(
      Pack({"build", Path("simple"), "-o", Path("o1"), "--reader", Path("not-a-program")}), kFailed,
      "not an ELF program", Path("o1"));
  ExpectFailure(Pack({"build", Path("simple"), "-o", Path("o2"), "--reader", book}), kFailed,
                "already holds a book", Path("o2"));
  ExpectFailure(Pack({"rebind", book, "-o", Path("o3"), "--reader", Path("not-a-program")}),
                kFailed, "not an ELF program", Path("o3"));
}

TEST_F(PackCliTest, OutputFolderThatCannotBeWrittenLeavesNothing) {
  SimpleBook();
  ASSERT_EQ(mkdir(Path("locked").c_str(), 0500), 0);
  RunResult r =
      Pack({"build", Path("simple"), "-o", Path("locked/b"), "--reader", testing::ReaderPath()});
  if (geteuid() != 0) {
    ExpectFailure(r, kFailed, "locked/b", Path("locked/b"));
    EXPECT_TRUE(Listing(Path("locked")).empty());
  }
  ExpectFailure(Pack({"build", Path("simple"), "-o", Path("nowhere/b")}), kFailed,
                "does not exist");
}

TEST_F(PackCliTest, ExtractChecksNamesAsTheReaderDoesAndKeepsExistingFiles) {
  TestBook book;
  book.Input().image = "IMG";
  book.AddPage("index.html", "<p>ok</p>");
  book.AddFile("../escape.html", "bad");
  book.AddFile("sub/inner.html", "bad");
  book.AddFile("back\\slash.html", "bad");
  book.AddFile("..", "bad");
  book.AddFile("", "bad");
  Write("names.book", book.Bytes());
  RunResult r = Pack({"extract", Path("names.book"), Path("x/y")});
  ExpectFailure(r, kFailed, "not a plain file name");
  EXPECT_EQ(Listing(Path("x/y")), (std::vector<std::string>{"index.html"}));
  EXPECT_EQ(Listing(Path("x")), (std::vector<std::string>{"y"}));
  EXPECT_FALSE(PathExists(Path("x/escape.html")));

  TestBook plain;
  plain.Input().image = "IMG";
  plain.AddPage("index.html", "<p>new</p>");
  Write("plain.book", plain.Bytes());
  Write("keep/index.html", "mine");
  ExpectFailure(Pack({"extract", Path("plain.book"), Path("keep")}), kFailed, "--force");
  EXPECT_EQ(ReadWholeFile(Path("keep/index.html")), "mine");
  EXPECT_EQ(Pack({"extract", "--force", Path("plain.book"), Path("keep")}).exitCode, 0);
  EXPECT_EQ(ReadWholeFile(Path("keep/index.html")), "<p>new</p>");
  EXPECT_EQ(Listing(Path("keep")), (std::vector<std::string>{"index.html"}));
}

// --- Command line -------------------------------------------------------------------------

TEST_F(PackCliTest, HelpVersionAndUsageErrors) {
  for (const char* command : {"build", "list", "extract", "rebind"}) {
    RunResult help = Pack({command, "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind(std::string("Usage: quire-pack ") + command, 0), 0u) << help.out;
    RunResult viaHelp = Pack({"help", command});
    EXPECT_EQ(viaHelp.out, help.out);
  }
  RunResult version = Pack({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out, std::string("quire-pack ") + QUIRE_VERSION + "\n");
  EXPECT_EQ(Pack({"--help"}).exitCode, 0);
  ExpectFailure(Pack({}), kUsage, "no command given");
  ExpectFailure(Pack({"pack"}), kUsage, "unknown command 'pack'");
  ExpectFailure(Pack({"list"}), kUsage, "list needs one BOOK");
  ExpectFailure(Pack({"list", "a", "--colour"}), kUsage, "unknown option --colour");
  ExpectFailure(Pack({"build", Path("x")}), kUsage, "-o BOOK");
  ExpectFailure(Pack({"build", Path("x"), "-o"}), kUsage, "needs a value");
  ExpectFailure(
      Pack({"rebind", "a", "-o", "b", "--drop-foreign-extensions", "--keep-foreign-extensions"}),
      kUsage, "either");
}

}  // namespace
}  // namespace quire
