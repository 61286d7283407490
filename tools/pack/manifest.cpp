#include "manifest.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

#include "book/container_reader.h"
#include "manifest_values.h"
#include "pages/variables.h"
#include "platform/ascii_text.h"
#include "readable_palette.h"

namespace quire::pack {

namespace {

// One settings field as the manifest names it. Exactly one of `text` and `number` is set.
struct SettingKey {
  const char* section;
  const char* key;
  std::string EBookSettings::*text = nullptr;
  int32_t EBookSettings::*number = nullptr;
  ValueReader read = nullptr;
  ValueWriter write = nullptr;
};

SettingKey Text(const char* section, const char* key, std::string EBookSettings::*field) {
  return {section, key, field, nullptr, nullptr, nullptr};
}
SettingKey Number(const char* section, const char* key, int32_t EBookSettings::*field,
                  ValueReader read, ValueWriter write) {
  return {section, key, nullptr, field, read, write};
}

// Every settings field but the toolbar buttons (a list of its own), the compile date and
// the file count (both set by the build), in the order a written manifest lists them.
const std::vector<SettingKey>& SettingKeys() {
  using S = EBookSettings;
  static const std::vector<SettingKey> keys = {
      Text("book", "esbn", &S::esbn),
      Text("book", "title", &S::title),
      Text("book", "author", &S::author),
      Text("book", "author-email", &S::authorEmail),
      Text("book", "author-url", &S::authorUrl),
      Text("book", "publisher", &S::publisher),
      Text("book", "copyright", &S::copyright),
      Text("book", "startup-message", &S::startupMessage),
      Text("book", "startup-script", &S::startupScript),
      Text("book", "exit-script", &S::exitScript),
      Text("book", "referral-code", &S::referralCode),
      Number("book", "open-links-outside", &S::openLinksOutside, ReadFlag, WriteFlag),
      Number("book", "shortcut-offer", &S::shortcutOffer, ReadShortcutOffer, WriteShortcutOffer),
      Number("book", "popup-menu", &S::popupMenu, ReadFlag, WriteFlag),
      Number("window", "width", &S::windowWidthCode, ReadWindowWidth, WriteWindowWidth),
      Number("window", "height", &S::windowHeight, ReadInteger, WriteInteger),
      Number("window", "position", &S::windowPositionCode, ReadWindowPosition, WriteWindowPosition),
      Number("window", "sizeable", &S::sizeableFrame, ReadFlag, WriteFlag),
      Number("window", "minimize-box", &S::minimizeBox, ReadFlag, WriteFlag),
      Number("window", "maximize-box", &S::maximizeBox, ReadFlag, WriteFlag),
      Number("window", "always-on-top", &S::alwaysOnTop, ReadFlag, WriteFlag),
      Number("window", "menu-bar", &S::menuBar, ReadFlag, WriteFlag),
      Number("window", "status-bar", &S::statusBar, ReadFlag, WriteFlag),
      Number("window", "status-bar-toggle", &S::statusBarToggle, ReadFlag, WriteFlag),
      Number("toolbar", "show", &S::toolbar, ReadFlag, WriteFlag),
      Number("toolbar", "toggle", &S::toolbarToggle, ReadFlag, WriteFlag),
      Number("toolbar", "texts", &S::toolbarButtonTexts, ReadFlag, WriteFlag),
      Number("toolbar", "style", &S::toolbarStyle, ReadToolbarStyle, WriteToolbarStyle),
      Number("colors", "background", &S::backgroundColor, ReadColor, WriteColor),
      Number("colors", "text", &S::textColor, ReadColor, WriteColor),
      Number("colors", "box", &S::boxColor, ReadColor, WriteColor),
      Number("colors", "link", &S::linkColor, ReadColor, WriteColor),
      Number("colors", "visited-link", &S::visitedLinkColor, ReadColor, WriteColor),
      Number("colors", "hover", &S::hoverColor, ReadColor, WriteColor),
      Number("contents", "mode", &S::contentsMode, ReadPageMode, WritePageMode),
      Text("contents", "page", &S::contentsPageName),
      Number("contents", "show-descriptions", &S::contentsShowDescriptions, ReadFlag, WriteFlag),
      Number("contents", "popup", &S::contentsPopup, ReadFlag, WriteFlag),
      Number("about", "mode", &S::aboutMode, ReadPageMode, WritePageMode),
      Text("about", "page", &S::aboutPageName),
      Number("search", "show-percent", &S::searchShowPercent, ReadFlag, WriteFlag),
      Number("search", "show-descriptions", &S::searchShowDescriptions, ReadFlag, WriteFlag),
  };
  return keys;
}

// Splits "kind:NAME" into its lower-case kind and its name as written (trimmed).
bool SplitSectionName(const std::string& section, std::string* kind, std::string* name) {
  size_t colon = section.find(':');
  if (colon == std::string::npos)
    return false;
  *kind = AsciiLowered(section.substr(0, colon));
  std::string rest = section.substr(colon + 1);
  size_t first = rest.find_first_not_of(" \t");
  size_t last = rest.find_last_not_of(" \t");
  *name = first == std::string::npos ? "" : rest.substr(first, last - first + 1);
  return true;
}

// A compile-time variable's name must be one the reader can expand: not empty, no braces
// or blanks, and not a predefined name (which the reader replaces first).
bool CheckVariableName(const std::string& name, std::string* reason) {
  if (name.empty()) {
    *reason = "a variable needs a name";
    return false;
  }
  for (char c : name) {
    if (c == '{' || c == '}' || std::isspace(static_cast<unsigned char>(c))) {
      *reason = "variable name '" + name + "' may not hold braces or blanks";
      return false;
    }
  }
  for (std::string_view predefined : PredefinedVariableNames()) {
    if (name == predefined) {
      *reason = "variable name '" + name +
                "' is a predefined variable of the reader; pages would never see this value";
      return false;
    }
  }
  return true;
}

class ManifestReader {
 public:
  ManifestReader(const std::string& label, Manifest* manifest, std::string* error)
      : m_label(label), m_manifest(manifest), m_error(error) {}

  bool Read(const IniDocument& doc) {
    for (const IniSection& section : doc.sections) {
      if (!ReadSection(section))
        return false;
    }
    return true;
  }

 private:
  bool Fail(int line, const std::string& reason) {
    *m_error = m_label + ":" + std::to_string(line) + ": " + reason;
    return false;
  }

  bool ReadSection(const IniSection& section) {
    std::string kind, name;
    if (SplitSectionName(section.name, &kind, &name)) {
      if (kind == "file")
        return ReadFileSection(section, name);
      if (kind == "variable")
        return ReadVariableSection(section, name);
      return Fail(section.line, "unknown section [" + section.name +
                                    "] (expected [file:NAME] or [variable:NAME])");
    }
    std::string lower = AsciiLowered(section.name);
    if (lower == "variables") {
      for (const IniEntry& e : section.entries) {
        if (!AddVariable(e.keyAsWritten, e.value, 1, "", e.line))
          return false;
      }
      return true;
    }
    bool known = false;
    for (const SettingKey& k : SettingKeys())
      known = known || lower == k.section;
    if (!known) {
      return Fail(section.line, "unknown section [" + section.name +
                                    "] (expected book, window, toolbar, colors, contents, "
                                    "about, search, variables, file:NAME or variable:NAME)");
    }
    for (const IniEntry& e : section.entries) {
      if (!ReadSetting(lower, e))
        return false;
    }
    return true;
  }

  bool ReadSetting(const std::string& section, const IniEntry& e) {
    std::string reason;
    if (section == "book") {
      if (e.key == "id") {
        if (e.value.size() > 63)
          return Fail(e.line, "the book id may hold at most 63 bytes");
        m_manifest->bookId = e.value;
        return true;
      }
      if (e.key == "splash") {
        m_manifest->splash = e.value;
        return true;
      }
      if (e.key == "rebranded") {
        if (!ReadFlag(e.value, &m_manifest->rebranded, &reason))
          return Fail(e.line, reason);
        return true;
      }
      if (e.key == "page-commands") {
        int32_t flag = 0;
        if (!ReadFlag(e.value, &flag, &reason))
          return Fail(e.line, "[book] page-commands: " + reason);
        m_manifest->pageCommands = flag != 0;
        return true;
      }
      if (e.key == "subfolders") {
        std::string value = AsciiLowered(e.value);
        if (value != "keep" && value != "flatten" && value != "refuse")
          return Fail(e.line,
                      "[book] subfolders: expected keep, flatten or refuse, not '" + e.value + "'");
        m_manifest->flattenSubfolders = value == "flatten";
        m_manifest->refuseSubfolders = value == "refuse";
        return true;
      }
      if (e.key == "remember-reading")
        return ReadFeatureFlag(e, &m_manifest->features.rememberReading);
      if (e.key == "ignore") {
        std::istringstream words(e.value);
        for (std::string w; words >> w;)
          m_manifest->ignore.push_back(w);
        return true;
      }
    }
    if (section == "contents" && e.key == "pane")
      return ReadFeatureFlag(e, &m_manifest->features.contentsPane);
    if (section == "search" && e.key == "visible-text") {
      int32_t flag = 1;
      if (!ReadFlag(e.value, &flag, &reason))
        return Fail(e.line, "[search] visible-text: " + reason);
      m_manifest->visibleTextSearch = flag != 0;
      return true;
    }
    if (section == "toolbar" && e.key == "buttons") {
      if (!ReadToolbarButtons(e.value, &m_manifest->settings.toolbarButtons, &reason)) {
        return Fail(e.line, reason);
      }
      return true;
    }
    for (const SettingKey& k : SettingKeys()) {
      if (section != k.section || e.key != k.key)
        continue;
      if (k.text) {
        m_manifest->settings.*k.text = e.value;
        if (k.text == &EBookSettings::title)
          m_manifest->hasTitle = true;
        if (k.text == &EBookSettings::esbn)
          m_manifest->hasEsbn = true;
        return true;
      }
      if (!k.read(e.value, &(m_manifest->settings.*k.number), &reason)) {
        return Fail(e.line, "[" + section + "] " + e.key + ": " + reason);
      }
      std::vector<std::string>& colours = m_manifest->colorKeysSet;
      if (section == "colors" && std::find(colours.begin(), colours.end(), e.key) == colours.end())
        colours.push_back(e.key);
      return true;
    }
    return Fail(e.line, "unknown key '" + e.key + "' in [" + section + "]");
  }

  bool ReadFeatureFlag(const IniEntry& e, bool* flag) {
    std::string reason;
    int32_t value = 0;
    if (!ReadFlag(e.value, &value, &reason))
      return Fail(e.line, e.key + ": " + reason);
    *flag = value != 0;
    return true;
  }

  bool AddVariable(const std::string& name, const std::string& value, int32_t kind,
                   const std::string& note, int line) {
    std::string reason;
    if (!CheckVariableName(name, &reason))
      return Fail(line, reason);
    for (const EBookVariable& v : m_manifest->variables) {
      if (v.name == name)
        return Fail(line, "variable '" + name + "' is defined twice");
    }
    EBookVariable v;
    v.name = name;
    v.secondText = note;
    v.value = value;
    v.kind = kind;
    m_manifest->variables.push_back(v);
    return true;
  }

  bool ReadVariableSection(const IniSection& section, const std::string& name) {
    std::string value, note, reason;
    int32_t kind = 1;
    for (const IniEntry& e : section.entries) {
      if (e.key == "value") {
        value = e.value;
      } else if (e.key == "note") {
        note = e.value;
      } else if (e.key == "kind") {
        if (!ReadVariableKind(e.value, &kind, &reason))
          return Fail(e.line, reason);
      } else {
        return Fail(e.line, "unknown key '" + e.key + "' in [" + section.name +
                                "] (expected value, kind or note)");
      }
    }
    return AddVariable(name, value, kind, note, section.line);
  }

  bool ReadFileSection(const IniSection& section, const std::string& name) {
    switch (CheckStoredName(name)) {
      case StoredNameCheck::kValid:
        break;
      case StoredNameCheck::kInvalid:
        return Fail(section.line, "[" + section.name +
                                      "]: not a name a book can store a file under (a plain "
                                      "name or a path such as docs/intro.html, without empty, "
                                      "'.' or '..' parts, a leading '/', '\\' or control "
                                      "characters)");
      case StoredNameCheck::kBeyondLimits:
        return Fail(section.line, "[" + section.name +
                                      "]: the name is longer or deeper than the reader keeps "
                                      "(1024 bytes, 255 per part, 32 parts)");
    }
    for (const FileRule& r : m_manifest->files) {
      if (r.name == name)
        return Fail(section.line, "file '" + name + "' is described twice");
    }
    FileRule rule;
    rule.name = name;
    rule.line = section.line;
    std::string reason;
    for (const IniEntry& e : section.entries) {
      int32_t flag = 0;
      std::optional<int32_t>* flagField = nullptr;
      std::optional<std::string>* textField = nullptr;
      if (e.key == "include") {
        if (!ReadFlag(e.value, &flag, &reason))
          return Fail(e.line, reason);
        rule.include = flag != 0;
        continue;
      }
      if (e.key == "source") {
        rule.source = e.value;
        continue;
      }
      if (e.key == "searchable")
        flagField = &rule.searchable;
      if (e.key == "contents")
        flagField = &rule.inContents;
      if (e.key == "packed")
        flagField = &rule.packed;
      if (e.key == "expand")
        flagField = &rule.expandVariables;
      if (e.key == "title")
        textField = &rule.title;
      if (e.key == "description")
        textField = &rule.description;
      if (e.key == "keywords")
        textField = &rule.keywords;
      if (e.key == "sort-key")
        textField = &rule.sortKey;
      if (flagField) {
        if (!ReadFlag(e.value, &flag, &reason)) {
          return Fail(e.line, "[" + section.name + "] " + e.key + ": " + reason);
        }
        *flagField = flag;
      } else if (textField) {
        *textField = e.value;
      } else {
        return Fail(e.line, "unknown key '" + e.key + "' in [" + section.name +
                                "] (expected include, source, searchable, contents, packed, "
                                "expand, title, description, keywords or sort-key)");
      }
    }
    m_manifest->files.push_back(rule);
    return true;
  }

  const std::string& m_label;
  Manifest* m_manifest;
  std::string* m_error;
};

void Line(std::ostringstream& out, const char* key, const std::string& value) {
  out << key << (value.empty() ? " =" : " = ") << QuoteIniValue(value) << "\n";
}

}  // namespace

EBookSettings ManifestDefaultSettings() {
  EBookSettings s = DefaultSettings();
  // The reader's own defaults would open the window minimised and always on top, and
  // write its pages black on black.
  s.windowWidthCode = kDefaultWindowWidth;
  s.windowHeight = kDefaultWindowHeight;
  ApplyReadablePalette(&s);
  s.alwaysOnTop = 0;
  s.contentsMode = 3;
  s.aboutMode = 3;
  return s;
}

bool ReadManifest(const IniDocument& doc, const std::string& label, Manifest* manifest,
                  std::string* error) {
  *manifest = Manifest{};
  manifest->settings = ManifestDefaultSettings();
  return ManifestReader(label, manifest, error).Read(doc);
}

bool LoadManifestFile(const std::string& path, Manifest* manifest, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "cannot read the manifest " + path;
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) {
    *error = "cannot read the manifest " + path;
    return false;
  }
  IniDocument doc;
  return ParseIni(text.str(), path, &doc, error) && ReadManifest(doc, path, manifest, error);
}

std::string WriteManifest(const ManifestSource& source) {
  std::ostringstream out;
  out << "; Book manifest for quire-pack build.\n";
  const char* section = "";
  auto open = [&](const char* name) {
    if (std::string(section) == name)
      return;
    section = name;
    out << "\n[" << name << "]\n";
  };
  open("book");
  Line(out, "id", source.bookId);
  if (!source.splashName.empty())
    Line(out, "splash", source.splashName);
  Line(out, "rebranded", WriteFlag(source.rebranded));
  Line(out, "remember-reading", WriteFlag(source.features.rememberReading ? 1 : 0));
  Line(out, "page-commands", WriteFlag(source.pageCommands ? 1 : 0));
  for (const SettingKey& k : SettingKeys()) {
    if (source.colorsFromPalette && std::string(k.section) == "colors") {
      if (std::string(section) != "colors") {
        open(k.section);
        out << "; none set: the readable palette, dark under a dark desktop theme\n";
      }
      continue;
    }
    open(k.section);
    if (k.text) {
      Line(out, k.key, source.settings.*k.text);
    } else {
      Line(out, k.key, k.write(source.settings.*k.number));
    }
    if (std::string(k.section) == "toolbar" && std::string(k.key) == "style") {
      Line(out, "buttons", WriteToolbarButtons(source.settings.toolbarButtons));
    }
    if (std::string(k.section) == "contents" && std::string(k.key) == "popup")
      Line(out, "pane", WriteFlag(source.features.contentsPane ? 1 : 0));
    if (std::string(k.section) == "search" && std::string(k.key) == "show-descriptions")
      Line(out, "visible-text", WriteFlag(source.visibleTextSearch ? 1 : 0));
  }
  for (const EBookVariable& v : source.variables) {
    out << "\n[variable:" << v.name << "]\n";
    Line(out, "value", v.value);
    Line(out, "kind", WriteVariableKind(v.kind));
    if (!v.secondText.empty())
      Line(out, "note", v.secondText);
  }
  for (const EBookFile& f : source.files) {
    out << "\n[file:" << f.fileName << "]\n";
    Line(out, "searchable", WriteFlag(f.searchable));
    Line(out, "contents", WriteFlag(f.inContents));
    Line(out, "packed", WriteFlag(f.packed));
    Line(out, "expand", WriteFlag(f.expandVariables));
    Line(out, "title", f.title);
    Line(out, "description", f.description);
    Line(out, "keywords", f.keywords);
    Line(out, "sort-key", f.sortKey);
  }
  return out.str();
}

}  // namespace quire::pack
