#include "session/navigation_policy.h"

#include "platform/ascii_text.h"
#include "platform/outside_address.h"
#include "session/book_address.h"
#include "session/display_text.h"

namespace quire {

const char kNewWindowRefusedMessage[] =
    "This link is part of the E-Book, you are not to allowed to open it in a new window.\n\n"
    "(Any links to web sites will automatically be opened in your web browser if you click "
    "them)";

namespace {

// The bytes the web view escapes in a link and nothing else.
bool IsUndoneEscape(int byte) {
  return byte == ' ' || byte == '"' || byte == '<' || byte == '>' || byte == '`' || byte >= 0x80;
}

}  // namespace

std::string DecodeLinkCopy(const std::string& url) {
  std::string decoded;
  decoded.reserve(url.size());
  for (size_t i = 0; i < url.size(); ++i) {
    if (url[i] == '%' && i + 2 < url.size()) {
      int high = AsciiHexValue(url[i + 1]);
      int low = AsciiHexValue(url[i + 2]);
      if (high >= 0 && low >= 0 && IsUndoneEscape(high * 16 + low)) {
        decoded += static_cast<char>(high * 16 + low);
        i += 2;
        continue;
      }
    }
    decoded += url[i];
  }
  return decoded;
}

bool MayRunScriptLinks(const std::string& url, NavigationOrigin origin,
                       const NavigationContext& context) {
  switch (origin) {
    case NavigationOrigin::kReader:
    case NavigationOrigin::kCommand:
      return true;
    case NavigationOrigin::kReplay:
      return false;
    case NavigationOrigin::kPage:
      break;
  }
  return context.pageCommands && IsBookAddress(url, context.bookFolder) &&
         IsBookAddress(context.shownUrl, context.bookFolder);
}

bool MaySaveDownload(const std::string& url, const NavigationContext& context) {
  return IsBookAddress(url, context.bookFolder) &&
         IsBookAddress(context.shownUrl, context.bookFolder);
}

NavigationVerdict DecideNavigation(const std::string& url, NavigationOrigin origin,
                                   const NavigationContext& context, NavigationHandlers& handlers) {
  if (origin == NavigationOrigin::kCommand)
    return NavigationVerdict::kDisplay;
  if (context.openLinksOutside && IsOutsideAddress(url)) {
    handlers.OpenOutsideLink(url);
    return NavigationVerdict::kCancel;
  }
  if (!MayRunScriptLinks(url, origin, context))
    return NavigationVerdict::kDisplay;
  std::string decoded = DecodeLinkCopy(url);
  if (context.windows1252Book)
    decoded = Utf8ToWindows1252(decoded);
  if (handlers.RunLinkCommands(decoded))
    return NavigationVerdict::kCancel;
  if (handlers.RunScriptLink(decoded))
    return NavigationVerdict::kCancel;
  return NavigationVerdict::kDisplay;
}

NewWindowVerdict DecideNewWindow(const NewWindowKeys& keys) {
  if (keys.shift)
    return NewWindowVerdict::kRefuseWithMessage;
  if (keys.control || keys.alt)
    return NewWindowVerdict::kRefuse;
  return NewWindowVerdict::kOpen;
}

}  // namespace quire
