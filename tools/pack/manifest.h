// The book manifest "book.ini": what quire-pack build reads besides the files themselves.
//
// Sections (names and keys are case-insensitive, values are not):
//   [book], [window], [toolbar], [colors], [contents], [about], [search]
//                    the settings keys, one row each in setting_table.h
//   [variables] NAME = VALUE   (each a compile-time variable of kind text)
//   [variable:NAME]  value, kind, note
//   [file:NAME]      include, source, searchable, contents, packed, expand, title,
//                    description, keywords, sort-key
// Unknown sections and keys are errors, so a misspelt key never goes unnoticed.
#ifndef QUIRE_TOOLS_PACK_MANIFEST_H_
#define QUIRE_TOOLS_PACK_MANIFEST_H_

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "book/book_features.h"
#include "book/ebook_records.h"
#include "book/ebook_settings.h"
#include "ini_document.h"
#include "setting_table.h"

namespace quire::pack {

inline constexpr char kManifestName[] = "book.ini";

// What a [file:NAME] section says about one stored file; unset fields keep the defaults
// that the file's kind gives.
struct FileRule {
  std::string name;  // the stored name: a plain name, or a path below the book folder
  int line = 0;      // of the section header
  bool include = true;
  std::string source;  // where the bytes come from, relative to the source folder; empty:
                       // the file of that name in the source folder
  std::optional<int32_t> searchable;
  std::optional<int32_t> inContents;
  std::optional<int32_t> packed;
  std::optional<int32_t> expandVariables;
  std::optional<std::string> title;
  std::optional<std::string> description;
  std::optional<std::string> keywords;
  std::optional<std::string> sortKey;
};

// The settings keys' values (SettingValues: from ManifestDefaultSettings(), the feature
// record's defaults with the search reading the visible text, and what the manifest sets),
// and the rest of the manifest.
struct Manifest : SettingValues {
  std::vector<EBookVariable> variables;  // in manifest order
  std::vector<FileRule> files;           // in manifest order
  std::vector<std::string> ignore;       // glob patterns of names or paths to leave out
  // "subfolders": keep (the default: the files of subfolders are stored at their paths),
  // flatten (stored under plain names, references rewritten) or refuse (a subfolder
  // that is not ignored is an error).
  bool flattenSubfolders = false;
  bool refuseSubfolders = false;
  std::vector<std::string> colorKeysSet;  // the [colors] keys given, in lower case; the
                                          // others keep the readable palette
  // The settings keys the manifest gives, as (section, key) in lower case.
  std::set<std::pair<std::string, std::string>> given;

  // True when the manifest gives `key` in `section` (both in lower case): else the build
  // decides the value (the title, the ESBN, the book id, page commands).
  bool Gives(std::string_view section, std::string_view key) const {
    return given.count({std::string(section), std::string(key)}) != 0;
  }
};

// The window of a book whose manifest gives no size: wide enough for all twelve toolbar
// buttons with their texts and the search box after them. Measured with the reader under
// Xvfb (Adwaita, DejaVu Sans 10): every button takes the size of the widest (Contents, with
// its drop-down arrow, 93 pixels), so the twelve end about 1120 pixels from the window's
// left edge; the box needs about 110 more, and the rest leaves room for a wider font. It
// still fits a 1366-pixel screen; the reader cuts a larger window to the screen.
inline constexpr int32_t kDefaultWindowWidth = 1280;
inline constexpr int32_t kDefaultWindowHeight = 700;

// The settings a book gets for everything its manifest leaves out: the reader's defaults,
// except that the window opens at kDefaultWindowWidth x kDefaultWindowHeight pixels (not
// minimised), does not stay on top, the contents and about pages are generated, and the
// colours are the readable palette (readable_palette.h) instead of black on black.
EBookSettings ManifestDefaultSettings();

// Reads a parsed manifest. `label` names the file in messages ("book.ini:12: ..."). False
// with `error` set for an unknown section or key, a value of the wrong type, a variable name
// the reader would never expand, a file name that is no stored name (stored_name.h: a
// plain name or a path within the limits), or a book id longer than 63 bytes.
bool ReadManifest(const IniDocument& doc, const std::string& label, Manifest* manifest,
                  std::string* error);

// Reads the manifest file at `path`: ParseIni then ReadManifest.
bool LoadManifestFile(const std::string& path, Manifest* manifest, std::string* error);

// Everything a book holds, written as a manifest that ReadManifest reads back to the same
// records (compile date and file count excepted: build sets them). A splash name is
// written as the splash entry when not empty. When the feature record says the colours
// are the readable palette, [colors] sets none, so that build records it again. The
// feature record gives page-commands, remember-reading, pane and visible-text.
struct ManifestSource : SettingValues {
  std::vector<EBookFile> files;
  std::vector<EBookVariable> variables;
};
std::string WriteManifest(const ManifestSource& source);

}  // namespace quire::pack

#endif  // QUIRE_TOOLS_PACK_MANIFEST_H_
