// Removing everything inside a folder that is already open.
#ifndef QUIRE_PLATFORM_EMPTY_FOLDER_H_
#define QUIRE_PLATFORM_EMPTY_FOLDER_H_

namespace quire {

// Removes every entry of the folder open as `folderFd` and, folder by folder, everything
// below it, then the subfolders themselves; the folder itself stays. Every step goes
// through descriptors relative to the folder: a link is removed as a link, never followed,
// and nothing outside the folder is touched whatever its entries are renamed to meanwhile.
// Folders nested deeper than 64 levels are left as they are. True when the folder is empty
// afterwards. `folderFd` stays open and its position is not used.
bool EmptyFolder(int folderFd);

}  // namespace quire

#endif  // QUIRE_PLATFORM_EMPTY_FOLDER_H_
