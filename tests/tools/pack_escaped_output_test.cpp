// A book whose names and texts carry terminal escape sequences: the human-readable output
// of list, extract and rebind shows them escaped; the JSON listing keeps them exactly.
#include "tools/pack_cli_fixture.h"

namespace quire::pack_tests {
namespace {

// Clears the screen, retitles the window and rings the bell when printed raw.
const std::string kAttack = "\x1b[2J\x1b]0;owned\x07";
const std::string kShown = "\\x1b[2J\\x1b]0;owned\\x07";

// The control bytes in `text` other than line feeds (and DEL unless `withDelete` is
// false), as the hexadecimal codes of the first few; empty when there are none.
std::string RawControlBytes(const std::string& text, bool withDelete = true) {
  std::string found;
  for (unsigned char c : text) {
    if ((c < 0x20 && c != '\n') || (withDelete && c == 0x7f)) {
      char code[8];
      std::snprintf(code, sizeof code, "%02x ", c);
      found += code;
      if (found.size() > 30)
        break;
    }
  }
  return found;
}

class EscapedOutputTest : public PackCliTest {
 protected:
  std::string HostileBook() {
    TestBook book;
    book.Input().image = "IMG";
    book.Input().bookId = "ID" + kAttack;
    EBookSettings& s = book.Settings();
    s.title = "Title" + kAttack;
    s.author = "Author\\" + kAttack;
    s.startupScript = "##MESSAGEBOX('" + kAttack + "')";
    s.copyright =
        "bell\x07"
        "del\x7f";
    book.AddPage("index.html", "<p>x</p>").title = "Page" + kAttack;
    book.AddFile("file" + kAttack + ".txt", "a");
    book.AddFile("file" + kAttack + ".txt", "b");
    book.AddFile("sub/" + kAttack, "c");
    book.AddFile("__pxa__" + kAttack + ".dll", "MZ");
    book.AddVariable("Var" + kAttack, "Value" + kAttack);
    Write("hostile.book", book.Bytes());
    return Path("hostile.book");
  }
};

TEST_F(EscapedOutputTest, ListShowsEveryBookTextEscaped) {
  const std::string book = HostileBook();
  RunResult r = Pack({"list", book});
  EXPECT_EQ(r.exitCode, 1) << r.err;  // the name with '/' cannot be extracted
  EXPECT_EQ(RawControlBytes(r.out), "") << r.out;
  EXPECT_EQ(RawControlBytes(r.err), "") << r.err;
  const std::string expectations[] = {
      "Book id  ID" + kShown,
      "title = \"Title" + kShown + "\"",
      // Quoted values double their backslashes, so the escapes stay unambiguous.
      "author = \"Author\\\\" + kShown + "\"",
      "copyright = \"bell\\x07del\\x7f\"",
      "Page\\x1b[2J",
      "file\\x1b[2J",
      "sub/\\x1b[2J",
      "Var\\x1b[2J",
      "Value" + kShown,
  };
  for (const std::string& expected : expectations) {
    EXPECT_NE(r.out.find(expected), std::string::npos) << expected << "\n" << r.out;
  }
}

TEST_F(EscapedOutputTest, JsonListingKeepsTheTextsExactly) {
  RunResult r = Pack({"list", "--json", HostileBook()});
  std::optional<JsonValue> json = ParseJson(r.out);
  ASSERT_TRUE(json) << r.out;
  // JSON escapes every byte below 0x20 and leaves DEL as it is, which it may.
  EXPECT_EQ(RawControlBytes(r.out, false), "");
  EXPECT_EQ((*json)["settings"]["copyright"].text,
            "bell\x07"
            "del\x7f");
  EXPECT_EQ((*json)["settings"]["title"].text, "Title" + kAttack);
  EXPECT_EQ((*json)["bookId"].text, "ID" + kAttack);
  EXPECT_EQ((*json)["files"][1]["name"].text, "file" + kAttack + ".txt");
  EXPECT_EQ((*json)["variables"][0]["value"].text, "Value" + kAttack);
}

TEST_F(EscapedOutputTest, ExtractAndRebindReportBookNamesEscaped) {
  const std::string book = HostileBook();
  RunResult first = Pack({"extract", "--manifest", book, Path("out")});
  RunResult again = Pack({"extract", book, Path("out")});
  RunResult rebound = Pack(
      {"rebind", book, "-o", Path("linux.book"), "--reader", testing::ReaderPath(), "--quiet"});
  struct {
    const char* label;
    const RunResult& run;
    std::string expected;
  } const cases[] = {
      // A name holding control bytes is never extracted, by the reader or the tools.
      {"extract", first, "'sub/" + kShown + "' is not extracted"},
      {"extract", first, "'file" + kShown + ".txt' is not extracted"},
      {"extract again", again, "'file" + kShown + ".txt' is not extracted"},
      {"rebind", rebound, "'sub/" + kShown + "' left out"},
      {"rebind", rebound, "'__pxa__" + kShown + ".dll' left out"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RawControlBytes(c.run.out), "") << c.label << ": " << c.run.out;
    EXPECT_EQ(RawControlBytes(c.run.err), "") << c.label << ": " << c.run.err;
    EXPECT_NE(c.run.err.find(c.expected), std::string::npos)
        << c.label << ": " << c.expected << "\n"
        << c.run.err;
  }
  EXPECT_FALSE(ReadWholeFile(Path("out/file" + kAttack + ".txt")));
  // The manifest keeps the texts as they are.
  EXPECT_NE(ReadWholeFile(Path("out/book.ini")).value_or("").find("Title" + kAttack),
            std::string::npos);
}

}  // namespace
}  // namespace quire::pack_tests
