#include "pages/page_template.h"

#include "book/cebook.h"
#include "book/page_store.h"
#include "pages/html_text.h"

namespace quire {

std::string PageHeader(const std::string& title, int32_t background, int32_t link, int32_t visited,
                       int32_t hover) {
  std::string page = "<HTML>\r\n<HEAD>\r\n<TITLE>";
  page += title;
  page += "</TITLE>\r\n<STYLE type=\"text/css\">\r\nA:link          { color:";
  page += ColorToHex(link);
  page += "; }\r\nA:visited       { color:";
  page += ColorToHex(visited);
  page += "; }\r\nA:hover         { color:";
  page += ColorToHex(hover);
  page += ";     }\r\n</STYLE>\r\n</HEAD>\r\n<BODY BGCOLOR=";
  page += ColorToHex(background);
  page += " TOPMARGIN=0 LEFTMARGIN=0 MARGINWIDTH=0 MARGINHEIGHT=0>\r\n<CENTER>\r\n";
  return page;
}

std::string PageSection(const std::string& heading, const std::string& body, int32_t boxColour,
                        int32_t textColour) {
  std::string box = ColorToHex(boxColour);
  std::string section = "<BR>\r\n<TABLE WIDTH=95% BGCOLOR=";
  section += box;
  section +=
      " BORDER=1 COLS=1 CELLPADDING=0 CELLSPACING=0><TR><TD ALIGN=CENTER>\r\n&nbsp;<BR>\r\n"
      "<TABLE WIDTH=95% BGCOLOR=";
  section += box;
  section +=
      " BORDER=0 COLS=0 CELLPADDING=0 CELLSPACING=0><TR><TD>\r\n"
      "<FONT FACE=\"Arial,Helvetica,Verdana\" SIZE=2 COLOR=";
  section += ColorToHex(textColour);
  section += ">\r\n<CENTER><BIG><B>";
  section += heading;
  section += "</B></BIG></CENTER><BR>\r\n";
  section += body;
  section += "\r\n</FONT>\r\n</TD></TR></TABLE>\r\n&nbsp;\r\n</TD></TR></TABLE>\r\n";
  return section;
}

std::string PageFooter() {
  return "\r\n<BR></CENTER>\r\n</BODY>\r\n</HTML>\r\n";
}

std::string BookPageHeader(const CEBook& book, const std::string& title) {
  return PageHeader(title, book.BackgroundColor(), book.LinkColor(), book.VisitedLinkColor(),
                    book.HoverColor());
}

std::string BookPageSection(const CEBook& book, const std::string& heading,
                            const std::string& body) {
  return PageSection(heading, body, book.BoxColor(), book.TextColor());
}

std::string WriteGeneratedPage(PageStore& store, const std::string& fileName,
                               const std::string& html, Env* env) {
  std::string path = store.BookFolder() + fileName;
  store.WritePageFile(path, html, env);
  return path;
}

std::string BuildDisplayPage(PageStore& store, const std::string& html, Env* env) {
  return WriteGeneratedPage(store, kDisplayPageFile, html, env);
}

}  // namespace quire
