// The colours a book's generated pages (contents, search results, about page) get when
// its manifest names none: dark text on a light background, blue links, purple visited
// links and a light box, each far above the contrast that text needs to be read
// (book/page_palette.h's light palette; the reader shows its dark variant under a dark
// desktop theme when the book records that its colours came from here).
// Contrast is measured as the WCAG relative-luminance ratio, from 1 (the same colour) to
// 21 (black on white).
#ifndef QUIRE_TOOLS_PACK_READABLE_PALETTE_H_
#define QUIRE_TOOLS_PACK_READABLE_PALETTE_H_

#include <cstdint>
#include <string>
#include <vector>

#include "book/ebook_settings.h"

namespace quire::pack {

// One colour of the palette: the [colors] key that sets it, the settings field and the
// colour reference stored (red in the low byte).
struct PaletteColour {
  const char* key;
  int32_t EBookSettings::*field;
  int32_t value;
};

// Every colour a manifest can set, in [colors] order.
const std::vector<PaletteColour>& ReadablePalette();

// Below this contrast of text on background, build warns: even explicit colours that
// low are most likely a mistake (black on black).
inline constexpr double kLowestTextContrast = 3.0;

// Sets every colour of the palette in `settings`.
void ApplyReadablePalette(EBookSettings* settings);

// The relative luminance (0 black to 1 white) of a colour reference, read as the reader
// writes it into pages: its low 24 bits.
double RelativeLuminance(int32_t colour);

// (lighter + 0.05) / (darker + 0.05), the same whichever comes first.
double ContrastRatio(int32_t first, int32_t second);

// What build says about the palette, given the [colors] keys the manifest set (as
// written in lower case): empty when it set them all.
std::string PaletteNote(const std::vector<std::string>& keysSet);

// The warning for text that is hard to read on the book's background; empty when the
// contrast is at least kLowestTextContrast.
std::string TextContrastWarning(const EBookSettings& settings);

}  // namespace quire::pack

#endif  // QUIRE_TOOLS_PACK_READABLE_PALETTE_H_
