#include "script/script_file.h"

#include <cstdio>
#include <memory>

#include "platform/paths.h"
#include "script/script_text.h"

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

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

ScriptFile ScriptFile::Load(const std::string& path, const std::string& displayName) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(ToNativePath(path).c_str(), "rb"));
  if (!file) {
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
    size_t got = std::fread(block, 1, sizeof block, file.get());
    bytes.append(block, got);
    if (got < sizeof block)
      break;
  }
  file.reset();
  return FromBytes(bytes, path, displayName);
}

ScriptFile ScriptFile::FromBytes(const std::string& bytes, const std::string& path,
                                 const std::string& displayName) {
  ScriptFile script;
  script.m_path = path;
  script.m_displayName = displayName;

  std::string line;
  int lineNumber = 0;
  size_t pos = 0;
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
