// quire-pack build: a book from a source folder and its manifest.
#include <sys/stat.h>
#include <cstdlib>
#include <ctime>
#include <iostream>

#include "book/book_writer.h"
#include "book_file.h"
#include "book_plan.h"
#include "build_summary.h"
#include "cli_args.h"
#include "commands.h"
#include "ini_document.h"
#include "manifest.h"
#include "output_guard.h"
#include "platform/ascii_text.h"
#include "readable_palette.h"
#include "reader_image.h"
#include "search_texts.h"
#include "site_trust.h"
#include "source_plan.h"
#include "temp_folder.h"
#include "terminal_text.h"
#include "warning_groups.h"

namespace quire::pack {

namespace {

constexpr char kBuildHelp[] =
    "Usage: quire-pack build SOURCE_DIR -o BOOK [options]\n"
    "\n"
    "Writes the book BOOK: the reader program followed by every file of SOURCE_DIR and its\n"
    "subfolders, each at its path below SOURCE_DIR and byte for byte, and the settings,\n"
    "variables and splash picture that SOURCE_DIR/book.ini describes (without a book.ini\n"
    "every default is taken). The compile date is the time of the build (or\n"
    "SOURCE_DATE_EPOCH when set). The book is written to a temporary file and renamed into\n"
    "place, so a failed build leaves no file.\n"
    "\n"
    "Options:\n"
    "  -o, --output BOOK    the book file to write (required; not inside SOURCE_DIR)\n"
    "  --reader PATH        the reader program to use (default: quire-reader, else quire,\n"
    "                       beside quire-pack or on PATH)\n"
    "  --manifest FILE      read this manifest instead of SOURCE_DIR/book.ini\n"
    "  --add FILE           also store FILE under its own name (may be repeated)\n"
    "  --flatten            store every file under a plain name made from its path\n"
    "                       (library/os.html -> library.os.html), with the links of pages\n"
    "                       and style sheets rewritten to them, for a book that must be flat\n"
    "  --strict             references that will not work in the book (or, with --flatten,\n"
    "                       cannot be rewritten) are errors, not warnings\n"
    "  --dry-run            print what the book would hold (the tree of its files, or with\n"
    "                       --flatten the name map) and the warnings; write no book (no -o\n"
    "                       needed)\n"
    "  -v, --verbose        print every warning (by default one found in 4 files or more\n"
    "                       once, saying where, and at most 5 of one kind per file, then\n"
    "                       how many more)\n"
    "  -q, --quiet          print nothing but errors\n"
    "  -h, --help           show this help\n"
    "\n"
    "\"subfolders = flatten\" in [book] does what --flatten does; \"subfolders = refuse\"\n"
    "stores the files at the top only and refuses a subfolder that is not ignored.\n"
    "\n"
    "A SOURCE_DIR without a book.ini is taken for a site: its pages are web pages, whose\n"
    "script links (##, #!, #@) the reader shows and never runs, and extension libraries\n"
    "(__pxa__*) found in it are left out. \"page-commands = yes\" in [book] of a manifest\n"
    "lets the links run; a [file:NAME] section or --add keeps a library. Every build ends\n"
    "by saying what the book can run: its start-up and exit scripts, how many pages and\n"
    "scripts hold script links, its extension libraries.\n";

std::time_t BuildTime(bool quiet) {
  const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
  if (epoch && *epoch) {
    char* end = nullptr;
    long long value = std::strtoll(epoch, &end, 10);
    if (end && *end == '\0' && value >= 0)
      return static_cast<std::time_t>(value);
    if (!quiet)
      Warn("SOURCE_DATE_EPOCH is not a number of seconds; using the current time");
  }
  return std::time(nullptr);
}

// Warnings or errors on standard error: all of them, or grouped across files and by file
// and kind.
void PrintMessages(const std::vector<std::string>& messages, const char* prefix, bool all) {
  for (const std::string& line : all ? messages : GroupWarnings(messages))
    std::cerr << "quire-pack: " << prefix << TerminalLine(line, true) << "\n";
}

bool IsPage(const std::string& name) {
  size_t dot = name.rfind('.');
  std::string ext = dot == std::string::npos ? "" : AsciiLowered(name.substr(dot + 1));
  return ext == "html" || ext == "htm";
}

// The names a dry run shows: for a flattened site each path and the name it is stored
// under; for a book that keeps its folders the tree of stored names, each folder once
// with a '/' and what lies in it indented below it.
void PrintNames(SiteLayout layout, const std::vector<std::pair<std::string, std::string>>& names) {
  if (layout != SiteLayout::kKept) {
    for (const auto& [path, name] : names)
      std::cout << TerminalText(path) << " -> " << TerminalText(name) << "\n";
    return;
  }
  std::vector<std::string> open;  // the folders of the last name printed
  for (const auto& entry : names) {
    const std::string& name = entry.second;
    std::vector<std::string> parts;
    for (size_t start = 0;;) {
      const size_t slash = name.find('/', start);
      parts.push_back(name.substr(start, slash == std::string::npos ? slash : slash - start));
      if (slash == std::string::npos)
        break;
      start = slash + 1;
    }
    size_t same = 0;
    while (same < open.size() && same + 1 < parts.size() && open[same] == parts[same])
      ++same;
    open.resize(same);
    for (size_t depth = same; depth + 1 < parts.size(); ++depth) {
      std::cout << std::string(depth * 2, ' ') << TerminalText(parts[depth]) << "/\n";
      open.push_back(parts[depth]);
    }
    std::cout << std::string((parts.size() - 1) * 2, ' ') << TerminalText(parts.back()) << "\n";
  }
}

int64_t FileSize(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? static_cast<int64_t>(st.st_size) : 0;
}

}  // namespace

std::vector<OptionSpec> BuildOptionSpecs() {
  return {{"reader", '\0', true, false},   {"manifest", '\0', true, false},
          {"add", '\0', true, true},       {"quiet", 'q', false, false},
          {"flatten", '\0', false, false}, {"strict", '\0', false, false},
          {"verbose", 'v', false, false}};
}

int BuildBook(const ParsedArgs& parsed, const BuildRequest& request) {
  const std::string& sourceDir = request.sourceDir;
  const std::string& output = request.output;
  const bool quiet = parsed.Has("quiet");
  const bool verbose = parsed.Has("verbose");
  if (quiet && verbose)
    return Fail("--quiet and --verbose exclude each other", kExitUsage);
  std::string error;
  struct stat st;
  if (stat(sourceDir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    return Fail(sourceDir + ": not a folder");
  }
  PlanInput input;
  input.sourceDir = sourceDir;
  input.extraFiles = parsed.Values("add");
  input.buildTime = BuildTime(quiet);
  input.flatten = parsed.Has("flatten");
  input.packAhead = !request.dryRun;
  std::string manifestPath;
  const std::string own = sourceDir + (sourceDir.back() == '/' ? "" : "/") + kManifestName;
  const bool ownManifest = lstat(own.c_str(), &st) == 0;
  if (parsed.Has("manifest")) {
    manifestPath = parsed.Value("manifest");
    if (!LoadManifestFile(manifestPath, &input.manifest, &error))
      return Fail(error);
  } else {
    if (ownManifest) {
      manifestPath = own;
      if (!LoadManifestFile(manifestPath, &input.manifest, &error))
        return Fail(error);
    } else {
      // A site made by another program has no manifest: every default will do.
      if (!quiet)
        Note("no " + std::string(kManifestName) + " in " + sourceDir +
             "; building with every default");
      IniDocument empty;
      if (!ReadManifest(empty, kManifestName, &input.manifest, &error))
        return Fail(error);
    }
  }
  std::string paletteNote = PaletteNote(input.manifest.colorKeysSet);
  if (!quiet && !paletteNote.empty())
    Note(paletteNote);

  // The files the book stores, found without reading them.
  PlannedBook book;
  std::vector<std::string>& warnings = book.warnings;
  SourcePlan plan;
  if (!PlanSources(input, &plan, &warnings, &error))
    return Fail(error);
  const SiteTrustInput trust{ownManifest, &input.manifest, input.extraFiles};
  LeaveOutSiteLibraries(trust, &plan, &warnings);

  // Where it goes: never over what it reads.
  BookSpec& bookSpec = book.record;
  BookFileWriter writer;
  if (!request.dryRun) {
    if (!FindReaderImage(parsed.Value("reader"), &bookSpec.imagePath, &error))
      return Fail(error);
    if (HasBookTrailer(bookSpec.imagePath)) {
      return Fail(bookSpec.imagePath +
                  " already holds a book; give the plain reader program with --reader (use "
                  "quire-pack rebind to move a book onto a new reader)");
    }
    std::vector<std::string> inputs = {bookSpec.imagePath};
    if (!manifestPath.empty())
      inputs.push_back(manifestPath);
    for (const PlannedFile& f : plan.files)
      inputs.push_back(f.diskPath);
    if (!CheckOutputPath(output, inputs, &error))
      return Fail(error);
    if (IsInsideFolder(output, sourceDir)) {
      return Fail("refusing to write the book " + output + " inside its source folder " +
                  sourceDir + " (the next build would pack it too)");
    }
    if (!writer.Start(output, bookSpec.imagePath, "", &error))
      return Fail(output + ": " + error);
  }

  // Every file read, and stored as soon as it is ready: the book is never held in memory.
  if (!AssembleBook(input, plan, {request.dryRun ? nullptr : &writer, false}, &book, &error))
    return Fail(error);
  const PlanReport& report = book.report;
  if (request.dryRun)
    PrintNames(plan.layout, report.nameMap);
  BookPowers powers;
  ApplySiteTrust(trust, report, &bookSpec, &warnings, &powers);
  auto printPowers = [&] {
    for (const std::string& line : BookPowersLines(powers)) {
      if (!quiet)
        std::cout << TerminalLine(line) << "\n";
    }
    std::cout.flush();  // before run starts the book
  };

  const bool strict = parsed.Has("strict");
  const std::vector<std::string>& issues = report.referenceIssues;
  if (!quiet)
    PrintMessages(warnings, "warning: ", verbose);
  if (strict || !quiet)
    PrintMessages(issues, strict ? "error: " : "warning: ", verbose);
  std::vector<std::string> allWarnings = warnings;
  if (!strict)
    allWarnings.insert(allWarnings.end(), issues.begin(), issues.end());
  // One warning needs no count.
  if (!quiet && allWarnings.size() > 1)
    std::cerr << "quire-pack: " << TerminalLine(WarningSummary(allWarnings)) << "\n";
  if (strict && !issues.empty()) {
    if (!quiet && issues.size() > 1)
      std::cerr << "quire-pack: " << TerminalLine(WarningSummary(issues, "error")) << "\n";
    size_t n = issues.size();
    return Fail(std::to_string(n) + (n == 1 ? " reference" : " references") +
                (plan.layout == SiteLayout::kFlattened ? " could not be rewritten"
                                                       : " will not work in the book") +
                " (--strict makes that an error)" + (request.dryRun ? "" : "; no book written"));
  }
  size_t warningCount = allWarnings.size();
  if (request.dryRun) {
    printPowers();
    std::cout << bookSpec.files.size() << (bookSpec.files.size() == 1 ? " file, " : " files, ")
              << warningCount << (warningCount == 1 ? " warning" : " warnings")
              << "; no book written (--dry-run)\n";
    return kExitOk;
  }
  // The search reads the text the pages show, made here once for every search and
  // stored after the files.
  TempFolder scratch;
  if (!scratch.Ok())
    return Fail("cannot make a scratch folder in ${TMPDIR:-/tmp}");
  if (input.manifest.features.visibleTextSearch) {
    if (!AddSearchTexts(&bookSpec, scratch.Path(), &error))
      return Fail(error);
    BookFileInput& texts = bookSpec.files.back();
    if (!writer.AddFromPath(texts.sourcePath, &texts.entry, &error))
      return Fail(output + ": " + error);
  }
  std::vector<EBookFile> entries;
  entries.reserve(bookSpec.files.size());
  for (const BookFileInput& f : bookSpec.files)
    entries.push_back(f.entry);
  if (!writer.Finish(bookSpec, entries, &error))
    return Fail(output + ": " + error);

  if (!quiet && !request.silent) {
    BuildSummary summary;
    summary.output = output;
    for (const BookFileInput& f : bookSpec.files) {
      if (!IsSearchTextEntry(bookSpec.features, f.entry))
        ++(IsPage(f.entry.fileName) ? summary.pages : summary.otherFiles);
    }
    summary.bookSize = FileSize(output);
    summary.imagePath = bookSpec.imagePath;
    summary.imageSize = FileSize(bookSpec.imagePath);
    summary.warnings = warningCount;
    std::cout << BuildSummaryLine(summary) << "\n";
  }
  printPowers();
  return kExitOk;
}

// Messages may quote a book's names; whatever control bytes reach them are shown escaped.
int Fail(const std::string& message, int code) {
  std::cerr << "quire-pack: " << TerminalLine(message, true) << "\n";
  return code;
}

void Warn(const std::string& message) {
  std::cerr << "quire-pack: warning: " << TerminalLine(message, true) << "\n";
}

void Note(const std::string& message) {
  std::cerr << "quire-pack: note: " << TerminalLine(message, true) << "\n";
}

int RunBuild(const std::vector<std::string>& args) {
  ParsedArgs parsed;
  std::string error;
  std::vector<OptionSpec> specs = BuildOptionSpecs();
  specs.push_back({"output", 'o', true, false});
  specs.push_back({"dry-run", '\0', false, false});
  if (!ParseArgs(args, specs, &parsed, &error))
    return Fail(error + "\n(see quire-pack build --help)", kExitUsage);
  if (parsed.Has("help")) {
    std::cout << kBuildHelp;
    return kExitOk;
  }
  const bool dryRun = parsed.Has("dry-run");
  if (parsed.positional.size() != 1 || (!parsed.Has("output") && !dryRun)) {
    return Fail("build needs SOURCE_DIR and -o BOOK (see quire-pack build --help)", kExitUsage);
  }
  BuildRequest request;
  request.sourceDir = parsed.positional[0];
  request.output = parsed.Value("output");
  request.dryRun = dryRun;
  return BuildBook(parsed, request);
}

}  // namespace quire::pack
