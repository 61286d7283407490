// The stored form of a book, shared by the reader and the writer.
//
// A book file is a program image, then the payload blocks in any order, then a 104-byte
// trailer that says where the blocks lie. All positions are absolute byte offsets.
// Integers are 32-bit little-endian; "scrambled" ones have each byte XORed with the
// record key. A text is a scrambled integer N (the byte count, no terminator) followed
// by N bytes XORed with the record key; it ends at its first zero byte, if any. File data
// and the splash picture are XORed with the data key.
//
// Trailer (at file size - 104):
//   0  start mark 0x0FF5E101       4 reserved              8 settings position
//   12 reserved list position      16 directory position   20 data base
//   24 variable list position      28 splash position      32 splash stored size
//   36 book id, 64 raw bytes, zero-terminated inside the field
//   100 end mark 0x0FF5E150
// (all fields but the book id are scrambled integers; position and size of the splash
// are both 0 when there is none)
//
// Settings record: see VisitSettings below, which both sides walk.
// Reserved list:   mark 0x12A55001, two texts, count N (at most 1000, <= 0: none), N texts.
// Directory:       mark 0xF11E5001, count N, N entries of: mark 0xAB16F11E, name,
//                  reserved int, data offset (from the data base), stored size,
//                  searchable, in contents, packed, title, description, keywords,
//                  contents sort key, expand variables.
// Variable list:   mark 0x1151B165, rebranded flag, count N, N entries of: mark
//                  0xAC11DA1A, name, second text, value, reserved int, kind.
// File data:       stored size bytes at data base + data offset, XORed with the data key;
//                  an LZ stream (lz_decoder.h) when the entry is packed.
// Splash picture:  always an LZ stream of a BMP file, XORed with the data key.
#ifndef QUIRE_BOOK_CONTAINER_FORMAT_H_
#define QUIRE_BOOK_CONTAINER_FORMAT_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "book/ebook_settings.h"

namespace quire {

inline constexpr uint8_t kRecordKey = 0x5E;
inline constexpr uint8_t kDataKey = 0xC6;

inline constexpr size_t kTrailerSize = 104;
inline constexpr size_t kBookIdSize = 64;
inline constexpr uint32_t kTrailerStartMark = 0x0FF5E101;
inline constexpr uint32_t kTrailerEndMark = 0x0FF5E150;
inline constexpr uint32_t kSettingsStartMark = 0x610BA101;
inline constexpr uint32_t kSettingsEndMark = 0x610BA100;
inline constexpr uint32_t kReservedListMark = 0x12A55001;
inline constexpr int32_t kMaxReservedTexts = 1000;
inline constexpr uint32_t kDirectoryMark = 0xF11E5001;
inline constexpr uint32_t kFileEntryMark = 0xAB16F11E;
inline constexpr uint32_t kVariableListMark = 0x1151B165;
inline constexpr uint32_t kVariableEntryMark = 0xAC11DA1A;

// Smallest stored size of one directory entry (all texts empty) and of one variable
// entry: a count that needs more bytes than remain cannot be right.
inline constexpr int64_t kMinFileEntrySize = 13 * 4;
inline constexpr int64_t kMinVariableEntrySize = 6 * 4;

template <typename Visitor>
bool VisitToolbarButtons(Visitor& v, EBookSettings& s) {
  for (int32_t& flag : s.toolbarButtons) {
    if (!v.Int(flag))
      return false;
  }
  return true;
}

// Walks the settings record in stored order. The visitor answers, each returning false
// to stop the walk:
//   Mark(uint32_t)          an expected integer
//   Int(int32_t&)           one integer field
//   Text(std::string&)      one text field
//   ReservedInts(int n)     n reserved integers (read and dropped, written as 0)
//   ReservedTexts(int n)    n reserved texts (read and dropped, written empty)
template <typename Visitor>
bool VisitSettings(Visitor& v, EBookSettings& s) {
  return v.Mark(kSettingsStartMark) && v.ReservedTexts(1) && v.ReservedInts(22) && v.Text(s.esbn) &&
         v.Text(s.title) && v.Text(s.author) && v.Text(s.authorEmail) && v.Text(s.authorUrl) &&
         v.Text(s.publisher) && v.Text(s.copyright) && v.ReservedInts(16) && v.ReservedInts(3) &&
         v.ReservedTexts(2) && v.Int(s.openLinksOutside) && v.Int(s.windowWidthCode) &&
         v.Int(s.windowHeight) && v.Int(s.windowPositionCode) && v.Text(s.startupMessage) &&
         v.Int(s.searchShowPercent) && v.Int(s.searchShowDescriptions) &&
         v.Int(s.backgroundColor) && v.Int(s.textColor) && v.Int(s.boxColor) &&
         v.Int(s.linkColor) && v.Int(s.visitedLinkColor) && v.Int(s.hoverColor) &&
         v.Int(s.contentsShowDescriptions) && v.Int(s.sizeableFrame) && v.Int(s.minimizeBox) &&
         v.Int(s.maximizeBox) && v.Int(s.alwaysOnTop) && v.Int(s.menuBar) && v.Int(s.toolbar) &&
         v.Int(s.toolbarToggle) && v.Int(s.toolbarButtonTexts) && v.Int(s.contentsPopup) &&
         v.Int(s.statusBar) && v.Int(s.statusBarToggle) && VisitToolbarButtons(v, s) &&
         v.Int(s.toolbarStyle) && v.Int(s.shortcutOffer) && v.Int(s.aboutMode) &&
         v.Text(s.aboutPageName) && v.Int(s.contentsMode) && v.Text(s.contentsPageName) &&
         v.ReservedInts(1) && v.ReservedTexts(1) && v.Int(s.popupMenu) && v.ReservedInts(3) &&
         v.ReservedTexts(1) && v.Int(s.compileDay) && v.Int(s.compileMonth) &&
         v.Int(s.compileYear) && v.Int(s.compileHour) && v.Int(s.compileMinute) &&
         v.Int(s.compileSecond) && v.ReservedTexts(4) && v.Text(s.referralCode) &&
         v.Text(s.startupScript) && v.ReservedTexts(2) && v.Text(s.exitScript) &&
         v.Int(s.fileCount) && v.Mark(kSettingsEndMark);
}

}  // namespace quire

#endif  // QUIRE_BOOK_CONTAINER_FORMAT_H_
