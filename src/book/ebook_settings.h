// The book's settings record: everything fixed when the book was compiled. Fields are
// listed in stored order; reserved fields exist in the stored record but are not kept.
// The values here are those of an empty record (Reset); the defaults a reader sees when
// no book is loaded are in CEBook's accessors.
#ifndef QUIRE_BOOK_EBOOK_SETTINGS_H_
#define QUIRE_BOOK_EBOOK_SETTINGS_H_

#include <array>
#include <cstdint>
#include <string>

namespace quire {

inline constexpr int kToolbarButtonCount = 13;

// Colours are colour references: red in bits 0-7, green 8-15, blue 16-23.
struct EBookSettings {
  std::string esbn;  // the book's identifier; names its temporary folder
  std::string title;
  std::string author;
  std::string authorEmail;
  std::string authorUrl;
  std::string publisher;
  std::string copyright;
  int32_t openLinksOutside = 0;
  int32_t windowWidthCode = 0;  // -1, -2, -3 or a width in pixels
  int32_t windowHeight = 0;
  int32_t windowPositionCode = 0;  // -8 to -1, or centred
  std::string startupMessage;
  int32_t searchShowPercent = 0;
  int32_t searchShowDescriptions = 0;
  int32_t backgroundColor = 0;
  int32_t textColor = 0;
  int32_t boxColor = 0;
  int32_t linkColor = 0;
  int32_t visitedLinkColor = 0;
  int32_t hoverColor = 0;
  int32_t contentsShowDescriptions = 0;
  int32_t sizeableFrame = 0;
  int32_t minimizeBox = 0;
  int32_t maximizeBox = 0;
  int32_t alwaysOnTop = 0;
  int32_t menuBar = 0;
  int32_t toolbar = 0;
  int32_t toolbarToggle = 0;
  int32_t toolbarButtonTexts = 0;
  int32_t contentsPopup = 0;
  int32_t statusBar = 0;
  int32_t statusBarToggle = 0;
  std::array<int32_t, kToolbarButtonCount> toolbarButtons{};
  int32_t toolbarStyle = 0;
  int32_t shortcutOffer = 0;
  int32_t aboutMode = 0;  // 1 none, 2 the book's own page, other: generated
  std::string aboutPageName;
  int32_t contentsMode = 0;  // 1 none, 2 the book's own page, other: generated
  std::string contentsPageName;
  int32_t popupMenu = 0;
  int32_t compileDay = 0;
  int32_t compileMonth = 0;
  int32_t compileYear = 0;
  int32_t compileHour = 0;
  int32_t compileMinute = 0;
  int32_t compileSecond = 0;
  std::string referralCode;
  std::string startupScript;
  std::string exitScript;
  int32_t fileCount = 0;  // must equal the directory's number of entries
};

// A record with the values the reader shows for a book that sets nothing: the accessor
// defaults. Book writers start from this.
EBookSettings DefaultSettings();

}  // namespace quire

#endif  // QUIRE_BOOK_EBOOK_SETTINGS_H_
