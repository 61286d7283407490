#include "support/doc_book.h"
#include "pages/reader_context.h"

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "book/cebook.h"
#include "book/page_store.h"
#include "pages/page_load_steps.h"
#include "support/bench_text.h"
#include "support/run_program.h"

extern char** environ;

namespace quire::bench {

namespace fs = std::filesystem;

namespace {

// TMPDIR as the program found it: each book's scratch folder is made there.
const std::string& OriginalTmpdir() {
  static const std::string* tmpdir =
      new std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "");
  return *tmpdir;
}

}  // namespace

void OpenDocBook(DocBook* doc) {
  std::error_code ec;
  if (OriginalTmpdir().empty())
    unsetenv("TMPDIR");
  else
    setenv("TMPDIR", OriginalTmpdir().c_str(), 1);
  const char* prebuilt = doc->bookEnv.empty() ? nullptr : std::getenv(doc->bookEnv.c_str());
  if ((prebuilt == nullptr || *prebuilt == 0) &&
      !fs::is_regular_file(doc->html + "/index.html", ec)) {
    doc->missing = "no documentation in " + doc->html + " (apt-get install " + doc->package + ")";
    return;
  }
  doc->base = MakeScratchFolder("doc-" + doc->name);
  fs::create_directories(doc->base + "/tmp");
  if (prebuilt != nullptr && *prebuilt != 0) {
    doc->book = prebuilt;
  } else {
    doc->book = doc->base + "/book";
    const std::string pack = BesideThisProgram("QUIRE_PACK", "../tools/quire-pack");
    if (!RunProgram({pack, "build", doc->html, "-o", doc->book, "--quiet"}) &&
        !RunProgram({pack, "build", doc->html, "-o", doc->book, "--quiet", "--flatten"})) {
      doc->missing = pack + " could not build " + doc->html;
      return;
    }
  }
  setenv("TMPDIR", (doc->base + "/tmp").c_str(), 1);
  ReaderContext& context = *doc->reader;
  context.book.SetFile(doc->book);
  const LoadResult loaded = context.book.Load(context.store, PageLoadSteps(context));
  if (loaded.reason != LoadResult::Reason::kNone) {
    doc->missing = "cannot load " + doc->book + ": " + loaded.Message();
    return;
  }
  const std::string folder = context.store.BookFolder();
  uint64_t bytes = 0;
  for (const EBookFile& file : context.book.Files()) {
    if (!file.searchable)
      continue;
    doc->pages.push_back(folder + file.fileName);
    bytes += fs::file_size(doc->pages.back(), ec);
  }
  doc->megabytes = static_cast<double>(bytes) / 1e6;
  std::fprintf(stderr, "%s documentation: %zu searchable pages, %.1f MB; book %.1f MB\n",
               doc->name.c_str(), doc->pages.size(), doc->megabytes,
               static_cast<double>(fs::file_size(doc->book, ec)) / 1e6);
}

void CloseDocBook(DocBook* doc) {
  doc->reader->store.Cleanup();
  if (!doc->base.empty()) {
    std::error_code ignored;
    fs::remove_all(doc->base, ignored);
  }
}

namespace {

// The exit status of `grep -ciF -- word paths...`, or -1 when it could not run.
int RunGrep(const std::string& word, std::vector<std::string>::const_iterator first,
            std::vector<std::string>::const_iterator last) {
  std::vector<char*> argv;
  std::string grep = "grep", flags = "-ciF", dashes = "--";
  argv.push_back(grep.data());
  argv.push_back(flags.data());
  argv.push_back(dashes.data());
  std::string pattern = word;
  argv.push_back(pattern.data());
  for (auto it = first; it != last; ++it)
    argv.push_back(const_cast<char*>(it->c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, "grep", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0)
    return -1;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR)
      return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

bool GrepCount(const std::string& word, const std::vector<std::string>& pages) {
  // Well below the kernel's limit on the size of a command line.
  constexpr size_t kBatch = 4000;
  for (size_t at = 0; at < pages.size(); at += kBatch) {
    const size_t end = std::min(pages.size(), at + kBatch);
    const int status = RunGrep(word, pages.begin() + static_cast<ptrdiff_t>(at),
                               pages.begin() + static_cast<ptrdiff_t>(end));
    if (status != 0 && status != 1)  // 1: no line matched
      return false;
  }
  return true;
}

}  // namespace quire::bench
