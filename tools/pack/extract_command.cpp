// quire-pack extract: the files of a book, unpacked, into a folder.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <set>

#include "book/book_features.h"
#include "book/container_reader.h"
#include "book/program_file.h"
#include "book_file.h"
#include "cli_args.h"
#include "commands.h"
#include "extract_target.h"
#include "manifest.h"
#include "platform/file_write.h"
#include "temp_folder.h"
#include "terminal_text.h"

namespace quire::pack {

namespace {

namespace fs = std::filesystem;

constexpr char kExtractHelp[] =
    "Usage: quire-pack extract BOOK DIR [options]\n"
    "\n"
    "Writes every file of BOOK, unpacked, into DIR (made when missing), each at its path\n"
    "below DIR: the folders of a book that keeps them are made inside DIR, never through a\n"
    "symbolic link. Names are checked as the reader checks them: a name the reader does not\n"
    "extract is reported and not written, and the exit code is 1. Existing files are not\n"
    "replaced unless --force is given. Each file appears only once it is complete.\n"
    "\n"
    "Options:\n"
    "  --manifest   also write book.ini (every setting, file flag and variable) and the\n"
    "               splash picture, so that quire-pack build DIR makes the same book again\n"
    "  --force      replace files that already exist in DIR\n"
    "  -q, --quiet  print nothing but errors and warnings\n"
    "  -h, --help   show this help\n";

// Moves the finished `temp` to `name` in the folder `folder`; without `force` an entry
// that appeared there meanwhile is kept (EEXIST).
bool MoveIntoPlace(const std::string& temp, int folder, const std::string& name, bool force) {
  if (force)
    return renameat(AT_FDCWD, temp.c_str(), folder, name.c_str()) == 0;
  if (renameat2(AT_FDCWD, temp.c_str(), folder, name.c_str(), RENAME_NOREPLACE) == 0)
    return true;
  if (errno != EINVAL && errno != ENOSYS)
    return false;
  // A file system that cannot refuse to replace: the check made before writing stands.
  return renameat(AT_FDCWD, temp.c_str(), folder, name.c_str()) == 0;
}

bool MoveIntoPlace(const std::string& temp, const std::string& target, bool force) {
  return MoveIntoPlace(temp, AT_FDCWD, target, force);
}

// The mode an extracted file gets: the user's usual one, with execute permission for a
// program (as the reader gives it), so that a round trip keeps a book's tools runnable.
mode_t ExtractedMode(const std::string& path) {
  const mode_t mask = umask(0);
  umask(mask);
  char head[kProgramHeadBytes] = {};
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  ssize_t n = fd >= 0 ? read(fd, head, sizeof head) : -1;
  if (fd >= 0)
    close(fd);
  const bool program = n > 0 && IsProgramStart(std::string_view(head, static_cast<size_t>(n)));
  return (program ? 0777 : 0666) & ~mask;
}

// Writes `bytes` as `name` in the private staging folder, as a new file that no link can
// redirect, and renames it to `dir` + `name`. Without `force` an existing entry of that
// name (a dangling link included) is kept, and that is checked before anything is written.
bool WriteNewFile(const std::string& staging, const std::string& dir, const std::string& name,
                  const std::string& bytes, bool force, std::string* error) {
  const std::string target = dir + name;
  const std::string exists = target + " exists already (use --force to replace it)";
  struct stat info {};
  if (!force && lstat(target.c_str(), &info) == 0) {
    *error = exists;
    return false;
  }
  const std::string temp = staging + name;
  unlink(temp.c_str());  // a book file of this name that failed to move; the folder is ours
  const int fd =
      open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0666);
  if (fd < 0) {
    *error = "cannot write " + target;
    return false;
  }
  bool written = WriteAllBytes(fd, bytes);
  written = close(fd) == 0 && written;
  if (written && MoveIntoPlace(temp, target, force))
    return true;
  *error = written && errno == EEXIST ? exists : "cannot write " + target;
  unlink(temp.c_str());
  return false;
}

}  // namespace

int RunExtract(const std::vector<std::string>& args) {
  ParsedArgs parsed;
  std::string error;
  if (!ParseArgs(args,
                 {{"manifest", '\0', false, false},
                  {"force", 'f', false, false},
                  {"quiet", 'q', false, false}},
                 &parsed, &error)) {
    return Fail(error + "\n(see quire-pack extract --help)", kExitUsage);
  }
  if (parsed.Has("help")) {
    std::cout << kExtractHelp;
    return kExitOk;
  }
  if (parsed.positional.size() != 2) {
    return Fail("extract needs BOOK and DIR (see quire-pack extract --help)", kExitUsage);
  }
  const std::string bookPath = parsed.positional[0];
  std::string dir = parsed.positional[1];
  const bool force = parsed.Has("force");
  BookFile book;
  if (!OpenBookFile(bookPath, &book, &error))
    return Fail(error);

  ExtractTarget target;
  if (!target.Open(dir))
    return Fail(dir + ": cannot make this folder");
  if (dir.back() != '/')
    dir += '/';
  // Files are extracted into a scratch folder inside DIR and renamed into place, so an
  // existing file is never half replaced and a failed file leaves nothing behind.
  TempFolder staging(dir, ".quire-extract-");
  if (!staging.Ok())
    return Fail(dir + ": cannot write in this folder");

  // The stored search texts are the book's own, not a file of it: build makes them anew.
  const BookFeatures features = ReadBookFeatures(book.reserved);
  std::vector<EBookFile> files;
  int failures = 0;
  std::set<std::string> written;
  const std::vector<EntryName> names = BookEntryNames(book);
  for (size_t i = 0; i < book.files.size(); ++i) {
    if (IsSearchTextEntry(features, book.files[i]))
      continue;
    files.push_back(book.files[i]);
    const std::string& name = book.files[i].fileName;
    if (names[i] != EntryName::kExtracted) {
      Warn("file " + std::to_string(i) + " '" + TerminalText(name) +
           "' is not extracted: " + EntryNameProblem(names[i]));
      ++failures;
      continue;
    }
    const int folder = target.FolderOf(name, &error);
    if (folder < 0) {
      Warn("file " + std::to_string(i) + " '" + TerminalText(name) + "': " + error);
      ++failures;
      continue;
    }
    const size_t slash = name.rfind('/');
    const std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
    struct stat st {};
    if (written.count(name)) {
      Warn("file " + std::to_string(i) + " '" + TerminalText(name) +
           "' appears twice; the later one replaces the earlier, as in the reader");
    } else if (!force && fstatat(folder, base.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
      // A link counts as existing even when it leads nowhere; the rename would replace it.
      Warn(dir + TerminalText(name) + " exists already; not replaced (use --force)");
      ++failures;
      continue;
    }
    const std::string temp = staging.Path() + std::to_string(i);
    if (!WriteBookEntryTo(book, i, temp, &error)) {
      Warn("file " + std::to_string(i) + " '" + TerminalText(name) + "': " + error);
      ++failures;
      continue;
    }
    chmod(temp.c_str(), ExtractedMode(temp));
    if (!MoveIntoPlace(temp, folder, base, force)) {
      Warn("cannot write " + dir + TerminalText(name) + ": " + strerror(errno));
      unlink(temp.c_str());
      ++failures;
      continue;
    }
    written.insert(name);
  }

  if (parsed.Has("manifest")) {
    ManifestSource source;
    source.settings = book.settings;
    source.bookId = book.trailer.bookId;
    source.rebranded = book.variables.rebranded;
    source.features = features;
    source.variables = book.variables.variables;
    source.files = files;
    std::string splash;
    if (!ReadSplashBitmap(book, &splash, &error)) {
      Warn("the splash picture is damaged and not written: " + error);
      ++failures;
    } else if (!splash.empty()) {
      std::string name = "splash.bmp";
      for (int n = 2; written.count(name); ++n)
        name = "splash-" + std::to_string(n) + ".bmp";
      if (WriteNewFile(staging.Path(), dir, name, splash, force, &error)) {
        source.splash = name;
        // The manifest leaves the picture out of the stored files by naming it as splash.
      } else {
        Warn(error);
        ++failures;
      }
    }
    if (written.count(kManifestName)) {
      Warn("the book stores a file named book.ini; the manifest is not written");
      ++failures;
    } else if (!WriteNewFile(staging.Path(), dir, kManifestName, WriteManifest(source), force,
                             &error)) {
      Warn(error);
      ++failures;
    }
  }

  if (failures) {
    return Fail(std::to_string(failures) + " of the book's parts could not be extracted");
  }
  if (!parsed.Has("quiet")) {
    std::cout << "Extracted " << written.size() << " files into " << dir << "\n";
  }
  return kExitOk;
}

}  // namespace quire::pack
