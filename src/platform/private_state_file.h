// A small file the program keeps of its own in a folder of the user's (its reading state),
// read and replaced so that neither another user nor a link planted in its place can make
// it read or write anything else.
//
// The folder must be a real folder, not a link, owned by the user and writable by nobody
// else; a write makes it (0700, missing folders above it too) when it is not there. The
// file is read only when it is a regular file, not a link, owned by the user and at most
// `maxBytes` long. A write locks the folder, reads the file as above, hands what it holds
// to `update` and puts the text `update` returns in its place: written to a new file
// (0600) in the folder, flushed to disk and renamed over the old one. So the file holds
// the old or the new text, never a mix; a link at its place is replaced, never followed;
// and two programs updating it at once each see the other's change.
#ifndef QUIRE_PLATFORM_PRIVATE_STATE_FILE_H_
#define QUIRE_PLATFORM_PRIVATE_STATE_FILE_H_

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace quire {

// The file `name` (a plain file name) in `folder` (an absolute path; a trailing '/' is
// optional) as the rules above allow it to be read; nothing when there is none, or it
// breaks a rule, or cannot be read.
std::optional<std::string> ReadPrivateStateFile(const std::string& folder, const std::string& name,
                                                size_t maxBytes);

// Given what the file holds (nothing when ReadPrivateStateFile would give nothing), the
// text it is to hold.
using StateFileUpdate = std::function<std::string(const std::optional<std::string>& current)>;

// Replaces the file as described above. False, with the file as it was, when the folder
// cannot be made or breaks the rules, or the new file cannot be written in full.
bool UpdatePrivateStateFile(const std::string& folder, const std::string& name, size_t maxBytes,
                            const StateFileUpdate& update);

}  // namespace quire

#endif  // QUIRE_PLATFORM_PRIVATE_STATE_FILE_H_
