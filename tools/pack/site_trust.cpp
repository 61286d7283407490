#include "site_trust.h"

#include <algorithm>

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

std::string Count(size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string ScriptOrNone(const std::string& script) {
  return script.empty() ? "none" : script;
}

}  // namespace

void LeaveOutSiteLibraries(const SiteTrustInput& input, SourcePlan* plan,
                           std::vector<std::string>* warnings) {
  const Manifest& manifest = *input.manifest;
  std::vector<std::string> added;
  for (const std::string& path : input.addedFiles)
    added.push_back(BaseName(path));
  std::vector<bool> keep;
  for (const PlannedFile& file : plan->files) {
    const std::string& name = file.name;
    const bool asked = input.ownManifest || NamedByManifest(manifest, name) ||
                       std::find(added.begin(), added.end(), name) != added.end();
    keep.push_back(!IsLibraryName(name) || asked);
    if (!keep.back()) {
      warnings->push_back(file.diskPath +
                          ": extension library left out: a site without book.ini brings no "
                          "libraries for the reader to load (name it as [file:" +
                          name + "] in a manifest, or give it with --add, to keep it)");
    }
  }
  KeepPlannedFiles(plan, keep);
}

void ApplySiteTrust(const SiteTrustInput& input, const PlanReport& report, BookSpec* bookSpec,
                    std::vector<std::string>* warnings, BookPowers* powers) {
  const Manifest& manifest = *input.manifest;
  const bool given = manifest.Gives("book", "page-commands");
  bookSpec->features.pageCommands = given ? manifest.features.pageCommands : input.ownManifest;
  *powers = BookPowers{};
  powers->startupScript = bookSpec->settings.startupScript;
  powers->exitScript = bookSpec->settings.exitScript;
  powers->pageCommands = bookSpec->features.pageCommands;
  powers->filesWithLinks = report.filesWithScriptLinks;
  for (const BookFileInput& file : bookSpec->files) {
    if (IsLibraryName(file.entry.fileName))
      powers->libraries.push_back(file.entry.fileName);
  }
  if (!powers->pageCommands && powers->filesWithLinks > 0) {
    warnings->push_back(
        Count(powers->filesWithLinks, "page or script holds", "pages or scripts hold") +
        " script links (##, #!, #@); the book shows them and never runs them, " +
        (given ? "as its manifest says page-commands = no"
               : "as a site without book.ini is made of web pages") +
        ". To let them run, set \"page-commands = yes\" in [book] of a book.ini");
  }
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
