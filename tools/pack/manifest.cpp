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
    const std::vector<std::string> sections = SettingSections();
    if (std::find(sections.begin(), sections.end(), lower) == sections.end()) {
      std::string expected;
      for (const std::string& known : sections)
        expected += known + ", ";
      return Fail(section.line, "unknown section [" + section.name + "] (expected " + expected +
                                    "variables, file:NAME or variable:NAME)");
    }
    for (const IniEntry& e : section.entries) {
      if (!ReadSettingEntry(lower, e))
        return false;
    }
    return true;
  }

  bool ReadSettingEntry(const std::string& section, const IniEntry& e) {
    const SettingRow* row = FindSettingRow(section, e.key);
    if (!row)
      return Fail(e.line, "unknown key '" + e.key + "' in [" + section + "]");
    std::string message;
    if (!ReadSetting(*row, e.value, m_manifest, &message))
      return Fail(e.line, message);
    m_manifest->given.emplace(section, e.key);
    std::vector<std::string>& colours = m_manifest->colorKeysSet;
    if (section == "colors" && std::find(colours.begin(), colours.end(), e.key) == colours.end())
      colours.push_back(e.key);
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
  manifest->features.visibleTextSearch = true;
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
  for (const SettingRow& row : SettingRows()) {
    const std::optional<std::string> value = WrittenSetting(row, source);
    if (!value)
      continue;
    if (source.features.colorsFromPalette && std::string(row.section) == "colors") {
      if (std::string(section) != "colors") {
        open(row.section);
        out << "; none set: the readable palette, dark under a dark desktop theme\n";
      }
      continue;
    }
    open(row.section);
    Line(out, row.key, *value);
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
