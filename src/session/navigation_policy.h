// What the view does with a navigation the web view is about to make, and with a request
// for a new window. Pure decisions: the view only translates WebKit's types.
#ifndef QUIRE_SESSION_NAVIGATION_POLICY_H_
#define QUIRE_SESSION_NAVIGATION_POLICY_H_

#include <string>

namespace quire {

// The message a Shift-click on a link shows instead of opening a second window.
extern const char kNewWindowRefusedMessage[];

// The URL as the book's author wrote it: undoes the escapes the web view adds to a link
// (space, '"', '<', '>', '`' and every byte from 0x80 up, hex digits in either case).
// Every other percent escape, a malformed one included, stays as it is.
std::string DecodeLinkCopy(const std::string& url);

// What the policy may ask for; the view runs them. The interpreter entry points report
// whether they handled the link.
class NavigationHandlers {
 public:
  virtual ~NavigationHandlers() = default;
  virtual void OpenOutsideLink(const std::string& url) = 0;
  virtual bool RunLinkCommands(const std::string& decodedUrl) = 0;
  virtual bool RunScriptLink(const std::string& decodedUrl) = 0;
};

enum class NavigationVerdict { kDisplay, kCancel };

// Who started a navigation.
enum class NavigationOrigin {
  kPage,     // a page in any frame or window, or the user following one of its links
  kReader,   // the reader itself: Navigate, GoHome, the contents drop-down, search results
  kCommand,  // the running script command, for the address it asked for
  kReplay,   // the web view loading again what it showed (Refresh, F5, a page's reload,
             // the reload after its web process died): whoever put the address there,
             // showing it again never runs it
};

// What the policy knows about the window a navigation happens in.
struct NavigationContext {
  // The book folder this reader claimed; empty when it has none.
  std::string bookFolder;
  // The page the window shows when the navigation is asked for (the last one it loaded,
  // not one still loading; a new pop-up's opener's); empty while it shows none.
  std::string shownUrl;
  bool openLinksOutside = false;
  // In a book written in Windows-1252 the web view hands characters over as UTF-8; the
  // decoded copy turns them back into the book's own bytes.
  bool windows1252Book = false;
  // False for a book whose pages are web pages (a site imported without a manifest): no
  // page's script link runs. The reader's own navigations still may.
  bool pageCommands = true;
};

// True when a navigation to `url` may run the book's script links: the reader started it,
// or, in a book whose pages may run them, it leads to a file of the book folder from a
// window that shows one too. A web page, a frame or pop-up of one, a file: page elsewhere
// and a reload never may.
bool MayRunScriptLinks(const std::string& url, NavigationOrigin origin,
                       const NavigationContext& context);

// True when a download of `url` may be saved: a file of the book folder, asked for from a
// window that shows a page of the book. Nothing else may drop files into the user's
// folders through the reader.
bool MaySaveDownload(const std::string& url, const NavigationContext& context);

// In this order: the running command's own navigation is displayed untouched. With
// `openLinksOutside`, an outside address (http:, https:, news:, mail:, ftp:, any letter
// case) goes to OpenOutsideLink and is cancelled. When MayRunScriptLinks, the decoded copy
// goes to RunLinkCommands, then, when that did not handle it, to RunScriptLink; a handled
// link is cancelled. Anything else is displayed as it came.
NavigationVerdict DecideNavigation(const std::string& url, NavigationOrigin origin,
                                   const NavigationContext& context, NavigationHandlers& handlers);

// Which modifier keys were down when the page asked for a new window.
struct NewWindowKeys {
  bool shift = false;
  bool control = false;
  bool alt = false;
};

enum class NewWindowVerdict {
  kOpen,               // no modifier: the page's own window opens
  kRefuse,             // Ctrl or Alt without Shift: nothing happens, nothing is shown
  kRefuseWithMessage,  // Shift: nothing opens and kNewWindowRefusedMessage is shown
};

NewWindowVerdict DecideNewWindow(const NewWindowKeys& keys);

}  // namespace quire

#endif  // QUIRE_SESSION_NAVIGATION_POLICY_H_
