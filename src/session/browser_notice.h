// Reading a book in the web browser when the reader's window cannot be loaded (GTK or
// WebKitGTK missing): the pages it can still offer and the one notice that says why and
// what to install.
#ifndef QUIRE_SESSION_BROWSER_NOTICE_H_
#define QUIRE_SESSION_BROWSER_NOTICE_H_

#include <string>

namespace quire {

struct ReaderContext;

// Where no display can be opened, the book cannot be shown in any way.
inline constexpr char kNoDisplay[] =
    "quire: cannot open display: set DISPLAY (X11) or WAYLAND_DISPLAY (Wayland) to the "
    "display to show the book on";

// The longest a book stays open in the browser: its pages go when it ends.
inline constexpr int kBrowserReadingHours = 12;

// The page that tells the user, when no message box or terminal can.
inline constexpr char kNoticePageFile[] = "__notice.html";

// Where the notice is seen; only its last sentence, how to close the book, differs.
enum class NoticeMedium {
  kMessageBox,  // its button kCloseTheBook closes the book; the pages stay until then
  kTerminal,    // Ctrl+C closes it
  kPage,        // it closes when the session ends, or after kBrowserReadingHours
};

// The one button of the notice's message box.
inline constexpr char kCloseTheBook[] = "Close the book";

// The file name of the library that `loaderError` (a dlerror text) says could not be
// loaded: the part before the first ": ", without its folder. Empty when the text names
// no library, or names `loadPath` itself (the front end, not one of its libraries).
std::string MissingLibraryName(const std::string& loaderError, const std::string& loadPath);

// The notice: the book opens in the browser because `library` is missing (or, when
// `library` is empty, because the window failed with `loaderError`), that it is open there
// (or, when `inBrowser` is false, that no browser could be opened for it and its address
// is to be opened in one), what works there, the commands that install WebKitGTK on the
// common distributions, the start page's address `startUrl`, and how to close the book.
std::string BrowserNoticeText(const std::string& library, const std::string& loaderError,
                              const std::string& startUrl, NoticeMedium medium,
                              bool inBrowser = true);

// Writes the generated pages a browser can show: the contents page and the about page,
// each when the book has it generated. Script links on pages cannot reach them there, but
// the notice page links to them.
void WriteBrowserPages(ReaderContext& context);

// Writes `text` as the book folder's "__notice.html", in the book's colours, with links
// to the start page and to the generated contents and about pages that exist; returns its
// path.
std::string WriteNoticePage(ReaderContext& context, const std::string& text);

}  // namespace quire

#endif  // QUIRE_SESSION_BROWSER_NOTICE_H_
