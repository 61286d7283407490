#include "fuzz_support.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "pages/reader_context.h"
#include "script/command_line.h"
#include "support/fake_window.h"

namespace quire::fuzz {

namespace {

std::string* g_scratch = nullptr;

void RemoveTree(const std::string& path) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0)
    return;
  if (S_ISDIR(st.st_mode)) {
    EmptyFolder(path + "/");
    rmdir(path.c_str());
  } else {
    unlink(path.c_str());
  }
}

void RemoveScratch() {
  if (g_scratch) {
    EmptyFolder(*g_scratch);
    rmdir(g_scratch->c_str());
  }
}

}  // namespace

const std::string& ScratchFolder() {
  if (!g_scratch) {
    char pattern[] = "/tmp/quire-fuzz-XXXXXX";
    if (!mkdtemp(pattern))
      Finding("cannot make the scratch folder");
    g_scratch = new std::string(std::string(pattern) + "/");
    setenv("TMPDIR", pattern, 1);
    setenv("HOME", pattern, 1);
    setenv("XDG_CONFIG_HOME", pattern, 1);
    if (chdir(pattern) != 0)
      Finding("cannot enter the scratch folder");
    atexit(RemoveScratch);
  }
  return *g_scratch;
}

std::string WriteScratchFile(const std::string& name, const uint8_t* data, size_t size) {
  const std::string path = ScratchFolder() + name;
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file || (size > 0 && std::fwrite(data, 1, size, file) != size) || std::fclose(file) != 0)
    Finding("cannot write the input file " + path);
  return path;
}

std::optional<std::string> ReadScratchFile(const std::string& name) {
  FILE* file = std::fopen((ScratchFolder() + name).c_str(), "rb");
  if (!file)
    return std::nullopt;
  std::string bytes;
  char buffer[65536];
  size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
    bytes.append(buffer, n);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed)
    return std::nullopt;
  return bytes;
}

void EmptyFolder(const std::string& folder) {
  for (const std::string& name : FolderEntries(folder))
    RemoveTree(folder + name);
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (!dir)
    return names;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..")
      names.push_back(name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

void Finding(const std::string& what) {
  std::fprintf(stderr, "FINDING: %s\n", what.c_str());
  std::abort();
}

bool IsHarmlessCommand(const std::string& line) {
  SplitCommand split;
  std::string error;
  if (!SplitCommandLine(line, &split, &error))
    return true;
  for (const char* word : {"FILE", "INI", "RUN", "OPEN"}) {
    if (split.keywordText.find(word) != std::string::npos)
      return false;
  }
  return true;
}

ReaderContext& FreshReader() {
  // The reader first: statics go in reverse order at exit, so the window leaves the
  // reader's slot while the reader is still there.
  static std::unique_ptr<ReaderContext> reader;
  static std::unique_ptr<testing::FakeWindow> window;
  window.reset();  // leaves the old reader's slot first
  reader = std::make_unique<ReaderContext>();
  window = std::make_unique<testing::FakeWindow>(reader->window);
  return *reader;
}

}  // namespace quire::fuzz
