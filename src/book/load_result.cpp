#include "book/load_result.h"

namespace quire {

std::string LoadResult::Message() const {
  const char* first = nullptr;
  switch (reason) {
    case Reason::kNone:
      return {};
    case Reason::kParseFailed:
      first = "Self Parse Failed";
      break;
    case Reason::kNoFiles:
      first = "No files in E-Book!";
      break;
    case Reason::kCountMismatch:
      first = "File Counts do not match!";
      break;
    case Reason::kNoIndexPage:
      first = "Index file not found!";
      break;
  }
  return std::string(first) + "\n\nThis E-Book seems to be corrupted.";
}

}  // namespace quire
