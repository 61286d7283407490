// Real book files for tests.
//
//   ReaderContext context;                 // the test's own book and page store
//   TestBook book;                         // own TMPDIR
//   book.AddPage("index.html", "<p>Hi</p>");
//   book.Settings().title = "A title";
//   book.WriteFor(context);                // writes the file, the context's book is now it
//   LoadAsTheReaderDoes(context);
//   EXPECT_EQ(book.Extracted("index.html"), "<p>Hi</p>");
//
// A TestBook owns a ScopedTmpdir, so everything the reader extracts lands in the test's
// own folder.
#ifndef QUIRE_TESTS_SUPPORT_BOOK_FIXTURE_H_
#define QUIRE_TESTS_SUPPORT_BOOK_FIXTURE_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "book/book_writer.h"
#include "book/load_result.h"
#include "platform/env.h"
#include "support/scoped_tmpdir.h"

namespace quire {
struct ReaderContext;
}  // namespace quire

namespace quire::testing {

class TestBook {
 public:
  // The ESBN the book gets unless the test sets another.
  static constexpr const char* kEsbn = "TESTBOOK";

  TestBook();
  TestBook(const TestBook&) = delete;
  TestBook& operator=(const TestBook&) = delete;

  // The whole description of the book; Settings() starts from DefaultSettings() with
  // the ESBN kEsbn and the title "Test Book".
  BookSpec& Input() { return m_record; }
  EBookSettings& Settings() { return m_record.settings; }

  // Adds a file (LZ-packed unless `packed` is false) and returns its entry so flags and
  // texts can be set. The reference stays valid until the next Add call.
  EBookFile& AddFile(const std::string& name, const std::string& contents, bool packed = true);
  // A page: a packed file that is searchable and in the contents, titled after its name.
  EBookFile& AddPage(const std::string& name, const std::string& html);
  // A compile-time variable; kind 1 and 3 are plain text, 2 is HTML.
  void AddVariable(const std::string& name, const std::string& value, int kind = 2);

  // Writes the book file into the test's folder (Path()). Fails the test if it cannot be
  // written. Returns the path.
  std::string Write();
  // Writes `bytes` (for instance a damaged copy of Bytes()) as the book file instead.
  std::string WriteBytes(const std::string& bytes);
  // The same, and makes the file the book `context` reads (book.SetFile).
  std::string WriteFor(ReaderContext& context);
  std::string WriteBytesFor(ReaderContext& context, const std::string& bytes);
  // The bytes Write() would write.
  std::string Bytes() const { return BuildBookBytes(m_record); }
  std::string Path() const { return m_tmp.File("book.bin"); }

  // The book folder a load of this book extracts into (private temp folder + ESBN +
  // ".k9w/"), computed without making it.
  std::string Folder() const;
  // Contents of an extracted file; nullopt when it does not exist.
  std::optional<std::string> Extracted(const std::string& name) const;

  const ScopedTmpdir& Tmp() const { return m_tmp; }

 private:
  ScopedTmpdir m_tmp;
  BookSpec m_record;
};

// Loads the current book with the steps the reader uses (plain-text variables as HTML,
// flagged pages expanded). Shows nothing; the result says why a load stopped.
LoadResult LoadAsTheReaderDoes(ReaderContext& context, Env* env = Env::Default());

// Where the blocks of a book lie, read back from the trailer of its bytes (for tests that
// damage books on purpose). Positions are absolute.
struct BookLayout {
  explicit BookLayout(const std::string& bytes);
  size_t size, trailer, settings, reservedList, directory, dataBase, variables;
};

// The scrambled integer stored at `pos`, and overwriting one.
int32_t GetScrambledInt(const std::string& bytes, size_t pos);
void PutScrambledInt(std::string* bytes, size_t pos, int32_t value);

}  // namespace quire::testing

#endif  // QUIRE_TESTS_SUPPORT_BOOK_FIXTURE_H_
