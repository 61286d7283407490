#include "support/startup_run.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>

#include "pages/reader_context.h"
#include "session/reader_session.h"
#include "ui/reader_window.h"

namespace quire::testing {

namespace {

constexpr char kLoadedMark[] = "\x01loaded ";
constexpr char kMessagePrefix[] = "quire: ";

[[noreturn]] void RunChild(const std::string& bookFile, int out) {
  dup2(out, STDERR_FILENO);
  close(out);
  int null = open("/dev/null", O_WRONLY);
  if (null >= 0)
    dup2(null, STDOUT_FILENO);
  ReaderContext context;  // its window is the console: every message goes to standard error
  context.book.SetFile(bookFile);
  ReaderSession session(context);
  StartupFailure failure = session.ReadOwnBook();
  if (!failure) {
    if (!session.SplashPath().empty())
      unlink(session.SplashPath().c_str());
    failure = session.LoadBook();
  }
  if (failure) {
    std::fprintf(stderr, "%s%s\n", kMessagePrefix, failure.message.c_str());
    std::fflush(stderr);
    _exit(failure.exitCode);
  }
  std::fprintf(stderr, "%s%s\n", kLoadedMark, context.book.StartPage().c_str());
  std::fflush(stderr);
  _exit(0);
}

void ParseOutput(const std::string& output, StartupRun* run) {
  std::istringstream lines(output);
  bool inMessage = false;
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind(kLoadedMark, 0) == 0) {
      run->loaded = true;
      run->startPage = line.substr(sizeof kLoadedMark - 1);
      inMessage = false;
    } else if (line.rfind(kMessagePrefix, 0) == 0) {
      run->messages.push_back(line.substr(sizeof kMessagePrefix - 1));
      inMessage = true;
    } else if (inMessage) {
      run->messages.back() += "\n" + line;  // messages may hold line breaks
    } else {
      run->otherOutput += line + "\n";
    }
  }
}

}  // namespace

StartupRun RunStartupInChild(const std::string& bookFile, std::chrono::milliseconds limit) {
  StartupRun run;
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0)
    return run;
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child < 0)
    return run;
  if (child == 0) {
    close(pipeEnds[0]);
    RunChild(bookFile, pipeEnds[1]);
  }
  close(pipeEnds[1]);
  const auto deadline = std::chrono::steady_clock::now() + limit;
  std::string output;
  char buffer[4096];
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      run.timedOut = true;
      break;
    }
    pollfd pfd{pipeEnds[0], POLLIN, 0};
    if (poll(&pfd, 1, static_cast<int>(left.count())) <= 0)
      continue;
    const ssize_t n = read(pipeEnds[0], buffer, sizeof buffer);
    if (n <= 0)
      break;  // the child has gone (or closed its standard error)
    output.append(buffer, static_cast<size_t>(n));
  }
  close(pipeEnds[0]);
  int status = 0;
  while (!run.timedOut && waitpid(child, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() >= deadline)
      run.timedOut = true;
    else
      usleep(1000);
  }
  if (run.timedOut) {
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
  } else if (WIFEXITED(status)) {
    run.exited = true;
    run.exitCode = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    run.signal = WTERMSIG(status);
  }
  ParseOutput(output, &run);
  return run;
}

std::vector<std::string> EverythingUnder(const std::string& root) {
  namespace fs = std::filesystem;
  std::vector<std::string> paths;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec))
    paths.push_back(it->path().lexically_relative(root).string());  // links not followed
  std::sort(paths.begin(), paths.end());
  return paths;
}

}  // namespace quire::testing
