#include "book/cebook.h"

#include <algorithm>

#include "book/page_palette.h"

namespace quire {

EBookSettings DefaultSettings() {
  EBookSettings s;
  s.windowWidthCode = -2;
  s.windowHeight = -2;
  s.windowPositionCode = 0;
  s.searchShowPercent = 1;
  s.searchShowDescriptions = 1;
  s.hoverColor = -2;
  s.contentsShowDescriptions = 1;
  s.sizeableFrame = 1;
  s.minimizeBox = 1;
  s.maximizeBox = 1;
  s.alwaysOnTop = 1;
  s.menuBar = 1;
  s.toolbar = 1;
  s.toolbarToggle = 1;
  s.toolbarButtonTexts = 1;
  s.contentsPopup = 1;
  s.statusBar = 1;
  s.statusBarToggle = 1;
  s.toolbarButtons.fill(1);
  s.aboutMode = 1;
  s.contentsMode = 1;
  s.popupMenu = 1;
  return s;
}

namespace {

// The record the accessors read when no book is loaded.
const EBookSettings& Defaults() {
  static const EBookSettings* defaults = new EBookSettings(DefaultSettings());
  return *defaults;
}

}  // namespace

void CEBook::Reset() {
  m_settings.emplace();
  m_reservedList = {};
  m_features = {};
  m_encoding = TextEncoding::kUtf8;
  m_directory.clear();
  m_trailer = {};
  m_variables = {};
  m_startPage.clear();
}

void CEBook::SetRecords(EBookSettings settings, std::vector<EBookFile> directory,
                        EBookVariableList variables) {
  Reset();
  m_settings = std::move(settings);
  m_directory = std::move(directory);
  m_variables = std::move(variables);
  m_encoding = BookTextEncoding(*m_settings, m_directory);
}

#define QUIRE_SETTING(Type, Name, field)                                     \
  Type CEBook::Name() const {                                                \
    return static_cast<Type>((m_settings ? *m_settings : Defaults()).field); \
  }

QUIRE_SETTING(std::string, Esbn, esbn)
QUIRE_SETTING(std::string, Title, title)
QUIRE_SETTING(std::string, Author, author)
QUIRE_SETTING(std::string, AuthorEmail, authorEmail)
QUIRE_SETTING(std::string, AuthorUrl, authorUrl)
QUIRE_SETTING(std::string, Publisher, publisher)
QUIRE_SETTING(std::string, Copyright, copyright)
QUIRE_SETTING(bool, OpenLinksOutside, openLinksOutside)
QUIRE_SETTING(int32_t, WindowWidthCode, windowWidthCode)
QUIRE_SETTING(int32_t, WindowHeight, windowHeight)
QUIRE_SETTING(int32_t, WindowPositionCode, windowPositionCode)
QUIRE_SETTING(std::string, StartupMessage, startupMessage)
QUIRE_SETTING(bool, SearchShowPercent, searchShowPercent)
QUIRE_SETTING(bool, SearchShowDescriptions, searchShowDescriptions)

// A colour of the generated pages: the dark palette's for a book of the readable palette
// on a dark desktop, else the stored one.
#define QUIRE_PAGE_COLOUR(Name, field)                                                 \
  int32_t CEBook::Name() const {                                                       \
    if (m_darkDesktop && m_features.colorsFromPalette)                                 \
      return kDarkPalette.field;                                                       \
    return static_cast<int32_t>((m_settings ? *m_settings : Defaults()).field##Color); \
  }

QUIRE_PAGE_COLOUR(BackgroundColor, background)
QUIRE_PAGE_COLOUR(TextColor, text)
QUIRE_PAGE_COLOUR(BoxColor, box)
QUIRE_PAGE_COLOUR(LinkColor, link)
QUIRE_PAGE_COLOUR(VisitedLinkColor, visitedLink)
QUIRE_PAGE_COLOUR(HoverColor, hover)
#undef QUIRE_PAGE_COLOUR
QUIRE_SETTING(bool, ContentsShowDescriptions, contentsShowDescriptions)
QUIRE_SETTING(bool, SizeableFrame, sizeableFrame)
QUIRE_SETTING(bool, MinimizeBox, minimizeBox)
QUIRE_SETTING(bool, MaximizeBox, maximizeBox)
QUIRE_SETTING(bool, AlwaysOnTop, alwaysOnTop)
QUIRE_SETTING(bool, MenuBar, menuBar)
QUIRE_SETTING(bool, Toolbar, toolbar)
QUIRE_SETTING(bool, ToolbarToggle, toolbarToggle)
QUIRE_SETTING(bool, ToolbarButtonTexts, toolbarButtonTexts)
QUIRE_SETTING(bool, ContentsPopup, contentsPopup)
QUIRE_SETTING(bool, StatusBar, statusBar)
QUIRE_SETTING(bool, StatusBarToggle, statusBarToggle)
QUIRE_SETTING(int32_t, ToolbarStyle, toolbarStyle)
QUIRE_SETTING(int32_t, ShortcutOffer, shortcutOffer)
QUIRE_SETTING(int32_t, AboutMode, aboutMode)
QUIRE_SETTING(std::string, AboutPageName, aboutPageName)
QUIRE_SETTING(int32_t, ContentsMode, contentsMode)
QUIRE_SETTING(std::string, ContentsPageName, contentsPageName)
QUIRE_SETTING(bool, PopupMenu, popupMenu)
QUIRE_SETTING(int32_t, CompileDay, compileDay)
QUIRE_SETTING(int32_t, CompileMonth, compileMonth)
QUIRE_SETTING(int32_t, CompileYear, compileYear)
QUIRE_SETTING(int32_t, CompileHour, compileHour)
QUIRE_SETTING(int32_t, CompileMinute, compileMinute)
QUIRE_SETTING(int32_t, CompileSecond, compileSecond)
QUIRE_SETTING(std::string, ReferralCode, referralCode)
QUIRE_SETTING(std::string, StartupScript, startupScript)
QUIRE_SETTING(std::string, ExitScript, exitScript)
QUIRE_SETTING(int32_t, FileCount, fileCount)

#undef QUIRE_SETTING

bool CEBook::ToolbarButton(int index) const {
  if (index < 0 || index >= kToolbarButtonCount)
    return false;
  return (m_settings ? *m_settings : Defaults()).toolbarButtons[static_cast<size_t>(index)] != 0;
}

bool CEBook::AnySearchable() const {
  return std::any_of(m_directory.begin(), m_directory.end(),
                     [](const EBookFile& f) { return f.searchable; });
}

bool CEBook::AnyInContents() const {
  return std::any_of(m_directory.begin(), m_directory.end(),
                     [](const EBookFile& f) { return f.inContents; });
}

bool CEBook::ContentsAvailable() const {
  return ContentsMode() != 1 && AnyInContents();
}

}  // namespace quire
