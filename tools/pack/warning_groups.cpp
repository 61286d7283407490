#include "warning_groups.h"

#include <array>
#include <map>
#include <utility>

#include "platform/ascii_text.h"

namespace quire::pack {

namespace {

struct KindText {
  WarningKind kind;
  const char* one;
  const char* many;
};

constexpr std::array<KindText, 7> kKindTexts = {{
    {WarningKind::kMissingFile, "broken reference", "broken references"},
    {WarningKind::kOutsideSite, "reference out of the site folder",
     "references out of the site folder"},
    {WarningKind::kInexact, "reference that cannot be read exactly",
     "references that cannot be read exactly"},
    {WarningKind::kScriptBuilt, "address built by a script", "addresses built by scripts"},
    {WarningKind::kRenamed, "renamed file", "renamed files"},
    {WarningKind::kLeftOut, "link or folder left out", "links or folders left out"},
    {WarningKind::kBook, "other warning", "other warnings"},
}};

bool Holds(const std::string& text, const char* piece) {
  return text.find(piece) != std::string::npos;
}

// The text before the first ":LINE: ", or npos.
size_t LinePrefixEnd(const std::string& text) {
  for (size_t colon = text.find(':'); colon != std::string::npos;
       colon = text.find(':', colon + 1)) {
    size_t digits = colon + 1;
    while (digits < text.size() && IsAsciiDigit(text[digits]))
      ++digits;
    if (digits > colon + 1 && text.compare(digits, 2, ": ") == 0)
      return colon;
  }
  return std::string::npos;
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

std::string Count(size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

WarningOrigin ClassifyWarning(const std::string& warning) {
  WarningOrigin origin;
  if (Holds(warning, "' names no file of the site")) {
    origin.kind = WarningKind::kMissingFile;
  } else if (Holds(warning, "' leads out of the site folder")) {
    origin.kind = WarningKind::kOutsideSite;
  } else if (Holds(warning, "' cannot be read exactly") ||
             Holds(warning, "' cannot be located exactly") ||
             Holds(warning, "' holds a CSS escape") ||
             Holds(warning, ": a style attribute cannot be read exactly")) {
    origin.kind = WarningKind::kInexact;
  } else if (Holds(warning, ": a script builds the reference '")) {
    origin.kind = WarningKind::kScriptBuilt;
  } else if (Holds(warning, ": stored as '")) {
    origin.kind = WarningKind::kRenamed;
  } else if (Holds(warning, ": a symbolic link that leads nowhere; left out") ||
             Holds(warning, ": a symbolic link back to a folder that holds it") ||
             Holds(warning, ": folders nested too deep; left out")) {
    origin.kind = WarningKind::kLeftOut;
  }
  size_t lineAt = LinePrefixEnd(warning);
  if (origin.kind == WarningKind::kRenamed || origin.kind == WarningKind::kLeftOut) {
    size_t colon = warning.find(": ");
    origin.file = FolderOf(warning.substr(0, colon));
  } else if (lineAt != std::string::npos) {
    origin.file = warning.substr(0, lineAt);
  }
  return origin;
}

std::vector<std::string> GroupWarnings(const std::vector<std::string>& warnings, size_t perGroup) {
  using Key = std::pair<std::string, WarningKind>;
  std::vector<Key> order;
  std::map<Key, std::vector<const std::string*>> groups;
  for (const std::string& w : warnings) {
    WarningOrigin origin = ClassifyWarning(w);
    Key key{origin.file, origin.kind};
    auto& group = groups[key];
    if (group.empty())
      order.push_back(key);
    group.push_back(&w);
  }
  std::vector<std::string> lines;
  for (const Key& key : order) {
    const auto& group = groups[key];
    for (size_t i = 0; i < group.size() && i < perGroup; ++i)
      lines.push_back(*group[i]);
    if (group.size() > perGroup) {
      lines.push_back("... and " + std::to_string(group.size() - perGroup) + " more" +
                      (key.first.empty() ? "" : " in " + key.first));
    }
  }
  return lines;
}

std::string WarningSummary(const std::vector<std::string>& warnings, const std::string& noun) {
  if (warnings.empty())
    return "";
  std::map<WarningKind, size_t> counts;
  for (const std::string& w : warnings)
    ++counts[ClassifyWarning(w).kind];
  std::string text =
      std::to_string(warnings.size()) + " " + noun + (warnings.size() == 1 ? "" : "s") + ":";
  bool first = true;
  for (const KindText& k : kKindTexts) {
    auto it = counts.find(k.kind);
    if (it == counts.end())
      continue;
    text += (first ? " " : ", ") + Count(it->second, k.one, k.many);
    first = false;
  }
  return text;
}

}  // namespace quire::pack
