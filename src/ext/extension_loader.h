// Finding the extension files of the book folder, loading them, and at shutdown
// unloading them and deleting the files.
#ifndef QUIRE_EXT_EXTENSION_LOADER_H_
#define QUIRE_EXT_EXTENSION_LOADER_H_

#include <string>
#include <vector>

namespace quire {

struct ReaderContext;

// The file names that count as extension files: every name that begins with "__pxa__"
// (the stored books' pattern "__pxa__*.*", where "*.*" matches any name).
bool IsExtensionFileName(const std::string& name);

// Loads every extension file in `folder` (a path ending with '/'), in name order, into
// the registry, then registers each loaded library's key and variable cache. Every entry
// that is not a directory joins the extension file list, loaded or not. Does nothing when
// the folder cannot be read, once the extensions have been loaded (each file is seen
// once per run) or after shutdown.
void LoadExtensionsFrom(ReaderContext& context, const std::string& folder);

// Calls PGX_Exit of every library and unloads it, destroys the registry and the script
// support and sets their shut-down flags, then deletes every file of the extension file
// list (failures ignored).
void UnloadExtensionsAndDeleteFiles(ReaderContext& context);

// The paths of all extension files found, kept until shutdown deletes them.
const std::vector<std::string>& ExtensionFiles(ReaderContext& context);

}  // namespace quire

#endif  // QUIRE_EXT_EXTENSION_LOADER_H_
