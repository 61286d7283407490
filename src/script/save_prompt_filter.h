// The file-type filter and default extension the save-file prompts offer.
//
// Filters use the dialog's '|'-separated form: description, pattern, description,
// pattern, ..., ending with two bars ("Text File|*.txt|All Files|*.*||").
#ifndef QUIRE_SCRIPT_SAVE_PROMPT_FILTER_H_
#define QUIRE_SCRIPT_SAVE_PROMPT_FILTER_H_

#include <string>

namespace quire {

struct SavePromptFilter {
  std::string filter;
  // Without a dot; empty when a typed name gets none.
  std::string defaultExtension;
};

// From a suggested file name: the entry of the known type its name ends with (compared
// without regard to ASCII letter case), then "All Files|*.*||". Known types: .txt, .jpg
// and .jpeg, .gif, .bmp, .ico, .htm and .html, .exe, .dll; any other name gets only
// "All Files|*.*||" and no default extension.
SavePromptFilter FilterForFileName(const std::string& fileName);

// From a description and an extension a script gives: every '|' is removed from both and
// white space (blanks, tabs, line ends) around them is trimmed; the filter is description +
// "|*.*|" without an extension, description + "|*." + extension + "|" with one, then
// "All Files|*.*||". The cleaned extension is the default extension.
SavePromptFilter FilterForDescription(const std::string& description, const std::string& extension);

}  // namespace quire

#endif  // QUIRE_SCRIPT_SAVE_PROMPT_FILTER_H_
