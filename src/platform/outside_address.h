// Whether an address belongs to the outside internet rather than to the book.
#ifndef QUIRE_PLATFORM_OUTSIDE_ADDRESS_H_
#define QUIRE_PLATFORM_OUTSIDE_ADDRESS_H_

#include <string>

namespace quire {

// True when `url` begins, ignoring ASCII letter case, with "http:", "https:", "news:",
// "mail:" or "ftp:". "mailto:" does not match "mail:", and an address shorter than a
// prefix (such as "ftp") matches none.
bool IsOutsideAddress(const std::string& url);

}  // namespace quire

#endif  // QUIRE_PLATFORM_OUTSIDE_ADDRESS_H_
