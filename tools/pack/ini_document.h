// A small INI reader for the book manifest, keeping line numbers for error messages.
//
// Format, line by line (LF ends a line; a CR before it and a UTF-8 byte-order mark at the
// very start are dropped):
//   - blank lines are ignored;
//   - a line whose first non-blank character is ';' or '#' is a comment (comments stand
//     on lines of their own, so values may hold ';' and '#');
//   - "[name]" starts a section; the name is trimmed and may not be empty;
//   - "key = value" sets a key in the current section; the key is trimmed and folded to
//     lower case; the value is trimmed. A value that starts with '"' is a quoted text: it
//     must end with the matching '"' and may use the escapes \" \\ \n \r \t. Any other
//     value is taken literally (backslashes included).
// A key outside any section, a key given twice in one section, a section given twice,
// a line that is none of the above: the parse fails with "<label>:<line>: <reason>".
#ifndef QUIRE_TOOLS_PACK_INI_DOCUMENT_H_
#define QUIRE_TOOLS_PACK_INI_DOCUMENT_H_

#include <string>
#include <string_view>
#include <vector>

namespace quire::pack {

struct IniEntry {
  std::string key;           // lower case
  std::string keyAsWritten;  // trimmed, case kept
  std::string value;
  int line = 0;
};

struct IniSection {
  std::string name;  // as written, trimmed
  int line = 0;
  std::vector<IniEntry> entries;  // in file order
};

struct IniDocument {
  std::vector<IniSection> sections;  // in file order
};

// Parses `text`; `label` names the file in error messages. False with `error` set when the
// text breaks the format above.
bool ParseIni(std::string_view text, const std::string& label, IniDocument* doc,
              std::string* error);

// Writes a value so that ParseIni gives it back exactly: literally when that is safe,
// otherwise quoted with escapes. A value that holds any control byte is always quoted.
std::string QuoteIniValue(std::string_view value);

}  // namespace quire::pack

#endif  // QUIRE_TOOLS_PACK_INI_DOCUMENT_H_
