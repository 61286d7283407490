// Which names a book may store its files under.
//
// A stored name is a plain file name or a relative path whose parts are separated by '/'
// ("index.html", "library/os.html"). No part is empty, "." or ".."; the name does not begin
// with '/' and holds no '\', NUL or other control byte (0x01-0x1f, 0x7f). Bytes from 0x80
// up are allowed as they are. A name within these rules may still be too long or too deep
// for the reader to keep: such a name cannot come from a sound book.
#ifndef QUIRE_BOOK_STORED_NAME_H_
#define QUIRE_BOOK_STORED_NAME_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quire {

// Limits on a stored name: bytes in the whole name, bytes in one part (the file system's
// own limit) and parts in the path (a file at the top is one part).
inline constexpr size_t kMaxStoredNameBytes = 1024;
inline constexpr size_t kMaxStoredNamePartBytes = 255;
inline constexpr size_t kMaxStoredNameParts = 32;

enum class StoredNameCheck {
  kValid,
  kInvalid,       // breaks a rule above: never extracted
  kBeyondLimits,  // follows the rules but is longer or deeper than the limits allow
};

StoredNameCheck CheckStoredName(std::string_view name);

// True for a valid name without '/' (a book that keeps no folders stores only these).
bool IsPlainFileName(std::string_view name);

// True for a name CheckStoredName finds valid.
inline bool IsStoredName(std::string_view name) {
  return CheckStoredName(name) == StoredNameCheck::kValid;
}

// The folders a stored name lies in, outermost first: "a/b/c.html" gives "a" and "a/b".
std::vector<std::string_view> FoldersOfStoredName(std::string_view name);

// The indexes, in ascending order, of the valid names in `names` that lead through a part
// another entry stores as a file: with "a" and "a/b.html" stored, "a/b.html" cannot be
// extracted (its folder is a file), whatever order the two stand in. Invalid names take
// part in neither role.
std::vector<size_t> NamesLeadingThroughFiles(const std::vector<std::string_view>& names);

// What becomes of one entry of a book's directory.
enum class EntryName {
  kExtracted,     // extracted under its name
  kInvalid,       // breaks a rule above (empty, ".", "..", '/' first, '\', a control byte)
  kHoldsFolders,  // a valid path, in a book that keeps no folders
  kThroughFile,   // a valid path through a part another entry stores as a file
  kBeyondLimits,  // longer or deeper than the limits allow
};

// The verdict on each of a directory's names, in order. A book that carries the feature
// record (book_features.h: every book quire-pack builds) keeps folders: its names may be
// paths. Any other book keeps its files in one folder, as such books always did: only its
// plain names are extracted, and a path is kHoldsFolders. A name beyond the limits is
// kBeyondLimits in either (a plain name that long could never be made either). A book
// that keeps folders and holds such a name is damaged: ContainerReader::Parse fails with
// ContainerFailure::kDirectory, so the reader shows "Self Parse Failed" and "This E-Book
// seems to be corrupted." and ends, as for any damaged directory, and the tools call it a
// damaged book. Any other book only loses that file, as it always did.
std::vector<EntryName> CheckEntryNames(const std::vector<std::string_view>& names,
                                       bool keepsFolders);

// What CheckEntryNames says of `verdict`, for messages: "", "not a name the reader
// extracts (...)", ...
const char* EntryNameProblem(EntryName verdict);

}  // namespace quire

#endif  // QUIRE_BOOK_STORED_NAME_H_
