// A Pagora Script file, read whole before it runs.
//
// File format: one command per line. A UTF-8 byte-order mark at the very start is skipped.
// A line feed ends a line; a carriage return and every
// other byte below 32 (tab included) is dropped; bytes 128-255 are kept; the last line
// needs no line feed. Each line is trimmed; empty lines, lines starting with ';', a lone
// ':' and lines of 3 or more characters starting with upper-case "REM" are comments. A
// line ":name" defines a label for the next executable line (letters and digits, not
// starting with a digit; a later label of the same name wins). Every other line is a
// command. Lines are numbered from 1 counting every line of the file, for messages.
#ifndef QUIRE_SCRIPT_SCRIPT_FILE_H_
#define QUIRE_SCRIPT_SCRIPT_FILE_H_

#include <string>
#include <unordered_map>
#include <vector>

namespace quire {

class ScriptFile {
 public:
  // Reads and classifies the file at `path` ('\' is read as '/'). On failure the result
  // has LoadFailed() set, LoadError() says why and it holds no lines:
  //   "Error opening file <path>" when it cannot be opened, or
  //   "Invalid Label :<name> in line <N> of <displayName>." for a bad label.
  // A read error part-way keeps the lines read so far, without a message.
  static ScriptFile Load(const std::string& path, const std::string& displayName);

  const std::string& Path() const { return m_path; }
  const std::string& DisplayName() const { return m_displayName; }
  bool LoadFailed() const { return m_loadFailed; }
  const std::string& LoadError() const { return m_loadError; }

  // The line that runs next and its line number in the file, advancing past it; null when
  // the script has ended. The text stays valid while this object lives.
  const std::string* NextLine(int* lineNumber);

  // Jumps to `name`'s line and returns true; false (nothing changed) when there is no
  // such label.
  bool FindLabel(const std::string& name);

  // Index of the executable line that runs next. While a line runs it already names the
  // following line, so the running line is NextIndex() - 1.
  int NextIndex() const { return m_next; }
  void SetNextIndex(int index) { m_next = index; }

  size_t LineCount() const { return m_lines.size(); }
  const std::string& LineText(size_t index) const { return m_lines[index]; }
  int LineNumber(size_t index) const { return m_numbers[index]; }

  // Loads from bytes already read; used by Load and by tests.
  static ScriptFile FromBytes(const std::string& bytes, const std::string& path,
                              const std::string& displayName);

 private:
  void Fail(std::string text);

  std::string m_path;
  std::string m_displayName;
  std::vector<std::string> m_lines;               // executable lines, trimmed
  std::vector<int> m_numbers;                     // line number in the file of each executable line
  std::unordered_map<std::string, int> m_labels;  // label -> executable-line index
  int m_next = 0;
  bool m_loadFailed = false;
  std::string m_loadError;
};

// The free-function form of ScriptFile::Load.
inline ScriptFile LoadScript(const std::string& path, const std::string& displayName) {
  return ScriptFile::Load(path, displayName);
}

}  // namespace quire

#endif  // QUIRE_SCRIPT_SCRIPT_FILE_H_
