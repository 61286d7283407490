#include "session/link_actions.h"

#include <array>
#include <string_view>

#include "pages/page_template.h"
#include "platform/ascii_text.h"
#include "session/history_rules.h"
#include "session/search_highlight.h"

namespace quire {

namespace {

bool HasScheme(const std::string& url, std::string_view scheme) {
  return url.size() > scheme.size() && url[scheme.size()] == ':' &&
         AsciiLowered(url.substr(0, scheme.size())) == scheme;
}

bool HasAnyScheme(const std::string& url, std::initializer_list<std::string_view> schemes) {
  for (std::string_view scheme : schemes) {
    if (HasScheme(url, scheme))
      return true;
  }
  return false;
}

}  // namespace

std::string LinkStatusText(const std::string& url, const std::string& bookFolder) {
  std::string text = url;
  const std::string path = FileUriToPath(url);
  if (!path.empty() && !bookFolder.empty() && path.size() > bookFolder.size() &&
      path.compare(0, bookFolder.size(), bookFolder) == 0) {
    const size_t hash = url.find('#');
    text = path.substr(bookFolder.size()) +
           (hash == std::string::npos ? "" : DecodeLinkCopy(url.substr(hash)));
  }
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
      c = ' ';
  }
  return text;
}

LinkMenuOffer LinkMenuFor(const std::string& url) {
  LinkMenuOffer offer;
  if (url.empty())
    return offer;
  offer.copyAddress = true;
  offer.openLink = !HasScheme(url, "javascript");
  offer.openOutside = HasAnyScheme(url, {"http", "https", "ftp", "mailto", "news"}) ||
                      (HasScheme(url, "file") && !IsCommandAddress(url));
  return offer;
}

bool OpensInUsersPrograms(const std::string& url, const NavigationContext& context) {
  if (context.bookFolder.empty() || !HasAnyScheme(url, {"http", "https", "ftp", "mailto"}))
    return false;
  return FileUriToPath(context.shownUrl) == context.bookFolder + kAboutPageFile;
}

}  // namespace quire
