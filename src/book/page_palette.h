// The colours of the pages the reader writes (contents, search results, about page) for a
// book whose author set none: the readable palette quire-pack stores in such a book, and
// its dark variant, which the reader uses instead while the desktop's theme is dark. Both
// keep text at least 7:1 (the WCAG contrast formula) on the background and in the boxes,
// and links, visited links and links under the mouse as well.
#ifndef QUIRE_BOOK_PAGE_PALETTE_H_
#define QUIRE_BOOK_PAGE_PALETTE_H_

#include <cstdint>

namespace quire {

// Colour references as the settings record stores them: red in the low byte.
struct PageColours {
  int32_t background;
  int32_t text;
  int32_t box;
  int32_t link;
  int32_t visitedLink;
  int32_t hover;
};

// A colour reference from the 0xRRGGBB a person writes.
constexpr int32_t RgbColour(uint32_t rgb) {
  return static_cast<int32_t>(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
}

// Dark text on white, blue links, purple visited links, red under the mouse.
inline constexpr PageColours kLightPalette = {
    RgbColour(0xFFFFFF), RgbColour(0x1F1F1F), RgbColour(0xF2F4F7),
    RgbColour(0x0645AD), RgbColour(0x6B2FA0), RgbColour(0xB3261E),
};

// Light text on near black, with light blue, lilac and salmon links.
inline constexpr PageColours kDarkPalette = {
    RgbColour(0x121212), RgbColour(0xE8E8E8), RgbColour(0x202328),
    RgbColour(0x8AB4F8), RgbColour(0xD7AEFB), RgbColour(0xF6AEA9),
};

}  // namespace quire

#endif  // QUIRE_BOOK_PAGE_PALETTE_H_
