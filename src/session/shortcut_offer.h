// The offer, made once per book and user, of a launcher for the book on the desktop or in
// the applications menu.
//
// The book's shortcut-offer setting chooses the place: -1 the desktop, -2 the
// applications menu, anything else no offer. The answer is remembered as "IconSetup"=1 in
// the book's section (its ESBN) of "KELVRA.INI" in the configuration folder, and then the
// question is never asked again. The desktop is the user's XDG desktop folder, made when
// missing; a desktop launcher that still cannot be saved goes into the applications menu,
// and the user is told where. When no launcher can be saved the user is told so and
// nothing is remembered, so the offer comes again at the next start.
//
// No launcher is offered for a book that other users could change or replace (the book
// file or a folder above it writable by them, see owner_only_path.h): then nothing is
// asked and nothing written, and the offer is made again at a start from a safe place.
#ifndef QUIRE_SESSION_SHORTCUT_OFFER_H_
#define QUIRE_SESSION_SHORTCUT_OFFER_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace quire {

class ReaderWindow;

struct ReaderContext;

inline constexpr char kShortcutIniFile[] = "KELVRA.INI";
inline constexpr char kShortcutIniKey[] = "IconSetup";
inline constexpr int32_t kShortcutOnDesktop = -1;
inline constexpr int32_t kShortcutInMenu = -2;

// Where a shortcut goes: the folder's name ("Desktop" or "Start Menu") and the end of the
// question ("to your Desktop", "to your Start Menu").
struct ShortcutPlace {
  std::string folderName;
  std::string questionEnding;
};
// The place of a shortcut-offer setting; nullopt for settings that make no offer.
std::optional<ShortcutPlace> ShortcutPlaceFor(int32_t setting);

// "Would you like to add a Shortcut to '<title>' <ending>?"
std::string ShortcutQuestion(const std::string& title, const ShortcutPlace& place);

// The launcher's name: the title with each of \ / : * @ | % < > ? replaced by a space.
std::string ShortcutName(const std::string& title);

// The folder a place's launchers go into: for "Desktop" the user's desktop folder
// (XDG_DESKTOP_DIR of the user-dirs file, else ~/Desktop), for "Start Menu"
// "${XDG_DATA_HOME:-~/.local/share}/applications". Empty when no home folder is known or
// for another name.
std::string ShortcutFolder(const std::string& folderName);

// folder + "/" + name, with ".desktop" appended unless the lower-case path already holds
// ".desktop" somewhere.
std::string ShortcutFilePath(const std::string& folder, const std::string& name);

// What a launcher starts and shows.
struct LauncherEntry {
  std::string name;           // shown under the icon (converted to UTF-8 when it is not)
  std::string program;        // absolute path of the program to start, without arguments
  std::string workingFolder;  // where it starts
  std::string icon;           // an icon file's absolute path or a themed icon name
};
// The text of a freedesktop launcher for `entry`, with every value escaped as launchers
// require; nullopt when a value holds a line break or a zero byte, which no launcher can
// carry.
std::optional<std::string> DesktopEntryText(const LauncherEntry& entry);

// How the launcher is made beyond its file: its icon, and a call made once the file was
// written (the desktop's "trusted launcher" mark, where there is one).
struct ShortcutOptions {
  std::string icon = "accessories-dictionary";
  // Called only when a launcher is about to be written; a non-empty answer (an icon file
  // made for it) replaces `icon`.
  std::function<std::string()> prepareIcon;
  std::function<void(const std::string& path)> markTrusted;
};

// Writes the launcher of `program` (the book's program path), named `name`, into the
// folder of `folderName` (made with its parents when missing), executable, replacing a
// launcher of the same name. True when it was written.
bool CreateShortcut(const std::string& program, const std::string& name,
                    const std::string& folderName, const ShortcutOptions& options);

// What the user is told when the desktop launcher went into the applications menu instead
// (`folder` is the desktop folder, `path` the launcher written), and when no launcher could
// be written at all (`folder` may be empty when no home folder is known).
std::string ShortcutMovedMessage(const std::string& title, const std::string& folder,
                                 const std::string& path);
std::string ShortcutFailedMessage(const std::string& title, const std::string& folder);

// The launcher of `program` for the book titled `title` after the user said yes: into the folder of
// `folderName`, else (for the desktop) into the applications menu with a message that says
// where it went, else a message that it could not be saved. True when one was written.
bool CreateShortcutOrSayWhy(ReaderWindow& window, const std::string& program,
                            const std::string& title, const std::string& folderName,
                            const ShortcutOptions& options);

// The whole offer for the context's book (its program path, book.ProgramPath()), asked through the
// window's message box with Yes and No and the question icon). True when the offer is settled or
// there is nothing to offer (also for a book that others could change); false when the user said
// yes and no launcher could be written, which the user is told; nothing is remembered then, so the
// offer comes again at the next start.
bool OfferShortcut(ReaderContext& context, const ShortcutOptions& options);

}  // namespace quire

#endif  // QUIRE_SESSION_SHORTCUT_OFFER_H_
