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
#include "temp_folder.h"
#include "terminal_text.h"
#include "warning_groups.h"

namespace quire::pack {

namespace {

constexpr char kBuildHelp[] =
    "Usage: quire-pack build SOURCE_DIR -o BOOK [options]\n"
    "\n"
    "Writes the book BOOK: the reader program followed by every file of SOURCE_DIR, the\n"
    "settings, variables and splash picture that SOURCE_DIR/book.ini describes (without a\n"
    "book.ini every default is taken). The compile date is the time of the build (or\n"
    "SOURCE_DATE_EPOCH when set). The book is written to a temporary file and renamed into\n"
    "place, so a failed build leaves no file.\n"
    "\n"
    "Options:\n"
    "  -o, --output BOOK    the book file to write (required; not inside SOURCE_DIR)\n"
    "  --reader PATH        the reader program to use (default: quire-reader, else quire,\n"
    "                       beside quire-pack or on PATH)\n"
    "  --manifest FILE      read this manifest instead of SOURCE_DIR/book.ini\n"
    "  --add FILE           also store FILE under its own name (may be repeated)\n"
    "  --flatten            store the files of subfolders too, under plain names made from\n"
    "                       their paths (library/os.html -> library.os.html), with the links\n"
    "                       of pages and style sheets rewritten to them\n"
    "  --strict             references that cannot be rewritten are errors, not warnings\n"
    "  --dry-run            print the name map and the warnings; write no book (no -o needed)\n"
    "  -v, --verbose        print every warning (by default one found in 4 files or more\n"
    "                       once, saying where, and at most 5 of one kind per file, then\n"
    "                       how many more)\n"
    "  -q, --quiet          print nothing but errors\n"
    "  -h, --help           show this help\n"
    "\n"
    "Without --flatten (or \"subfolders = flatten\" in [book]) subfolders are refused: the\n"
    "reader keeps every file in one folder. Name them in book.ini with \"ignore\" or pick\n"
    "single files from them with [file:NAME] source = ...\n"
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

  BookSpec bookSpec;
  std::vector<std::string> warnings;
  PlanReport report;
  if (!PlanBook(input, &bookSpec, &warnings, &error, &report))
    return Fail(error);
  BookPowers powers;
  if (!ApplySiteTrust({ownManifest, &input.manifest, input.extraFiles}, &bookSpec, &report,
                      &warnings, &powers, &error)) {
    return Fail(error);
  }
  auto printPowers = [&] {
    for (const std::string& line : BookPowersLines(powers)) {
      if (!quiet)
        std::cout << TerminalLine(line) << "\n";
    }
    std::cout.flush();  // before run starts the book
  };
  const bool strict = parsed.Has("strict");

  if (request.dryRun) {
    for (const auto& [path, name] : report.nameMap)
      std::cout << path << " -> " << name << "\n";
  } else {
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
    for (const BookFileInput& f : bookSpec.files) {
      if (!f.sourcePath.empty())
        inputs.push_back(f.sourcePath);
    }
    if (!CheckOutputPath(output, inputs, &error))
      return Fail(error);
    if (IsInsideFolder(output, sourceDir)) {
      return Fail("refusing to write the book " + output + " inside its source folder " +
                  sourceDir + " (the next build would pack it too)");
    }
  }

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
                " could not be rewritten (--strict makes that an error)" +
                (request.dryRun ? "" : "; no book written"));
  }
  size_t warningCount = allWarnings.size();
  if (request.dryRun) {
    printPowers();
    std::cout << bookSpec.files.size() << (bookSpec.files.size() == 1 ? " file, " : " files, ")
              << warningCount << (warningCount == 1 ? " warning" : " warnings")
              << "; no book written (--dry-run)\n";
    return kExitOk;
  }
  // The search reads the text the pages show, made here once for every search.
  TempFolder scratch;
  if (!scratch.Ok())
    return Fail("cannot make a scratch folder in ${TMPDIR:-/tmp}");
  if (input.manifest.visibleTextSearch && !AddSearchTexts(&bookSpec, scratch.Path(), &error))
    return Fail(error);
  if (!WriteBook(bookSpec, output, &error))
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
