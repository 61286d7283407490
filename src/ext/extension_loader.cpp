#include "ext/extension_loader.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "ext/extension_hooks.h"
#include "ext/extension_registry.h"
#include "ext/extension_scripting.h"
#include "ext/extension_state.h"
#include "pages/reader_context.h"

namespace quire {

namespace {

constexpr char kExtensionPrefix[] = "__pxa__";

// The names of the non-directory extension entries of `folder`, sorted.
std::vector<std::string> ExtensionEntries(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr)
    return names;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (!IsExtensionFileName(name))
      continue;
    struct stat st {};
    if (lstat((folder + name).c_str(), &st) != 0 || S_ISDIR(st.st_mode))
      continue;
    names.push_back(name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

bool IsExtensionFileName(const std::string& name) {
  return name.compare(0, sizeof(kExtensionPrefix) - 1, kExtensionPrefix) == 0;
}

void LoadExtensionsFrom(ReaderContext& context, const std::string& folder) {
  ExtensionState& state = ExtensionsOf(context);
  if (state.loaded || state.shutDown || folder.empty())
    return;
  state.loaded = true;
  const std::string base = folder.back() == '/' ? folder : folder + "/";
  const std::vector<std::string> names = ExtensionEntries(base);
  if (names.empty())
    return;

  CExtensionRegistry* registry = state.Registry();
  for (const std::string& name : names) {
    const std::string path = base + name;
    registry->Load(path);
    state.files.push_back(path);
  }
  if (CExtensionScripting* scripting = state.Scripting()) {
    for (const auto& [path, library] : registry->Libraries())
      scripting->Register(library, context.book.Encoding());
    context.extensionVariables = [&context](std::string* text, bool bracketForm) {
      ExpandExtensionVariables(context, text, bracketForm);
    };
  }
}

void UnloadExtensionsAndDeleteFiles(ReaderContext& context) {
  context.extensionVariables = nullptr;
  ExtensionState& state = ExtensionsOf(context);
  state.ShutDown();
  for (const std::string& path : state.files)
    unlink(path.c_str());
  state.files.clear();
}

const std::vector<std::string>& ExtensionFiles(ReaderContext& context) {
  return ExtensionsOf(context).files;
}

}  // namespace quire
