#include "session/shortcut_offer.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "pages/reader_context.h"
#include "platform/ascii_text.h"
#include "platform/file_replace.h"
#include "platform/ini_file.h"
#include "platform/make_folders.h"
#include "platform/owner_only_path.h"
#include "platform/paths.h"
#include "session/display_text.h"

namespace quire {

namespace {

// The contents of a small text file (at most 64 KiB are read); empty when unreadable.
std::string ReadSmallFile(const std::string& path) {
  std::string text;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr)
    return text;
  char buffer[4096];
  size_t n = 0;
  while (text.size() < 65536 && (n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
    text.append(buffer, n);
  std::fclose(file);
  return text;
}

// XDG_DESKTOP_DIR from the user-dirs file, as "$HOME/..." or an absolute path.
std::string DesktopFolder(const std::string& home) {
  const std::string config = XdgBaseFolder("XDG_CONFIG_HOME", "/.config");
  const std::string dirs = ReadSmallFile(config + "/user-dirs.dirs");
  size_t lineStart = 0;
  while (lineStart < dirs.size()) {
    size_t lineEnd = dirs.find('\n', lineStart);
    if (lineEnd == std::string::npos)
      lineEnd = dirs.size();
    const std::string line = dirs.substr(lineStart, lineEnd - lineStart);
    lineStart = lineEnd + 1;
    constexpr std::string_view kKey = "XDG_DESKTOP_DIR=";
    const size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line.compare(start, kKey.size(), kKey) != 0)
      continue;
    std::string value = line.substr(start + kKey.size());
    if (value.size() < 2 || value.front() != '"')
      continue;
    const size_t close = value.find('"', 1);
    if (close == std::string::npos)
      continue;
    value = value.substr(1, close - 1);
    if (value.rfind("$HOME", 0) == 0 && (value.size() == 5 || value[5] == '/')) {
      if (home.empty())
        continue;
      return home + value.substr(5);
    }
    if (!value.empty() && value[0] == '/')
      return value;
  }
  return home.empty() ? std::string() : home + "/Desktop";
}

// A launcher string value: backslash and control characters escaped, a leading blank kept.
std::optional<std::string> EscapeString(const std::string& value) {
  std::string out;
  for (size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    switch (c) {
      case '\n':
      case '\r':
      case '\0':
        return std::nullopt;
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case ' ':
        out += i == 0 ? "\\s" : " ";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// The program as the one quoted argument of an Exec line: quoted, with the characters
// that quoting leaves special escaped, field codes disarmed, then escaped as a string.
std::optional<std::string> ExecValue(const std::string& program) {
  std::string quoted = "\"";
  for (char c : program) {
    if (c == '"' || c == '`' || c == '$' || c == '\\')
      quoted += '\\';
    if (c == '%')
      quoted += '%';
    quoted += c;
  }
  quoted += '"';
  return EscapeString(quoted);
}

// Where the launcher of `name` goes in the folder of `folderName`, for messages.
std::string LauncherPathFor(const std::string& folderName, const std::string& name) {
  const std::string folder = ShortcutFolder(folderName);
  return folder.empty() ? std::string() : ShortcutFilePath(folder, name);
}

int ParseIniInteger(const std::string& text) {
  return static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
}

}  // namespace

std::optional<ShortcutPlace> ShortcutPlaceFor(int32_t setting) {
  if (setting == kShortcutOnDesktop)
    return ShortcutPlace{"Desktop", "to your Desktop"};
  if (setting == kShortcutInMenu)
    return ShortcutPlace{"Start Menu", "to your Start Menu"};
  return std::nullopt;
}

std::string ShortcutQuestion(const std::string& title, const ShortcutPlace& place) {
  return "Would you like to add a Shortcut to '" + title + "' " + place.questionEnding + "?";
}

std::string ShortcutName(const std::string& title) {
  std::string name = title;
  for (char& c : name) {
    switch (c) {
      case '\\':
      case '/':
      case ':':
      case '*':
      case '@':
      case '|':
      case '%':
      case '<':
      case '>':
      case '?':
        c = ' ';
        break;
      default:
        break;
    }
  }
  return name;
}

std::string ShortcutFolder(const std::string& folderName) {
  const std::string home = HomeFolder();
  if (folderName == "Desktop")
    return DesktopFolder(home);
  if (folderName == "Start Menu") {
    const std::string data = XdgBaseFolder("XDG_DATA_HOME", "/.local/share");
    return data.empty() ? std::string() : data + "/applications";
  }
  return {};
}

std::string ShortcutFilePath(const std::string& folder, const std::string& name) {
  std::string path = folder + "/" + name;
  if (AsciiLowered(path).find(".desktop") == std::string::npos)
    path += ".desktop";
  return path;
}

std::optional<std::string> DesktopEntryText(const LauncherEntry& entry) {
  const std::optional<std::string> name = EscapeString(ToDisplayText(entry.name));
  const std::optional<std::string> exec = ExecValue(entry.program);
  const std::optional<std::string> folder = EscapeString(entry.workingFolder);
  const std::optional<std::string> icon = EscapeString(entry.icon);
  if (!name || !exec || !folder || !icon)
    return std::nullopt;
  std::string text = "[Desktop Entry]\nType=Application\nVersion=1.0\n";
  text += "Name=" + *name + "\n";
  text += "Exec=" + *exec + "\n";
  text += "Path=" + *folder + "\n";
  if (!icon->empty())
    text += "Icon=" + *icon + "\n";
  text += "Terminal=false\n";
  return text;
}

bool CreateShortcut(const std::string& program, const std::string& name,
                    const std::string& folderName, const ShortcutOptions& options) {
  const std::string folder = ShortcutFolder(folderName);
  if (folder.empty())
    return false;
  // Both are ordinary user folders that may simply not exist yet; file managers make the
  // desktop folder when it is missing, and so does the reader.
  if (!MakeFolders(folder, 0700))
    return false;

  if (program.empty())
    return false;
  std::string workingFolder = program.substr(0, program.rfind('/'));
  if (workingFolder.empty())
    workingFolder = "/";
  std::string icon = options.prepareIcon ? options.prepareIcon() : std::string();
  if (icon.empty())
    icon = options.icon;
  const std::optional<std::string> text = DesktopEntryText({name, program, workingFolder, icon});
  if (!text)
    return false;

  const std::string path = ShortcutFilePath(folder, name);
  ReplaceOptions replace;
  replace.mode = 0755;
  replace.keepExistingMode = false;
  if (!ReplaceFileContents(path, replace, *text))
    return false;
  if (options.markTrusted)
    options.markTrusted(path);
  return true;
}

std::string ShortcutMovedMessage(const std::string& title, const std::string& folder,
                                 const std::string& path) {
  return "The shortcut to '" + title + "' could not be saved in " + folder +
         ", so it was added to your applications menu instead:\n" + path;
}

std::string ShortcutFailedMessage(const std::string& title, const std::string& folder) {
  return "The shortcut to '" + title + "' could not be saved" +
         (folder.empty() ? std::string() : " in " + folder) +
         ". You will be asked again the next time this book starts.";
}

bool CreateShortcutOrSayWhy(ReaderWindow& window, const std::string& program,
                            const std::string& title, const std::string& folderName,
                            const ShortcutOptions& options) {
  const std::string name = ShortcutName(title);
  if (CreateShortcut(program, name, folderName, options))
    return true;
  const std::string folder = ShortcutFolder(folderName);
  if (folderName == "Desktop" && CreateShortcut(program, name, "Start Menu", options)) {
    window.MessageBox(ShortcutMovedMessage(title, folder, LauncherPathFor("Start Menu", name)),
                      kMbOk | kMbIconInformation);
    return true;
  }
  window.MessageBox(ShortcutFailedMessage(title, folder), kMbOk | kMbIconExclamation);
  return false;
}

bool OfferShortcut(ReaderContext& context, const ShortcutOptions& options) {
  const CEBook& book = context.book;
  const std::optional<ShortcutPlace> place = ShortcutPlaceFor(book.ShortcutOffer());
  if (!place)
    return true;
  const std::string section = book.Esbn();
  if (ParseIniInteger(ReadIniValue(kShortcutIniFile, section, kShortcutIniKey, "0")) != 0)
    return true;
  // A launcher would start whatever another user put in the book's place.
  if (!OnlyOwnerCanChange(book.ProgramPath(), geteuid()))
    return true;

  bool settled = true;
  const int answer = context.window->MessageBox(ShortcutQuestion(book.Title(), *place),
                                                kMbYesNo | kMbIconQuestion);
  if (answer == kIdYes)
    settled = CreateShortcutOrSayWhy(*context.window, book.ProgramPath(), book.Title(),
                                     place->folderName, options);
  if (settled)
    WriteIniValue(kShortcutIniFile, section, kShortcutIniKey, "1");
  return settled;
}

}  // namespace quire
