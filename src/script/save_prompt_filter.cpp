#include "script/save_prompt_filter.h"

#include <algorithm>
#include <string_view>

#include "pages/text_replace.h"

namespace quire {
namespace {

constexpr std::string_view kAllFiles = "All Files|*.*||";

struct KnownType {
  std::string_view ending;
  std::string_view entry;
  std::string_view extension;
};

constexpr KnownType kKnownTypes[] = {
    {".txt", "Text File|*.txt|", "txt"},
    {".jpg", "JPEG Image|*.jpg;*.jpeg|", "jpg"},
    {".jpeg", "JPEG Image|*.jpg;*.jpeg|", "jpg"},
    {".gif", "GIF Image|*.gif|", "gif"},
    {".bmp", "Windows Bitmap|*.bmp|", "bmp"},
    {".ico", "Windows Icon|*.ico|", "ico"},
    {".htm", "HTML (Web Page)|*.htm;*.html|", "htm"},
    {".html", "HTML (Web Page)|*.htm;*.html|", "htm"},
    {".exe", "Program|*.exe|", "exe"},
    {".dll", "Dynamic Link Library (DLL)|*.dll|", "dll"},
};

// Trimmed of the same white space as every other trimmed script text, line breaks
// included: a stray line end would otherwise become part of the dialog's pattern.
std::string CleanFilterText(std::string text) {
  std::erase(text, '|');
  return TrimCopy(text, kWhiteSpace);
}

}  // namespace

SavePromptFilter FilterForFileName(const std::string& fileName) {
  SavePromptFilter result;
  for (const KnownType& type : kKnownTypes) {
    if (EndsWithIgnoringCase(fileName, type.ending)) {
      result.filter = type.entry;
      result.defaultExtension = type.extension;
      break;
    }
  }
  result.filter += kAllFiles;
  return result;
}

SavePromptFilter FilterForDescription(const std::string& description,
                                      const std::string& extension) {
  SavePromptFilter result;
  std::string cleanDescription = CleanFilterText(description);
  result.defaultExtension = CleanFilterText(extension);
  if (result.defaultExtension.empty()) {
    result.filter = cleanDescription + "|*.*|";
  } else {
    result.filter = cleanDescription + "|*." + result.defaultExtension + "|";
  }
  result.filter += kAllFiles;
  return result;
}

}  // namespace quire
