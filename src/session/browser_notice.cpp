#include "session/browser_notice.h"

#include <sys/stat.h>

#include "pages/about_page.h"
#include "pages/contents_page.h"
#include "pages/file_url.h"
#include "pages/html_text.h"
#include "pages/page_template.h"
#include "pages/reader_context.h"

namespace quire {

namespace {

bool Exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string Link(const std::string& path, const std::string& text) {
  return "<A HREF=\"" + EscapeHtml(FileUrlFromPath(path)) + "\">" + text + "</A>";
}

}  // namespace

std::string MissingLibraryName(const std::string& loaderError, const std::string& loadPath) {
  const size_t colon = loaderError.find(": ");
  if (colon == std::string::npos || colon == 0)
    return "";
  const std::string named = loaderError.substr(0, colon);
  if (named == loadPath)
    return "";
  const size_t slash = named.rfind('/');
  return slash == std::string::npos ? named : named.substr(slash + 1);
}

std::string BrowserNoticeText(const std::string& library, const std::string& loaderError,
                              const std::string& startUrl, NoticeMedium medium, bool inBrowser) {
  std::string text = "This book opens in its own window with WebKitGTK 4.1, which ";
  text += library.empty() ? "could not be loaded here (" + loaderError + ")"
                          : "this computer lacks (" + library + " is missing)";
  text += inBrowser ? ". It is open in your web browser instead"
                    : ". No web browser could be opened for it: open the address below in "
                      "one";
  text +=
      ", where script links, extension libraries and the search do nothing.\n"
      "To read it in its window, install WebKitGTK and start the book again:\n"
      "  Debian, Ubuntu: sudo apt install libwebkit2gtk-4.1-0\n"
      "  Fedora: sudo dnf install webkit2gtk4.1\n"
      "  Arch: sudo pacman -S webkit2gtk-4.1\n"
      "The book: " +
      startUrl + "\n";
  switch (medium) {
    case NoticeMedium::kMessageBox:
      text += "Its pages stay until you choose \"" + std::string(kCloseTheBook) + "\".";
      break;
    case NoticeMedium::kTerminal:
      text += "Press Ctrl+C to close the book.";
      break;
    case NoticeMedium::kPage:
      text += "The book closes when you log out, or after " + std::to_string(kBrowserReadingHours) +
              " hours.";
      break;
  }
  return text;
}

namespace {

// Mode 1 is "none" and 2 the book's own page; every other value has the page generated.
bool Generated(int32_t mode) {
  return mode != 1 && mode != 2;
}

}  // namespace

void WriteBrowserPages(ReaderContext& context) {
  const CEBook& book = context.book;
  if (Generated(book.ContentsMode()) && book.AnyInContents())
    BuildContentsPage(context);
  if (Generated(book.AboutMode()))
    BuildAboutPage(context);
}

std::string WriteNoticePage(ReaderContext& context, const std::string& text) {
  const CEBook& book = context.book;
  std::string body = TextToHtml(text);
  std::string links = Link(book.StartPage(), "Start page");
  for (const auto& [file, name] :
       {std::pair{kContentsPageFile, "Contents"}, std::pair{kAboutPageFile, "About this E-Book"}}) {
    const std::string path = context.store.BookFolder() + file;
    if (Exists(path))
      links += " &middot; " + Link(path, name);
  }
  std::string page = BookPageHeader(book, "Open in your browser");
  page += BookPageSection(book, "This book opens in your browser", body + "<BR><BR>\r\n" + links);
  page += PageFooter();
  return WriteGeneratedPage(context.store, kNoticePageFile, page);
}

}  // namespace quire
