#include "support/book_fixture.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "book/container_format.h"
#include "pages/page_load_steps.h"
#include "pages/reader_context.h"

namespace quire::testing {

namespace {

// Stands in for the reader's program image, so payload positions are not 0.
std::string FakeImage() {
  std::string image =
      "\x7f"
      "ELF test image\n";
  image.resize(4096, '\x90');
  return image;
}

}  // namespace

TestBook::TestBook() {
  m_record.image = FakeImage();
  m_record.settings.esbn = kEsbn;
  m_record.settings.title = "Test Book";
  m_record.bookId = "quire-test-book";
}

EBookFile& TestBook::AddFile(const std::string& name, const std::string& contents, bool packed) {
  BookFileInput input;
  input.entry.fileName = name;
  input.entry.packed = packed;
  input.data = contents;
  m_record.files.push_back(std::move(input));
  return m_record.files.back().entry;
}

EBookFile& TestBook::AddPage(const std::string& name, const std::string& html) {
  EBookFile& entry = AddFile(name, html, true);
  entry.searchable = true;
  entry.inContents = true;
  entry.title = name;
  return entry;
}

void TestBook::AddVariable(const std::string& name, const std::string& value, int kind) {
  EBookVariable variable;
  variable.name = name;
  variable.value = value;
  variable.kind = kind;
  m_record.variables.variables.push_back(std::move(variable));
}

std::string TestBook::Write() {
  std::string error;
  EXPECT_TRUE(WriteBook(m_record, Path(), &error)) << error;
  return Path();
}

std::string TestBook::WriteBytes(const std::string& bytes) {
  EXPECT_TRUE(WriteWholeFile(Path(), bytes));
  return Path();
}

std::string TestBook::WriteFor(ReaderContext& context) {
  context.book.SetFile(Write());
  return Path();
}

std::string TestBook::WriteBytesFor(ReaderContext& context, const std::string& bytes) {
  context.book.SetFile(WriteBytes(bytes));
  return Path();
}

std::string TestBook::Folder() const {
  return m_tmp.Path() + "/quire-" + std::to_string(geteuid()) + "/" + m_record.settings.esbn +
         ".k9w/";
}

std::optional<std::string> TestBook::Extracted(const std::string& name) const {
  return ReadWholeFile(Folder() + name);
}

int32_t GetScrambledInt(const std::string& bytes, size_t pos) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) {
    v = (v << 8) | static_cast<uint8_t>(bytes.at(pos + static_cast<size_t>(i)) ^ kRecordKey);
  }
  return static_cast<int32_t>(v);
}

void PutScrambledInt(std::string* bytes, size_t pos, int32_t value) {
  for (int i = 0; i < 4; ++i) {
    bytes->at(pos + static_cast<size_t>(i)) =
        static_cast<char>(((static_cast<uint32_t>(value) >> (8 * i)) & 0xFF) ^ kRecordKey);
  }
}

BookLayout::BookLayout(const std::string& bytes) : size(bytes.size()) {
  trailer = size - kTrailerSize;
  auto at = [&](size_t offset) {
    return static_cast<size_t>(GetScrambledInt(bytes, trailer + offset));
  };
  settings = at(8);
  reservedList = at(12);
  directory = at(16);
  dataBase = at(20);
  variables = at(24);
}

LoadResult LoadAsTheReaderDoes(ReaderContext& context, Env* env) {
  BookLoadSteps steps = PageLoadSteps(context);
  steps.env = env;
  return context.book.Load(context.store, steps);
}

}  // namespace quire::testing
