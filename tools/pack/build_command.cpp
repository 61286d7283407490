// quire-pack build: a book from a source folder and its manifest.
#include <sys/stat.h>
#include <cstdlib>
#include <ctime>
#include <iostream>

#include "book/book_writer.h"
#include "book_file.h"
#include "book_plan.h"
#include "cli_args.h"
#include "commands.h"
#include "manifest.h"
#include "output_guard.h"
#include "reader_image.h"

namespace quire::pack {

namespace {

constexpr char kBuildHelp[] =
    "Usage: quire-pack build SOURCE_DIR -o BOOK [options]\n"
    "\n"
    "Writes the book BOOK: the reader program followed by every file of SOURCE_DIR, the\n"
    "settings, variables and splash picture that SOURCE_DIR/book.ini describes. The\n"
    "compile date is the time of the build (or SOURCE_DATE_EPOCH when set). The book is\n"
    "written to a temporary file and renamed into place, so a failed build leaves no file.\n"
    "\n"
    "Options:\n"
    "  -o, --output BOOK    the book file to write (required; not inside SOURCE_DIR)\n"
    "  --reader PATH        the reader program to use (default: quire beside quire-pack,\n"
    "                       else quire on PATH)\n"
    "  --manifest FILE      read this manifest instead of SOURCE_DIR/book.ini\n"
    "  --add FILE           also store FILE under its own name (may be repeated)\n"
    "  -q, --quiet          print nothing but errors and warnings\n"
    "  -h, --help           show this help\n"
    "\n"
    "Subfolders are refused: the reader keeps every file in one folder. Name them in\n"
    "book.ini with \"ignore\" or pick single files from them with [file:NAME] source = ...\n";

std::time_t BuildTime() {
  const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
  if (epoch && *epoch) {
    char* end = nullptr;
    long long value = std::strtoll(epoch, &end, 10);
    if (end && *end == '\0' && value >= 0)
      return static_cast<std::time_t>(value);
    Warn("SOURCE_DATE_EPOCH is not a number of seconds; using the current time");
  }
  return std::time(nullptr);
}

}  // namespace

int Fail(const std::string& message, int code) {
  std::cerr << "quire-pack: " << message << "\n";
  return code;
}

void Warn(const std::string& message) {
  std::cerr << "quire-pack: warning: " << message << "\n";
}

int RunBuild(const std::vector<std::string>& args) {
  ParsedArgs parsed;
  std::string error;
  if (!ParseArgs(args,
                 {{"output", 'o', true, false},
                  {"reader", '\0', true, false},
                  {"manifest", '\0', true, false},
                  {"add", '\0', true, true},
                  {"quiet", 'q', false, false}},
                 &parsed, &error)) {
    return Fail(error + "\n(see quire-pack build --help)", kExitUsage);
  }
  if (parsed.Has("help")) {
    std::cout << kBuildHelp;
    return kExitOk;
  }
  if (parsed.positional.size() != 1 || !parsed.Has("output")) {
    return Fail("build needs SOURCE_DIR and -o BOOK (see quire-pack build --help)", kExitUsage);
  }
  const std::string sourceDir = parsed.positional[0];
  const std::string output = parsed.Value("output");
  struct stat st;
  if (stat(sourceDir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    return Fail(sourceDir + ": not a folder");
  }
  std::string manifestPath =
      parsed.Value("manifest", sourceDir + (sourceDir.back() == '/' ? "" : "/") + kManifestName);
  if (stat(manifestPath.c_str(), &st) != 0) {
    return Fail(manifestPath +
                ": no manifest. Every book folder needs a book.ini (an empty one takes every "
                "default; see the README)");
  }

  PlanInput input;
  input.sourceDir = sourceDir;
  input.extraFiles = parsed.Values("add");
  input.buildTime = BuildTime();
  if (!LoadManifestFile(manifestPath, &input.manifest, &error))
    return Fail(error);

  BookSpec bookSpec;
  std::vector<std::string> warnings;
  if (!PlanBook(input, &bookSpec, &warnings, &error))
    return Fail(error);

  if (!FindReaderImage(parsed.Value("reader"), &bookSpec.imagePath, &error))
    return Fail(error);
  if (HasBookTrailer(bookSpec.imagePath)) {
    return Fail(bookSpec.imagePath +
                " already holds a book; give the plain reader program with --reader (use "
                "quire-pack rebind to move a book onto a new reader)");
  }

  std::vector<std::string> inputs = {bookSpec.imagePath, manifestPath};
  for (const BookFileInput& f : bookSpec.files)
    inputs.push_back(f.sourcePath);
  if (!CheckOutputPath(output, inputs, &error))
    return Fail(error);
  if (IsInsideFolder(output, sourceDir)) {
    return Fail("refusing to write the book " + output + " inside its source folder " + sourceDir +
                " (the next build would pack it too)");
  }

  for (const std::string& w : warnings)
    Warn(w);
  if (!WriteBook(bookSpec, output, &error))
    return Fail(output + ": " + error);

  if (!parsed.Has("quiet")) {
    struct stat out;
    long long size = stat(output.c_str(), &out) == 0 ? static_cast<long long>(out.st_size) : 0;
    std::cout << "Wrote " << output << ": " << bookSpec.files.size()
              << (bookSpec.files.size() == 1 ? " file, " : " files, ") << size << " bytes (reader "
              << bookSpec.imagePath << ")\n";
  }
  return kExitOk;
}

}  // namespace quire::pack
