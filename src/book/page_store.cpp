#include "book/page_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "book/cebook.h"
#include "platform/paths.h"
#include "ui/reader_window.h"

namespace quire {

namespace {

// Where the book folder points when there is no private temporary folder: nothing can
// be created below a character device, so every write fails cleanly.
constexpr const char* kUnusableFolder = "/dev/null/";

bool IsPrivateFolder(const struct stat& st) {
  return S_ISDIR(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

std::string FolderNameFromEsbn(std::string esbn) {
  for (char& c : esbn) {
    if (c == '/' || c == '\\')
      c = '_';
  }
  return esbn + ".k9w/";
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

}  // namespace

std::string BookFolder() {
  const std::string temp = PrivateTempFolder();
  const std::string name = FolderNameFromEsbn(CEBook::Instance().Esbn());
  const std::string folder = (temp.empty() ? std::string(kUnusableFolder) : temp) + name;
  PageStore& store = PageStore::Instance();
  // Made again when it vanished meanwhile (a cleaner of temporary files may remove it
  // while the book is open), so later pages still have somewhere to go.
  struct stat st {};
  if (store.MadeBookFolder() != folder || lstat(folder.c_str(), &st) != 0) {
    if (!temp.empty() && MakeFolderPath(folder)) {
      store.SetMadeBookFolder(folder);
    } else {
      TheWindow().MessageBox("Not enough disk space or other file error!",
                             kMbOk | kMbIconExclamation);
      // A folder refused because it is not ours alone (a link, someone else's, open to
      // others) may exist and take writes: nothing of the book may land there and no
      // library may be loaded from there.
      return std::string(kUnusableFolder) + name;
    }
  }
  return folder;
}

bool MakeFolderPath(const std::string& path) {
  bool ok = true;
  for (size_t i = 1; i < path.size(); ++i) {
    if (path[i] != '/')
      continue;
    const std::string prefix = path.substr(0, i);
    if (prefix.back() == '/')
      continue;  // "//" inside the path
    const bool last = path.find_first_not_of('/', i) == std::string::npos;
    struct stat st {};
    if (lstat(prefix.c_str(), &st) == 0) {
      // A link above the folder asked for is the system's business (/tmp may be one);
      // the folder asked for itself must be ours alone.
      if (last) {
        if (!IsPrivateFolder(st))
          ok = false;
      } else if (stat(prefix.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        ok = false;
      }
      if (!ok)
        break;
      continue;
    }
    if (mkdir(prefix.c_str(), 0700) != 0) {
      ok = false;
      break;
    }
    PageStore::Instance().RecordFolder(prefix);
  }
  return ok;
}

bool WritePageFile(const std::string& path, std::string_view text) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
  bool ok = false;
  if (fd >= 0) {
    PageStore::Instance().RecordFile(path);
    fchmod(fd, 0600);  // a file left from an earlier run keeps no wider mode
    ok = WriteAll(fd, text);
    if (close(fd) != 0)
      ok = false;
  }
  if (!ok) {
    TheWindow().MessageBox("Disk error - out of space ?", kMbOk | kMbIconExclamation);
  }
  return ok;
}

PageStore& PageStore::Instance() {
  static PageStore* store = new PageStore;  // lives until the process ends
  return *store;
}

void PageStore::RecordFile(const std::string& path) {
  m_writtenFiles.insert(path);
}

void PageStore::RecordFolder(const std::string& path) {
  m_createdFolders.push_back(path);
}

void PageStore::Cleanup() {
  for (const std::string& file : m_writtenFiles)
    unlink(file.c_str());
  for (auto it = m_createdFolders.rbegin(); it != m_createdFolders.rend(); ++it) {
    rmdir(it->c_str());  // fails, as it should, while anything unrecorded remains
  }
}

void PageStore::ResetForTesting() {
  m_writtenFiles.clear();
  m_createdFolders.clear();
  m_madeBookFolder.clear();
}

}  // namespace quire
