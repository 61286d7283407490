#include "session/shortcut_offer.h"
#include "pages/reader_context.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "pages/pages_fixture.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "support/scoped_env.h"

namespace quire::testing {
namespace {

// The names in a folder; empty when it is empty or missing.
std::vector<std::string> Listing(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
    names.push_back(entry.path().filename());
  return names;
}

TEST(ShortcutNameTest, ReplacesTheTenForbiddenCharactersWithSpaces) {
  const std::pair<const char*, const char*> cases[] = {
      {"Plain Title", "Plain Title"},
      {"A/B: C?", "A B  C "},
      {"\\/:*@|%<>?", "          "},
      {"Fish & Chips.", "Fish & Chips."},
      {"", ""},
  };
  for (const auto& [title, name] : cases)
    EXPECT_EQ(ShortcutName(title), name) << title;
}

TEST(ShortcutPlaceTest, OnlyTheTwoOfferSettingsAsk) {
  const std::optional<ShortcutPlace> desktop = ShortcutPlaceFor(-1);
  ASSERT_TRUE(desktop);
  EXPECT_EQ(desktop->folderName, "Desktop");
  EXPECT_EQ(ShortcutQuestion("My Book", *desktop),
            "Would you like to add a Shortcut to 'My Book' to your Desktop?");
  const std::optional<ShortcutPlace> menu = ShortcutPlaceFor(-2);
  ASSERT_TRUE(menu);
  EXPECT_EQ(menu->folderName, "Start Menu");
  EXPECT_EQ(ShortcutQuestion("A", *menu),
            "Would you like to add a Shortcut to 'A' to your Start Menu?");
  for (int32_t other : {0, 1, 2, -3, -100})
    EXPECT_FALSE(ShortcutPlaceFor(other)) << other;
}

TEST(ShortcutFilePathTest, AppendsTheLauncherExtensionUnlessThePathHoldsIt) {
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"/h/Desktop", "Book", "/h/Desktop/Book.desktop"},
      {"/h/Desktop", "Guide.DESKTOP notes", "/h/Desktop/Guide.DESKTOP notes"},
      {"/h/Desktop", "x.desktop", "/h/Desktop/x.desktop"},
      {"/h/my.desktop.d", "Book", "/h/my.desktop.d/Book"},
      {"/h/Desktop", "Book.lnk", "/h/Desktop/Book.lnk.desktop"},
  };
  for (const auto& [folder, name, path] : cases)
    EXPECT_EQ(ShortcutFilePath(folder, name), path) << name;
}

TEST(DesktopEntryTextTest, EscapesEveryValueAsLaunchersRequire) {
  const std::optional<std::string> text = DesktopEntryText(
      {" Caf\xE9 \\ Book", "/opt/my books/$HOME \"x\" 100%.bin", "/opt/my books", "/i/a b.png"});
  ASSERT_TRUE(text);
  EXPECT_EQ(*text,
            "[Desktop Entry]\n"
            "Type=Application\n"
            "Version=1.0\n"
            "Name=\\sCaf\xC3\xA9 \\\\ Book\n"
            "Exec=\"/opt/my books/\\\\$HOME \\\\\"x\\\\\" 100%%.bin\"\n"
            "Path=/opt/my books\n"
            "Icon=/i/a b.png\n"
            "Terminal=false\n");
  EXPECT_FALSE(DesktopEntryText({"Two\nLines", "/bin/x", "/bin", ""}));
  EXPECT_FALSE(DesktopEntryText({"ok", "/bin/x\ny", "/bin", ""}));
  const std::optional<std::string> noIcon = DesktopEntryText({"n", "/bin/x", "/bin", ""});
  ASSERT_TRUE(noIcon);
  EXPECT_EQ(noIcon->find("Icon="), std::string::npos);
}

class ShortcutOfferTest : public PagesTest {
 protected:
  ShortcutOfferTest()
      : m_home("HOME", m_tmp.File("home")),
        m_data("XDG_DATA_HOME", m_tmp.File("home/.local/share")) {
    mkdir(m_tmp.File("home").c_str(), 0700);
    // The book file, where only its owner may change it.
    EXPECT_EQ(mkdir(m_tmp.File("books").c_str(), 0700), 0);
    EXPECT_TRUE(WriteWholeFile(m_tmp.File("books/My Book.bin"), "book"));
    EXPECT_EQ(chmod(m_tmp.File("books/My Book.bin").c_str(), 0755), 0);
    context.book.SetFile(m_tmp.File("books/My Book.bin"));
    EBookSettings settings = DefaultSettings();
    settings.esbn = "BOOK-1";
    settings.title = "Maps: A/B?";
    settings.shortcutOffer = -1;
    m_settings = settings;
    LoadBook(settings);
  }

  std::string Desktop() { return m_tmp.File("home/Desktop"); }
  std::string IconSetup(const std::string& section) {
    return ReadIniValue(kShortcutIniFile, section, kShortcutIniKey, "missing");
  }
  ShortcutOptions Options() {
    ShortcutOptions options;
    options.icon = "themed-icon";
    options.prepareIcon = [this] {
      ++m_iconsPrepared;
      return std::string("book-icon");
    };
    options.markTrusted = [this](const std::string& path) { m_trusted.push_back(path); };
    return options;
  }

  ScopedEnv m_home;
  ScopedEnv m_data;
  EBookSettings m_settings;
  std::vector<std::string> m_trusted;
  int m_iconsPrepared = 0;
};

TEST_F(ShortcutOfferTest, NoIsRememberedAndTheNextStartAsksNothing) {
  m_window.messageAnswers = {kIdNo};
  EXPECT_TRUE(OfferShortcut(context, Options()));
  ASSERT_EQ(m_window.messages.size(), 1u);
  EXPECT_EQ(m_window.messages[0].text,
            "Would you like to add a Shortcut to 'Maps: A/B?' to your Desktop?");
  EXPECT_EQ(m_window.messages[0].style, kMbYesNo | kMbIconQuestion);
  EXPECT_EQ(IconSetup("BOOK-1"), "1");
  EXPECT_FALSE(PathExists(Desktop()));
  EXPECT_EQ(m_iconsPrepared, 0);

  EXPECT_TRUE(OfferShortcut(context, Options()));
  EXPECT_EQ(m_window.messages.size(), 1u);
}

TEST_F(ShortcutOfferTest, YesWritesAnExecutableTrustedLauncherOnTheDesktop) {
  mkdir(Desktop().c_str(), 0700);
  m_window.messageAnswers = {kIdYes};
  EXPECT_TRUE(OfferShortcut(context, Options()));

  const std::string path = Desktop() + "/Maps  A B .desktop";
  const std::optional<std::string> text = ReadWholeFile(path);
  ASSERT_TRUE(text) << path;
  EXPECT_NE(text->find("\nName=Maps  A B \n"), std::string::npos) << *text;
  EXPECT_NE(text->find("\nExec=\"" + m_tmp.File("books/My Book.bin") + "\"\n"), std::string::npos)
      << *text;
  EXPECT_NE(text->find("\nPath=" + m_tmp.File("books") + "\n"), std::string::npos) << *text;
  EXPECT_NE(text->find("\nIcon=book-icon\n"), std::string::npos) << *text;
  struct stat info {};
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_NE(info.st_mode & S_IXUSR, 0u);
  EXPECT_EQ(m_trusted, std::vector<std::string>{path});
  EXPECT_EQ(IconSetup("BOOK-1"), "1");
}

TEST_F(ShortcutOfferTest, YesWithoutADesktopFolderMakesItOrSaysWhereTheLauncherWent) {
  const std::string title = "Maps: A/B?";
  const std::string name = "Maps  A B .desktop";
  const std::string menu = m_tmp.File("home/.local/share/applications");
  const std::string blocked = m_tmp.File("home/blocked");
  ASSERT_TRUE(WriteWholeFile(blocked, "a file where a folder should be"));
  const struct {
    const char* what;
    std::string desktopDir;  // XDG_DESKTOP_DIR, empty for the default ~/Desktop
    std::string dataHome;    // XDG_DATA_HOME
    std::string launcher;    // where the launcher is written, empty for nowhere
    std::string message;     // what the user is told after the question, empty for nothing
  } cases[] = {
      {"the missing desktop folder is made", "", m_tmp.File("home/.local/share"),
       Desktop() + "/" + name, ""},
      {"a desktop folder in a nested missing place is made", "$HOME/deep/er/Desk",
       m_tmp.File("home/.local/share"), m_tmp.File("home/deep/er/Desk/") + name, ""},
      {"a desktop that cannot be made sends the launcher to the menu", blocked + "/Desktop",
       m_tmp.File("home/.local/share"), menu + "/" + name,
       ShortcutMovedMessage(title, blocked + "/Desktop", menu + "/" + name)},
      {"nowhere to write is said and not remembered", blocked + "/Desktop", blocked + "/share", "",
       ShortcutFailedMessage(title, blocked + "/Desktop")},
  };
  const std::string config = m_tmp.File("config");
  mkdir(config.c_str(), 0700);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(WriteWholeFile(
        config + "/user-dirs.dirs",
        c.desktopDir.empty() ? std::string() : "XDG_DESKTOP_DIR=\"" + c.desktopDir + "\"\n"));
    ScopedEnv data("XDG_DATA_HOME", c.dataHome);
    ASSERT_TRUE(WriteIniValue(kShortcutIniFile, "BOOK-1", kShortcutIniKey, "0"));
    m_window.messages.clear();
    m_window.messageAnswers = {kIdYes, kIdOk};
    m_trusted.clear();

    EXPECT_EQ(OfferShortcut(context, Options()), !c.launcher.empty());
    ASSERT_GE(m_window.messages.size(), 1u);
    if (c.message.empty()) {
      EXPECT_EQ(m_window.messages.size(), 1u);
    } else {
      ASSERT_EQ(m_window.messages.size(), 2u);
      EXPECT_EQ(m_window.messages[1].text, c.message);
      EXPECT_EQ(m_window.messages[1].style & kMbOk, kMbOk);
    }
    if (c.launcher.empty()) {
      EXPECT_TRUE(m_trusted.empty());
      EXPECT_EQ(IconSetup("BOOK-1"), "0") << "a failed Yes is not remembered";
    } else {
      EXPECT_TRUE(ReadWholeFile(c.launcher)) << c.launcher;
      EXPECT_EQ(m_trusted, std::vector<std::string>{c.launcher});
      EXPECT_EQ(IconSetup("BOOK-1"), "1");
    }
  }
}

TEST_F(ShortcutOfferTest, TheFailureAndMoveMessagesNameTheFolders) {
  EXPECT_EQ(ShortcutMovedMessage("Book", "/h/Desktop", "/h/apps/Book.desktop"),
            "The shortcut to 'Book' could not be saved in /h/Desktop, so it was added to your "
            "applications menu instead:\n/h/apps/Book.desktop");
  EXPECT_EQ(ShortcutFailedMessage("Book", "/h/Desktop"),
            "The shortcut to 'Book' could not be saved in /h/Desktop. You will be asked again "
            "the next time this book starts.");
  EXPECT_EQ(ShortcutFailedMessage("Book", ""),
            "The shortcut to 'Book' could not be saved. You will be asked again the next time "
            "this book starts.");
}

TEST_F(ShortcutOfferTest, MenuLauncherGoesIntoTheApplicationsFolderMadeOnDemand) {
  m_settings.shortcutOffer = -2;
  LoadBook(m_settings);
  m_window.messageAnswers = {kIdYes};
  ShortcutOptions options = Options();
  options.prepareIcon = [] { return std::string(); };  // no picture of its own
  EXPECT_TRUE(OfferShortcut(context, options));
  EXPECT_EQ(m_window.messages.at(0).text,
            "Would you like to add a Shortcut to 'Maps: A/B?' to your Start Menu?");
  const std::optional<std::string> text =
      ReadWholeFile(m_tmp.File("home/.local/share/applications/Maps  A B .desktop"));
  ASSERT_TRUE(text);
  EXPECT_NE(text->find("\nIcon=themed-icon\n"), std::string::npos) << *text;
}

// Another user who may write the book file, or its folder, could put any program in its
// place for the launcher to start: no launcher is offered, nothing is asked or written.
TEST_F(ShortcutOfferTest, BookThatOthersCouldChangeGetsNoOfferAndNothingWritten) {
  mkdir(Desktop().c_str(), 0700);
  const std::string book = m_tmp.File("books/My Book.bin");
  const std::string folder = m_tmp.File("books");
  constexpr uid_t kOtherUser = 65534;
  struct {
    const char* label;
    std::function<int()> change;  // 0 when done
    std::function<int()> undo;
    bool needsRoot;
  } const cases[] = {
      {"book writable by others", [&] { return chmod(book.c_str(), 0757); },
       [&] { return chmod(book.c_str(), 0755); }, false},
      {"book writable by its group", [&] { return chmod(book.c_str(), 0775); },
       [&] { return chmod(book.c_str(), 0755); }, false},
      {"folder writable by everybody", [&] { return chmod(folder.c_str(), 0777); },
       [&] { return chmod(folder.c_str(), 0700); }, false},
      {"book of another user", [&] { return chown(book.c_str(), kOtherUser, kOtherUser); },
       [&] { return chown(book.c_str(), geteuid(), getegid()); }, true},
      {"folder of another user", [&] { return chown(folder.c_str(), kOtherUser, kOtherUser); },
       [&] { return chown(folder.c_str(), geteuid(), getegid()); }, true},
  };
  m_window.messageAnswers = {kIdYes};
  std::vector<std::string> skipped;  // cases that need root, when not run as root
  for (const auto& c : cases) {
    if (c.needsRoot && geteuid() != 0) {
      skipped.push_back(c.label);
      continue;
    }
    ASSERT_EQ(c.change(), 0) << c.label;
    EXPECT_TRUE(OfferShortcut(context, Options())) << c.label;
    EXPECT_TRUE(m_window.messages.empty()) << c.label;
    EXPECT_FALSE(PathExists(IniFilePath(kShortcutIniFile))) << c.label;
    EXPECT_TRUE(Listing(Desktop()).empty()) << c.label;
    EXPECT_TRUE(m_trusted.empty()) << c.label;
    EXPECT_EQ(m_iconsPrepared, 0) << c.label;
    ASSERT_EQ(c.undo(), 0) << c.label;
  }
  // From a safe place the offer comes.
  EXPECT_TRUE(OfferShortcut(context, Options()));
  EXPECT_EQ(m_window.messages.size(), 1u);
  EXPECT_EQ(m_trusted.size(), 1u);
  if (!skipped.empty())
    GTEST_SKIP() << "handing a file to another user needs root: "
                 << ::testing::PrintToString(skipped);
}

TEST_F(ShortcutOfferTest, BooksWithoutAnOfferNeverTouchTheIniFile) {
  for (int32_t setting : {0, 1, -3}) {
    m_settings.shortcutOffer = setting;
    LoadBook(m_settings);
    EXPECT_TRUE(OfferShortcut(context, Options())) << setting;
  }
  EXPECT_TRUE(m_window.messages.empty());
  EXPECT_FALSE(PathExists(IniFilePath(kShortcutIniFile)));
}

TEST_F(ShortcutOfferTest, EachBookKeepsItsOwnAnswer) {
  ASSERT_TRUE(WriteIniValue(kShortcutIniFile, "BOOK-1", kShortcutIniKey, "1"));
  EXPECT_TRUE(OfferShortcut(context, Options()));
  EXPECT_TRUE(m_window.messages.empty());

  m_settings.esbn = "BOOK-2";
  LoadBook(m_settings);
  m_window.messageAnswers = {kIdNo};
  EXPECT_TRUE(OfferShortcut(context, Options()));
  EXPECT_EQ(m_window.messages.size(), 1u);
  EXPECT_EQ(IconSetup("BOOK-1"), "1");
  EXPECT_EQ(IconSetup("BOOK-2"), "1");
}

TEST_F(ShortcutOfferTest, LauncherFoldersFollowTheUserDirectories) {
  EXPECT_EQ(ShortcutFolder("Desktop"), m_tmp.File("home/Desktop"));
  EXPECT_EQ(ShortcutFolder("Start Menu"), m_tmp.File("home/.local/share/applications"));
  EXPECT_EQ(ShortcutFolder("Elsewhere"), "");

  const std::string config = m_tmp.File("config");
  mkdir(config.c_str(), 0700);
  ASSERT_TRUE(WriteWholeFile(config + "/user-dirs.dirs",
                             "# written by xdg-user-dirs-update\n"
                             "XDG_DOWNLOAD_DIR=\"$HOME/Downloads\"\n"
                             "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"));
  EXPECT_EQ(ShortcutFolder("Desktop"), m_tmp.File("home/Schreibtisch"));
  ASSERT_TRUE(WriteWholeFile(config + "/user-dirs.dirs", "XDG_DESKTOP_DIR=\"/srv/desk\"\n"));
  EXPECT_EQ(ShortcutFolder("Desktop"), "/srv/desk");

  ScopedEnv noData("XDG_DATA_HOME", "relative/ignored");
  EXPECT_EQ(ShortcutFolder("Start Menu"), m_tmp.File("home/.local/share/applications"));
}

}  // namespace
}  // namespace quire::testing
