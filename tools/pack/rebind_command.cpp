// quire-pack rebind: the book of any book file, written onto the Linux reader.
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>

#include "book/book_features.h"
#include "book/book_writer.h"
#include "book/container_reader.h"
#include "book_file.h"
#include "cli_args.h"
#include "commands.h"
#include "manifest.h"
#include "output_guard.h"
#include "reader_image.h"
#include "search_texts.h"
#include "temp_folder.h"
#include "terminal_text.h"

namespace quire::pack {

namespace {

constexpr char kRebindHelp[] =
    "Usage: quire-pack rebind BOOK -o NEW_BOOK [options]\n"
    "\n"
    "Takes the book appended to BOOK, whatever program it was appended to, and writes it\n"
    "onto the Linux reader as NEW_BOOK: the same settings, files, flags, variables, splash\n"
    "picture and book id; a book that keeps folders keeps them. Files the reader could\n"
    "never extract (names it does not take) are left out and reported.\n"
    "\n"
    "Extension libraries (files named __pxa__*) that are not ELF shared objects cannot load\n"
    "on Linux. They are reported and, by default, kept: the book stays complete, and the\n"
    "reader skips a library it cannot load.\n"
    "\n"
    "Options:\n"
    "  -o, --output NEW_BOOK        the book file to write (required)\n"
    "  --reader PATH                the reader program to use (default: quire-reader,\n"
    "                               else quire, beside quire-pack or on PATH)\n"
    "  --drop-foreign-extensions    leave such extension libraries out\n"
    "  --keep-foreign-extensions    keep them (the default)\n"
    "  -q, --quiet                  print nothing but errors and warnings\n"
    "  -h, --help                   show this help\n";

}  // namespace

int RunRebind(const std::vector<std::string>& args) {
  ParsedArgs parsed;
  std::string error;
  if (!ParseArgs(args,
                 {{"output", 'o', true, false},
                  {"reader", '\0', true, false},
                  {"drop-foreign-extensions", '\0', false, false},
                  {"keep-foreign-extensions", '\0', false, false},
                  {"quiet", 'q', false, false}},
                 &parsed, &error)) {
    return Fail(error + "\n(see quire-pack rebind --help)", kExitUsage);
  }
  if (parsed.Has("help")) {
    std::cout << kRebindHelp;
    return kExitOk;
  }
  if (parsed.positional.size() != 1 || !parsed.Has("output")) {
    return Fail("rebind needs BOOK and -o NEW_BOOK (see quire-pack rebind --help)", kExitUsage);
  }
  if (parsed.Has("drop-foreign-extensions") && parsed.Has("keep-foreign-extensions")) {
    return Fail("give either --drop-foreign-extensions or --keep-foreign-extensions", kExitUsage);
  }
  const bool dropForeign = parsed.Has("drop-foreign-extensions");
  const std::string bookPath = parsed.positional[0];
  const std::string output = parsed.Value("output");

  BookFile book;
  if (!OpenBookFile(bookPath, &book, &error))
    return Fail(error);
  if (book.settings.fileCount != static_cast<int32_t>(book.files.size())) {
    return Fail(bookPath + ": damaged book: its settings count " +
                std::to_string(book.settings.fileCount) + " files, its directory holds " +
                std::to_string(book.files.size()));
  }

  BookSpec bookSpec;
  if (!FindReaderImage(parsed.Value("reader"), &bookSpec.imagePath, &error))
    return Fail(error);
  if (!CheckOutputPath(output, {bookPath, bookSpec.imagePath}, &error))
    return Fail(error);

  TempFolder staging;
  if (!staging.Ok())
    return Fail("cannot make a scratch folder in ${TMPDIR:-/tmp}");
  // What a book of ours records (whether its pages may run commands, ...) goes with it;
  // any other book's reserved texts mean nothing to the reader and are not kept.
  bookSpec.features = ReadBookFeatures(book.reserved);
  // Each file is extracted into a file of its own, numbered, so that entries sharing a
  // name stay apart and keep their order, as the reader would write them.
  const std::vector<EntryName> names = BookEntryNames(book);
  for (size_t i = 0; i < book.files.size(); ++i) {
    const EBookFile& entry = book.files[i];
    // Stored search texts are made anew below, for the files the new book keeps.
    if (IsSearchTextEntry(bookSpec.features, entry))
      continue;
    if (names[i] != EntryName::kExtracted) {
      Warn("file " + std::to_string(i) + " '" + TerminalText(entry.fileName) +
           "' left out: " + EntryNameProblem(names[i]));
      continue;
    }
    const std::string path = staging.Path() + std::to_string(i);
    if (!WriteBookEntryTo(book, i, path, &error)) {
      return Fail(bookPath + ": file " + std::to_string(i) + " '" + TerminalText(entry.fileName) +
                  "': " + error);
    }
    if (entry.fileName.rfind("__pxa__", 0) == 0) {
      std::ifstream in(path, std::ios::binary);
      std::string head(64, '\0');
      in.read(head.data(), static_cast<std::streamsize>(head.size()));
      head.resize(static_cast<size_t>(in.gcount()));
      if (!IsElfSharedObject(head)) {
        Warn("extension library '" + TerminalText(entry.fileName) +
             "' is not an ELF shared object and cannot load on Linux; " +
             (dropForeign ? "left out" : "kept (--drop-foreign-extensions leaves it out)"));
        if (dropForeign)
          continue;
      }
    }
    BookFileInput input;
    input.entry = entry;
    input.sourcePath = path;
    bookSpec.files.push_back(input);
  }
  if (bookSpec.files.empty())
    return Fail(bookPath + ": no file of the book is left to write");

  bookSpec.settings = book.settings;
  bookSpec.variables = book.variables;
  bookSpec.bookId = book.trailer.bookId;
  if (bookSpec.features.visibleTextSearch && !AddSearchTexts(&bookSpec, staging.Path(), &error))
    return Fail(error);
  if (!ReadSplashBitmap(book, &bookSpec.splashBitmap, &error)) {
    return Fail(bookPath + ": the splash picture is damaged: " + error);
  }
  if (!WriteBook(bookSpec, output, &error))
    return Fail(output + ": " + error);
  if (!parsed.Has("quiet")) {
    const size_t files = static_cast<size_t>(std::count_if(
        bookSpec.files.begin(), bookSpec.files.end(),
        [&](const BookFileInput& f) { return !IsSearchTextEntry(bookSpec.features, f.entry); }));
    std::cout << "Wrote " << output << ": " << files << (files == 1 ? " file" : " files")
              << " on the reader " << bookSpec.imagePath << "\n";
  }
  return kExitOk;
}

}  // namespace quire::pack
