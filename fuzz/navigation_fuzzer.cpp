// The navigation policy's decoded copy of a link, against a reference written here
// directly from the rule (exactly the escapes the web view adds are undone), and the
// policy's verdicts with handlers that only record what they were handed: above all, that
// no address outside the book folder that a page asked for ever reaches the interpreter.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "session/book_address.h"
#include "session/navigation_policy.h"

namespace {

bool IsWebViewEscape(unsigned char byte) {
  return byte == ' ' || byte == '"' || byte == '<' || byte == '>' || byte == '`' || byte >= 0x80;
}

int Hex(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

std::string ReferenceDecode(const std::string& url) {
  std::string out;
  size_t i = 0;
  while (i < url.size()) {
    if (url[i] == '%' && url.size() - i >= 3 && Hex(url[i + 1]) >= 0 && Hex(url[i + 2]) >= 0 &&
        IsWebViewEscape(static_cast<unsigned char>(Hex(url[i + 1]) * 16 + Hex(url[i + 2])))) {
      out.push_back(static_cast<char>(Hex(url[i + 1]) * 16 + Hex(url[i + 2])));
      i += 3;
    } else {
      out.push_back(url[i++]);
    }
  }
  return out;
}

// What the web view makes of a link the author wrote.
std::string WebViewEncode(const std::string& text) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (IsWebViewEscape(byte)) {
      out += '%';
      out += kDigits[byte >> 4];
      out += kDigits[byte & 15];
    } else {
      out += c;
    }
  }
  return out;
}

class RecordingHandlers final : public quire::NavigationHandlers {
 public:
  void OpenOutsideLink(const std::string& url) override {
    ++calls;
    outside = url;
  }
  bool RunLinkCommands(const std::string& decodedUrl) override {
    ++calls;
    linkCommands = decodedUrl;
    return takeLink;
  }
  bool RunScriptLink(const std::string& decodedUrl) override {
    ++calls;
    scriptLink = decodedUrl;
    return takeScript;
  }
  int calls = 0;
  bool takeLink = false;
  bool takeScript = false;
  std::string outside, linkCommands, scriptLink;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quire;
  if (size < 1)
    return 0;
  const uint8_t flags = data[0];
  const std::string url(reinterpret_cast<const char*>(data + 1), size - 1);

  const std::string decoded = DecodeLinkCopy(url);
  if (decoded != ReferenceDecode(url))
    fuzz::Finding("the decoded copy differs from the rule");
  if (url.find('%') == std::string::npos && DecodeLinkCopy(WebViewEncode(url)) != url)
    fuzz::Finding("a link escaped by the web view does not decode to what the author wrote");

  // flags: bits 0-1 who started it (page, reader, command, replay), bit 2 open links
  // outside, bits 3-4 which interpreter takes the link, bit 5 the window shows a web page,
  // bit 6 the book's pages are web pages.
  static const NavigationOrigin kOrigins[] = {NavigationOrigin::kPage, NavigationOrigin::kReader,
                                              NavigationOrigin::kCommand,
                                              NavigationOrigin::kReplay};
  const NavigationOrigin origin = kOrigins[flags & 3];
  NavigationContext context;
  context.bookFolder = "/tmp/quire-0/BOOK.k9w/";
  context.shownUrl =
      (flags & 32) ? "http://example.org/" : "file:///tmp/quire-0/BOOK.k9w/index.html";
  context.openLinksOutside = flags & 4;
  context.pageCommands = (flags & 64) == 0;
  RecordingHandlers handlers;
  handlers.takeLink = flags & 8;
  handlers.takeScript = flags & 16;
  const bool inCommand = origin == NavigationOrigin::kCommand;
  const NavigationVerdict verdict = DecideNavigation(url, origin, context, handlers);
  if (inCommand && (verdict != NavigationVerdict::kDisplay || handlers.calls != 0))
    fuzz::Finding("a navigation during a command was not let through untouched");
  const bool interpreted = !handlers.linkCommands.empty() || !handlers.scriptLink.empty();
  if (origin == NavigationOrigin::kPage && interpreted &&
      (!IsBookAddress(url, context.bookFolder) || (flags & 32)))
    fuzz::Finding("a page's navigation outside the book reached the interpreter");
  if (origin == NavigationOrigin::kPage && interpreted && !context.pageCommands)
    fuzz::Finding("a page of a book whose pages are web pages reached the interpreter");
  if (origin == NavigationOrigin::kReplay && interpreted)
    fuzz::Finding("a reload reached the interpreter");
  if (!handlers.linkCommands.empty() && handlers.linkCommands != decoded)
    fuzz::Finding("the interpreter was handed something other than the decoded copy");
  if (!handlers.outside.empty() && handlers.outside != url)
    fuzz::Finding("an outside link was changed before it was opened");
  if (!inCommand && handlers.outside.empty() && interpreted &&
      (handlers.takeLink || handlers.takeScript) && verdict != NavigationVerdict::kCancel)
    fuzz::Finding("a link an interpreter took was displayed as well");
  return 0;
}
