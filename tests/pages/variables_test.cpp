#include "pages/variables.h"
#include "pages/reader_context.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "book/page_store.h"
#include "pages/about_page.h"
#include "pages/pages_fixture.h"
#include "platform/file_write.h"
#include "platform/paths.h"
#include "support/book_fixture.h"
#include "support/failing_env.h"
#include "support/fake_window.h"

namespace quire::testing {
namespace {

class VariablesTest : public PagesTest {
 protected:
  std::string Brace(const std::string& text) { return ExpandVariables(context, text, false); }
  std::string Page(const std::string& text) { return ExpandVariables(context, text, true); }

  VariablesTest() {
    EBookSettings settings = DefaultSettings();
    settings.title = "Tides";
    settings.esbn = "TID-1";
    settings.author = "Ada";
    settings.compileYear = 2024;
    settings.compileMonth = 3;
    settings.compileDay = -5;
    EBookVariableList variables;
    variables.variables.push_back({"shelf", "", "left {title} {bracel}q{bracer}", 0, 2});
    variables.variables.push_back({"later", "", "{shelf}", 0, 2});
    // A reader's own book, as the program reads it, known by the program's path.
    context.book.SetFile(kOwnProgramFile, "/opt/books/Tides");
    LoadBook(settings, {}, variables);
  }

  void DefineOk(const std::string& name, const std::string& value) {
    std::string message;
    ASSERT_TRUE(DefineVariable(context.book, name, value, &message)) << message;
  }
};

TEST_F(VariablesTest, TrimsTheTextAroundAReference) {
  EXPECT_EQ(Brace("  {title}  "), "Tides");
  EXPECT_EQ(Brace("\t\r\n{title}\v\f"), "Tides");
}

TEST_F(VariablesTest, WhiteSpaceOnlyComesBackUnchanged) {
  EXPECT_EQ(Brace("  \t "), "  \t ");
  EXPECT_EQ(Brace(""), "");
  EXPECT_EQ(Page(" \r\n"), " \r\n");
}

TEST_F(VariablesTest, TextFailingTheGateComesBackTrimmedOnly) {
  EXPECT_EQ(Brace("  no references  "), "no references");
  EXPECT_EQ(Brace(" {title "), "{title");
  // A closing brace before an opening one passes the gate; nothing is known, nothing changes.
  EXPECT_EQ(Brace(" }x{ "), "}x{");
  // The page-form gate asks for "[={" and "}]".
  EXPECT_EQ(Page(" {title} "), "{title}");
  EXPECT_EQ(Page("[{title}]"), "[{title}]");
}

TEST_F(VariablesTest, NamesMatchExactlyAndUnknownReferencesStay) {
  EXPECT_EQ(Brace("{Title} {title} {nosuch} {title"), "{Title} Tides {nosuch} {title");
}

TEST_F(VariablesTest, PageFormReplacesOnlyBracketedReferences) {
  EXPECT_EQ(Page("{title} [={title}] [={author}]"), "{title} Tides Ada");
  EXPECT_EQ(Brace("{title} [={title}]"), "Tides [=Tides]");
}

TEST_F(VariablesTest, UserVariableHoldingAReferenceIsExpandedFurther) {
  DefineOk("x", "{title}");
  EXPECT_EQ(Brace("{x}"), "Tides");
  DefineOk("Title", "mine");
  EXPECT_EQ(Brace("{Title}/{title}"), "mine/Tides");
}

TEST_F(VariablesTest, SelfReferenceIsReplacedOnceAndNeverLoops) {
  DefineOk("x", "{x}{x}");
  EXPECT_EQ(Brace("{x}"), "{x}{x}");
}

TEST_F(VariablesTest, BraceVariablesYieldLiteralBracesThatNothingExpandsAgain) {
  DefineOk("x", "expanded");
  EXPECT_EQ(Brace("{bracel}x{bracer}"), "{x}");
  EXPECT_EQ(Brace("{bracel}title{bracer}"), "{title}");
}

TEST_F(VariablesTest, CompileTimeVariablesComeAfterTheBookTexts) {
  // The value's {title} stays (book texts were replaced earlier), its {bracel} goes.
  EXPECT_EQ(Brace("{shelf}"), "left {title} {q}");
  // A compile-time variable sees the ones stored after it, not before.
  EXPECT_EQ(Brace("{later}"), "{shelf}");
}

TEST_F(VariablesTest, CharacterVariables) {
  EXPECT_EQ(Brace("a{quote}b{doublequote}c{linefeed}d{return}e{tab}f"), "a'b\"c\nd\re\tf");
}

TEST_F(VariablesTest, CharacterValuesInsertedAtTheEndAreNotTrimmedAfterwards) {
  EXPECT_EQ(Brace("{tab}x{linefeed}"), "\tx\n");
}

TEST_F(VariablesTest, NumbersAreDecimalWithoutPadding) {
  EXPECT_EQ(Brace("{compileyear}-{compilemonth}-{compileday}-{compilehour}"), "2024-3--5-0");
  EXPECT_EQ(Brace("{isrebranded}"), "0");
}

TEST_F(VariablesTest, NoBookLoadedGivesEmptyTextsAndZeros) {
  LoadBook(DefaultSettings());
  EXPECT_EQ(Brace("[{title}|{esbn}|{publisher}|{copyright}|{authoremail}|{authorurl}]"), "[|||||]");
  EXPECT_EQ(Brace("{compileyear}{compilesecond}"), "00");
}

TEST_F(VariablesTest, RebrandedFlagIsOneOrZero) {
  EBookVariableList variables;
  variables.rebranded = 7;
  LoadBook(DefaultSettings(), {}, variables);
  EXPECT_EQ(Brace("{isrebranded}"), "1");
}

TEST_F(VariablesTest, ClockValuesAreTheLocalTime) {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  std::string year = std::to_string(local.tm_year + 1900);
  std::string expanded = Brace("{nowyear}/{nowmonth}/{nowday}");
  EXPECT_EQ(expanded.substr(0, 4), year);
  int hour = std::stoi(Brace("{nowhour}"));
  EXPECT_GE(hour, 0);
  EXPECT_LE(hour, 23);
  int minute = std::stoi(Brace("{nowminute}"));
  EXPECT_LE(minute, 59);
}

TEST_F(VariablesTest, FoldersAreReportedWithoutTrailingSeparator) {
  std::string tmp = PrivateTempFolder();
  ASSERT_FALSE(tmp.empty());
  tmp.pop_back();
  EXPECT_EQ(Brace("{tmp}"), tmp);
  std::string ebook = context.store.BookFolder();
  ebook.pop_back();
  EXPECT_EQ(Brace("{ebook}"), ebook);
  EXPECT_EQ(Brace("{ebook}"), tmp + "/TID-1.k9w");
  EXPECT_EQ(Brace("{sys}"), "/usr/bin");
  EXPECT_EQ(Brace("{win}"), m_tmp.File("config") + "/quire");
  EXPECT_EQ(Brace("{exename}"), "/opt/books/Tides");
  EXPECT_EQ(Brace("{app}"), "/opt/books");
}

TEST_F(VariablesTest, DrivesAreEmptyForPathsWithoutDriveLetter) {
  EXPECT_EQ(Brace("[{windrive}{sysdrive}{tmpdrive}{appdrive}{ebookdrive}]"), "[]");
}

TEST_F(VariablesTest, FoldersAndSiteAreComputedOnceAtTheFirstExpansion) {
  std::string first = Brace("{tmp}|{compilerurl}");
  EXPECT_EQ(first, Brace("{tmp}") + "|" + SiteUrl(context));
  // A gate failure does not fill the cache: nothing was computed yet.
  context.folders = {};
  EXPECT_EQ(Brace("no references"), "no references");
  ScopedTmpdir other;
  std::string later = Brace("{tmp}");
  EXPECT_NE(later, first.substr(0, first.find('|')));
  ScopedTmpdir third;
  EXPECT_EQ(Brace("{tmp}"), later);  // kept although TMPDIR moved on
}

TEST_F(VariablesTest, VersionAndSite) {
  EXPECT_EQ(Brace("{compilerversion}"), "4.00");
  EXPECT_EQ(Brace("{compilerurl}"), kQuireSiteUrl);
}

TEST_F(VariablesTest, WindowValuesComeFromTheWindow) {
  m_window.frame = {11, 22, 640, 480};
  m_window.client = {0, 0, 620, 400};
  m_window.screen = {0, 0, 1280, 1024};
  m_window.currentUrl = "file:///book/a.html";
  EXPECT_EQ(Brace("{screenwidth}x{screenheight} {windowx},{windowy} {windowwidth}x{windowheight} "
                  "{clientwidth}x{clientheight} {ebookurl}"),
            "1280x1024 11,22 640x480 620x400 file:///book/a.html");
}

TEST_F(VariablesTest, WindowValuesAreZeroWithoutFrameOrView) {
  m_window.hasFrame = false;
  m_window.hasView = false;
  m_window.currentUrl = "file:///gone";
  EXPECT_EQ(Brace("[{windowx}{windowy}{windowwidth}{windowheight}{clientwidth}{clientheight}|"
                  "{ebookurl}]"),
            "[000000|]");
}

TEST_F(VariablesTest, CommandLineLeavesOutTheProgramName) {
  std::string commandLine = Brace("[{commandline}]");
  EXPECT_EQ(commandLine.find("quire_pages_tests"), std::string::npos) << commandLine;
}

TEST_F(VariablesTest, ExpansionAppliesEveryOccurrence) {
  EXPECT_EQ(Brace("{title}{title} {title}"), "TidesTides Tides");
}

// ----- Name rules -----

struct NameCase {
  const char* name;
  bool valid;
  const char* message;
};

TEST_F(VariablesTest, NameRulesAndTheirMessages) {
  const NameCase cases[] = {
      {"", false, "Variable must have a name."},
      {"a-b", false, "Variable names may contain only letters and digits."},
      {"a b", false, "Variable names may contain only letters and digits."},
      {"9a", false, "The first character of the Variable name must be a letter."},
      // Character rule before first-character rule.
      {"9-", false, "Variable names may contain only letters and digits."},
      {"\xC3\xA9t\xC3\xA9", false, "Variable names may contain only letters and digits."},
      {"tab", false,
       "You can not call your variable 'tab' as this variable name is used for a predefined "
       "system variable."},
      {"isrebranded", false,
       "You can not call your variable 'isrebranded' as this variable name is used for a "
       "predefined system variable."},
      {"Tab", true, ""},
      {"x9", true, ""},
      {"Z", true, ""},
  };
  for (const NameCase& c : cases) {
    std::string message;
    EXPECT_EQ(ValidateVariableName(c.name, &message), c.valid) << c.name;
    EXPECT_EQ(message, c.message) << c.name;
  }
}

TEST_F(VariablesTest, EveryPredefinedNameIsReserved) {
  EXPECT_EQ(PredefinedVariableNames().size(), 50u);
  for (std::string_view name : PredefinedVariableNames()) {
    EXPECT_FALSE(ValidateVariableName(std::string(name), nullptr)) << name;
  }
}

TEST_F(VariablesTest, DefineRefusesCompileTimeNamesAndReplacesUserValues) {
  std::string message;
  EXPECT_FALSE(DefineVariable(context.book, "shelf", "x", &message));
  EXPECT_EQ(message, "shelf has been defined at compile time.");
  EXPECT_FALSE(DefineVariable(context.book, "1x", "x", &message));
  EXPECT_EQ(message, "The first character of the Variable name must be a letter.");
  DefineOk("n", "1");
  DefineOk("n", "2");
  EXPECT_EQ(context.book.UserVariables().at("n"), "2");
  EXPECT_EQ(context.book.UserVariables().size(), 1u);
}

// ----- Page files -----

class VariablesInFileTest : public VariablesTest {
 protected:
  std::string Write(const std::string& content) {
    std::string path = m_tmp.File("page.html");
    EXPECT_TRUE(WriteWholeFile(path, content));
    return path;
  }
  static ino_t Inode(const std::string& path) {
    struct stat info {};
    stat(path.c_str(), &info);
    return info.st_ino;
  }
};

TEST_F(VariablesInFileTest, ReplacesReferencesAndZeroBytes) {
  std::string path = Write(std::string("<p>[={title}]\0!</p>", 19));
  EXPECT_TRUE(ExpandVariablesInFile(context, path));
  EXPECT_EQ(ReadWholeFile(path), "<p>Tides !</p>");
  struct stat info {};
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(VariablesInFileTest, UnknownReferencesWithoutEdgeSpaceLeaveTheFileAlone) {
  std::string path = Write("<p>[={nothing}]</p>");
  ino_t before = Inode(path);
  EXPECT_TRUE(ExpandVariablesInFile(context, path));
  EXPECT_EQ(Inode(path), before);
  EXPECT_EQ(ReadWholeFile(path), "<p>[={nothing}]</p>");
}

TEST_F(VariablesInFileTest, TrailingLineBreakIsTrimmedByARewrite) {
  std::string path = Write("<p>[={nothing}]</p>\r\n");
  EXPECT_TRUE(ExpandVariablesInFile(context, path));
  EXPECT_EQ(ReadWholeFile(path), "<p>[={nothing}]</p>");
}

TEST_F(VariablesInFileTest, ExtensionReferencesAloneDoNotPassTheGate) {
  std::string path = Write(" [{ext.var}] {title} \n");
  EXPECT_TRUE(ExpandVariablesInFile(context, path));
  EXPECT_EQ(ReadWholeFile(path), " [{ext.var}] {title} \n");
}

TEST_F(VariablesInFileTest, EmptyFileSucceedsAndMissingFileFails) {
  std::string path = Write("");
  EXPECT_TRUE(ExpandVariablesInFile(context, path));
  EXPECT_EQ(ReadWholeFile(path), "");
  EXPECT_FALSE(ExpandVariablesInFile(context, m_tmp.File("missing.html")));
  EXPECT_FALSE(ExpandVariablesInFile(context, m_tmp.Path()));  // a folder is not a page
}

TEST_F(VariablesInFileTest, FailedRewriteKeepsTheOldContent) {
  std::string path = Write("[={title}]");
  // A folder that takes no new files: the new copy cannot be made beside the page.
  testing::FailingEnv env;
  env.Fail(testing::EnvCall::kMakeTemporary, EACCES, m_tmp.Path());
  EXPECT_FALSE(ExpandVariablesInFile(context, path, &env));
  EXPECT_EQ(env.Failures(testing::EnvCall::kMakeTemporary), 1);
  EXPECT_EQ(ReadWholeFile(path), "[={title}]");
}

TEST_F(VariablesInFileTest, RewriteThatCannotBeWrittenKeepsTheOldContent) {
  // Where files may not grow past 4 KiB, a page that grows past it cannot be written.
  const std::string before = "[={title}]" + std::string(3000, ' ') + "[={title}]";
  std::string path = Write(before);
  context.book.SetRecords(
      [] {
        EBookSettings settings = DefaultSettings();
        settings.title = std::string(4000, 't');
        return settings;
      }(),
      {}, {});
  testing::FailingEnv env;
  env.LimitFileSize(4096);
  EXPECT_FALSE(ExpandVariablesInFile(context, path, &env));
  EXPECT_EQ(env.Failures(testing::EnvCall::kWrite), 1);
  EXPECT_EQ(ReadWholeFile(path), before);
  for (const auto& entry : std::filesystem::directory_iterator(m_tmp.Path()))
    EXPECT_EQ(entry.path().filename().string().find(".quire-"), std::string::npos) << entry.path();
}

// The new copy has a short name of its own, so a page named at the length limit is
// expanded like any other.
TEST_F(VariablesInFileTest, PageNamedAtTheLengthLimitIsExpandedToo) {
  std::string path = m_tmp.File(std::string(250, 'p') + ".html");
  ASSERT_TRUE(WriteWholeFile(path, "[={title}]"));
  const std::string shortName = Write("[={title}]");
  EXPECT_TRUE(ExpandVariablesInFile(context, path));
  EXPECT_TRUE(ExpandVariablesInFile(context, shortName));
  EXPECT_NE(ReadWholeFile(path), "[={title}]");
  EXPECT_EQ(ReadWholeFile(path), ReadWholeFile(shortName));
}

// A rewrite goes through a copy that is recorded for the shutdown while it exists, so it
// cannot be left behind, and that no started program inherits.
TEST_F(VariablesInFileTest, TheCopyOfARewriteIsRecordedWhileItExists) {
  std::string path = Write("[={title}]");
  std::vector<std::string> seen;
  bool closeOnExec = false;
  ASSERT_TRUE(context.store.ReplaceBookFileWith(path, [&](int fd) {
    for (const std::string& file : context.store.WrittenFiles()) {
      if (file != path && PathExists(file))
        seen.push_back(file);
    }
    closeOnExec = (fcntl(fd, F_GETFD) & FD_CLOEXEC) != 0;
    return WriteAllBytes(fd, "new");
  }));
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].rfind(m_tmp.Path() + "/", 0), 0u) << seen[0];
  EXPECT_TRUE(closeOnExec);
  EXPECT_EQ(ReadWholeFile(path), "new");
  EXPECT_FALSE(PathExists(seen[0]));
  EXPECT_EQ(context.store.WrittenFiles().count(seen[0]), 0u);
}

}  // namespace
}  // namespace quire::testing

namespace quire::testing {
namespace {

// Flagged pages are expanded in memory while the book loads. Each page must come out
// byte for byte as expanding the extracted file in place makes it: the same page stored
// without the flag, then ExpandVariablesInFile on it.
TEST(PageExpansionAtLoadTest, FlaggedPagesComeOutAsExpandingTheFileMakesThem) {
  ReaderContext context;
  const std::string big = std::string(3 << 20, 'b') + "[={title}]";
  const struct {
    const char* what;
    std::string page;
  } cases[] = {
      {"reference and zero byte", std::string("<p>[={title}]\0!</p>", 19)},
      {"unknown reference, zero byte stays", std::string("<p>[={nothing}]\0</p>", 20)},
      {"edges trimmed by the rewrite", "  \r\n[={author}]\t \r\n"},
      {"unknown reference with edge spaces", " [={nothing}] "},
      {"no marks", std::string("plain\0page {title}", 18)},
      {"only the opening mark", "[={title} and no end"},
      {"only the closing mark", "{title}] alone"},
      {"empty page", ""},
      {"white space only", " \r\n\t "},
      {"page larger than a block", big},
  };
  for (const auto& c : cases) {
    for (bool packed : {true, false}) {
      SCOPED_TRACE(std::string(c.what) + (packed ? ", packed" : ", plain"));
      FakeWindow window{context.window};
      TestBook book;
      book.Settings().title = "Tides";
      book.Settings().author = "Ada";
      book.AddPage("index.html", "<p>start</p>");
      book.AddFile("flagged.html", c.page, packed).expandVariables = true;
      book.AddFile("unflagged.html", c.page, packed);
      book.WriteFor(context);
      ASSERT_EQ(LoadAsTheReaderDoes(context).reason, LoadResult::Reason::kNone);
      ASSERT_EQ(book.Extracted("unflagged.html"), c.page);
      EXPECT_TRUE(ExpandVariablesInFile(context, book.Folder() + "unflagged.html"));
      const auto flagged = book.Extracted("flagged.html");
      ASSERT_TRUE(flagged.has_value());
      EXPECT_TRUE(*flagged == book.Extracted("unflagged.html")) << *flagged;
      struct stat info {};
      ASSERT_EQ(stat((book.Folder() + "flagged.html").c_str(), &info), 0);
      EXPECT_EQ(info.st_mode & 0777, 0600u);
      EXPECT_TRUE(window.messages.empty());
    }
  }
}

TEST(PageExpansionAtLoadTest, ExpandVariablesInPageSaysWhetherItChangedThePage) {
  ReaderContext context;
  FakeWindow window{context.window};
  TestBook book;
  book.Settings().title = "Tides";
  book.AddPage("index.html", "<p/>");
  book.WriteFor(context);
  ASSERT_EQ(LoadAsTheReaderDoes(context).reason, LoadResult::Reason::kNone);
  const struct {
    std::string page;
    bool changed;
    std::string after;
  } cases[] = {
      {std::string("[={title}]\0", 11), true, "Tides"},
      {std::string("\0[={title}] x", 13), true, "Tides x"},
      {std::string("[={nothing}]\0", 13), true, "[={nothing}]"},
      {"[={nothing}]", false, "[={nothing}]"},
      {std::string("\0no marks\0", 10), false, std::string("\0no marks\0", 10)},
      {"", false, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.after);
    std::string page = c.page;
    EXPECT_EQ(ExpandVariablesInPage(context, &page), c.changed);
    EXPECT_EQ(page, c.after);
  }
}

}  // namespace
}  // namespace quire::testing
