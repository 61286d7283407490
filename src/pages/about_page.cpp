#include "pages/about_page.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <optional>

#include "book/cebook.h"
#include "book/page_store.h"
#include "pages/html_text.h"
#include "pages/link_attribute.h"
#include "pages/page_template.h"
#include "pages/reader_context.h"
#include "pages/text_replace.h"
#include "platform/ini_file.h"

namespace quire {
namespace {

// The integer at the start of an INI value, as a profile integer read gives it: optional
// blanks and sign, then decimal digits; 0 when there are none. Out-of-range values are
// clamped.
long long LeadingInteger(const std::string& text) {
  errno = 0;
  long long value = std::strtoll(text.c_str(), nullptr, 10);
  if (value > INT_MAX)
    value = INT_MAX;
  if (value < INT_MIN)
    value = INT_MIN;
  return value;
}

}  // namespace

std::string SiteUrl(ReaderContext& context) {
  std::optional<std::string>& cached = context.siteUrl;
  if (cached)
    return *cached;
  long long site = LeadingInteger(ReadIniValue("pgxconfig.ini", "SITE", "SITE", "0"));
  std::string url = kQuireSiteUrl;
  if (site == 1) {
    url = std::string(kQuireLibraryUrl) + "ebook/";
  } else if (site != 0) {
    url = std::string(kQuireLibraryUrl) + std::to_string(site) + "/";
  }
  cached = url;
  return url;
}

std::string CreditLinkUrl(ReaderContext& context) {
  std::string code = TrimCopy(context.book.ReferralCode(), kWhiteSpace);
  if (code.empty())
    return SiteUrl(context);
  return SiteUrl(context) + "a.asp?" + code;
}

std::string BuildBookInfoBlock(const CEBook& book) {
  std::string html = "<BIG><B>" + EscapeHtml(book.Title()) + "</B></BIG><BR><BR>";
  std::string publisher = book.Publisher();
  if (!publisher.empty())
    html += "published by " + EscapeHtml(publisher) + "<BR><BR>";
  std::string author = book.Author();
  if (!author.empty()) {
    html += "by ";
    std::string email = EscapeHtml(book.AuthorEmail());
    if (!email.empty()) {
      // No e-mail address may add an attribute to the links.
      const std::string href = EscapedAttributeValue("MAILTO:" + email);
      html += "<A HREF=" + href + ">" + EscapeHtml(author) + "</A>" + "&nbsp;&nbsp;" + "(" +
              "<A HREF=" + href + ">" + email + "</A>" + ")";
    } else {
      html += EscapeHtml(author);
    }
    html += "<BR>";
  }
  std::string url = book.AuthorUrl();
  if (!url.empty()) {
    // Nor may the web site's address add an attribute, or be a script to run.
    if (IsLinkableAddress(url)) {
      html += "<A HREF=" + HrefValue(url) + " TARGET=_blank>" + EscapeHtml(url) + "</A>" + "<BR>";
    } else {
      html += EscapeHtml(url) + "<BR>";
    }
  }
  std::string copyright = book.Copyright();
  if (!copyright.empty())
    html += "Contents of this E-Book are " + EscapeHtml(copyright) + "<BR>";
  html += "<BR>";
  html += "<SMALL>ESBN: " + EscapeHtml(book.Esbn()) + "</SMALL>";
  return html;
}

// The credit keeps the sentence shape books were made with, naming our own software and
// the version of this program. Where no address is known the name stands without a link.
std::string BuildCreditBlock(const std::string& linkUrl, int32_t boxColour, int32_t textColour) {
  const bool known = !TrimCopy(linkUrl, kWhiteSpace).empty();
  std::string link = known ? "<A HREF=" + linkUrl + " TARGET=_blank>Quire</A>" : "Quire";
  std::string body = "This E-Book was created with " + link + " Compiler, version " +
                     QUIRE_VERSION + "<BR><BR>" + link +
                     " Compiler and Viewer Software are copyright the Quire developers.";
  return PageSection("Software &amp; Copyright", body, boxColour, textColour);
}

std::string BuildAboutPage(ReaderContext& context) {
  const CEBook& book = context.book;
  if (book.AboutMode() == 2)
    return context.store.BookFolder() + book.AboutPageName();
  std::string page = BookPageHeader(book, "About");
  page += BookPageSection(book, "About this E-Book", BuildBookInfoBlock(book));
  page += BuildCreditBlock(CreditLinkUrl(context), book.BoxColor(), book.TextColor());
  page += PageFooter();
  return WriteGeneratedPage(context.store, kAboutPageFile, page);
}

}  // namespace quire
