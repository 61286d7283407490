#include "readable_palette.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "book/page_palette.h"
#include "manifest_values.h"

namespace quire::pack {

namespace {

double Channel(int32_t byte) {
  double c = byte / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

std::string Hex(int32_t colour) {
  return WriteColor(colour & 0xFFFFFF);
}

}  // namespace

const std::vector<PaletteColour>& ReadablePalette() {
  using S = EBookSettings;
  // Text 16:1 on the background and 14:1 in the boxes; links 8:1 and more.
  const PageColours& light = kLightPalette;
  static const std::vector<PaletteColour> palette = {
      {"background", &S::backgroundColor, light.background},
      {"text", &S::textColor, light.text},
      {"box", &S::boxColor, light.box},
      {"link", &S::linkColor, light.link},
      {"visited-link", &S::visitedLinkColor, light.visitedLink},
      {"hover", &S::hoverColor, light.hover},
  };
  return palette;
}

void ApplyReadablePalette(EBookSettings* settings) {
  for (const PaletteColour& c : ReadablePalette())
    settings->*c.field = c.value;
}

double RelativeLuminance(int32_t colour) {
  return 0.2126 * Channel(colour & 0xFF) + 0.7152 * Channel((colour >> 8) & 0xFF) +
         0.0722 * Channel((colour >> 16) & 0xFF);
}

double ContrastRatio(int32_t first, int32_t second) {
  double a = RelativeLuminance(first), b = RelativeLuminance(second);
  return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

std::string PaletteNote(const std::vector<std::string>& keysSet) {
  std::string unset, taken;
  for (const PaletteColour& c : ReadablePalette()) {
    if (std::find(keysSet.begin(), keysSet.end(), c.key) != keysSet.end())
      continue;
    unset += (unset.empty() ? "" : ", ") + std::string(c.key);
    taken += (taken.empty() ? "" : ", ") + std::string(c.key) + " " + Hex(c.value);
  }
  if (unset.empty())
    return "";
  if (keysSet.empty()) {
    return "no colours set; the contents, search and about pages get the readable palette (" +
           taken + ")";
  }
  return "[colors] sets no " + unset + "; taken from the readable palette (" + taken + ")";
}

std::string TextContrastWarning(const EBookSettings& settings) {
  double ratio = ContrastRatio(settings.textColor, settings.backgroundColor);
  if (ratio >= kLowestTextContrast)
    return "";
  // Cut, not rounded, so that 2.96 never reads as "3.0:1 (below 3:1)".
  char shown[16];
  std::snprintf(shown, sizeof shown, "%.1f", std::floor(ratio * 10) / 10);
  return "[colors] text " + Hex(settings.textColor) + " on background " +
         Hex(settings.backgroundColor) + " has a contrast of " + shown +
         ":1 (below 3:1); the contents, search and about pages will be hard to read";
}

}  // namespace quire::pack
