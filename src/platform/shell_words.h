// Splitting a program command line into words with the shell's quoting rules.
#ifndef QUIRE_PLATFORM_SHELL_WORDS_H_
#define QUIRE_PLATFORM_SHELL_WORDS_H_

#include <string>
#include <vector>

namespace quire {

// Splits `commandLine` into words as a POSIX shell would, without any expansion:
//   - blanks (space, tab, line breaks) outside quotes separate words;
//   - '...' quotes every character literally up to the next ';
//   - "..." quotes up to the next unescaped ", where a backslash escapes only ", \, $, `
//     and a line break (which then vanishes); before any other character it stays;
//   - a backslash outside quotes makes the next character literal (a backslash before a
//     line break removes both; a trailing backslash stays as it is);
//   - quotes join with the text around them: a"b c"d is the one word "ab cd", and ''
//     alone is an empty word.
// False when a quote is left open; `words` then holds what was split before it.
bool SplitShellWords(const std::string& commandLine, std::vector<std::string>* words);

}  // namespace quire

#endif  // QUIRE_PLATFORM_SHELL_WORDS_H_
