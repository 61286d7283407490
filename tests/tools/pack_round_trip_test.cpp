// quire-pack build, list and extract of sound books.
#include "tools/pack_cli_fixture.h"

namespace quire::pack_tests {
namespace {

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
      {"fileCount", 11},  // the files and the book's search texts
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
  EXPECT_EQ(names,
            (std::vector<std::string>{"index.html", "contents.html", "about.html", "photo.png",
                                      "start.txt", "raw.html", "chapter.html", "empty.txt",
                                      "style.css", "__pxa__tool.so", kSearchTextEntry}));
  EXPECT_EQ((*json)["search"].text, "visible-text");
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
  // The search texts are made anew, once: extract leaves them out of the folder.
  EXPECT_EQ(listed.out.substr(listed.out.find("\"bookId\"")),
            relisted.out.substr(relisted.out.find("\"bookId\"")));
  EXPECT_FALSE(PathExists(Path("x/") + kSearchTextEntry));
}

TEST_F(PackCliTest, HumanListingShowsSettingsFilesAndVariables) {
  Write("src/book.ini", "[book]\ntitle = Shown\n[variables]\nWho = Me\n");
  Write("src/index.html", "<title>The Index</title>" + std::string(3000, 'q'));
  Write("src/pic.gif", "GIF89a");
  ASSERT_EQ(
      Pack({"build", Path("src"), "-o", Path("b"), "--reader", testing::ReaderPath()}).exitCode, 0);
  RunResult r = Pack({"list", Path("b")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  for (const char* expected :
       {"title = Shown", "visible-text = yes", "Files (3):", "index.html", "SC--", "The Index",
        "pic.gif", kSearchTextEntry, "Variables (1)", "Who", "Me"}) {
    EXPECT_NE(r.out.find(expected), std::string::npos) << expected << "\n" << r.out;
  }
}

}  // namespace
}  // namespace quire::pack_tests
