// quire-pack rebind: a book on another reader image.
#include "pages/reader_context.h"
#include "tools/pack_cli_fixture.h"

namespace quire::pack_tests {
namespace {

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
  ReaderContext context;
  FakeWindow window{context.window};
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

  book.WriteBytesFor(context, rebound);
  CEBook& loaded = context.book;
  EXPECT_EQ(testing::LoadAsTheReaderDoes(context).reason, LoadResult::Reason::kNone);
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

// The scrambled form of a stored text's bytes.
std::string Scrambled(std::string text) {
  for (char& c : text)
    c = static_cast<char>(c ^ kRecordKey);
  return text;
}

// What a book of ours records about itself goes with it, so an imported site stays a set of
// web pages on the new reader; a foreign book's reserved texts are not taken for a record.
TEST_F(PackCliTest, RebindKeepsTheBooksFeatureRecord) {
  for (const bool foreign : {false, true}) {
    TestBook book;
    book.Input().image = RandomBytes(1000, 11);
    book.AddPage("index.html", "<p>x</p>");
    book.Input().features.recorded = true;
    book.Input().features.pageCommands = false;
    book.Input().features.unknown = {"later-key=1"};
    std::string bytes = book.Bytes();
    if (foreign) {
      // Another tool's texts in the same place: the mark replaced by a text of its length.
      const std::string mark = Scrambled(kBookFeaturesMark);
      const size_t at = bytes.find(mark);
      ASSERT_NE(at, std::string::npos);
      bytes.replace(at, mark.size(), Scrambled("other tool 7"));
    }
    Write("in.book", bytes);
    RunResult r = Pack({"rebind", Path("in.book"), "-o", Path("out.book"), "--reader",
                        testing::ReaderPath(), "--quiet"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    pack::BookFile rebound;
    std::string error;
    ASSERT_TRUE(pack::OpenBookFile(Path("out.book"), &rebound, &error)) << error;
    const BookFeatures features = ReadBookFeatures(rebound.reserved);
    EXPECT_EQ(features.recorded, !foreign);
    EXPECT_EQ(features.pageCommands, foreign);
    EXPECT_EQ(features.unknown,
              foreign ? std::vector<std::string>{} : std::vector<std::string>{"later-key=1"});
    if (foreign) {
      EXPECT_TRUE(rebound.reserved.texts.empty());
    }
  }
}

}  // namespace
}  // namespace quire::pack_tests
