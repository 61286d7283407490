#include "book/book_identity.h"

#include <gtest/gtest.h>

#include <string>

#include "book/container_reader.h"
#include "support/book_fixture.h"

namespace quire {
namespace {

using testing::TestBook;

// The identity of the book file at `path`, with its trailer read as the reader reads it.
std::string IdentityOf(const std::string& path) {
  EBookTrailer trailer;
  EXPECT_TRUE(ReadTrailer(path, &trailer));
  return BookFileIdentity(path, trailer);
}

TEST(BookFileIdentityTest, CopiesAgreeAndOtherBooksWithTheSameIdDiffer) {
  TestBook first;
  first.Input().bookId = "html";
  first.AddPage("index.html", "<title>Python</title>");
  const std::string firstPath = first.Write();
  const std::string identity = IdentityOf(firstPath);
  EXPECT_EQ(identity.size(), 16u);

  const std::string copy = first.Tmp().File("copy.bin");
  ASSERT_TRUE(testing::WriteWholeFile(copy, *testing::ReadWholeFile(firstPath)));
  EXPECT_EQ(IdentityOf(copy), identity);

  // The same id and ESBN, another site: a page more, or only another compile time.
  TestBook second;
  second.Input().bookId = "html";
  second.AddPage("index.html", "<title>PostgreSQL</title>");
  EXPECT_NE(IdentityOf(second.Write()), identity);
  TestBook rebuilt;
  rebuilt.Input().bookId = "html";
  rebuilt.AddPage("index.html", "<title>Python</title>");
  rebuilt.Settings().compileSecond = first.Settings().compileSecond + 1;
  EXPECT_NE(IdentityOf(rebuilt.Write()), identity);

  EBookTrailer trailer;
  ASSERT_TRUE(ReadTrailer(firstPath, &trailer));
  EXPECT_EQ(BookFileIdentity(first.Tmp().File("missing"), trailer), "");
}

}  // namespace
}  // namespace quire
