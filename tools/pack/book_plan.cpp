#include "book_plan.h"

#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>

#include "book/container_reader.h"
#include "default_identity.h"
#include "flat_site.h"
#include "html_meta.h"
#include "platform/ascii_text.h"
#include "readable_palette.h"
#include "reader_image.h"
#include "site_files.h"

namespace quire::pack {

namespace {

namespace fs = std::filesystem;

// How much of a page is read for its head texts.
constexpr size_t kHeadBytes = 65536;

std::string LowerExtension(const std::string& name) {
  size_t dot = name.rfind('.');
  if (dot == std::string::npos)
    return "";
  return AsciiLowered(name.substr(dot + 1));
}

bool IsHtml(const std::string& name) {
  std::string ext = LowerExtension(name);
  return ext == "html" || ext == "htm";
}

bool MayHoldPageVariables(const std::string& name) {
  std::string ext = LowerExtension(name);
  return ext == "html" || ext == "htm" || ext == "css" || ext == "js" || ext == "txt";
}

// Reads the first `limit` bytes of a file and whether the whole file holds "[={".
bool ScanFile(const std::string& path, bool lookForVariables, std::string* head,
              bool* hasPageVariables) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return false;
  head->clear();
  *hasPageVariables = false;
  std::string chunk(kHeadBytes, '\0');
  std::string carry;
  bool first = true;
  while (in) {
    in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    std::string piece = carry + chunk.substr(0, static_cast<size_t>(in.gcount()));
    if (first)
      *head = piece;
    first = false;
    if (!lookForVariables)
      break;
    if (piece.find("[={") != std::string::npos) {
      *hasPageVariables = true;
      break;
    }
    carry = piece.size() >= 2 ? piece.substr(piece.size() - 2) : piece;
  }
  return !in.bad();
}

bool MatchesAny(const std::vector<std::string>& patterns, const std::string& name) {
  for (const std::string& p : patterns) {
    std::string pattern = p;
    if (!pattern.empty() && pattern.back() == '/')
      pattern.pop_back();
    if (fnmatch(pattern.c_str(), name.c_str(), FNM_PERIOD) == 0)
      return true;
  }
  return false;
}

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (!name.empty() && name.front() == '/')
    return name;
  if (dir.empty() || dir.back() == '/')
    return dir + name;
  return dir + "/" + name;
}

std::string BaseName(std::string path) {
  while (path.size() > 1 && path.back() == '/')
    path.pop_back();
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsBmp(const std::string& bytes) {
  // A file header of 14 bytes whose first two are "BM", then at least an info header size.
  return bytes.size() >= 18 && bytes[0] == 'B' && bytes[1] == 'M';
}

bool ReadWhole(const std::string& path, std::string* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return false;
  out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

// The name a script link names, for "#!name" start-up and exit scripts.
std::string ScriptLinkName(const std::string& script) {
  size_t at = script.find("#@");
  size_t bang = script.find("#!");
  if (at != std::string::npos || bang == std::string::npos)
    return "";
  return script.substr(bang + 2);
}

void ApplyRule(const FileRule& rule, EBookFile* entry) {
  if (rule.searchable)
    entry->searchable = *rule.searchable != 0;
  if (rule.inContents)
    entry->inContents = *rule.inContents != 0;
  if (rule.packed)
    entry->packed = *rule.packed != 0;
  if (rule.expandVariables)
    entry->expandVariables = *rule.expandVariables != 0;
  if (rule.title)
    entry->title = *rule.title;
  if (rule.description)
    entry->description = *rule.description;
  if (rule.keywords)
    entry->keywords = *rule.keywords;
  if (rule.sortKey)
    entry->sortKey = *rule.sortKey;
}

// The regular files at the top of `dir` that no [file:] section describes, in byte order
// of their names. A subfolder that is not ignored is an error.
bool ListTopLevel(const std::string& dir, const Manifest& manifest,
                  const std::map<std::string, const FileRule*>& rules,
                  const std::string& splashName, std::vector<std::string>* folderFiles,
                  std::string* error) {
  std::error_code ec;
  std::vector<std::string> names;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    names.push_back(it->path().filename().string());
  }
  if (ec) {
    *error = dir + ": cannot list the folder: " + ec.message();
    return false;
  }
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    bool described = rules.count(name) != 0;
    if (name == kManifestName || name.front() == '.' || name.back() == '~')
      continue;
    if (!described && (MatchesAny(manifest.ignore, name) || name == splashName))
      continue;
    std::string path = JoinPath(dir, name);
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
      *error = path + ": cannot read it";
      return false;
    }
    if (S_ISDIR(st.st_mode)) {
      *error = path +
               ": subfolders are not supported (the reader keeps every file of a book in one "
               "folder under a plain name). Build with --flatten (or \"subfolders = flatten\" "
               "in [book]) to store the whole site under plain names with its links rewritten; "
               "or move its files up, list them in book.ini as [file:NAME] with source = " +
               name + "/..., or add \"ignore = " + name + "/\" to [book]";
      return false;
    }
    if (!S_ISREG(st.st_mode)) {
      *error = path + ": not a regular file";
      return false;
    }
    if (!described)
      folderFiles->push_back(name);
  }
  return true;
}

// Every file of the site by its place in ReadingOrder(), starting at the page the reader
// starts at.
std::map<std::string, int> RankInReadingOrder(const FlatSite& site,
                                              std::map<std::string, FlatFile>& files) {
  std::vector<std::pair<int, std::string>> ranked;
  for (const auto& [path, rank] : site.pageOrder)
    ranked.emplace_back(rank, path);
  std::sort(ranked.begin(), ranked.end());
  std::vector<std::string> pathOrder;
  for (auto& r : ranked)
    pathOrder.push_back(std::move(r.second));
  std::map<std::string, std::vector<std::string>> links;
  for (auto& [path, file] : files) {
    if (!file.links.empty())
      links[path] = std::move(file.links);
  }
  std::string start;
  for (const char* index : {"index.html", "index.htm"}) {
    auto it = site.sitePathOf.find(index);
    if (start.empty() && it != site.sitePathOf.end())
      start = it->second;
  }
  std::map<std::string, int> rank;
  int next = 0;
  for (const std::string& path : ReadingOrder(start, pathOrder, links))
    rank[path] = next++;
  return rank;
}

}  // namespace

bool IsCompressedFormat(const std::string& name) {
  static const char* const kCompressed[] = {
      "png",  "jpg", "jpeg", "gif", "webp", "zip",  "gz",    "tgz", "bz2",  "xz",  "zst",
      "7z",   "rar", "cab",  "mp3", "ogg",  "oga",  "m4a",   "aac", "opus", "mp4", "m4v",
      "webm", "avi", "mov",  "mkv", "swf",  "woff", "woff2", "jar", "epub"};
  std::string ext = LowerExtension(name);
  return std::any_of(std::begin(kCompressed), std::end(kCompressed),
                     [&](const char* c) { return ext == c; });
}

std::string IdentifierFromName(const std::string& name) {
  std::string out;
  for (char c : name) {
    if (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_')
      out.push_back(c);
  }
  return out.empty() ? "book" : out;
}

EBookFile DefaultFileEntry(const std::string& name, const std::string& head,
                           bool hasPageVariables) {
  EBookFile entry;
  entry.fileName = name;
  entry.packed = !IsCompressedFormat(name);
  entry.expandVariables = hasPageVariables && MayHoldPageVariables(name);
  if (IsHtml(name)) {
    HtmlMeta meta = ReadHtmlMeta(head);
    entry.searchable = true;
    entry.inContents = true;
    entry.title = meta.title.empty() ? name : meta.title;
    entry.description = meta.description;
    entry.keywords = meta.keywords;
  }
  return entry;
}

bool PlanBook(const PlanInput& input, BookSpec* bookSpec, std::vector<std::string>* warnings,
              std::string* error, PlanReport* report) {
  const Manifest& manifest = input.manifest;
  const std::string& dir = input.sourceDir;
  std::error_code ec;
  if (!fs::is_directory(dir, ec)) {
    *error = dir + ": not a folder";
    return false;
  }

  // Name -> rule, for the files the manifest describes.
  std::map<std::string, const FileRule*> rules;
  for (const FileRule& r : manifest.files)
    rules[r.name] = &r;
  std::string splashName = manifest.splash.find('/') == std::string::npos ? manifest.splash : "";

  const bool flatten = input.flatten || manifest.flattenSubfolders;
  FlatSite site;
  std::map<std::string, FlatFile> flatFiles;  // the site's pages, style sheets and scripts
  std::vector<std::string> folderFiles;       // top-level names, or site paths when flattening
  std::map<std::string, int> readingRank;     // site path -> place in the reading order
  if (flatten) {
    if (!PlanFlatSite(dir, manifest, splashName, &site, warnings, error))
      return false;
    folderFiles = site.folderFiles;
    std::vector<std::string> all;
    for (const auto& [path, name] : site.map.names)
      all.push_back(path);
    if (!ReadFlatFiles(site, all, input.packAhead, &flatFiles, error))
      return false;
    readingRank = RankInReadingOrder(site, flatFiles);
    // The toolbar's Contents drop-down lists the first pages in stored order: store the
    // pages in the order a reader meets them too.
    std::stable_sort(folderFiles.begin(), folderFiles.end(),
                     [&](const std::string& a, const std::string& b) {
                       return readingRank[a] < readingRank[b];
                     });
  } else if (!ListTopLevel(dir, manifest, rules, splashName, &folderFiles, error)) {
    return false;
  }

  struct Planned {
    EBookFile entry;
    std::string path;
    std::string data;  // the rewritten bytes, when `rewritten`
    bool rewritten = false;
    std::string packed;  // LzPack() of the bytes, when made already
  };
  std::vector<std::string> issues;  // references that could not be rewritten
  std::vector<Planned> planned;
  std::map<std::string, std::string> origin;  // stored name -> where it was asked for
  auto add = [&](const std::string& name, const std::string& path, const FileRule* rule,
                 const std::string& from) {
    if (origin.count(name)) {
      *error =
          from + ": a file named '" + name + "' is already in the book (from " + origin[name] + ")";
      return false;
    }
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
      *error = from + ": " + path + " is not a readable file";
      return false;
    }
    std::string head;
    bool hasVariables = false;
    FlatFile flat;
    auto inSite = flatten ? site.sitePathOf.find(name) : site.sitePathOf.end();
    auto text = inSite != site.sitePathOf.end() ? flatFiles.find(inSite->second) : flatFiles.end();
    if (text != flatFiles.end()) {
      flat = std::move(text->second);
      flatFiles.erase(text);
      head = flat.data.substr(0, kHeadBytes);
      hasVariables = flat.data.find("[={") != std::string::npos;
      issues.insert(issues.end(), flat.issues.begin(), flat.issues.end());
    } else if (!ScanFile(path, MayHoldPageVariables(name), &head, &hasVariables)) {
      *error = from + ": cannot read " + path;
      return false;
    }
    if (name.rfind("__pxa__", 0) == 0 && !IsElfSharedObject(head)) {
      warnings->push_back(from + ": extension library '" + name +
                          "' is not an ELF shared object; the reader cannot load it");
    }
    EBookFile entry = DefaultFileEntry(name, head, hasVariables);
    if (inSite != site.sitePathOf.end() && IsHtml(name)) {
      // The parser decodes every character reference ("&mdash;"), but reads bytes that
      // are no UTF-8 as U+FFFD: then the title as written is the better one.
      if (!flat.title.empty() &&
          (entry.title == name || flat.title.find("\xEF\xBF\xBD") == std::string::npos)) {
        entry.title = flat.title;
      }
      entry.sortKey = PathOrderSortKey(readingRank[inSite->second]);
    }
    if (rule)
      ApplyRule(*rule, &entry);
    origin[name] = from;
    planned.push_back({entry, path, flat.changed ? std::move(flat.data) : std::string(),
                       flat.changed, entry.packed ? std::move(flat.packed) : std::string()});
    return true;
  };

  for (const FileRule& rule : manifest.files) {
    if (!rule.include)
      continue;
    std::string from = std::string(kManifestName) + ":" + std::to_string(rule.line);
    std::string path = JoinPath(dir, rule.source.empty() ? rule.name : rule.source);
    if (flatten && rule.source.empty() && site.sitePathOf.count(rule.name))
      path = site.diskPaths[site.sitePathOf[rule.name]];  // "[file:library.os.html]"
    if (!add(rule.name, path, &rule, from))
      return false;
  }
  for (const std::string& file : folderFiles) {
    std::string name = flatten ? site.map.names[file] : file;
    std::string path = flatten ? site.diskPaths[file] : JoinPath(dir, file);
    if (!add(name, path, nullptr, JoinPath(dir, file)))
      return false;
  }
  for (const std::string& extra : input.extraFiles) {
    std::string name = BaseName(extra);
    if (!IsPlainFileName(name)) {
      *error = "--add " + extra + ": not a file name";
      return false;
    }
    if (!add(name, extra, rules.count(name) ? rules[name] : nullptr, "--add " + extra)) {
      return false;
    }
  }
  if (planned.empty()) {
    *error = dir + ": no files to put in the book (the reader refuses a book without files)";
    return false;
  }

  // Settings, with the defaults that depend on the files.
  EBookSettings settings = manifest.settings;
  std::string folderName = BaseName(fs::absolute(dir, ec).lexically_normal().string());
  const Planned* index = nullptr;
  for (const Planned& p : planned) {
    const std::string lower = AsciiLowered(p.entry.fileName);
    if (lower == "index.html" || (lower == "index.htm" && !index))
      index = &p;
  }
  if (!index) {
    warnings->push_back(
        "no index.html or index.htm: the reader will report \"Index file not "
        "found!\" and open on its about page");
  }
  if (!manifest.hasTitle) {
    settings.title =
        index && !index->entry.title.empty() && index->entry.title != index->entry.fileName
            ? index->entry.title
            : folderName;
  }
  if (!manifest.hasEsbn)
    settings.esbn = DefaultEsbn(settings.title, folderName);
  for (const auto& [mode, page, what] :
       {std::tuple{settings.contentsMode, settings.contentsPageName, "contents"},
        std::tuple{settings.aboutMode, settings.aboutPageName, "about"}}) {
    if (mode == 2 && !origin.count(page)) {
      *error = std::string("[") + what + "] mode = own, but page '" + page +
               "' is not a file of the book";
      return false;
    }
  }
  for (const std::string* script : {&settings.startupScript, &settings.exitScript}) {
    std::string name = ScriptLinkName(*script);
    if (!name.empty() && !origin.count(name)) {
      warnings->push_back("script \"" + *script + "\" names '" + name +
                          "', which is not a file of the book");
    }
  }
  std::string contrast = TextContrastWarning(settings);
  if (!contrast.empty())
    warnings->push_back(contrast);
  std::tm local{};
  localtime_r(&input.buildTime, &local);
  settings.compileDay = local.tm_mday;
  settings.compileMonth = local.tm_mon + 1;
  settings.compileYear = local.tm_year + 1900;
  settings.compileHour = local.tm_hour;
  settings.compileMinute = local.tm_min;
  settings.compileSecond = local.tm_sec;

  bookSpec->settings = settings;
  bookSpec->fileCountOverride = -1;
  bookSpec->files.clear();
  for (Planned& p : planned) {
    if (p.rewritten) {
      bookSpec->files.push_back({p.entry, std::move(p.data), "", std::move(p.packed)});
    } else {
      bookSpec->files.push_back({p.entry, "", p.path, std::move(p.packed)});
    }
  }
  if (report) {
    report->nameMap.clear();
    if (flatten) {
      for (const auto& [path, name] : site.map.names)
        report->nameMap.emplace_back(path, name);
      std::sort(report->nameMap.begin(), report->nameMap.end(),
                [](const auto& a, const auto& b) { return SitePathLess(a.first, b.first); });
    } else {
      for (const Planned& p : planned)
        report->nameMap.emplace_back(p.entry.fileName, p.entry.fileName);
    }
    report->referenceIssues = issues;
  } else {
    warnings->insert(warnings->end(), issues.begin(), issues.end());
  }
  bookSpec->variables.rebranded = manifest.rebranded;
  bookSpec->variables.variables = manifest.variables;
  bookSpec->bookId = manifest.bookId ? *manifest.bookId : settings.esbn.substr(0, 63);
  bookSpec->features = {};
  bookSpec->features.recorded = true;
  bookSpec->features.contentsPane = manifest.features.contentsPane;
  bookSpec->features.rememberReading = manifest.features.rememberReading;
  // Colours the author did not choose may follow the desktop's dark theme.
  bookSpec->features.colorsFromPalette = manifest.colorKeysSet.empty();
  bookSpec->splashBitmap.clear();
  if (!manifest.splash.empty()) {
    std::string path = JoinPath(dir, manifest.splash);
    if (!ReadWhole(path, &bookSpec->splashBitmap)) {
      *error = "splash picture " + path + ": cannot read it";
      return false;
    }
    if (!IsBmp(bookSpec->splashBitmap)) {
      *error = "splash picture " + path + ": not a BMP picture (it must begin with \"BM\")";
      return false;
    }
  }
  return true;
}

}  // namespace quire::pack
