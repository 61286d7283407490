#include "build_summary.h"

#include <cstdio>

namespace quire::pack {

namespace {

std::string Count(size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

std::string ReadableSize(int64_t bytes) {
  if (bytes < 1024)
    return Count(static_cast<size_t>(bytes < 0 ? 0 : bytes), "byte", "bytes");
  char text[32];
  double value = static_cast<double>(bytes) / 1024;
  const char* unit = "KiB";
  if (value >= 1024) {
    value /= 1024;
    unit = "MiB";
  }
  if (value >= 1024) {
    value /= 1024;
    unit = "GiB";
  }
  std::snprintf(text, sizeof text, "%.1f %s", value, unit);
  return text;
}

std::string BuildSummaryLine(const BuildSummary& summary) {
  std::string line = "Wrote " + summary.output + ": " + Count(summary.pages, "page", "pages") +
                     ", " + Count(summary.otherFiles, "other file", "other files") + ", " +
                     ReadableSize(summary.bookSize) + " book (reader image " +
                     ReadableSize(summary.imageSize) + ", " + summary.imagePath + ")";
  if (summary.warnings)
    line += ", " + Count(summary.warnings, "warning", "warnings");
  return line;
}

}  // namespace quire::pack
