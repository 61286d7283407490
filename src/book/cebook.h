// The loaded book of one reader (ReaderContext::book).
//
// Owns the records of the container (settings, reserved list, directory, trailer,
// compile-time variables), the start page and the variables scripts define at run time.
// Every settings accessor returns a fixed default while no book is loaded.
#ifndef QUIRE_BOOK_CEBOOK_H_
#define QUIRE_BOOK_CEBOOK_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "book/book_features.h"
#include "book/book_text_encoding.h"
#include "book/ebook_records.h"
#include "book/ebook_settings.h"
#include "book/load_result.h"
#include "platform/env.h"

namespace quire {

// What loading asks of the layers above the book, which know HTML and variables. A step
// left empty is skipped.
struct BookLoadSteps {
  // The value of a plain-text compile-time variable (kinds 1 and 3) as HTML.
  std::function<std::string(const std::string& value)> textToHtml;
  // Expands the page-form variables of a file whose flag asks for it, in memory, before
  // the file is written: given the whole file as extracted, it leaves it as it is or
  // makes it what the expanded file is to hold.
  std::function<void(std::string* page)> expandPage;
  // Writes the extracted files.
  Env* env = Env::Default();
};

class PageStore;

class CEBook {
 public:
  CEBook() = default;
  CEBook(const CEBook&) = delete;
  CEBook& operator=(const CEBook&) = delete;

  // Forgets an earlier load: empty records (a settings record with empty texts), empty
  // start page. User variables are kept.
  void Reset();

  // --- The book's file -----------------------------------------------------------------
  // Where this book is read from: `file` is opened to read it (kOwnProgramFile for the
  // reader's own book, platform/paths.h) and `programPath` is the path its program goes
  // by (the exename variable, a desktop launcher). Empty until set; kept by Reset and by
  // loads.
  void SetFile(std::string file, std::string programPath) {
    m_file = std::move(file);
    m_programPath = std::move(programPath);
  }
  // A book file at `path`, read from there and known by it.
  void SetFile(const std::string& path) { SetFile(path, path); }
  const std::string& File() const { return m_file; }
  const std::string& ProgramPath() const { return m_programPath; }

  // Parses the book's file (File()), converts the plain-text variables, extracts every file
  // of the book into the book folder, expands the flagged pages and chooses the start
  // page. Shows nothing and never ends the process: a damaged container comes back as a
  // fatal result (kParseFailed, kNoFiles, kCountMismatch) before anything is extracted.
  // A book without an index page is loaded and comes back as kNoIndexPage with an empty
  // start page; the caller picks one. A file that cannot be extracted is skipped. Every
  // file and folder written is recorded in `store`, whose folder receives the book.
  LoadResult Load(PageStore& store, const BookLoadSteps& steps);

  // True once a settings record exists (after Reset or Load).
  bool HasSettings() const { return m_settings.has_value(); }

  // --- Settings, each with its default when no record exists ---------------------------
  std::string Esbn() const;
  std::string Title() const;
  std::string Author() const;
  std::string AuthorEmail() const;
  std::string AuthorUrl() const;
  std::string Publisher() const;
  std::string Copyright() const;
  bool OpenLinksOutside() const;
  int32_t WindowWidthCode() const;
  int32_t WindowHeight() const;
  int32_t WindowPositionCode() const;
  std::string StartupMessage() const;
  bool SearchShowPercent() const;
  bool SearchShowDescriptions() const;
  // The colours of the generated pages: the stored ones, except that a book whose colours
  // are the readable palette (Features().colorsFromPalette) gets its dark variant
  // (book/page_palette.h) while SetDarkDesktop(true) is in force.
  int32_t BackgroundColor() const;
  int32_t TextColor() const;
  int32_t BoxColor() const;
  int32_t LinkColor() const;
  int32_t VisitedLinkColor() const;
  int32_t HoverColor() const;
  bool ContentsShowDescriptions() const;
  bool SizeableFrame() const;
  bool MinimizeBox() const;
  bool MaximizeBox() const;
  bool AlwaysOnTop() const;
  bool MenuBar() const;
  bool Toolbar() const;
  bool ToolbarToggle() const;
  bool ToolbarButtonTexts() const;
  bool ContentsPopup() const;
  bool StatusBar() const;
  bool StatusBarToggle() const;
  // Show flag of toolbar button `index` (0 to 12); false outside that range.
  bool ToolbarButton(int index) const;
  int32_t ToolbarStyle() const;
  int32_t ShortcutOffer() const;
  int32_t AboutMode() const;
  std::string AboutPageName() const;
  int32_t ContentsMode() const;
  std::string ContentsPageName() const;
  bool PopupMenu() const;
  int32_t CompileDay() const;
  int32_t CompileMonth() const;
  int32_t CompileYear() const;
  int32_t CompileHour() const;
  int32_t CompileMinute() const;
  int32_t CompileSecond() const;
  std::string ReferralCode() const;
  std::string StartupScript() const;
  std::string ExitScript() const;
  int32_t FileCount() const;

  // Whether the desktop's theme is dark; kept across loads (it belongs to the desktop, not
  // to the book). False until told.
  void SetDarkDesktop(bool dark) { m_darkDesktop = dark; }
  bool DarkDesktop() const { return m_darkDesktop; }

  // --- Derived questions (command enabling) --------------------------------------------
  bool AnySearchable() const;
  bool AnyInContents() const;
  // The contents mode is not 1 and some file is in the contents.
  bool ContentsAvailable() const;

  // --- Records -------------------------------------------------------------------------
  std::string StartPage() const { return m_startPage; }
  void SetStartPage(std::string path) { m_startPage = std::move(path); }
  const std::vector<EBookFile>& Files() const { return m_directory; }
  const EBookTrailer& Trailer() const { return m_trailer; }
  // What the book records beyond its settings (book_features.h); the defaults for a book
  // without the record and while no book is loaded.
  const BookFeatures& Features() const { return m_features; }
  // The encoding of the book's texts (book_text_encoding.h); UTF-8 while no book is loaded.
  TextEncoding Encoding() const { return m_encoding; }
  const std::vector<EBookVariable>& Variables() const { return m_variables.variables; }
  int32_t Rebranded() const { return m_variables.rebranded; }

  // Variables defined by scripts; kept for the life of the process.
  std::unordered_map<std::string, std::string>& UserVariables() { return m_userVariables; }

  // Builds a book in memory: replaces the records as a load would (Reset, then these
  // records, the encoding they imply and no feature record), without reading a file or
  // extracting anything; the start page is left empty. User variables are kept.
  void SetRecords(EBookSettings settings, std::vector<EBookFile> directory,
                  EBookVariableList variables);
  // Replaces the feature record, as a load reading the book's reserved list would.
  void SetFeatures(BookFeatures features) { m_features = std::move(features); }

 private:
  std::optional<EBookSettings> m_settings;
  EBookReservedList m_reservedList;
  BookFeatures m_features;
  TextEncoding m_encoding = TextEncoding::kUtf8;
  std::vector<EBookFile> m_directory;
  EBookTrailer m_trailer;
  EBookVariableList m_variables;
  std::string m_startPage;
  std::unordered_map<std::string, std::string> m_userVariables;
  bool m_darkDesktop = false;
  std::string m_file;
  std::string m_programPath;
};

// The start-page rule, applied to each directory entry in stored order: while
// `startPage` is empty, a name equal to "index.htm" or "index.html" (case folded) makes
// `path` the start page; afterwards only "index.html" replaces it.
void ChooseStartPage(const std::string& fileName, const std::string& path, std::string* startPage);

}  // namespace quire

#endif  // QUIRE_BOOK_CEBOOK_H_
