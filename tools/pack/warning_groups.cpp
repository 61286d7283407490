#include "warning_groups.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <set>
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

// 1169 as "1,169".
std::string WithThousands(size_t n) {
  const std::string digits = std::to_string(n);
  std::string text;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0)
      text += ',';
    text += digits[i];
  }
  return text;
}

bool IsHtmlPage(const std::string& file) {
  const size_t dot = file.rfind('.');
  const std::string ext = dot == std::string::npos ? "" : AsciiLowered(file.substr(dot + 1));
  return ext == "html" || ext == "htm" || ext == "xhtml";
}

// A warning split at its "FILE:LINE: " prefix.
struct Located {
  std::string file;
  std::string place;    // "FILE:LINE"
  std::string message;  // what follows the prefix
};

std::optional<Located> Locate(const std::string& warning) {
  const size_t colon = LinePrefixEnd(warning);
  if (colon == std::string::npos)
    return std::nullopt;
  size_t digits = colon + 1;
  while (digits < warning.size() && IsAsciiDigit(warning[digits]))
    ++digits;
  return Located{warning.substr(0, colon), warning.substr(0, digits), warning.substr(digits + 2)};
}

// Where one warning text was found: the first line of each file, in order.
struct Places {
  std::vector<std::string> files;
  std::vector<std::string> places;
};

std::string SeveralFilesLine(const std::string& message, const Places& where) {
  const bool pages = std::all_of(where.files.begin(), where.files.end(), IsHtmlPage);
  std::string line =
      message + " (in " + WithThousands(where.files.size()) + (pages ? " pages: " : " files: ");
  const size_t named = std::min(where.places.size(), kPlacesNamed);
  for (size_t i = 0; i < named; ++i)
    line += (i == 0 ? "" : ", ") + where.places[i];
  if (where.places.size() > named)
    line += " and " + WithThousands(where.places.size() - named) + " more";
  return line + ")";
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
  // The files each warning text was found in.
  std::map<std::string, Places> found;
  for (const std::string& w : warnings) {
    const std::optional<Located> located = Locate(w);
    if (!located)
      continue;
    Places& where = found[located->message];
    if (std::find(where.files.begin(), where.files.end(), located->file) == where.files.end()) {
      where.files.push_back(located->file);
      where.places.push_back(located->place);
    }
  }
  // A block of output is a group of one file and kind, or a text found in several files
  // (empty file, kind kBook, and the text).
  using Key = std::pair<std::string, WarningKind>;
  struct Block {
    Key key;
    std::string severalFiles;
  };
  std::vector<Block> order;
  std::map<Key, std::vector<const std::string*>> groups;
  std::set<std::string> shownOnce;
  for (const std::string& w : warnings) {
    const std::optional<Located> located = Locate(w);
    if (located && found[located->message].files.size() >= kSeveralFiles) {
      if (shownOnce.insert(located->message).second)
        order.push_back({{}, located->message});
      continue;
    }
    WarningOrigin origin = ClassifyWarning(w);
    Key key{origin.file, origin.kind};
    auto& group = groups[key];
    if (group.empty())
      order.push_back({key, {}});
    group.push_back(&w);
  }
  std::vector<std::string> lines;
  for (const Block& block : order) {
    if (!block.severalFiles.empty()) {
      lines.push_back(SeveralFilesLine(block.severalFiles, found[block.severalFiles]));
      continue;
    }
    const Key& key = block.key;
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
