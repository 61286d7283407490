#include "platform/windows1252.h"

namespace quire {

namespace {

// Bytes 0x80 to 0x9F; 0 marks the unassigned ones. All other bytes are their own code
// point.
constexpr uint16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

uint32_t Windows1252ToCodePoint(uint8_t byte) {
  return byte >= 0x80 && byte <= 0x9F ? kHigh[byte - 0x80] : byte;
}

int CodePointToWindows1252(uint32_t codePoint) {
  if (codePoint == 0)
    return 0;
  if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
    return static_cast<int>(codePoint);
  for (int k = 0; k < 32; ++k) {
    if (kHigh[k] != 0 && kHigh[k] == codePoint)
      return 0x80 + k;
  }
  return -1;
}

}  // namespace quire
