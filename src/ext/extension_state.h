// Everything the extension libraries keep for the whole process, in one place: the
// registry of loaded libraries, their script support, the list of extension files, and
// the one shut-down flag after which none of them is made again. Only the user-interface
// thread touches it.
#ifndef QUIRE_EXT_EXTENSION_STATE_H_
#define QUIRE_EXT_EXTENSION_STATE_H_

#include <string>
#include <vector>

namespace quire {

class CExtensionRegistry;
class CExtensionScripting;

struct ExtensionState {
  CExtensionRegistry* registry = nullptr;    // made on first use
  CExtensionScripting* scripting = nullptr;  // made on first use
  std::vector<std::string> files;            // every extension file found, loaded or not
  bool loaded = false;                       // the book folder has been scanned
  bool shutDown = false;                     // set by the first shutdown, never cleared
};

// The process's one state, made on first use and kept until the process ends.
ExtensionState& TheExtensionState();

}  // namespace quire

#endif  // QUIRE_EXT_EXTENSION_STATE_H_
