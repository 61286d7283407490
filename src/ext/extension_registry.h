// The loaded extension libraries of one reader.
//
// One registry per reader, made on first use (ExtensionState::Registry). Destroying it
// tells every library to exit and unloads it; ExtensionState::ShutDown does that and keeps
// a shut-down flag, so nothing is loaded after shutdown.
//
// Libraries are kept in a map from their full path; every walk (notifications, key
// registration, unloading) goes in the map's order, that is by path, byte by byte.
#ifndef QUIRE_EXT_EXTENSION_REGISTRY_H_
#define QUIRE_EXT_EXTENSION_REGISTRY_H_

#include <map>
#include <string>

namespace quire {

class WindowSlot;

struct LoadedExtension {
  void* module = nullptr;  // the dlopen handle
  std::string path;        // the full path it was loaded from (also its key in the map)
};

class CExtensionRegistry {
 public:
  // `window` (not owned, outlives the registry) is the libraries' main window and shows
  // load failures.
  explicit CExtensionRegistry(WindowSlot& window) : m_window(window) {}
  // Calls PGX_Exit of every library and then unloads it, in registry order.
  ~CExtensionRegistry();
  CExtensionRegistry(const CExtensionRegistry&) = delete;
  CExtensionRegistry& operator=(const CExtensionRegistry&) = delete;

  // Loads the library at `path` (dlopen, RTLD_NOW | RTLD_LOCAL), checks that it exports
  // PGX_IsInterface, PGX_GetName, PGX_GetVersion, PGX_Init, PGX_Exit and PGX_IsRuntime,
  // registers it and calls its PGX_Init. True when it was registered. On failure shows
  // "<path> could not be loaded." (also for anything that is not a regular file: a
  // fifo would block the load) or "<path> is not an Pagora E-Book Extension library."
  // (the library is unloaded again) in an OK box with the exclamation icon. A path that is
  // already registered is not loaded again (false, no message).
  bool Load(const std::string& path);

  // Before and after the commands of a command link or script run: each library that
  // answers PGX_IsInterface(4, 0, 1) with non-zero gets PGX_ScriptInit (PGX_ScriptExit);
  // one that answers non-zero without the entry point is skipped.
  void NotifyScriptInit() const;
  void NotifyScriptExit() const;

  // The libraries, in registry order.
  const std::map<std::string, LoadedExtension>& Libraries() const { return m_libraries; }

 private:
  void Notify(const char* entryPoint) const;
  void CallNotify(void* module, const char* name) const;
  void ShowFailure(const std::string& path, const char* ending) const;

  WindowSlot& m_window;
  std::map<std::string, LoadedExtension> m_libraries;
};

}  // namespace quire

#endif  // QUIRE_EXT_EXTENSION_REGISTRY_H_
