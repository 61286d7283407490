#include "site_trust.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "script_link_scan.h"

namespace quire::pack {

namespace {

constexpr char kLibraryPrefix[] = "__pxa__";

bool IsLibraryName(const std::string& name) {
  return name.rfind(kLibraryPrefix, 0) == 0 && name.find('/') == std::string::npos;
}

// True when the manifest lists `name` in a [file:] section that keeps it.
bool NamedByManifest(const Manifest& manifest, const std::string& name) {
  return std::any_of(manifest.files.begin(), manifest.files.end(),
                     [&](const FileRule& rule) { return rule.name == name && rule.include; });
}

std::string BaseName(std::string path) {
  while (path.size() > 1 && path.back() == '/')
    path.pop_back();
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool ReadBytes(const BookFileInput& file, std::string* bytes) {
  if (file.sourcePath.empty()) {
    *bytes = file.data;
    return true;
  }
  std::ifstream in(file.sourcePath, std::ios::binary);
  if (!in)
    return false;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

std::string Count(size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string ScriptOrNone(const std::string& script) {
  return script.empty() ? "none" : script;
}

}  // namespace

bool ApplySiteTrust(const SiteTrustInput& input, BookSpec* bookSpec, PlanReport* report,
                    std::vector<std::string>* warnings, BookPowers* powers, std::string* error) {
  const Manifest& manifest = *input.manifest;
  bookSpec->features.pageCommands = manifest.pageCommands.value_or(input.ownManifest);
  std::vector<std::string> added;
  for (const std::string& path : input.addedFiles)
    added.push_back(BaseName(path));

  std::vector<BookFileInput> kept;
  std::vector<std::string> leftOut;
  for (BookFileInput& file : bookSpec->files) {
    const std::string& name = file.entry.fileName;
    const bool asked = input.ownManifest || NamedByManifest(manifest, name) ||
                       std::find(added.begin(), added.end(), name) != added.end();
    if (IsLibraryName(name) && !asked) {
      warnings->push_back((file.sourcePath.empty() ? name : file.sourcePath) +
                          ": extension library left out: a site without book.ini brings no "
                          "libraries for the reader to load (name it as [file:" +
                          name + "] in a manifest, or give it with --add, to keep it)");
      leftOut.push_back(name);
      continue;
    }
    kept.push_back(std::move(file));
  }
  bookSpec->files = std::move(kept);
  if (report != nullptr && !leftOut.empty()) {
    auto& map = report->nameMap;
    map.erase(std::remove_if(map.begin(), map.end(),
                             [&](const auto& entry) {
                               return std::find(leftOut.begin(), leftOut.end(), entry.second) !=
                                      leftOut.end();
                             }),
              map.end());
  }

  *powers = BookPowers{};
  powers->startupScript = bookSpec->settings.startupScript;
  powers->exitScript = bookSpec->settings.exitScript;
  powers->pageCommands = bookSpec->features.pageCommands;
  std::string bytes;
  for (const BookFileInput& file : bookSpec->files) {
    const std::string& name = file.entry.fileName;
    if (IsLibraryName(name))
      powers->libraries.push_back(name);
    const LinkScanKind kind = LinkScanKindOf(name);
    if (kind == LinkScanKind::kNone)
      continue;
    if (!ReadBytes(file, &bytes)) {
      *error = file.sourcePath + ": cannot read it";
      return false;
    }
    if (HoldsScriptLinks(bytes, kind))
      ++powers->filesWithLinks;
  }
  if (!powers->pageCommands && powers->filesWithLinks > 0) {
    warnings->push_back(
        Count(powers->filesWithLinks, "page or script holds", "pages or scripts hold") +
        " script links (##, #!, #@); the book shows them and never runs them, " +
        (manifest.pageCommands ? "as its manifest says page-commands = no"
                               : "as a site without book.ini is made of web pages") +
        ". To let them run, set \"page-commands = yes\" in [book] of a book.ini");
  }
  return true;
}

std::vector<std::string> BookPowersLines(const BookPowers& powers) {
  std::string links;
  if (powers.filesWithLinks == 0) {
    links = "no page or script holds any";
  } else {
    links = Count(powers.filesWithLinks, "page or script holds", "pages or scripts hold") + " them";
  }
  links += powers.pageCommands ? "; they run (page-commands = yes)"
                               : "; shown, never run (page-commands = no)";
  std::string libraries;
  for (const std::string& name : powers.libraries)
    libraries += (libraries.empty() ? "" : ", ") + name;
  return {"What the book can run:", "  start-up script:     " + ScriptOrNone(powers.startupScript),
          "  exit script:         " + ScriptOrNone(powers.exitScript),
          "  script links:        " + links,
          "  extension libraries: " + (libraries.empty() ? std::string("none") : libraries)};
}

}  // namespace quire::pack
