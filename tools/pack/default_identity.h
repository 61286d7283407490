// The ESBN (and with it the book id) of a book whose manifest names none.
#ifndef QUIRE_TOOLS_PACK_DEFAULT_IDENTITY_H_
#define QUIRE_TOOLS_PACK_DEFAULT_IDENTITY_H_

#include <string>

namespace quire::pack {

// IdentifierFromName(folderName) (at most 54 bytes of it), '-', and eight hexadecimal
// digits of a hash of the book's title and the folder name: "html-3f09a1c2". Two sites
// whose folders share a name (every Sphinx build is "html") get different ones when their
// titles differ, and a rebuild of the same source gets the same one. The ESBN names the
// book folder and the id the single-instance name, so a second book never takes the
// first one's folder or hands over to it.
std::string DefaultEsbn(const std::string& title, const std::string& folderName);

}  // namespace quire::pack

#endif  // QUIRE_TOOLS_PACK_DEFAULT_IDENTITY_H_
