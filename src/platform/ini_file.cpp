#include "platform/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "platform/ascii_text.h"
#include "platform/file_replace.h"
#include "platform/make_folders.h"
#include "platform/paths.h"

namespace quire {
namespace {

// A settings file is small; a larger one is not read into memory at all.
constexpr off_t kMaxIniFileSize = 16 * 1024 * 1024;

// One line of the file: [begin, end) is its text without the line end, `next` is where
// the following line starts (the file size after the last line).
struct LineSpan {
  std::size_t begin = 0;
  std::size_t end = 0;
  std::size_t next = 0;
  // False for a last line without '\n', even when it ends in a lone '\r': a key appended
  // after it would otherwise join that line.
  bool endsWithNewline = false;
};

// Where a section and a key were found in the file's text.
struct IniLookup {
  bool sectionFound = false;
  // Where a new key of the section goes: after its last non-blank line.
  std::size_t keyInsertAt = 0;
  // True when the line before keyInsertAt has no line end (the file's last line).
  bool insertNeedsLineEnd = false;
  bool keyFound = false;
  // The key's raw value: from just after '=' to the line's end.
  std::size_t valueBegin = 0;
  std::size_t valueEnd = 0;
};

// Settings files separate with blanks only.
std::string_view TrimBlanks(std::string_view text) {
  return Trim(text, kBlanks);
}

LineSpan LineAt(std::string_view text, std::size_t begin) {
  LineSpan line;
  line.begin = begin;
  std::size_t newline = text.find('\n', begin);
  if (newline == std::string_view::npos) {
    line.end = text.size();
    line.next = text.size();
  } else {
    line.end = newline;
    line.next = newline + 1;
    line.endsWithNewline = true;
  }
  if (line.end > line.begin && text[line.end - 1] == '\r') {
    --line.end;
  }
  return line;
}

// The section name of a "[name]" line, or nullopt-like false when the line is no header.
bool SectionName(std::string_view line, std::string_view* name) {
  line = TrimBlanks(line);
  if (line.size() < 2 || line.front() != '[') {
    return false;
  }
  std::size_t close = line.find(']');
  if (close == std::string_view::npos) {
    return false;
  }
  *name = TrimBlanks(line.substr(1, close - 1));
  return true;
}

IniLookup Find(std::string_view text, std::string_view section, std::string_view key) {
  IniLookup found;
  bool inSection = false;
  for (std::size_t pos = 0; pos < text.size();) {
    LineSpan line = LineAt(text, pos);
    pos = line.next;
    std::string_view content = text.substr(line.begin, line.end - line.begin);
    std::string_view name;
    if (SectionName(content, &name)) {
      if (inSection) {
        break;  // the first section of the name has ended
      }
      if (EqualsIgnoringCase(name, section)) {
        inSection = true;
        found.sectionFound = true;
        found.keyInsertAt = line.next;
        found.insertNeedsLineEnd = !line.endsWithNewline;
      }
      continue;
    }
    if (!inSection) {
      continue;
    }
    std::string_view trimmed = TrimBlanks(content);
    if (trimmed.empty()) {
      continue;
    }
    found.keyInsertAt = line.next;
    found.insertNeedsLineEnd = !line.endsWithNewline;
    if (trimmed.front() == ';' || trimmed.front() == '#') {
      continue;
    }
    std::size_t equals = content.find('=');
    if (equals == std::string_view::npos ||
        !EqualsIgnoringCase(TrimBlanks(content.substr(0, equals)), key)) {
      continue;
    }
    found.keyFound = true;
    found.valueBegin = line.begin + equals + 1;
    found.valueEnd = line.end;
    break;
  }
  return found;
}

// Whole file into `text`. False when it exists but cannot be read or is larger than
// kMaxIniFileSize; a missing file reads as empty with `*exists` false.
bool ReadWholeFile(Env* env, const std::string& path, std::string* text, bool* exists) {
  text->clear();
  *exists = false;
  int fd = env->Open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK, 0);  // a pipe must not block
  if (fd < 0) {
    return errno == ENOENT;
  }
  *exists = true;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kMaxIniFileSize) {
    env->Close(fd);
    return false;
  }
  char buffer[65536];
  for (;;) {
    if (static_cast<off_t>(text->size()) > kMaxIniFileSize) {
      env->Close(fd);
      return false;  // it grew while being read
    }
    ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) {
        continue;
      }
      env->Close(fd);
      return false;
    }
    if (got == 0) {
      break;
    }
    text->append(buffer, static_cast<std::size_t>(got));
  }
  env->Close(fd);
  return true;
}

bool IsBareName(const std::string& name) {
  return name.find('/') == std::string::npos && name.find('\\') == std::string::npos;
}

// What ends an unfinished last line: a lone '\r' only lacks its '\n'.
std::string FinishingLineEnd(const std::string& text, const std::string& lineEnd) {
  return !text.empty() && text.back() == '\r' ? std::string("\n") : lineEnd;
}

bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != text.npos;
}

}  // namespace

std::string IniFilePath(const std::string& iniFile) {
  if (iniFile.empty()) {
    return {};
  }
  if (IsBareName(iniFile)) {
    return ConfigFolder() + iniFile;
  }
  return ToNativePath(iniFile);
}

std::string ReadIniValue(const std::string& iniFile, const std::string& section,
                         const std::string& key, const std::string& defaultValue,
                         std::size_t bufferSize) {
  std::string value = defaultValue;
  std::string text;
  bool exists = false;
  std::string path = IniFilePath(iniFile);
  if (!path.empty() && ReadWholeFile(Env::Default(), path, &text, &exists) && exists) {
    IniLookup found = Find(text, TrimBlanks(section), TrimBlanks(key));
    if (found.keyFound) {
      std::string_view raw = TrimBlanks(
          std::string_view(text).substr(found.valueBegin, found.valueEnd - found.valueBegin));
      if (raw.size() >= 2 && (raw.front() == '"' || raw.front() == '\'') &&
          raw.back() == raw.front()) {
        raw = raw.substr(1, raw.size() - 2);
      }
      value.assign(raw);
    }
  }
  std::size_t limit = bufferSize == 0 ? 0 : bufferSize - 1;
  if (value.size() > limit) {
    value.resize(limit);
  }
  return value;
}

bool WriteIniValue(const std::string& iniFile, const std::string& section, const std::string& key,
                   const std::string& value, Env* env) {
  std::string_view sectionName = TrimBlanks(section);
  std::string_view keyName = TrimBlanks(key);
  if (sectionName.empty() || keyName.empty() || HasLineBreak(sectionName) ||
      HasLineBreak(keyName) || HasLineBreak(value) || sectionName.find(']') != sectionName.npos ||
      keyName.find('=') != keyName.npos || keyName.front() == '[' || keyName.front() == ';' ||
      keyName.front() == '#') {
    return false;
  }
  std::string path = IniFilePath(iniFile);
  if (path.empty()) {
    return false;
  }
  bool inConfigFolder = IsBareName(iniFile);
  if (inConfigFolder && !MakeFolders(ConfigFolder(), 0700)) {
    return false;
  }
  std::string text;
  bool exists = false;
  if (!ReadWholeFile(env, path, &text, &exists)) {
    return false;  // never replace a file we could not read in full
  }

  const std::string lineEnd = text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
  std::string keyLine = std::string(keyName) + "=" + value + lineEnd;
  IniLookup found = Find(text, sectionName, keyName);
  std::string updated;
  if (found.keyFound) {
    if (text.compare(found.valueBegin, found.valueEnd - found.valueBegin, value) == 0) {
      return true;
    }
    updated = text.substr(0, found.valueBegin) + value + text.substr(found.valueEnd);
  } else if (found.sectionFound) {
    updated = text.substr(0, found.keyInsertAt);
    if (found.insertNeedsLineEnd) {
      updated += FinishingLineEnd(updated, lineEnd);
    }
    updated += keyLine;
    updated += text.substr(found.keyInsertAt);
  } else {
    updated = text;
    if (!updated.empty() && updated.back() != '\n') {
      updated += FinishingLineEnd(updated, lineEnd);
    }
    updated += "[" + std::string(sectionName) + "]" + lineEnd + keyLine;
  }
  ReplaceOptions options;
  options.mode = inConfigFolder ? 0600 : ModeUnderUmask(0666);
  options.keepExistingMode = true;
  options.allowInPlace = false;
  options.env = env;
  return ReplaceFileContents(path, options, updated);
}

}  // namespace quire
