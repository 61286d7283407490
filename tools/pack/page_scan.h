// What a page of a site says of itself and where its references lead, read in one quick
// pass without building the document. A site whose folders are kept is stored as it is:
// nothing is rewritten, so only the reading order (the page's links), a title for pages
// without <title> (the first <h1>) and the references that will not work in the book are
// wanted, and a full HTML parse of every page would cost most of a build's time.
//
// The page is read as an HTML tokenizer reads it: comments, <!DOCTYPE> and <?...?> are
// skipped, the text of <script>, <style>, <textarea>, <title>, <xmp>, <iframe>, <noembed>
// and <noframes> is no markup, <plaintext> ends the markup, attribute values may be
// quoted or bare, and their character references are decoded. Never fails: whatever the
// bytes, the scan ends at the end of the page.
#ifndef QUIRE_TOOLS_PACK_PAGE_SCAN_H_
#define QUIRE_TOOLS_PACK_PAGE_SCAN_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quire::pack {

struct PageReference {
  size_t offset = 0;    // where the attribute's value begins in the page
  std::string address;  // as the browser reads it: character references decoded, trimmed
  bool link = false;    // the href of <a> or <area>: a page a reader can go to
};

struct PageScan {
  // The text of the first <h1>, with markup left out, character references decoded and
  // white space folded.
  std::string h1;
  // The href and src attributes of every element but <base>, in the order they stand.
  std::vector<PageReference> references;
};

PageScan ScanPage(std::string_view html);

}  // namespace quire::pack

#endif  // QUIRE_TOOLS_PACK_PAGE_SCAN_H_
