// The search texts quire-pack stores in the books it builds, and what rebind and extract
// make of them.
#include "tools/pack_cli_fixture.h"

#include "book/page_store.h"
#include "pages/reader_context.h"
#include "pages/search.h"

namespace quire::pack_tests {
namespace {

// The entry of `book` named `name`; null when there is none.
const EBookFile* EntryNamed(const pack::BookFile& book, const std::string& name) {
  const EBookFile* found = nullptr;
  for (const EBookFile& entry : book.files) {
    if (entry.fileName == name)
      found = found == nullptr ? &entry : nullptr;  // two are as good as none here
  }
  return found;
}

class SearchTextsTest : public PackCliTest {
 protected:
  void WriteSite(const std::string& manifest = "") {
    Write("site/book.ini", "[book]\ntitle = Site\n" + manifest);
    Write("site/index.html", "<title>Start</title><div class=\"navheader\">Home</div>");
    Write("site/page.html", "<title>Page</title><p>a <b>foreign</b> key</p>");
    Write("site/notes.txt", "foreign key");
  }

  pack::BookFile Open(const std::string& path) {
    pack::BookFile book;
    std::string error;
    EXPECT_TRUE(pack::OpenBookFile(path, &book, &error)) << error;
    return book;
  }

  // The titles of the pages the loaded book `path` lists for `query`, best first.
  std::vector<std::string> Search(const std::string& path, const std::string& query) {
    context.book.SetFile(path);
    EXPECT_EQ(context.book.Load(context.store, {}).reason, LoadResult::Reason::kNone);
    std::vector<std::string> titles;
    const std::string page = *ReadWholeFile(BuildSearchPage(context, query, false));
    for (size_t at = 0; (at = page.find("TARGET=_top>", at)) != std::string::npos;) {
      at += 12;
      titles.push_back(page.substr(at, page.find('<', at) - at));
    }
    context.store.Cleanup();
    return titles;
  }

  ReaderContext context;
  FakeWindow m_window{context.window};
};

TEST_F(SearchTextsTest, BuildRecordsAVisibleTextSearchAndStoresTheTexts) {
  WriteSite();
  RunResult r = Pack({"build", Path("site"), "-o", Path("b"), "--reader", testing::ReaderPath()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find(": 2 pages, 1 other file,"), std::string::npos) << r.out;
  const pack::BookFile book = Open(Path("b"));
  EXPECT_TRUE(ReadBookFeatures(book.reserved).visibleTextSearch);
  const EBookFile* texts = EntryNamed(book, kSearchTextEntry);
  ASSERT_NE(texts, nullptr);
  EXPECT_FALSE(texts->searchable);
  EXPECT_FALSE(texts->inContents);
  EXPECT_FALSE(texts->packed);
  EXPECT_EQ(&book.files.back(), texts);

  TestBook owner;  // a private TMPDIR for the loads
  EXPECT_EQ(Search(Path("b"), "navheader"), std::vector<std::string>{});
  EXPECT_EQ(Search(Path("b"), "\"foreign key\""), (std::vector<std::string>{"Page"}));
  EXPECT_EQ(Search(Path("b"), "HOME"), (std::vector<std::string>{"Start"}));
}

TEST_F(SearchTextsTest, TheManifestMayAskForTheSearchOfRawPages) {
  WriteSite("[search]\nvisible-text = no\n");
  RunResult r = Pack({"build", Path("site"), "-o", Path("b"), "--reader", testing::ReaderPath()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const pack::BookFile book = Open(Path("b"));
  EXPECT_TRUE(ReadBookFeatures(book.reserved).recorded);
  EXPECT_FALSE(ReadBookFeatures(book.reserved).visibleTextSearch);
  EXPECT_EQ(EntryNamed(book, kSearchTextEntry), nullptr);
  RunResult listed = Pack({"list", Path("b")});
  EXPECT_NE(listed.out.find("visible-text = no"), std::string::npos) << listed.out;
  RunResult json = Pack({"list", "--json", Path("b")});
  EXPECT_EQ((*ParseJson(json.out))["search"].text, "raw");

  TestBook owner;
  EXPECT_EQ(Search(Path("b"), "navheader"), (std::vector<std::string>{"Start"}));
}

TEST_F(SearchTextsTest, AFileMayNotTakeTheNameOfTheSearchTexts) {
  WriteSite();
  Write(std::string("site/") + kSearchTextEntry, "mine");
  ExpectFailure(
      Pack({"build", Path("site"), "-o", Path("b"), "--reader", testing::ReaderPath()}), kFailed,
      "a file of the book is named '__search.text', which is the name of the book's own search "
      "texts",
      Path("b"));
}

TEST_F(SearchTextsTest, RebindMakesTheTextsAnewForTheFilesItKeeps) {
  WriteSite();
  Write("site/__pxa__win.dll", "MZ" + RandomBytes(3000, 8));
  Write("site/book.ini",
        "[book]\ntitle = Site\n[file:__pxa__win.dll]\n[file:index.html]\n[file:page.html]\n");
  ASSERT_EQ(
      Pack({"build", Path("site"), "-o", Path("b"), "--reader", testing::ReaderPath()}).exitCode,
      0);
  // The extension comes first and is left out, so every page moves up one place.
  RunResult r = Pack({"rebind", Path("b"), "-o", Path("r"), "--reader", testing::ReaderPath(),
                      "--drop-foreign-extensions"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find(": 3 files on the reader"), std::string::npos) << r.out;
  const pack::BookFile book = Open(Path("r"));
  EXPECT_TRUE(ReadBookFeatures(book.reserved).visibleTextSearch);
  ASSERT_NE(EntryNamed(book, kSearchTextEntry), nullptr);
  TestBook owner;
  EXPECT_EQ(Search(Path("r"), "\"foreign key\""), (std::vector<std::string>{"Page"}));
  EXPECT_EQ(Search(Path("r"), "navheader"), std::vector<std::string>{});
}

TEST_F(SearchTextsTest, ABookOfAnotherToolKeepsItsSearchThroughRebindAndExtract) {
  TestBook foreign;
  foreign.Input().image = RandomBytes(1000, 3);
  foreign.AddPage("index.html", "<div class=\"navheader\">Home</div>");
  // A file that only happens to have the name: without the record it is a file like any.
  foreign.AddFile(kSearchTextEntry, "just a file");
  Write("foreign.book", foreign.Bytes());
  ASSERT_EQ(Pack({"rebind", Path("foreign.book"), "-o", Path("r"), "--reader",
                  testing::ReaderPath(), "--quiet"})
                .exitCode,
            0);
  const pack::BookFile book = Open(Path("r"));
  EXPECT_FALSE(ReadBookFeatures(book.reserved).visibleTextSearch);
  EXPECT_EQ(book.files.size(), 2u);
  RunResult extracted = Pack({"extract", Path("r"), Path("x"), "--manifest"});
  ASSERT_EQ(extracted.exitCode, 0) << extracted.err;
  EXPECT_EQ(ReadWholeFile(Path("x/") + kSearchTextEntry), "just a file");
  EXPECT_NE(ReadWholeFile(Path("x/book.ini"))->find("visible-text = no"), std::string::npos);

  TestBook owner;
  EXPECT_EQ(Search(Path("r"), "navheader"), (std::vector<std::string>{"index.html"}));
}

}  // namespace
}  // namespace quire::pack_tests
