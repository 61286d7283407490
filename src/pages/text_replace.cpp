#include "pages/text_replace.h"

namespace quire {

size_t ReplaceAll(std::string* text, std::string_view from, std::string_view to) {
  if (from.empty())
    return 0;
  size_t pos = text->find(from);
  if (pos == std::string::npos)
    return 0;
  // Build the result in one go so that long texts with many hits stay linear.
  std::string result;
  result.reserve(text->size());
  size_t done = 0;
  size_t count = 0;
  while (pos != std::string::npos) {
    result.append(*text, done, pos - done);
    result.append(to);
    done = pos + from.size();
    ++count;
    pos = text->find(from, done);
  }
  result.append(*text, done, std::string::npos);
  text->swap(result);
  return count;
}

}  // namespace quire
