// The reader program with no book appended (the build's own `quire`, a copy of the reader
// image): it has nothing to show, so instead of the damaged-book message it says what it
// is and how a book is made. A program that carries a book never reads its command line
// here; the book's pages get it as {commandline}.
#ifndef QUIRE_LAUNCH_BARE_READER_H_
#define QUIRE_LAUNCH_BARE_READER_H_

#include <optional>
#include <string>
#include <vector>

namespace quire {

// True when the file at `path` is an ELF program that ends where its image ends, so no
// book was appended to it. False when bytes follow the image (a book, or a damaged one)
// or when the file is no ELF program this reader can measure.
bool IsBareReader(const std::string& path);

// What the bare reader prints for its arguments (`args` without the program name), on
// which stream, and the exit code: "--version" and "--help" (also "-h") print to
// standard output and end with 0; anything else, nothing included, explains on standard
// error and ends with 1.
struct BareReaderAnswer {
  std::string text;  // ends with a line break
  bool toStandardOutput = false;
  int exitCode = 1;
};
BareReaderAnswer AnswerWithoutBook(const std::vector<std::string>& args);

// Prints AnswerWithoutBook for the program's arguments and returns its exit code.
int RunBareReader(int argc, char** argv);

}  // namespace quire

#endif  // QUIRE_LAUNCH_BARE_READER_H_
