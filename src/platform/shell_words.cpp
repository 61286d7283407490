#include "platform/shell_words.h"

namespace quire {
namespace {

bool IsSeparator(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The characters a backslash escapes inside double quotes.
bool EscapableInDoubleQuotes(char c) {
  return c == '"' || c == '\\' || c == '$' || c == '`' || c == '\n';
}

}  // namespace

bool SplitShellWords(const std::string& commandLine, std::vector<std::string>* words) {
  words->clear();
  // The word being built and whether one has started: a quoted empty text is a word,
  // a run of separators is not.
  std::string word;
  bool inWord = false;
  const std::size_t n = commandLine.size();
  for (std::size_t i = 0; i < n; ++i) {
    char c = commandLine[i];
    if (IsSeparator(c)) {
      if (inWord) {
        words->push_back(word);
        word.clear();
        inWord = false;
      }
      continue;
    }
    if (c == '\\') {
      if (i + 1 == n) {
        word += c;  // a trailing backslash has nothing to escape
      } else if (commandLine[i + 1] != '\n') {
        word += commandLine[++i];
      } else {
        ++i;  // a backslash and a line break join the lines
        continue;
      }
      inWord = true;
      continue;
    }
    inWord = true;
    if (c == '\'') {
      std::size_t close = commandLine.find('\'', i + 1);
      if (close == std::string::npos) {
        return false;
      }
      word.append(commandLine, i + 1, close - i - 1);
      i = close;
      continue;
    }
    if (c == '"') {
      std::size_t j = i + 1;
      for (; j < n && commandLine[j] != '"'; ++j) {
        if (commandLine[j] == '\\' && j + 1 < n && EscapableInDoubleQuotes(commandLine[j + 1])) {
          ++j;
          if (commandLine[j] != '\n') {
            word += commandLine[j];
          }
          continue;
        }
        word += commandLine[j];
      }
      if (j == n) {
        return false;
      }
      i = j;
      continue;
    }
    word += c;
  }
  if (inWord) {
    words->push_back(word);
  }
  return true;
}

}  // namespace quire
