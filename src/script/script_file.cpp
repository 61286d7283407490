#include "script/script_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/ascii_text.h"
#include "platform/paths.h"

namespace quire {
namespace {

bool IsValidLabel(std::string_view name) {
  if (name.empty() || IsAsciiDigit(name.front()))
    return false;
  for (char c : name) {
    if (!IsAsciiLetter(c) && !IsAsciiDigit(c))
      return false;
  }
  return true;
}

}  // namespace

ScriptFile ScriptFile::Load(const std::string& path, const std::string& displayName) {
  // Only regular files are scripts: a folder cannot be opened as one, and a pipe or
  // device is not waited on (the open does not block).
  const int fd = open(ToNativePath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  struct stat info {};
  if (fd < 0 || fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    if (fd >= 0)
      close(fd);
    ScriptFile script;
    script.m_path = path;
    script.m_displayName = displayName;
    script.Fail("Error opening file " + path);
    return script;
  }
  // Read in blocks; a read error keeps what was read before it.
  std::string bytes;
  char block[16384];
  for (;;) {
    const ssize_t got = read(fd, block, sizeof block);
    if (got < 0 && errno == EINTR)
      continue;
    if (got <= 0)
      break;
    bytes.append(block, static_cast<size_t>(got));
  }
  close(fd);
  return FromBytes(bytes, path, displayName);
}

ScriptFile ScriptFile::FromBytes(const std::string& bytes, const std::string& path,
                                 const std::string& displayName) {
  ScriptFile script;
  script.m_path = path;
  script.m_displayName = displayName;

  std::string line;
  int lineNumber = 0;
  // Editors that save UTF-8 may put a byte-order mark first; it belongs to no line.
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  size_t pos = std::string_view(bytes).starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
  while (pos < bytes.size()) {
    // One line: up to the next line feed (or the end), control bytes dropped.
    line.clear();
    size_t end = bytes.find('\n', pos);
    if (end == std::string::npos)
      end = bytes.size();
    for (size_t i = pos; i < end; ++i) {
      unsigned char c = static_cast<unsigned char>(bytes[i]);
      if (c >= 32)
        line.push_back(static_cast<char>(c));
    }
    pos = end + 1;
    ++lineNumber;

    std::string_view text = Trim(line);
    if (text.empty() || text.front() == ';' || text == ":")
      continue;
    if (text.size() >= 3 && text.starts_with("REM"))
      continue;
    if (text.front() == ':') {
      std::string name(text.substr(1));
      if (!IsValidLabel(name)) {
        script.Fail("Invalid Label :" + name + " in line " + std::to_string(lineNumber) + " of " +
                    displayName + ".");
        return script;
      }
      script.m_labels[name] = static_cast<int>(script.m_lines.size());
      continue;
    }
    script.m_lines.emplace_back(text);
    script.m_numbers.push_back(lineNumber);
  }
  return script;
}

void ScriptFile::Fail(std::string text) {
  m_loadFailed = true;
  m_loadError = std::move(text);
  m_lines.clear();
  m_numbers.clear();
  m_labels.clear();
}

const std::string* ScriptFile::NextLine(int* lineNumber) {
  if (m_next < 0 || static_cast<size_t>(m_next) >= m_lines.size())
    return nullptr;
  const size_t index = static_cast<size_t>(m_next++);
  *lineNumber = m_numbers[index];
  return &m_lines[index];
}

bool ScriptFile::FindLabel(const std::string& name) {
  auto found = m_labels.find(name);
  if (found == m_labels.end())
    return false;
  m_next = found->second;
  return true;
}

}  // namespace quire
