// The search's untrusted inputs: a page's bytes made into visible text, and the search
// texts a book carries, read against a small directory. Input: one byte of flags (bit 0:
// a Windows-1252 book), the length of the stored texts (two bytes, little-endian), those
// bytes, then the page.
//
// Checks: visible text is never longer than its page and holds no white space but single
// spaces inside; every stored text handed out belongs to a page that may have one, in
// directory order; folding agrees with upper-casing; excerpts of any text at any hit stay
// short.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "pages/search_excerpt.h"
#include "pages/search_text_store.h"
#include "pages/visible_text.h"
#include "platform/text_case.h"

namespace {

using namespace quire;

EBookFile Entry(const std::string& name, bool searchable, bool expand) {
  EBookFile entry;
  entry.fileName = name;
  entry.searchable = searchable;
  entry.expandVariables = expand;
  return entry;
}

const std::vector<EBookFile>& Directory() {
  static const std::vector<EBookFile>* directory = new std::vector<EBookFile>{
      Entry("index.html", true, false), Entry("logo.png", false, false),
      Entry("a.html", true, false),     Entry("vars.html", true, true),
      Entry("dir/b.html", true, false), Entry("__search.text", false, false)};
  return *directory;
}

void CheckText(std::string_view text, TextEncoding encoding) {
  if (!text.empty() && (text.front() == ' ' || text.back() == ' '))
    fuzz::Finding("visible text begins or ends with a space");
  if (text.find("  ") != std::string_view::npos)
    fuzz::Finding("visible text holds two spaces in a row");
  for (char c : {'\t', '\n', '\r', '\f'}) {
    if (text.find(c) != std::string_view::npos)
      fuzz::Finding("visible text holds white space other than spaces");
  }
  std::string folded;
  FoldCase(text, encoding, &folded);
  if (folded != UpperCased(text, encoding))
    fuzz::Finding("folding differs from upper-casing");
}

void CheckExcerpt(std::string_view text, size_t hit, TextEncoding encoding) {
  const std::string word = UpperCased(text.substr(hit < text.size() ? hit : 0, 3), encoding);
  const std::string excerpt = MakeExcerpt(text, hit, {word}, false, encoding);
  // Escaping makes a byte at most six ("&quot;"), marks and cut marks add a little.
  if (excerpt.size() > 6 * kExcerptLength + 64 * 7 + 8)
    fuzz::Finding("an excerpt is not short");
  if (excerpt.find('<') != std::string::npos && excerpt.find("<B>") == std::string::npos)
    fuzz::Finding("an excerpt holds markup of the text's own");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3)
    return 0;
  const TextEncoding encoding =
      (data[0] & 1) != 0 ? TextEncoding::kWindows1252 : TextEncoding::kUtf8;
  const size_t storeSize = std::min<size_t>(size - 3, data[1] | (size_t{data[2]} << 8));
  const std::string_view store(reinterpret_cast<const char*>(data + 3), storeSize);
  const std::string_view page(reinterpret_cast<const char*>(data + 3 + storeSize),
                              size - 3 - storeSize);

  const std::string text = VisibleText(page, encoding);
  if (text.size() > page.size())
    fuzz::Finding("visible text is longer than its page");
  CheckText(text, encoding);
  CheckExcerpt(text, page.size() % (text.size() + 2), encoding);

  int64_t previous = -1;
  ReadSearchTextBytes(store, Directory(), [&](size_t index, std::string_view stored) {
    const EBookFile& entry = Directory().at(index);
    if (static_cast<int64_t>(index) <= previous || !entry.searchable || entry.expandVariables)
      fuzz::Finding("a stored text was handed out for a page that may have none");
    previous = static_cast<int64_t>(index);
    CheckExcerpt(stored, stored.size() / 2, encoding);
  });
  return 0;
}
