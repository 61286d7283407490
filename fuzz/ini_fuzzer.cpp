// The INI reader and writer on arbitrary files, sections, keys and values: a value that
// was written reads back as written, every other key keeps its value, and a refused write
// leaves the file as it was.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "platform/ini_file.h"

namespace {

bool IsBlankEdge(std::string_view text) {
  return !text.empty() &&
         (text.front() == ' ' || text.front() == '\t' || text.back() == ' ' || text.back() == '\t');
}

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i]))
      return false;
  }
  return true;
}

// A value the reader gives back unchanged: its edges are not blanks and it is not wrapped
// in a pair of quotes (which the reader takes off).
bool ReadsBackUnchanged(std::string_view value) {
  if (IsBlankEdge(value))
    return false;
  return !(value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
           value.back() == value.front());
}

constexpr size_t kBigBuffer = 1 << 20;
constexpr const char* kAbsent =
    "\x01"
    "absent";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quire;
  FuzzedDataProvider input(data, size);
  const std::string section = input.ConsumeRandomLengthString(64);
  const std::string key = input.ConsumeRandomLengthString(64);
  const std::string value = input.ConsumeRandomLengthString(256);
  const std::string otherSection = input.ConsumeRandomLengthString(64);
  const std::string otherKey = input.ConsumeRandomLengthString(64);
  const std::string contents = input.ConsumeRemainingBytesAsString();
  // Names are looked up with their edge blanks removed on both sides; keep them plain so
  // the checks below compare like with like.
  if (IsBlankEdge(section) || IsBlankEdge(key) || IsBlankEdge(otherSection) ||
      IsBlankEdge(otherKey)) {
    return 0;
  }

  const std::string path = fuzz::WriteScratchFile(
      "test.ini", reinterpret_cast<const uint8_t*>(contents.data()), contents.size());
  const std::string otherBefore = ReadIniValue(path, otherSection, otherKey, kAbsent, kBigBuffer);
  const bool written = WriteIniValue(path, section, key, value);
  const std::string after = ReadIniValue(path, section, key, kAbsent, kBigBuffer);
  const std::string otherAfter = ReadIniValue(path, otherSection, otherKey, kAbsent, kBigBuffer);

  if (written && ReadsBackUnchanged(value) && after != value)
    fuzz::Finding("a written value reads back as something else");
  if (!written && fuzz::ReadScratchFile("test.ini") != contents)
    fuzz::Finding("a refused write changed the file");
  if (!(SameName(section, otherSection) && SameName(key, otherKey)) && otherBefore != otherAfter)
    fuzz::Finding("writing one key changed another");
  if (fuzz::FolderEntries(fuzz::ScratchFolder()) != std::vector<std::string>{"test.ini"})
    fuzz::Finding("the write left another file beside the INI file");
  return 0;
}
