// Writes the binary seed inputs of the fuzz targets with the project's own book writer and
// packer: small books for the container and quire-pack targets, LZ streams for the
// unpacker. The text seeds (scripts, links, expressions, INI files) are kept as written.
//
//   quire_fuzz_seeds CORPUS_DIR   (writes CORPUS_DIR/container/*, unpack/* and search_text/*)
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <tuple>

#include "book/book_writer.h"
#include "book/lz.h"
#include "pages/search_text_store.h"

namespace {

using namespace quire;

bool Save(const std::string& path, const std::string& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file)
    return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

BookFileInput File(const std::string& name, const std::string& data, bool packed) {
  BookFileInput input;
  input.entry.fileName = name;
  input.entry.packed = packed;
  input.data = data;
  return input;
}

BookSpec Minimal() {
  BookSpec bookSpec;
  bookSpec.settings.esbn = "SEED1";
  bookSpec.settings.title = "Seed";
  bookSpec.bookId = "seed-minimal";
  bookSpec.files.push_back(File("index.html", "<p>Hi</p>", false));
  return bookSpec;
}

BookSpec Full() {
  BookSpec bookSpec;
  bookSpec.settings.esbn = "SEED2";
  bookSpec.settings.title = "Seed <two>";
  bookSpec.settings.author = "Author";
  bookSpec.settings.startupScript = "##SET('a','1')";
  bookSpec.settings.exitScript = "#!exit.pgs";
  bookSpec.bookId = "seed-full";
  BookFileInput index = File("index.html", "<h1>[={title}]</h1><p>[={note}] [={raw}]</p>", true);
  index.entry.expandVariables = true;
  index.entry.searchable = true;
  index.entry.inContents = true;
  index.entry.title = "Start";
  index.entry.keywords = "seed start";
  bookSpec.files.push_back(index);
  bookSpec.files.push_back(File("index.htm", "old", true));
  bookSpec.files.push_back(File("exit.pgs", "SET('x', 1+2)\r\nMESSAGEBOX('{x}')\n", true));
  bookSpec.files.push_back(File("repeat.txt", std::string(9000, 'r') + "tail", true));
  for (auto [name, value, kind] :
       {std::tuple{"note", "a < b", 1}, std::tuple{"raw", "<i>r</i>", 2}}) {
    EBookVariable variable;
    variable.name = name;
    variable.value = value;
    variable.kind = kind;
    bookSpec.variables.variables.push_back(variable);
  }
  bookSpec.variables.rebranded = 1;
  bookSpec.splashBitmap = "BM" + std::string(60, '\0');
  return bookSpec;
}

BookSpec NoFiles() {
  BookSpec bookSpec;
  bookSpec.settings.esbn = "SEED3";
  bookSpec.bookId = "seed-empty";
  return bookSpec;
}

// Names the reader must refuse to create.
BookSpec BadNames() {
  BookSpec bookSpec;
  bookSpec.settings.esbn = "SEED4";
  bookSpec.bookId = "seed-names";
  for (const char* name : {"../up.html", "/abs.html", "a\\b.html", "", ".", "index.html"})
    bookSpec.files.push_back(File(name, "x", false));
  return bookSpec;
}

// A book of ours that keeps folders: paths, a name through a file, and a deep one.
BookSpec Folders() {
  BookSpec bookSpec;
  bookSpec.settings.esbn = "SEED5";
  bookSpec.bookId = "seed-folders";
  bookSpec.features.recorded = true;
  for (const char* name : {"index.html", "guide/intro.html", "guide/deep/page.html", "guide",
                           "a/b/c/d/e/f.js", "x/../y.html", "tool.sh"}) {
    bookSpec.files.push_back(File(name, "#!x", false));
  }
  return bookSpec;
}

// A search_text input: flags, the stored texts' length and bytes, then a page.
std::string SearchTextInput(bool windows1252, const std::string& store, const std::string& page) {
  std::string input(1, windows1252 ? '\1' : '\0');
  input += static_cast<char>(store.size() & 0xFF);
  input += static_cast<char>((store.size() >> 8) & 0xFF);
  return input + store + page;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: quire_fuzz_seeds CORPUS_DIR\n");
    return 2;
  }
  const std::string root = std::string(argv[1]) + "/";
  mkdir((root + "container").c_str(), 0755);
  mkdir((root + "unpack").c_str(), 0755);
  bool ok = Save(root + "container/minimal.book", BuildBookBytes(Minimal())) &&
            Save(root + "container/full.book", BuildBookBytes(Full())) &&
            Save(root + "container/no-files.book", BuildBookBytes(NoFiles())) &&
            Save(root + "container/bad-names.book", BuildBookBytes(BadNames())) &&
            Save(root + "container/folders.book", BuildBookBytes(Folders()));
  ok =
      ok && Save(root + "unpack/one-literal.lz", std::string("\x82\x3E", 2)) &&
      Save(root + "unpack/empty.lz", LzPack("")) &&
      Save(root + "unpack/words.lz", LzPack("hello hello hello, said the other hello")) &&
      Save(root + "unpack/window-wrap.lz", LzPack(std::string(8190, 'a') + "bcdefghij" + "abcabc"));
  mkdir((root + "search_text").c_str(), 0755);
  const std::string store = SearchTextBytes({{0, "index.html", "Start page"},
                                             {2, "a.html", "alpha \xC3\xA9t\xC3\xA9"},
                                             {4, "dir/b.html", ""}});
  ok = ok &&
       Save(root + "search_text/page.in",
            SearchTextInput(false, store,
                            "<html><head><title>T</title><style>p{}</style></head><body>"
                            "<div class=navheader>Prev <a href=x accesskey=n>Next</a></div>"
                            "<!-- note --><p>L&#39;&Eacute;T&Eacute; &amp; &lt;b&gt; caf\xC3\xA9"
                            "&nbsp;au &notit; lait</p><script>if (a<b) x()</script>"
                            "<pre>  two\n lines</pre></body></html>")) &&
       Save(root + "search_text/windows.in",
            SearchTextInput(true, "", "<p>\xE9t\xE9 &eacute; &#x41F; \xA0 \x9C</p>")) &&
       Save(root + "search_text/damaged.in",
            SearchTextInput(false, store.substr(0, store.size() - 3), "a <b"));
  if (!ok) {
    std::fprintf(stderr, "quire_fuzz_seeds: cannot write into %s\n", argv[1]);
    return 1;
  }
  return 0;
}
