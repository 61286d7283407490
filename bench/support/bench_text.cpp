#include "support/bench_text.h"

#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace quire::bench {

std::string MachineHtmlCorpus(size_t limit, size_t* fileCount) {
  namespace fs = std::filesystem;
  std::vector<fs::path> files;
  std::error_code ec;
  for (const char* root : {"/usr/share/doc", "/usr/share/cmake", "/usr/share/gtk-doc"}) {
    for (auto it = fs::recursive_directory_iterator(
             root, fs::directory_options::skip_permission_denied, ec);
         it != fs::recursive_directory_iterator(); it.increment(ec)) {
      if (ec)
        break;
      const std::string ext = it->path().extension().string();
      if ((ext == ".html" || ext == ".htm") && it->is_regular_file(ec))
        files.push_back(it->path());
    }
  }
  std::sort(files.begin(), files.end());
  std::string corpus;
  size_t read = 0;
  for (const fs::path& file : files) {
    if (corpus.size() >= limit)
      break;
    std::ifstream in(file, std::ios::binary);
    corpus.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    ++read;
  }
  corpus.resize(std::min(corpus.size(), limit));
  if (fileCount != nullptr)
    *fileCount = read;
  return corpus;
}

std::string MakeScratchFolder(const std::string& name) {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/quire-" + name + "-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) {
    std::perror("mkdtemp");
    std::exit(1);
  }
  return pattern;
}

std::vector<std::string> SyllableVocabulary(std::mt19937& rng) {
  static const char* const syllables[] = {"an", "be", "cor", "da", "el", "fi", "gra",
                                          "ho", "in", "ju",  "ka", "lo", "me", "nu",
                                          "or", "pa", "qui", "re", "so", "tu", "ve"};
  std::vector<std::string> words;
  for (int i = 0; i < 5000; ++i) {
    std::string word;
    for (unsigned n = 1 + rng() % 4; n > 0; --n)
      word += syllables[rng() % 21];
    words.push_back(word);
  }
  return words;
}

SiteSize MeasureSite(const std::string& site) {
  SiteSize size;
  std::error_code ec;
  namespace fs = std::filesystem;
  for (fs::recursive_directory_iterator
           it(site, fs::directory_options::follow_directory_symlink, ec),
       end;
       !ec && it != end; it.increment(ec)) {
    if (it->is_regular_file(ec)) {
      size.bytes += it->file_size(ec);
      ++size.files;
    }
  }
  return size;
}

}  // namespace quire::bench
