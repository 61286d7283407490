// Running the reader's start-up (ReaderSession::ReadOwnBook, then LoadBook) on a book file
// in a child process, so that a start-up that ends the process, crashes or hangs is
// observed by the test instead of taking the test program with it.
//
//   TestBook book;  ...  book.WriteBytes(damaged);
//   StartupRun run = RunStartupInChild(book.Path());
//   EXPECT_TRUE(run.exited);  EXPECT_EQ(run.exitCode, 0);
//   EXPECT_EQ(run.messages, ...);
//
// The child shows its messages through the console window (standard error), as the
// reader does before its window exists; a start-up failure the session returns is shown
// the same way before the child exits with the failure's exit code. A splash picture
// that was extracted is deleted, as the splash window does. Nothing is cleaned up, so
// the test can look at every file the start-up left.
#ifndef QUIRE_TESTS_SUPPORT_STARTUP_RUN_H_
#define QUIRE_TESTS_SUPPORT_STARTUP_RUN_H_

#include <chrono>
#include <string>
#include <vector>

namespace quire::testing {

struct StartupRun {
  bool exited = false;    // ended by exiting (not by a signal, not killed for its time)
  int exitCode = -1;      // when exited
  int signal = 0;         // the signal that ended it, 0 for none
  bool timedOut = false;  // still running at the limit, then killed
  bool loaded = false;    // both steps came back without a failure
  std::string startPage;  // when loaded
  // Every message shown, in order (a failure's own text last), without the "quire: ".
  std::vector<std::string> messages;
  // Anything else the child wrote on standard error (sanitizer reports, for instance).
  std::string otherOutput;
};

// Starts a reader whose book is `bookFile` in a child process and waits for it.
StartupRun RunStartupInChild(const std::string& bookFile,
                             std::chrono::milliseconds limit = std::chrono::seconds(30));

// Every file, folder and link below `root`, as paths relative to it ("a", "a/b"), sorted.
std::vector<std::string> EverythingUnder(const std::string& root);

}  // namespace quire::testing

#endif  // QUIRE_TESTS_SUPPORT_STARTUP_RUN_H_
