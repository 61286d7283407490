#include "book/page_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>

#include "book/cebook.h"
#include "platform/empty_folder.h"
#include "platform/file_replace.h"
#include "platform/file_write.h"
#include "platform/make_folders.h"
#include "platform/path_beneath.h"
#include "platform/paths.h"
#include "ui/window_slot.h"

namespace quire {

namespace {

// Where the book folder points when there is no private temporary folder: nothing can
// be created below a character device, so every write fails cleanly.
constexpr const char* kUnusableFolder = "/dev/null/";

bool IsPrivateFolder(const struct stat& st) {
  return S_ISDIR(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

constexpr int kMaxFolderVariants = 100;

void ShowFolderError(ReaderWindow& window) {
  window.MessageBox("Not enough disk space or other file error!", kMbOk | kMbIconExclamation);
}

// "<temp>/<ESBN>.k9w/" becomes "<temp>/<ESBN>-<n>.k9w/".
std::string FolderVariant(const std::string& primary, int n) {
  constexpr std::string_view kSuffix = ".k9w/";
  return primary.substr(0, primary.size() - kSuffix.size()) + "-" + std::to_string(n) +
         std::string(kSuffix);
}

// The made folders in the order they are removed: the deepest first, and of equally deep
// ones the last made first. A folder is always made after the one it lies in, so either
// order alone would empty every folder before its parent; depth also holds when a folder
// was made again after its parent.
std::vector<std::string> FoldersDeepestFirst(const std::vector<std::string>& made) {
  std::vector<std::string> folders(made.rbegin(), made.rend());
  auto depth = [](const std::string& path) {
    return std::count(path.begin(), path.end(), '/') - (path.ends_with('/') ? 1 : 0);
  };
  std::stable_sort(folders.begin(), folders.end(),
                   [&](const std::string& a, const std::string& b) { return depth(a) > depth(b); });
  return folders;
}

std::string FolderNameFromEsbn(std::string esbn) {
  for (char& c : esbn) {
    if (c == '/' || c == '\\')
      c = '_';
  }
  return esbn + ".k9w/";
}

// Where the book's files go when its folder was refused: a folder that is not ours alone
// (a link, someone else's, open to others) may exist and take writes, so nothing of the
// book may land there and no library may be loaded from there.
std::string UnusableFolder(const std::string& esbn) {
  return std::string(kUnusableFolder) + FolderNameFromEsbn(esbn);
}

}  // namespace

std::string PageStore::BookFolder() {
  const std::string esbn = m_book.Esbn();
  const std::string temp = PrivateTempFolder();
  const std::string primary =
      (temp.empty() ? std::string(kUnusableFolder) : temp) + FolderNameFromEsbn(esbn);
  if (temp.empty()) {
    ShowFolderError(*m_window);
    return primary;
  }
  // The folder claimed earlier for this ESBN, made again when it vanished meanwhile (a
  // cleaner of temporary files may remove it while the book is open).
  if (m_claimedFor == primary) {
    const std::string folder = m_claimedFolder;  // a copy: Claim() replaces it
    struct stat st {};
    if (lstat(folder.c_str(), &st) == 0)
      return folder;
    if (MakeFolderPath(folder) && Claim(primary, folder))
      return folder;
    ShowFolderError(*m_window);
    return UnusableFolder(esbn);
  }
  // Another running reader of a book with the same ESBN holds the folder: this one takes
  // a folder of its own, so neither truncates or deletes the other's files. A folder
  // that a reader left behind when it ended without cleaning up is free again, and is
  // emptied when claimed.
  for (int n = 1; n <= kMaxFolderVariants; ++n) {
    const std::string folder = n == 1 ? primary : FolderVariant(primary, n);
    if (!MakeFolderPath(folder))
      break;
    if (Claim(primary, folder))
      return folder;
  }
  ShowFolderError(*m_window);
  return UnusableFolder(esbn);
}

bool PageStore::MakeFolderPath(const std::string& path) {
  if (!MakeFolders(path, 0700, [this](const std::string& folder) { RecordFolder(folder); })) {
    return false;
  }
  // A link above the folder asked for is the system's business (/tmp may be one); the
  // folder asked for itself must be ours alone.
  struct stat st {};
  const std::string folder = path.substr(0, path.find_last_not_of('/') + 1);
  return lstat(folder.c_str(), &st) == 0 && IsPrivateFolder(st);
}

bool PageStore::WritePageFile(const std::string& path, std::string_view text, Env* env) {
  int fd = env->Open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
  bool ok = false;
  if (fd >= 0) {
    RecordFile(path);
    env->Fchmod(fd, 0600);  // a file left from an earlier run keeps no wider mode
    ok = WriteAllBytes(fd, text, env);
    if (env->Close(fd) != 0)
      ok = false;
  }
  if (!ok) {
    m_window->MessageBox("Disk error - out of space ?", kMbOk | kMbIconExclamation);
  }
  return ok;
}

bool PageStore::ReplaceBookFileWith(const std::string& path,
                                    const std::function<bool(int fd)>& body, Env* env) {
  ReplaceOptions options;
  options.env = env;
  options.mode = 0600;
  options.keepExistingMode = false;
  options.syncToDisk = false;
  options.onTemporary = [this](const std::string& temporary, bool exists) {
    if (exists)
      RecordFile(temporary);
    else
      ForgetFile(temporary);
  };
  return ReplaceFileWith(path, options, body);
}

bool PageStore::ReplaceBookFile(const std::string& path, std::string_view text, Env* env) {
  return ReplaceBookFileWith(
      path, [&text, env](int fd) { return WriteAllBytes(fd, text, env); }, env);
}

void PageStore::RecordFile(const std::string& path) {
  m_writtenFiles.insert(path);
}

bool PageStore::Claim(const std::string& primary, const std::string& folder) {
  // A lock on the folder itself, held as long as this process runs (or until Cleanup):
  // the kernel drops it when the process ends, however it ends.
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0)
    return false;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !IsPrivateFolder(st) || flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return false;
  }
  // Nobody holds it: whatever is inside was left by a reader that did not end cleanly
  // (killed, crashed) and must not be shown, run or loaded as this book's. A folder that
  // cannot be emptied is not taken.
  if (!EmptyFolder(fd)) {
    close(fd);
    return false;
  }
  ReleaseClaim();
  m_claimFd = fd;
  m_claimedFor = primary;
  m_claimedFolder = folder;
  return true;
}

void PageStore::ReleaseClaim() {
  if (m_claimFd >= 0)
    close(m_claimFd);
  m_claimFd = -1;
  m_claimedFor.clear();
  m_claimedFolder.clear();
}

void PageStore::ForgetFile(const std::string& path) {
  m_writtenFiles.erase(path);
}

void PageStore::RecordFolder(const std::string& path) {
  m_createdFolders.push_back(path);
}

void PageStore::Cleanup() {
  // Below the claimed book folder everything is reached from its open descriptor without
  // following a link, so a link put in place of one of the book's folders while it ran
  // leads no removal elsewhere. Anything else recorded goes by its path.
  const std::string& book = m_claimedFolder;
  const bool beneath = m_claimFd >= 0 && !book.empty() && book.back() == '/';
  auto below = [&](const std::string& path) -> std::optional<std::string_view> {
    if (!beneath || path.size() <= book.size() || path.compare(0, book.size(), book) != 0)
      return std::nullopt;
    return std::string_view(path).substr(book.size());
  };
  const std::vector<std::string> folders = FoldersDeepestFirst(m_createdFolders);
  FolderWalker walker(m_claimFd);
  // A folder of the book's that was made read-only meanwhile would keep its files.
  for (const std::string& folder : folders) {
    if (auto relative = below(folder))
      walker.ChangeMode(*relative, 0700);
  }
  for (const std::string& file : m_writtenFiles) {
    if (auto relative = below(file))
      walker.Remove(*relative, false);
    else
      unlink(file.c_str());
  }
  for (const std::string& folder : folders) {
    // Fails, as it should, while anything unrecorded remains.
    if (auto relative = below(folder))
      walker.Remove(*relative, true);
    else
      rmdir(folder.c_str());
  }
  ReleaseClaim();
}

}  // namespace quire
