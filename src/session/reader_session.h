// The reader's start-up and shutdown sequence without the window: what the application
// calls, in this order, around the GTK main loop.
//
//   ReadOwnBook()     trailer of the book's file (the program's own) and the splash picture
//   LoadBook()        parse, extract, expand, choose the start page (about page fallback)
//   LoadExtensions()  the book's "__pxa__" libraries
//   ... the window runs ...
//   Shutdown()        the exit script, then everything written into the book folder goes
//                     and the extension libraries are told to exit and unloaded
//
// No call ends the process: a failure comes back as a StartupFailure that the caller shows
// (message box or standard error) before it ends the process with the failure's exit code.
#ifndef QUIRE_SESSION_READER_SESSION_H_
#define QUIRE_SESSION_READER_SESSION_H_

#include <string>

#include "book/ebook_records.h"
#include "book/load_result.h"

namespace quire {

struct ReaderContext;

// Why start-up cannot go on. `message` is the exact text to show the user.
struct StartupFailure {
  enum class Kind {
    kNone,       // start-up goes on
    kCorrupted,  // damaged trailer or splash picture: nothing was extracted
    kFatalLoad,  // the container could not be loaded: files already extracted stay
  };
  Kind kind = Kind::kNone;
  std::string message;
  int exitCode = 0;
  // For kFatalLoad, the load's own reason (which message, where the container broke).
  LoadResult load;

  explicit operator bool() const { return kind != Kind::kNone; }
};

class ReaderSession {
 public:
  // `context` (not owned) is the reader the session starts and shuts down.
  explicit ReaderSession(ReaderContext& context) : m_context(context) {}
  ReaderSession(const ReaderSession&) = delete;
  ReaderSession& operator=(const ReaderSession&) = delete;

  // Reads the trailer of the book's file (the context's book.File()) and extracts the
  // splash picture.
  StartupFailure ReadOwnBook();
  // The book's identity text (the single-instance name); valid after ReadOwnBook.
  std::string BookId() const;
  // What tells this book file from another one with the same id (BookFileIdentity);
  // valid after ReadOwnBook.
  std::string BookIdentity() const;
  // The extracted splash picture; empty when the book has none. The splash window owns
  // the file from then on and deletes it when it closes.
  const std::string& SplashPath() const { return m_splashPath; }

  // Loads the book. A damaged container comes back as kFatalLoad with the text to show
  // (OK button, exclamation icon) and exit code 0; the caller shows it and ends the
  // process at once, without Shutdown(), so the files already extracted stay. A book
  // without an index page starts on the generated about page, after "Index file not
  // found!" was shown through the window seam.
  StartupFailure LoadBook();
  // Loads the extension libraries found in the book folder.
  void LoadExtensions();

  // Runs the book's exit script, then removes every file and folder the reader wrote
  // (the page store's cleanup), then tells the extension libraries to exit, unloads them
  // and deletes their files. Runs once; later calls do nothing.
  void Shutdown();
  bool IsShutDown() const { return m_shutDown; }

 private:
  ReaderContext& m_context;
  // The trailer ReadOwnBook read; empty before.
  EBookTrailer m_trailer;
  std::string m_splashPath;
  bool m_shutDown = false;
};

}  // namespace quire

#endif  // QUIRE_SESSION_READER_SESSION_H_
