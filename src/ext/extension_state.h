// Everything the extension libraries keep for one reader, in one place: the registry of
// loaded libraries, their script support, the list of extension files, and the one
// shut-down flag after which none of them is made again. It hangs on the reader's context
// (ReaderContext::extensions), made on first use by ExtensionsOf. Only the user-interface
// thread touches it.
#ifndef QUIRE_EXT_EXTENSION_STATE_H_
#define QUIRE_EXT_EXTENSION_STATE_H_

#include <memory>
#include <string>
#include <vector>

namespace quire {

class CExtensionRegistry;
class CExtensionScripting;
class WindowSlot;
struct ReaderContext;

struct ExtensionState {
  // `window` (not owned, outlives the state) is what the libraries are given as their
  // main window and where load failures are shown.
  explicit ExtensionState(WindowSlot& window);
  // Destroys the registry (each library is told to exit and unloaded) and the script
  // support, if they still exist.
  ~ExtensionState();
  ExtensionState(const ExtensionState&) = delete;
  ExtensionState& operator=(const ExtensionState&) = delete;

  // The registry and the script support, made on first use; null once shut down.
  CExtensionRegistry* Registry();
  CExtensionScripting* Scripting();
  // Destroys the registry (PGX_Exit of every library, then unloading, in registry order)
  // and then the script support, and sets the shut-down flag (also when none existed).
  void ShutDown();

  WindowSlot& window;
  std::unique_ptr<CExtensionRegistry> registry;    // null until first use
  std::unique_ptr<CExtensionScripting> scripting;  // null until first use
  std::vector<std::string> files;                  // every extension file found, loaded or not
  bool loaded = false;                             // the book folder has been scanned
  bool shutDown = false;                           // set by the first shutdown, never cleared
};

// The extension state of `context`, made on first use.
ExtensionState& ExtensionsOf(ReaderContext& context);

}  // namespace quire

#endif  // QUIRE_EXT_EXTENSION_STATE_H_
