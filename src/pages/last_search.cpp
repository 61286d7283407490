#include "pages/last_search.h"

namespace quire {

namespace {

std::optional<SearchRequest>& Stored() {
  static std::optional<SearchRequest> last;
  return last;
}

}  // namespace

const std::optional<SearchRequest>& LastSearch() {
  return Stored();
}

void RememberSearch(const std::string& query, bool caseSensitive) {
  Stored() = SearchRequest{query, caseSensitive};
}

void ForgetLastSearchForTesting() {
  Stored().reset();
}

}  // namespace quire
