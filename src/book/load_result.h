// Why reading or loading a book stopped. Nothing in the book layer shows these or ends the
// process: the caller decides how the user hears of it (message box or standard error)
// and whether the process ends.
#ifndef QUIRE_BOOK_LOAD_RESULT_H_
#define QUIRE_BOOK_LOAD_RESULT_H_

#include <string>

namespace quire {

// Where reading the container failed.
enum class ContainerFailure {
  kNone,
  kCannotOpen,    // the book file cannot be opened or is not a regular file
  kTrailer,       // shorter than the trailer, a short read or a wrong mark in the trailer
  kSettings,      // the settings record
  kReservedList,  // the reserved text list
  kDirectory,     // the file directory
  kVariables,     // the compile-time variable list
};

// The outcome of ReadTrailer() and ContainerReader::Parse(). True when every read
// succeeded and every mark matched.
struct ContainerResult {
  ContainerFailure failure = ContainerFailure::kNone;

  explicit operator bool() const { return failure == ContainerFailure::kNone; }
};

// The outcome of CEBook::Load().
struct LoadResult {
  enum class Reason {
    kNone,           // loaded, start page chosen
    kParseFailed,    // the container could not be parsed (`container` says where); fatal
    kNoFiles,        // the settings say the book holds no files; fatal
    kCountMismatch,  // the file count differs from the directory; fatal
    kNoIndexPage,    // loaded, but no index page: the start page is still empty
  };
  Reason reason = Reason::kNone;
  ContainerFailure container = ContainerFailure::kNone;

  // A fatal load ends the process at once, with exit code 0 and without cleanup.
  bool IsFatal() const {
    return reason == Reason::kParseFailed || reason == Reason::kNoFiles ||
           reason == Reason::kCountMismatch;
  }
  // The text the user is shown (OK button, exclamation icon); empty for kNone.
  std::string Message() const;
};

}  // namespace quire

#endif  // QUIRE_BOOK_LOAD_RESULT_H_
