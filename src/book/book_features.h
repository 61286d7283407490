// What a book written by quire-pack records beyond the settings record, and what every
// other book gets instead.
//
// The record lives in the reserved text list, which the container leaves to its writer:
// the list's two leading texts stay empty, its first counted text is "quire-book 1" and
// each one after it is "key=value". A book without the record (an older book, one written
// by another tool) gets the defaults below, which are what the reader always did. A key
// this reader does not know, or a value it cannot read, is kept as it is and otherwise
// ignored, so a newer writer's book still opens and rebind passes the record on whole.
#ifndef QUIRE_BOOK_BOOK_FEATURES_H_
#define QUIRE_BOOK_BOOK_FEATURES_H_

#include <string>
#include <vector>

#include "book/ebook_records.h"

namespace quire {

inline constexpr char kBookFeaturesMark[] = "quire-book 1";
// The entry that holds the search texts of a book that records "search=visible-text";
// the reader reads it from the book file when it searches and never extracts it.
inline constexpr char kSearchTextEntry[] = "__search.text";

struct BookFeatures {
  // The book carries the record. Every book quire-pack builds does.
  bool recorded = false;
  // "page-commands": the script links of the book's own pages run. "no" for a site imported
  // without a manifest: its pages are web pages, whose links are shown and never run. The
  // reader's own navigations and the start-up and exit scripts are not affected.
  bool pageCommands = true;
  // "contents-pane": the contents pane shows beside the page when the book opens, until
  // the user chooses otherwise.
  bool contentsPane = false;
  // "remember-reading": the reader keeps the last page shown and the text size between
  // runs. "no" for a book that must always begin afresh.
  bool rememberReading = true;
  // "search": "visible-text" when the search reads the text a reader sees on each whole
  // page (and the book may carry that text, see search_text_store.h); "raw" (or absent)
  // when it reads the first bytes of each page file, markup and all.
  bool visibleTextSearch = false;
  // "colors=palette": the book's colours are the readable palette because its manifest
  // set none, so the reader may show its generated pages in the palette's dark variant
  // under a dark desktop theme. Not written otherwise (the author's colours, or an older
  // book): those pages keep the stored colours.
  bool colorsFromPalette = false;
  // The texts of keys this reader does not know, or whose values it could not read, as
  // stored and in stored order.
  std::vector<std::string> unknown;
};

// True when `entry` holds the search texts of a book that records `features`.
bool IsSearchTextEntry(const BookFeatures& features, const EBookFile& entry);

// The record of `list`; the defaults above when the list does not carry one.
BookFeatures ReadBookFeatures(const EBookReservedList& list);

// The reserved list that stores `features`: the empty list (two empty texts, no counted
// texts) when `features.recorded` is false, else the mark and one "key=value" text per
// field: "page-commands=" with "yes" or "no", "contents-pane=yes" when `contentsPane`,
// "remember-reading=no" unless `rememberReading`, "search=visible-text" when
// `visibleTextSearch`, "colors=palette" when `colorsFromPalette`; then the unknown texts.
EBookReservedList WriteBookFeatures(const BookFeatures& features);

}  // namespace quire

#endif  // QUIRE_BOOK_BOOK_FEATURES_H_
