#include "book_plan.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <tuple>

#include "book/container_reader.h"
#include "default_identity.h"
#include "flat_site.h"
#include "html_meta.h"
#include "platform/ascii_text.h"
#include "readable_palette.h"
#include "site_files.h"
#include "source_plan.h"
#include "source_read.h"

namespace quire::pack {

namespace {

namespace fs = std::filesystem;

std::string LowerExtension(const std::string& name) {
  size_t dot = name.rfind('.');
  if (dot == std::string::npos)
    return "";
  return AsciiLowered(name.substr(dot + 1));
}

bool MayHoldPageVariables(const std::string& name) {
  std::string ext = LowerExtension(name);
  return ext == "html" || ext == "htm" || ext == "css" || ext == "js" || ext == "txt";
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

// Every file of the site by its place in the order a reader meets it (ReadingOrder),
// starting at the page the reader starts at: plan index -> rank. Files from outside the
// site have none.
std::map<size_t, int> RankInReadingOrder(const SourcePlan& plan,
                                         const std::vector<std::vector<uint32_t>>& links) {
  std::vector<size_t> pathOrder;
  for (size_t i = 0; i < plan.files.size(); ++i) {
    if (!plan.files[i].sitePath.empty())
      pathOrder.push_back(i);
  }
  std::stable_sort(pathOrder.begin(), pathOrder.end(), [&](size_t a, size_t b) {
    return SitePathLess(plan.files[a].sitePath, plan.files[b].sitePath);
  });
  int64_t start = -1;
  for (const char* index : {"index.html", "index.htm"}) {
    auto it = plan.byName.find(index);
    if (start < 0 && it != plan.byName.end() && !plan.files[it->second].sitePath.empty())
      start = it->second;
  }
  std::map<size_t, int> rank;
  int next = 0;
  for (size_t file : ReadingOrderOf(start, pathOrder, links))
    rank[file] = next++;
  return rank;
}

// The book's index page among its stored files; a warning when it has none.
const EBookFile* FindIndexPage(const std::vector<const EBookFile*>& stored,
                               std::vector<std::string>* warnings) {
  const EBookFile* index = nullptr;
  for (const EBookFile* entry : stored) {
    const std::string lower = AsciiLowered(entry->fileName);
    if (lower == "index.html" || (lower == "index.htm" && !index))
      index = entry;
  }
  if (!index) {
    warnings->push_back(
        "no index.html or index.htm: the reader will report \"Index file not "
        "found!\" and open on its about page");
  }
  return index;
}

// The title and ESBN a manifest leaves out: the index page's title (else the folder's
// name), and an ESBN made from the title and the folder's name.
void DefaultIdentity(const PlanInput& input, const EBookFile* index, EBookSettings* settings) {
  std::error_code ec;
  const std::string folderName =
      BaseName(fs::absolute(input.sourceDir, ec).lexically_normal().string());
  if (!input.manifest.Gives("book", "title")) {
    settings->title = index && !index->title.empty() && index->title != index->fileName
                          ? index->title
                          : folderName;
  }
  if (!input.manifest.Gives("book", "esbn"))
    settings->esbn = DefaultEsbn(settings->title, folderName);
}

// What the settings name among the stored files: a contents or about page of the book's
// own must be there (false with `error`); a start-up or exit script that names a missing
// file, and text hard to read on its background, are warnings.
bool CheckNamedFiles(const EBookSettings& settings, const std::vector<const EBookFile*>& stored,
                     std::vector<std::string>* warnings, std::string* error) {
  std::map<std::string, bool> names;
  for (const EBookFile* entry : stored)
    names[entry->fileName] = true;
  for (const auto& [mode, page, what] :
       {std::tuple{settings.contentsMode, settings.contentsPageName, "contents"},
        std::tuple{settings.aboutMode, settings.aboutPageName, "about"}}) {
    if (mode == 2 && !names.count(page)) {
      *error = std::string("[") + what + "] mode = own, but page '" + page +
               "' is not a file of the book";
      return false;
    }
  }
  for (const std::string* script : {&settings.startupScript, &settings.exitScript}) {
    std::string name = ScriptLinkName(*script);
    if (!name.empty() && !names.count(name)) {
      warnings->push_back("script \"" + *script + "\" names '" + name +
                          "', which is not a file of the book");
    }
  }
  std::string contrast = TextContrastWarning(settings);
  if (!contrast.empty())
    warnings->push_back(contrast);
  return true;
}

// The compile date: the build's time, local.
void StampCompileDate(std::time_t buildTime, EBookSettings* settings) {
  std::tm local{};
  localtime_r(&buildTime, &local);
  settings->compileDay = local.tm_mday;
  settings->compileMonth = local.tm_mon + 1;
  settings->compileYear = local.tm_year + 1900;
  settings->compileHour = local.tm_hour;
  settings->compileMinute = local.tm_min;
  settings->compileSecond = local.tm_sec;
}

// The records beside the settings: variables, book id and the feature record.
void SetBookRecords(const Manifest& manifest, BookSpec* record) {
  record->fileCountOverride = -1;
  record->variables.rebranded = manifest.rebranded;
  record->variables.variables = manifest.variables;
  record->bookId =
      manifest.Gives("book", "id") ? manifest.bookId : record->settings.esbn.substr(0, 63);
  record->features = manifest.features;
  record->features.recorded = true;
  // Decided later by the build: whether the pages' links run (site_trust.h) and whether
  // the book carries its search texts (search_texts.h).
  record->features.pageCommands = true;
  record->features.visibleTextSearch = false;
  // Colours the author did not choose may follow the desktop's dark theme.
  record->features.colorsFromPalette = manifest.colorKeysSet.empty();
}

// The splash picture the manifest names, which must be a BMP picture; none when it names
// none.
bool ReadSplashPicture(const PlanInput& input, std::string* bitmap, std::string* error) {
  bitmap->clear();
  if (input.manifest.splash.empty())
    return true;
  const std::string path = JoinPath(input.sourceDir, input.manifest.splash);
  if (!ReadWhole(path, bitmap)) {
    *error = "splash picture " + path + ": cannot read it";
    return false;
  }
  if (!IsBmp(*bitmap)) {
    *error = "splash picture " + path + ": not a BMP picture (it must begin with \"BM\")";
    return false;
  }
  return true;
}

// Settings and records that depend on the files: the defaults the manifest leaves to
// them, the checks of pages and scripts it names, the compile date, ids and splash.
bool CompleteSettings(const PlanInput& input, const std::vector<const EBookFile*>& stored,
                      PlannedBook* book, std::string* error) {
  EBookSettings settings = input.manifest.settings;
  DefaultIdentity(input, FindIndexPage(stored, &book->warnings), &settings);
  if (!CheckNamedFiles(settings, stored, &book->warnings, error))
    return false;
  StampCompileDate(input.buildTime, &settings);
  book->record.settings = settings;
  SetBookRecords(input.manifest, &book->record);
  return ReadSplashPicture(input, &book->record.splashBitmap, error);
}

// What reading the planned files found, indexed as plan.files.
struct ReadFiles {
  std::vector<EBookFile> entries;
  std::vector<std::string> rewritten;  // without a writer: a rewritten file's bytes
  std::vector<bool> changed;
  std::vector<std::vector<uint32_t>> links;
  std::vector<std::string> issues;  // in plan order
  size_t filesWithScriptLinks = 0;
};

// Reads every planned file; with a writer, stores each one as soon as it is ready.
bool ReadAllFiles(const SourcePlan& plan, BookFileWriter* writer, bool keepRewritten,
                  ReadFiles* files, std::vector<std::string>* warnings, std::string* error) {
  const size_t count = plan.files.size();
  files->entries.resize(count);
  files->rewritten.resize(count);
  files->changed.resize(count);
  files->links.resize(count);
  ReadOptions options;
  options.store = writer != nullptr;
  return ReadSourcesInOrder(
      plan, options,
      [&](size_t i, ReadResult&& result, std::string* failure) {
        if (writer && !writer->AddStored(result.stored, &result.entry, failure))
          return false;
        files->entries[i] = std::move(result.entry);
        if (keepRewritten)
          files->rewritten[i] = std::move(result.data);
        files->changed[i] = result.changed;
        files->filesWithScriptLinks += result.scriptLinks ? 1 : 0;
        files->links[i] = std::move(result.links);
        files->issues.insert(files->issues.end(), std::make_move_iterator(result.issues.begin()),
                             std::make_move_iterator(result.issues.end()));
        warnings->insert(warnings->end(), std::make_move_iterator(result.warnings.begin()),
                         std::make_move_iterator(result.warnings.end()));
        return true;
      },
      error);
}

// The site's pages in the order a reader meets them: their sort keys, and their place in
// the book (the toolbar's Contents drop-down lists the first pages in stored order).
// Returns the plan's files in stored order: the described files, the folder's in the
// reading order, the added ones.
std::vector<size_t> OrderForReading(const SourcePlan& plan, ReadFiles& files) {
  const std::map<size_t, int> rank = RankInReadingOrder(plan, files.links);
  files.links.clear();
  for (const auto& [file, place] : rank) {
    const FileRule* rule = plan.files[file].rule;
    if (IsHtmlName(files.entries[file].fileName) && !(rule && rule->sortKey))
      files.entries[file].sortKey = PathOrderSortKey(place);
  }
  std::vector<size_t> order(plan.files.size());
  for (size_t i = 0; i < order.size(); ++i)
    order[i] = i;
  auto rankOf = [&](size_t i) {
    auto it = rank.find(i);
    return it == rank.end() ? 0 : it->second;
  };
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    const PlannedFile& fa = plan.files[a];
    const PlannedFile& fb = plan.files[b];
    if (fa.group != fb.group)
      return fa.group < fb.group;
    return fa.group == PlannedFile::Group::kFolder && rankOf(a) < rankOf(b);
  });
  return order;
}

}  // namespace

bool IsHtmlName(const std::string& name) {
  std::string ext = LowerExtension(name);
  return ext == "html" || ext == "htm";
}

void ApplyFileRule(const FileRule& rule, EBookFile* entry) {
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
  if (IsHtmlName(name)) {
    HtmlMeta meta = ReadHtmlMeta(head);
    entry.searchable = true;
    entry.inContents = true;
    entry.title = meta.title.empty() ? name : meta.title;
    entry.description = meta.description;
    entry.keywords = meta.keywords;
  }
  return entry;
}

bool AssembleBook(const PlanInput& input, const SourcePlan& plan, const AssembleOptions& options,
                  PlannedBook* book, std::string* error) {
  ReadFiles files;
  if (!ReadAllFiles(plan, options.writer, options.keepRewritten, &files, &book->warnings, error))
    return false;
  const std::vector<size_t> order = OrderForReading(plan, files);
  std::vector<const EBookFile*> stored;
  for (size_t i : order)
    stored.push_back(&files.entries[i]);
  if (!CompleteSettings(input, stored, book, error))
    return false;
  book->record.files.clear();
  for (size_t i : order) {
    BookFileInput file;
    file.entry = std::move(files.entries[i]);
    if (!options.writer && files.changed[i] && options.keepRewritten) {
      file.data = std::move(files.rewritten[i]);
    } else {
      // With a writer the bytes are stored already; the path stays for what reads the
      // pages again (the search texts: a flattened page's rewritten references are markup,
      // so its visible text is its source file's).
      file.sourcePath = plan.files[i].diskPath;
    }
    book->record.files.push_back(std::move(file));
  }
  book->report.nameMap = plan.nameMap;
  book->report.referenceIssues = std::move(files.issues);
  book->report.filesWithScriptLinks = files.filesWithScriptLinks;
  return true;
}

bool PlanBook(const PlanInput& input, PlannedBook* book, std::string* error) {
  *book = PlannedBook{};
  SourcePlan plan;
  return PlanSources(input, &plan, &book->warnings, error) &&
         AssembleBook(input, plan, {nullptr, true}, book, error);
}

}  // namespace quire::pack
