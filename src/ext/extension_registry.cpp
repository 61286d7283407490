#include "ext/extension_registry.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include "ext/entry_points.h"
#include "ext/host_function.h"
#include "quire/extension.h"
#include "ui/window_slot.h"

namespace quire {

namespace {

constexpr const char* kRequiredEntryPoints[] = {"PGX_IsInterface", "PGX_GetName", "PGX_GetVersion",
                                                "PGX_Init",        "PGX_Exit",    "PGX_IsRuntime"};

constexpr int kInterfaceQueryMagic = 4;
constexpr int kInterfaceQueryReserved = 0;

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

void CExtensionRegistry::ShowFailure(const std::string& path, const char* ending) const {
  m_window->MessageBox(path + ending, kMbOk | kMbIconExclamation);
}

void CExtensionRegistry::CallNotify(void* module, const char* name) const {
  if (auto function = FindEntryPoint<PGX_NotifyFn>(module, name))
    function(0, HostFunction(), WindowArgument(m_window));
}

CExtensionRegistry::~CExtensionRegistry() {
  for (auto& [path, library] : m_libraries) {
    CallNotify(library.module, "PGX_Exit");
    dlclose(library.module);
    library.module = nullptr;
  }
}

bool CExtensionRegistry::Load(const std::string& path) {
  if (m_libraries.count(path) != 0)
    return false;
  // Only regular files: opening a fifo would wait for a writer forever. A path without a
  // slash would make dlopen search the library path instead of naming this file.
  if (!IsRegularFile(path) || path.find('/') == std::string::npos) {
    ShowFailure(path, " could not be loaded.");
    return false;
  }
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) {
    ShowFailure(path, " could not be loaded.");
    return false;
  }
  for (const char* name : kRequiredEntryPoints) {
    if (dlsym(module, name) == nullptr) {
      ShowFailure(path, " is not an Pagora E-Book Extension library.");
      dlclose(module);
      return false;
    }
  }
  m_libraries[path] = LoadedExtension{module, path};
  CallNotify(module, "PGX_Init");
  return true;
}

void CExtensionRegistry::Notify(const char* entryPoint) const {
  for (const auto& [path, library] : m_libraries) {
    auto isInterface = FindEntryPoint<PGX_IsInterfaceFn>(library.module, "PGX_IsInterface");
    if (isInterface == nullptr)
      continue;
    if (isInterface(0, HostFunction(), WindowArgument(m_window), kInterfaceQueryMagic,
                    kInterfaceQueryReserved, PGX_INTERFACE_SCRIPT) == 0)
      continue;
    CallNotify(library.module, entryPoint);
  }
}

void CExtensionRegistry::NotifyScriptInit() const {
  Notify("PGX_ScriptInit");
}

void CExtensionRegistry::NotifyScriptExit() const {
  Notify("PGX_ScriptExit");
}

}  // namespace quire
