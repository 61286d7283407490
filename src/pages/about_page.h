// The about page the reader generates, its credit section, and the address of Quire's own
// web site that the credit links and {compilerurl} use.
#ifndef QUIRE_PAGES_ABOUT_PAGE_H_
#define QUIRE_PAGES_ABOUT_PAGE_H_

#include <cstdint>
#include <string>

namespace quire {

class CEBook;
struct ReaderContext;

// Quire's web site, and the site of its book library (value 1 of the SITE setting gives
// its "ebook/" folder, any other non-zero value N its folder "N/").
inline constexpr char kQuireSiteUrl[] = "https://quire-reader.org/";
inline constexpr char kQuireLibraryUrl[] = "https://library.quire-reader.org/";

// The compiler version that books see as {compilerversion}. Stored books and their
// scripts may compare against it, so it stays the version of the book compiler; the
// credit names this program's own version (QUIRE_VERSION).
inline constexpr char kCompilerVersion[] = "4.00";

// The path of the page to show as the about page. About mode 2: the book folder + the
// book's own about page name, nothing built. Any other mode (1 included: a direct call
// still builds it): the generated page, written as the book folder's "__about.html". The
// path is returned even when the write failed (the page store reports that).
std::string BuildAboutPage(ReaderContext& context);

// The HTML body of the book's section: title, publisher, author with e-mail, web site,
// copyright and ESBN; every shown text is escaped, parts the book leaves empty are left
// out (an e-mail without an author name is not shown).
std::string BuildBookInfoBlock(const CEBook& book);

// The whole credit section ("Software &amp; Copyright") with its two links to `linkUrl`
// (plain "Quire" where `linkUrl` is blank) and this program's version.
std::string BuildCreditBlock(const std::string& linkUrl, int32_t boxColour, int32_t textColour);

// SiteUrl(), followed by "a.asp?" and the book's referral code when the code is not blank.
std::string CreditLinkUrl(ReaderContext& context);

// Quire's site address, ending with "/". Integer "SITE" of section "SITE" in
// "pgxconfig.ini" (in the configuration folder) selects the library site instead; a
// missing file or key keeps the main site. Computed on first use and kept in `context`
// (ReaderContext::siteUrl) for the rest of the run.
std::string SiteUrl(ReaderContext& context);

}  // namespace quire

#endif  // QUIRE_PAGES_ABOUT_PAGE_H_
