// quire-pack list: what a book holds, as a table or as JSON.
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <utility>

#include "book/book_features.h"
#include "book/container_format.h"
#include "book/container_reader.h"
#include "book_file.h"
#include "cli_args.h"
#include "commands.h"
#include "json_writer.h"
#include "manifest.h"
#include "setting_table.h"
#include "temp_folder.h"
#include "terminal_text.h"

namespace quire::pack {

namespace {

constexpr char kListHelp[] =
    "Usage: quire-pack list BOOK [--json]\n"
    "\n"
    "Shows the settings of BOOK (as book.ini would set them), its files with their flags,\n"
    "sizes and packing, and its compile-time variables. Works on any book file, whatever\n"
    "program it was appended to. Control bytes in the book's names and texts are shown\n"
    "escaped (\\x1b, \\n; the tables show a backslash as \\\\, the settings quote such\n"
    "values as book.ini does); --json gives them exactly.\n"
    "\n"
    "Options:\n"
    "  --json       write one JSON object instead (settings as stored numbers and texts)\n"
    "  -h, --help   show this help\n";

using S = EBookSettings;

// The fields of the settings record as list --json names them (setting_table.h): its
// texts, then its numbers, each in stored order.
void ListSettingsFields(const EBookSettings& settings, JsonWriter* json) {
  struct Lister {
    const EBookSettings& settings;
    JsonWriter& json;
    bool texts;
    bool Mark(uint32_t) { return true; }
    bool Int(int32_t& value) {
      const char* name = SettingsFieldJsonName(settings, &value);
      if (!texts && name)
        json.Number(name, value);
      return true;
    }
    bool Text(std::string& value) {
      const char* name = SettingsFieldJsonName(settings, &value);
      if (texts && name)
        json.String(name, value);
      return true;
    }
    bool ReservedInts(int) { return true; }
    bool ReservedTexts(int) { return true; }
  };
  EBookSettings walked = settings;  // the walk may change what it visits
  for (bool texts : {true, false}) {
    Lister lister{walked, *json, texts};
    VisitSettings(lister, walked);
  }
}

// The flags of the feature record that list --json shows in "features", by name.
void ListFeatureFlags(const BookFeatures& features, JsonWriter* json) {
  std::vector<std::pair<std::string, bool>> flags;
  for (const SettingRow& row : SettingRows()) {
    if (row.flag && row.json)
      flags.emplace_back(row.json, features.*row.flag);
  }
  std::sort(flags.begin(), flags.end());
  for (const auto& [name, flag] : flags)
    json->Bool(name, flag);
}

// Unpacked sizes, found by extracting each file into a scratch folder; -1 when a file
// cannot be extracted (its error is kept).
struct FileSizes {
  std::vector<int64_t> sizes;
  std::vector<std::string> errors;
};

FileSizes MeasureFiles(const BookFile& book) {
  FileSizes out;
  TempFolder scratch;
  const std::vector<EntryName> names = BookEntryNames(book);
  const std::string unpacked = scratch.Path() + "unpacked";
  for (size_t i = 0; i < book.files.size(); ++i) {
    std::string error;
    int64_t size = -1;
    if (!scratch.Ok()) {
      error = "cannot make a scratch folder";
    } else if (names[i] != EntryName::kExtracted) {
      error = EntryNameProblem(names[i]);
    } else if (WriteBookEntryTo(book, i, unpacked, &error)) {
      struct stat st;
      if (stat(unpacked.c_str(), &st) == 0)
        size = st.st_size;
      std::remove(unpacked.c_str());
    }
    out.sizes.push_back(size);
    out.errors.push_back(size < 0 ? error : "");
  }
  return out;
}

std::string HumanSize(int64_t bytes) {
  if (bytes < 0)
    return "?";
  char text[32];
  if (bytes < 10000) {
    std::snprintf(text, sizeof text, "%lld", static_cast<long long>(bytes));
  } else if (bytes < 10 * 1024 * 1024) {
    std::snprintf(text, sizeof text, "%.1fK", static_cast<double>(bytes) / 1024);
  } else {
    std::snprintf(text, sizeof text, "%.1fM", static_cast<double>(bytes) / (1024 * 1024));
  }
  return text;
}

// One line of a table cell: the text with its control bytes escaped, cut to `width`.
// A cut never splits an escape.
std::string Cell(const std::string& text, size_t width) {
  std::string out = TerminalText(text);
  if (out.size() <= width)
    return out;
  out.clear();
  for (char c : text) {
    const std::string shown = TerminalText(std::string_view(&c, 1));
    if (out.size() + shown.size() > width - 3)
      break;
    out += shown;
  }
  return out + "...";
}

void PrintTable(const BookFile& book, const FileSizes& sizes, const std::string& splashInfo) {
  std::ostringstream out;
  out << "Book     " << TerminalText(book.path) << " (" << book.size << " bytes)\n";
  out << "Reader   " << ReaderImageSize(book) << " bytes before the book\n";
  out << "Book id  " << TerminalText(book.trailer.bookId) << "\n";
  char date[64];
  const S& s = book.settings;
  std::snprintf(date, sizeof date, "%04d-%02d-%02d %02d:%02d:%02d", s.compileYear, s.compileMonth,
                s.compileDay, s.compileHour, s.compileMinute, s.compileSecond);
  out << "Compiled " << date << "\n";
  out << "Splash   " << TerminalLine(splashInfo) << "\n";
  if (s.fileCount != static_cast<int32_t>(book.files.size())) {
    out << "WARNING  the settings count " << s.fileCount << " files but the directory holds "
        << book.files.size() << "; the reader refuses this book\n";
  }
  out << "\nSettings (as book.ini sets them):\n";
  ManifestSource source;
  source.settings = s;
  source.bookId = book.trailer.bookId;
  source.rebranded = book.variables.rebranded;
  source.features = ReadBookFeatures(book.reserved);
  // The listing shows the colours themselves, also those of the readable palette.
  source.features.colorsFromPalette = false;
  std::istringstream manifest(WriteManifest(source));
  for (std::string line; std::getline(manifest, line);) {
    if (line.empty() || line[0] == ';')
      continue;
    // Values holding control bytes are quoted, with their backslashes doubled.
    out << "  " << TerminalLine(line) << "\n";
  }

  out << "\nFiles (" << book.files.size() << "):\n";
  char row[512];
  std::snprintf(row, sizeof row, "  %4s  %-28s %9s %9s %6s  %-5s %s\n", "#", "Name", "Size",
                "Stored", "Packed", "Flags", "Title");
  out << row;
  int64_t total = 0, stored = 0;
  for (size_t i = 0; i < book.files.size(); ++i) {
    const EBookFile& f = book.files[i];
    int64_t size = sizes.sizes[i];
    std::string ratio = "-";
    if (f.packed && size > 0) {
      char r[16];
      std::snprintf(r, sizeof r, "%.0f%%", 100.0 * f.storedSize / static_cast<double>(size));
      ratio = r;
    } else if (f.packed) {
      ratio = "yes";
    }
    std::string flags;
    flags += f.searchable ? 'S' : '-';
    flags += f.inContents ? 'C' : '-';
    flags += f.expandVariables ? 'E' : '-';
    flags += f.fileName.rfind("__pxa__", 0) == 0 ? 'X' : '-';
    std::snprintf(row, sizeof row, "  %4zu  %-28s %9s %9s %6s  %-5s %s\n", i,
                  Cell(f.fileName, 28).c_str(), HumanSize(size).c_str(),
                  HumanSize(f.storedSize).c_str(), ratio.c_str(), flags.c_str(),
                  Cell(f.title, 40).c_str());
    out << row;
    if (!sizes.errors[i].empty())
      out << "        ! " << TerminalLine(sizes.errors[i]) << "\n";
    total += std::max<int64_t>(size, 0);
    stored += f.storedSize;
  }
  out << "  Total " << HumanSize(total) << " in files, " << HumanSize(stored) << " stored.\n";
  out << "  Flags: S searchable, C in contents, E variables expanded, X extension library\n";

  out << "\nVariables (" << book.variables.variables.size()
      << "), rebranded = " << (book.variables.rebranded ? "yes" : "no") << ":\n";
  for (const EBookVariable& v : book.variables.variables) {
    std::snprintf(row, sizeof row, "  %-20s %-5s %s\n", Cell(v.name, 20).c_str(),
                  v.kind == 1 || v.kind == 3 ? "text"
                  : v.kind == 2              ? "html"
                                             : std::to_string(v.kind).c_str(),
                  Cell(v.value, 50).c_str());
    out << row;
  }
  std::cout << out.str();
}

void PrintJson(const BookFile& book, const FileSizes& sizes, int64_t splashSize) {
  JsonWriter json;
  json.BeginObject();
  json.String("path", book.path);
  json.Number("size", static_cast<int64_t>(book.size));
  json.Number("readerSize", static_cast<int64_t>(ReaderImageSize(book)));
  json.String("bookId", book.trailer.bookId);
  json.Number("rebranded", book.variables.rebranded);
  // Whether the book's pages run their script links (books without the record do).
  json.Bool("pageCommands", ReadBookFeatures(book.reserved).pageCommands);
  json.String("search", ReadBookFeatures(book.reserved).visibleTextSearch ? "visible-text" : "raw");
  if (book.trailer.splashSize == 0 && book.trailer.splashPos == 0) {
    json.Null("splash");
  } else {
    json.BeginObject("splash");
    json.Number("storedSize", book.trailer.splashSize);
    json.Number("size", splashSize);
    json.EndObject();
  }
  json.BeginObject("settings");
  ListSettingsFields(book.settings, &json);
  json.BeginArray("toolbarButtons");
  for (int32_t flag : book.settings.toolbarButtons)
    json.Number(flag);
  json.EndArray();
  json.EndObject();
  const BookFeatures features = ReadBookFeatures(book.reserved);
  json.BeginObject("features");
  json.Bool("recorded", features.recorded);
  ListFeatureFlags(features, &json);
  json.EndObject();
  json.BeginArray("files");
  for (size_t i = 0; i < book.files.size(); ++i) {
    const EBookFile& f = book.files[i];
    json.BeginObject();
    json.String("name", f.fileName);
    json.Number("size", sizes.sizes[i]);
    json.Number("storedSize", f.storedSize);
    json.Bool("packed", f.packed);
    json.Bool("searchable", f.searchable);
    json.Bool("inContents", f.inContents);
    json.Bool("expandVariables", f.expandVariables);
    json.String("title", f.title);
    json.String("description", f.description);
    json.String("keywords", f.keywords);
    json.String("sortKey", f.sortKey);
    if (!sizes.errors[i].empty())
      json.String("error", sizes.errors[i]);
    json.EndObject();
  }
  json.EndArray();
  json.BeginArray("variables");
  for (const EBookVariable& v : book.variables.variables) {
    json.BeginObject();
    json.String("name", v.name);
    json.String("value", v.value);
    json.Number("kind", v.kind);
    json.String("note", v.secondText);
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
  std::cout << json.Text();
}

}  // namespace

int RunList(const std::vector<std::string>& args) {
  ParsedArgs parsed;
  std::string error;
  if (!ParseArgs(args, {{"json", '\0', false, false}}, &parsed, &error)) {
    return Fail(error + "\n(see quire-pack list --help)", kExitUsage);
  }
  if (parsed.Has("help")) {
    std::cout << kListHelp;
    return kExitOk;
  }
  if (parsed.positional.size() != 1) {
    return Fail("list needs one BOOK (see quire-pack list --help)", kExitUsage);
  }
  BookFile book;
  if (!OpenBookFile(parsed.positional[0], &book, &error))
    return Fail(error);
  FileSizes sizes = MeasureFiles(book);
  std::string splash;
  std::string splashInfo = "none";
  int64_t splashSize = -1;
  bool splashDamaged = false;
  if (!ReadSplashBitmap(book, &splash, &error)) {
    splashDamaged = true;
    splashInfo = "damaged (" + error + ")";
  } else if (!splash.empty()) {
    splashSize = static_cast<int64_t>(splash.size());
    splashInfo = "BMP picture, " + std::to_string(splash.size()) + " bytes (" +
                 std::to_string(book.trailer.splashSize) + " stored)";
  }
  if (parsed.Has("json")) {
    PrintJson(book, sizes, splashSize);
  } else {
    PrintTable(book, sizes, splashInfo);
  }
  // A damaged part is shown in the listing and makes the exit code say so.
  bool allRead =
      std::none_of(sizes.sizes.begin(), sizes.sizes.end(), [](int64_t s) { return s < 0; });
  if (!allRead || splashDamaged) {
    return Fail(parsed.positional[0] + ": some parts of the book cannot be read (marked above)");
  }
  return kExitOk;
}

}  // namespace quire::pack
