#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "pages/reader_context.h"
#include "pages/variables.h"
#include "platform/ini_file.h"
#include "script/save_prompt_filter.h"
#include "script_harness.h"
#include "support/failing_env.h"
#include "support/scoped_env.h"
#include "support/startup_run.h"

namespace quire::testing {
namespace {

const std::string kRuntime = "Runtime error in Pagora Script command:\n\n";

// Commands on real files in the test's own folder; bare INI names land in its config
// folder.
class FileCommandsTest : public ScriptTest {
 protected:
  FileCommandsTest() : m_config("XDG_CONFIG_HOME", tmp.File("config")) {}

  // Runs a command that must succeed; its file calls go through `env`.
  void Run(const std::string& command, Env* env = Env::Default()) {
    CommandOutcome outcome = Command(command, env);
    ASSERT_EQ(outcome.result, 0) << command << ": " << outcome.errorText;
  }
  // A path in the test's folder written into a command between apostrophes.
  std::string Quoted(const std::string& name) { return "'" + tmp.File(name) + "'"; }
  std::string Contents(const std::string& name) {
    return ReadWholeFile(tmp.File(name)).value_or("<missing>");
  }
  void SetVariable(const std::string& name, const std::string& value) {
    std::string refusal;
    ASSERT_TRUE(DefineVariable(context.book, name, value, &refusal)) << refusal;
  }

 private:
  ScopedEnv m_config;
};

// --- Parameters ------------------------------------------------------------------------

TEST_F(FileCommandsTest, WrongCountsAndNonNumbersFail) {
  struct {
    std::string command;
    std::string error;
  } const cases[] = {
      {"FILEEXIST('f')", "Incorrect number of parameters:\nFILEEXIST('f')"},
      {"FILEEXIST('f','a','b')", "Incorrect number of parameters:\nFILEEXIST('f','a','b')"},
      {"FILECOPY('f','a')", "Incorrect number of parameters:\nFILECOPY('f','a')"},
      {"FILECOPY('f','a','b',1,2)", "Incorrect number of parameters:\nFILECOPY('f','a','b',1,2)"},
      {"FILEWRITE('f','p')", "Incorrect number of parameters:\nFILEWRITE('f','p')"},
      {"FILEREAD('f','t')", "Incorrect number of parameters:\nFILEREAD('f','t')"},
      {"FILESAVEPROMPT('f','p','t','d')",
       "Incorrect number of parameters:\nFILESAVEPROMPT('f','p','t','d')"},
      {"FILESAVEPROMPT2('f','p','t','d','n','x')",
       "Incorrect number of parameters:\nFILESAVEPROMPT2('f','p','t','d','n','x')"},
      {"INIREAD('v','i','s')", "Incorrect number of parameters:\nINIREAD('v','i','s')"},
      {"INIREAD('v','i','s','k','d','x')",
       "Incorrect number of parameters:\nINIREAD('v','i','s','k','d','x')"},
      {"INIWRITE('v','i','s','k','x')",
       "Incorrect number of parameters:\nINIWRITE('v','i','s','k','x')"},
      {"MESSAGEBOX", "Incorrect number of parameters:\nMESSAGEBOX"},
      {"MESSAGEBOX('a','b')", "Incorrect number of parameters:\nMESSAGEBOX('a','b')"},
      {"MESSAGEBOX2('b','x')", "Incorrect number of parameters:\nMESSAGEBOX2('b','x')"},
      {"OUTPUTDEBUGSTRING", "Incorrect number of parameters:\nOUTPUTDEBUGSTRING"},
      {"MESSAGEBEEP(1)", "Incorrect number of parameters:\nMESSAGEBEEP(1)"},
      {"FILECOPY('f','a','b','1')",
       "Numerical expression required as parameter 4:\nFILECOPY('f','a','b','1')"},
      {"MESSAGEBOX2('b','x','4')",
       "Numerical expression required as parameter 3:\nMESSAGEBOX2('b','x','4')"},
  };
  for (const auto& c : cases) {
    CommandOutcome outcome = Command(c.command);
    EXPECT_EQ(outcome.result, 1) << c.command;
    EXPECT_EQ(outcome.errorText, c.error) << c.command;
  }
  EXPECT_TRUE(window.messages.empty());
}

TEST_F(FileCommandsTest, RefusedResultVariablesFailWithTheKeyword) {
  ASSERT_TRUE(WriteWholeFile(tmp.File("src.txt"), "x"));
  window.saveAnswers.assign(2, std::optional<std::string>("/chosen"));
  const std::string refusal = "Variable must have a name.";
  struct {
    std::string command;
    const char* keyword;
  } const cases[] = {
      {"FILEEXIST('','x')", "FILEEXIST"},
      {"FILECOPY(''," + Quoted("src.txt") + "," + Quoted("dst.txt") + ")", "FILECOPY"},
      {"FILEWRITE(''," + Quoted("written.txt") + ",'text')", "FILEWRITE"},
      {"FILEREAD('','t'," + Quoted("src.txt") + ")", "FILEREAD"},
      {"FILESAVEPROMPT('','p','t','d','n.txt')", "FILESAVEPROMPT"},
      {"FILESAVEPROMPT2('','p','t','d','n','D','x')", "FILESAVEPROMPT2"},
      {"INIREAD('','i.ini','s','k')", "INIREAD"},
      {"MESSAGEBOX2('','x',0)", "MESSAGEBOX2"},
  };
  for (const auto& c : cases) {
    CommandOutcome outcome = Command(c.command);
    EXPECT_EQ(outcome.result, 1) << c.command;
    EXPECT_EQ(outcome.errorText, kRuntime + c.keyword + " - " + refusal) << c.command;
  }
  // The work is done before the result is stored, and is not undone.
  EXPECT_EQ(Contents("dst.txt"), "x");
  EXPECT_EQ(Contents("written.txt"), "text");
}

TEST_F(FileCommandsTest, SecondResultVariableIsOnlyStoredAfterTheFirst) {
  ASSERT_TRUE(WriteWholeFile(tmp.File("src.txt"), "x"));
  CommandOutcome outcome = Command("FILEREAD('ok','bad name'," + Quoted("src.txt") + ")");
  EXPECT_EQ(outcome.result, 1);
  EXPECT_EQ(outcome.errorText,
            kRuntime + "FILEREAD - Variable names may contain only letters and digits.");
  EXPECT_EQ(Var("ok"), "1");
}

// --- Files -----------------------------------------------------------------------------

TEST_F(FileCommandsTest, FileExistSeesFilesAndFolders) {
  ASSERT_TRUE(WriteWholeFile(tmp.File("here.txt"), ""));
  std::string windowsForm = tmp.File("here.txt");
  for (char& c : windowsForm) {
    c = c == '/' ? '\\' : c;
  }
  struct {
    std::string path;
    const char* flag;
  } const cases[] = {
      {"", "1"},         {tmp.File("here.txt"), "1"},    {windowsForm, "1"},
      {tmp.Path(), "1"}, {tmp.File("missing.txt"), "0"}, {tmp.File("here.txt/below"), "0"},
  };
  for (const auto& c : cases) {
    Run("FILEEXIST('f',~'" + c.path + "')");
    EXPECT_EQ(Var("f"), c.flag) << c.path;
  }
}

TEST_F(FileCommandsTest, FileCopyReplacesUnlessToldToFail) {
  ASSERT_TRUE(WriteWholeFile(tmp.File("report.txt"), "new report"));
  struct {
    const char* failParameter;
    const char* flag;
    const char* target;
  } const cases[] = {
      {",1", "0", "old"},
      {",-7", "0", "old"},
      {",0", "1", "new report"},
      {"", "1", "new report"},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(WriteWholeFile(tmp.File("out.txt"), "old"));
    Run(std::string("FILECOPY('ok',") + Quoted("report.txt") + "," + Quoted("out.txt") +
        c.failParameter + ")");
    EXPECT_EQ(Var("ok"), c.flag) << c.failParameter;
    EXPECT_EQ(Contents("out.txt"), c.target) << c.failParameter;
  }

  Run("FILECOPY('ok'," + Quoted("report.txt") + "," + Quoted("fresh.txt") + ",1)");
  EXPECT_EQ(Var("ok"), "1");
  EXPECT_EQ(Contents("fresh.txt"), "new report");
}

TEST_F(FileCommandsTest, FileCopyMakesTheCopyWritable) {
  ASSERT_TRUE(WriteWholeFile(tmp.File("book.txt"), std::string(200000, 'b')));
  ASSERT_EQ(chmod(tmp.File("book.txt").c_str(), 0400), 0);
  Run("FILECOPY('ok'," + Quoted("book.txt") + "," + Quoted("copy.txt") + ")");
  EXPECT_EQ(Var("ok"), "1");
  EXPECT_EQ(Contents("copy.txt"), std::string(200000, 'b'));
  struct stat info {};
  ASSERT_EQ(stat(tmp.File("copy.txt").c_str(), &info), 0);
  EXPECT_TRUE(info.st_mode & S_IWUSR);
  EXPECT_TRUE(info.st_mode & S_IRUSR);
}

TEST_F(FileCommandsTest, FileCopyFailuresStoreZero) {
  ASSERT_TRUE(WriteWholeFile(tmp.File("src.txt"), "x"));
  ASSERT_EQ(mkfifo(tmp.File("pipe").c_str(), 0600), 0);
  const std::string cases[] = {
      "FILECOPY('ok'," + Quoted("missing.txt") + "," + Quoted("a.txt") + ")",
      "FILECOPY('ok'," + Quoted("") + "," + Quoted("b.txt") + ")",
      "FILECOPY('ok'," + Quoted("pipe") + "," + Quoted("c.txt") + ")",
      "FILECOPY('ok'," + Quoted("src.txt") + "," + Quoted("no-folder/d.txt") + ")",
      "FILECOPY('ok'," + Quoted("src.txt") + "," + Quoted("") + ")",
      "FILECOPY('ok'," + Quoted("src.txt") + ",'')",
  };
  for (const std::string& command : cases) {
    Run(command);
    EXPECT_EQ(Var("ok"), "0") << command;
  }
  EXPECT_FALSE(PathExists(tmp.File("a.txt")));
  EXPECT_FALSE(PathExists(tmp.File("c.txt")));
}

TEST_F(FileCommandsTest, FileCopyOntoItselfFailsAndKeepsTheFile) {
  ASSERT_TRUE(WriteWholeFile(tmp.File("same.txt"), "precious"));
  ASSERT_EQ(symlink(tmp.File("same.txt").c_str(), tmp.File("alias.txt").c_str()), 0);
  // In a folder that takes no new files, the copy could only be written in place.
  ASSERT_EQ(mkdir(tmp.File("shut").c_str(), 0700), 0);
  ASSERT_TRUE(WriteWholeFile(tmp.File("shut/own.txt"), "precious"));
  FailingEnv env;
  env.Fail(EnvCall::kMakeTemporary, EACCES, tmp.File("shut/"));
  struct {
    const char* source;
    const char* target;
  } const cases[] = {
      {"same.txt", "same.txt"},
      {"same.txt", "alias.txt"},
      {"alias.txt", "same.txt"},
      {"shut/own.txt", "shut/own.txt"},
  };
  for (const auto& c : cases) {
    Run("FILECOPY('ok'," + Quoted(c.source) + "," + Quoted(c.target) + ")", &env);
    EXPECT_EQ(Var("ok"), "0") << c.source << " onto " << c.target;
    EXPECT_EQ(Contents(c.source), "precious") << c.source << " onto " << c.target;
  }
}

TEST_F(FileCommandsTest, FileWriteWritesTheTextAsItIs) {
  struct {
    std::string text;  // as written in the command
    std::string bytes;
  } const cases[] = {
      {"''", ""},
      {"'one line'", "one line"},
      {"12*2", "24"},
      {"~'  {kept}  '", "  {kept}  "},
      {"~'a\r\nb\n'", "a\r\nb\n"},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(WriteWholeFile(tmp.File("x.txt"), "longer old contents"));
    Run("FILEWRITE('ok'," + Quoted("x.txt") + "," + c.text + ")");
    EXPECT_EQ(Var("ok"), "1") << c.text;
    EXPECT_EQ(Contents("x.txt"), c.bytes) << c.text;
  }
  Run("FILEWRITE('ok'," + Quoted("new.txt") + ",'')");
  EXPECT_EQ(Var("ok"), "1");
  EXPECT_EQ(Contents("new.txt"), "");
}

TEST_F(FileCommandsTest, FileWriteFailuresStoreZeroAndKeepTheOldFile) {
  Run("FILEWRITE('ok'," + Quoted("no-folder/x.txt") + ",'t')");
  EXPECT_EQ(Var("ok"), "0");
  Run("FILEWRITE('ok'," + Quoted("") + ",'t')");
  EXPECT_EQ(Var("ok"), "0");
  Run("FILEWRITE('ok','','t')");
  EXPECT_EQ(Var("ok"), "0");
}

// Whichever step of the replacement fails, the flag is "0", the old file stays as it was
// and no temporary file is left beside it.
TEST_F(FileCommandsTest, FileWriteFailingAtAnyStepStoresZeroAndKeepsTheOldFile) {
  const struct {
    const char* what;
    EnvCall call;
    int error;
  } cases[] = {
      {"no room for a new file", EnvCall::kMakeTemporary, ENOSPC},
      {"disk full", EnvCall::kWrite, ENOSPC},
      {"flush failing", EnvCall::kFsync, EIO},
      {"close failing", EnvCall::kClose, EIO},
      {"rename refused", EnvCall::kRename, EPERM},
  };
  ASSERT_EQ(mkdir(tmp.File("folder").c_str(), 0700), 0);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(WriteWholeFile(tmp.File("folder/x.txt"), "keep"));
    FailingEnv env;
    env.Fail(c.call, c.error);
    SetVariable("ok", "unset");
    Run("FILEWRITE('ok'," + Quoted("folder/x.txt") + ",'t')", &env);
    EXPECT_EQ(Var("ok"), "0");
    EXPECT_GE(env.Failures(c.call), 1);
    EXPECT_EQ(Contents("folder/x.txt"), "keep");
    EXPECT_EQ(testing::EverythingUnder(tmp.File("folder")), std::vector<std::string>{"x.txt"});
  }
}

// A file the user may not write is never replaced, though its folder takes new files.
TEST_F(FileCommandsTest, FileWriteToAFileTheUserMayNotWriteStoresZero) {
  ASSERT_TRUE(WriteWholeFile(tmp.File("locked.txt"), "keep"));
  FailingEnv env;
  env.Fail(EnvCall::kAccess, EACCES, tmp.File("locked.txt"));
  Run("FILEWRITE('ok'," + Quoted("locked.txt") + ",'t')", &env);
  EXPECT_EQ(Var("ok"), "0");
  EXPECT_EQ(env.Failures(EnvCall::kAccess), 1);
  EXPECT_EQ(Contents("locked.txt"), "keep");
}

TEST_F(FileCommandsTest, FileWriteToDevicesAndPipesNeverWaits) {
  Run("FILEWRITE('ok','/dev/null','discarded')");
  EXPECT_EQ(Var("ok"), "1");
  EXPECT_TRUE(PathExists("/dev/null"));
  ASSERT_EQ(mkfifo(tmp.File("pipe").c_str(), 0600), 0);
  Run("FILEWRITE('ok'," + Quoted("pipe") + ",'nobody reads this')");
  EXPECT_EQ(Var("ok"), "0");
  struct stat info {};
  ASSERT_EQ(lstat(tmp.File("pipe").c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode)) << "the pipe was replaced";
}

TEST_F(FileCommandsTest, FileWriteThroughALinkWritesItsTarget) {
  ASSERT_TRUE(WriteWholeFile(tmp.File("target.txt"), "old"));
  ASSERT_EQ(symlink(tmp.File("target.txt").c_str(), tmp.File("link.txt").c_str()), 0);
  Run("FILEWRITE('ok'," + Quoted("link.txt") + ",'new')");
  EXPECT_EQ(Var("ok"), "1");
  EXPECT_EQ(Contents("target.txt"), "new");
  struct stat info {};
  ASSERT_EQ(lstat(tmp.File("link.txt").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
}

// Another user plants links in a shared sticky folder (as /tmp) under the names a book's
// script writes; every writing command must leave the files they point at alone.
TEST_F(FileCommandsTest, WritesNeverFollowALinkAnotherUserPlantedInASharedFolder) {
  if (geteuid() != 0)
    GTEST_SKIP() << "handing a link to another user needs root";
  constexpr uid_t kOtherUser = 65534;
  ASSERT_EQ(mkdir(tmp.File("shared").c_str(), 0700), 0);
  ASSERT_EQ(chmod(tmp.File("shared").c_str(), 01777), 0);
  ASSERT_EQ(mkdir(tmp.File("victim").c_str(), 0700), 0);
  ASSERT_TRUE(WriteWholeFile(tmp.File("source.txt"), "[S]\nK=book\n"));
  const auto plant = [&](const std::string& name, const std::string& target) {
    ASSERT_EQ(symlink(tmp.File(target).c_str(), tmp.File(name).c_str()), 0) << name;
    ASSERT_EQ(lchown(tmp.File(name).c_str(), kOtherUser, kOtherUser), 0) << name;
  };
  struct {
    std::string command;
    std::string flag;  // stored in 'ok'; empty for INIWRITE, which stores none
  } const cases[] = {
      {"FILEWRITE('ok'," + Quoted("shared/out.txt") + ",'overwritten')", "0"},
      {"FILEWRITE('ok'," + Quoted("shared/folder/file.txt") + ",'overwritten')", "0"},
      {"FILECOPY('ok'," + Quoted("source.txt") + "," + Quoted("shared/out.txt") + ")", "0"},
      {"FILECOPY('ok'," + Quoted("source.txt") + "," + Quoted("shared/new.txt") + ",1)", "0"},
      {"FILECOPY('ok'," + Quoted("source.txt") + "," + Quoted("shared/folder/new.txt") + ",1)",
       "0"},
      {"INIWRITE('overwritten'," + Quoted("shared/out.txt") + ",'S','K')", ""},
  };
  plant("shared/out.txt", "victim/file.txt");
  plant("shared/new.txt", "victim/new.txt");
  plant("shared/folder", "victim");
  for (const auto& c : cases) {
    ASSERT_TRUE(WriteWholeFile(tmp.File("victim/file.txt"), "[S]\nK=precious\n"));
    SetVariable("ok", "unset");
    Run(c.command);
    if (!c.flag.empty()) {
      EXPECT_EQ(Var("ok"), c.flag) << c.command;
    }
    EXPECT_EQ(Contents("victim/file.txt"), "[S]\nK=precious\n") << c.command;
    EXPECT_FALSE(PathExists(tmp.File("victim/new.txt"))) << c.command;
    struct stat info {};
    ASSERT_EQ(lstat(tmp.File("shared/out.txt").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode)) << c.command << ": the planted link was replaced";
  }
  // The user's own link in the same folder is followed as before.
  ASSERT_EQ(symlink(tmp.File("victim/file.txt").c_str(), tmp.File("shared/mine.txt").c_str()), 0);
  Run("FILEWRITE('ok'," + Quoted("shared/mine.txt") + ",'mine')");
  EXPECT_EQ(Var("ok"), "1");
  EXPECT_EQ(Contents("victim/file.txt"), "mine");
}

TEST_F(FileCommandsTest, FileWriteFailingHalfWayStoresZeroAndKeepsTheOldFile) {
  ASSERT_TRUE(WriteWholeFile(tmp.File("x.txt"), "old contents"));
  SetVariable("big", std::string(100000, 'z'));
  // Where files may not grow past 4 KiB, the write fails part of the way.
  FailingEnv env;
  env.LimitFileSize(4096);
  Run("FILEWRITE('ok'," + Quoted("x.txt") + ",'{big}')", &env);
  EXPECT_EQ(Var("ok"), "0");
  EXPECT_EQ(env.Failures(EnvCall::kWrite), 1);
  EXPECT_EQ(Contents("x.txt"), "old contents");
}

TEST_F(FileCommandsTest, FileReadReadsAtMost250000Bytes) {
  std::string big(300000, 'a');
  for (std::size_t i = 0; i < big.size(); ++i) {
    big[i] = static_cast<char>('a' + i % 26);
  }
  ASSERT_TRUE(WriteWholeFile(tmp.File("big.txt"), big));
  Run("FILEREAD('ok','t'," + Quoted("big.txt") + ")");
  EXPECT_EQ(Var("ok"), "1");
  EXPECT_EQ(Var("t"), big.substr(0, 250000));
}

TEST_F(FileCommandsTest, FileReadCases) {
  ASSERT_TRUE(WriteWholeFile(tmp.File("empty.txt"), ""));
  ASSERT_TRUE(WriteWholeFile(tmp.File("zeros.txt"), std::string("a\0b\0\0c", 6)));
  ASSERT_TRUE(WriteWholeFile(tmp.File("lines.txt"), "x\r\ny\n"));
  ASSERT_EQ(mkfifo(tmp.File("pipe").c_str(), 0600), 0);
  struct {
    std::string path;
    const char* flag;
    std::string text;
  } const cases[] = {
      {tmp.File("empty.txt"), "1", ""},
      {tmp.File("zeros.txt"), "1", "a b  c"},
      {tmp.File("lines.txt"), "1", "x\r\ny\n"},
      {tmp.File("missing.txt"), "0", ""},
      {tmp.Path(), "0", ""},
      {tmp.File("pipe"), "1", ""},  // nothing to read, and no waiting for a writer
      {"", "0", ""},
  };
  for (const auto& c : cases) {
    SetVariable("t", "stale");
    Run("FILEREAD('ok','t',~'" + c.path + "')");
    EXPECT_EQ(Var("ok"), c.flag) << c.path;
    EXPECT_EQ(Var("t"), c.text) << c.path;
  }
}

// --- Save prompts ----------------------------------------------------------------------

TEST(SavePromptFilterTest, FileNamesChooseTheirType) {
  struct {
    const char* name;
    const char* filter;
    const char* extension;
  } const cases[] = {
      {"notes.txt", "Text File|*.txt|All Files|*.*||", "txt"},
      {"photo.JPEG", "JPEG Image|*.jpg;*.jpeg|All Files|*.*||", "jpg"},
      {"photo.Jpg", "JPEG Image|*.jpg;*.jpeg|All Files|*.*||", "jpg"},
      {"a.gif", "GIF Image|*.gif|All Files|*.*||", "gif"},
      {"a.BMP", "Windows Bitmap|*.bmp|All Files|*.*||", "bmp"},
      {"a.ico", "Windows Icon|*.ico|All Files|*.*||", "ico"},
      {"page.htm", "HTML (Web Page)|*.htm;*.html|All Files|*.*||", "htm"},
      {"page.HTML", "HTML (Web Page)|*.htm;*.html|All Files|*.*||", "htm"},
      {"setup.exe", "Program|*.exe|All Files|*.*||", "exe"},
      {"ext.dll", "Dynamic Link Library (DLL)|*.dll|All Files|*.*||", "dll"},
      {"data.dat", "All Files|*.*||", ""},
      {"txt", "All Files|*.*||", ""},
      {"", "All Files|*.*||", ""},
      {"archive.txt.gz", "All Files|*.*||", ""},
  };
  for (const auto& c : cases) {
    SavePromptFilter filter = FilterForFileName(c.name);
    EXPECT_EQ(filter.filter, c.filter) << c.name;
    EXPECT_EQ(filter.defaultExtension, c.extension) << c.name;
  }
}

TEST(SavePromptFilterTest, ScriptDescriptionsAreCleaned) {
  struct {
    const char* description;
    const char* extension;
    const char* filter;
    const char* defaultExtension;
  } const cases[] = {
      {"Data|files", "|dat", "Datafiles|*.dat|All Files|*.*||", "dat"},
      {"  Notes  ", "  txt ", "Notes|*.txt|All Files|*.*||", "txt"},
      {"Anything", "", "Anything|*.*|All Files|*.*||", ""},
      {"Anything", " | ", "Anything|*.*|All Files|*.*||", ""},
      {"", "x", "|*.x|All Files|*.*||", "x"},
      {"\tData\r\n", "\n dat\v\f", "Data|*.dat|All Files|*.*||", "dat"},
  };
  for (const auto& c : cases) {
    SavePromptFilter filter = FilterForDescription(c.description, c.extension);
    EXPECT_EQ(filter.filter, c.filter) << c.description;
    EXPECT_EQ(filter.defaultExtension, c.defaultExtension) << c.description;
  }
}

TEST_F(FileCommandsTest, FileSavePromptAsksTheWindowAndStoresTheChoice) {
  window.saveAnswers.push_back(std::string("/home/user/photo.jpg"));
  window.saveAnswers.push_back(std::nullopt);
  Run("FILESAVEPROMPT('ok','p','Save',~'C:\\',~'photo.JPEG')");
  EXPECT_EQ(Var("ok"), "1");
  EXPECT_EQ(Var("p"), "/home/user/photo.jpg");
  ASSERT_EQ(window.saveRequests.size(), 1u);
  const SaveFileRequest& request = window.saveRequests[0];
  EXPECT_EQ(request.title, "Save");
  EXPECT_EQ(request.folder, "C:/");
  EXPECT_EQ(request.fileName, "photo.JPEG");
  EXPECT_EQ(request.filter, "JPEG Image|*.jpg;*.jpeg|All Files|*.*||");
  EXPECT_EQ(request.defaultExtension, "jpg");

  Run("FILESAVEPROMPT('ok','p','Save','','photo.jpg')");
  EXPECT_EQ(Var("ok"), "0");
  EXPECT_EQ(Var("p"), "");
}

TEST_F(FileCommandsTest, FileSavePrompt2UsesTheScriptsFilter) {
  window.saveAnswers.push_back(std::string("/data/a.dat"));
  Run("FILESAVEPROMPT2('ok','p','Save','','a.dat','Data|files','|dat')");
  EXPECT_EQ(Var("ok"), "1");
  EXPECT_EQ(Var("p"), "/data/a.dat");
  ASSERT_EQ(window.saveRequests.size(), 1u);
  EXPECT_EQ(window.saveRequests[0].filter, "Datafiles|*.dat|All Files|*.*||");
  EXPECT_EQ(window.saveRequests[0].defaultExtension, "dat");
  EXPECT_EQ(window.saveRequests[0].fileName, "a.dat");

  Run("FILESAVEPROMPT2('ok','p','Save','','a.dat','Data','dat')");  // none queued: cancelled
  EXPECT_EQ(Var("ok"), "0");
  EXPECT_EQ(Var("p"), "");
}

// --- INI values ------------------------------------------------------------------------

TEST_F(FileCommandsTest, IniReadAndWriteRoundTrip) {
  Run("INIREAD('v','my.ini','S','K','none')");
  EXPECT_EQ(Var("v"), "none");
  Run("INIREAD('v','my.ini','S','K')");
  EXPECT_EQ(Var("v"), "");

  Run("INIWRITE('a value','my.ini','S','K')");
  Run("INIREAD('v','MY.ini','S','K','none')");
  EXPECT_EQ(Var("v"), "none") << "file names keep their case";
  Run("INIREAD('v','my.ini','s','k','none')");
  EXPECT_EQ(Var("v"), "a value");
  Run("INIWRITE(42,'my.ini','S','Number')");
  Run("INIREAD('v','my.ini','S','NUMBER')");
  EXPECT_EQ(Var("v"), "42");
  EXPECT_EQ(ReadWholeFile(tmp.File("config/quire/my.ini")), "[S]\nK=a value\nNumber=42\n");
}

TEST_F(FileCommandsTest, IniCommandsUseScriptPathsAndCutLongValues) {
  const std::string ini = tmp.File("book.ini");
  ASSERT_TRUE(WriteWholeFile(ini, "; comment\n[Long]\nValue=" + std::string(40000, 'v') + "\n"));
  std::string windowsForm = ini;
  for (char& c : windowsForm) {
    c = c == '/' ? '\\' : c;
  }
  Run("INIREAD('v',~'" + windowsForm + "','long','value')");
  EXPECT_EQ(Var("v")->size(), kIniReadBufferSize - 1);

  Run("INIWRITE('x',~'" + windowsForm + "','Other','Key')");
  EXPECT_EQ(ReadWholeFile(ini),
            "; comment\n[Long]\nValue=" + std::string(40000, 'v') + "\n[Other]\nKey=x\n");
}

TEST_F(FileCommandsTest, IniWriteSucceedsEvenWhenNothingIsWritten) {
  const std::string cases[] = {
      "INIWRITE('v'," + Quoted("no-folder/x.ini") + ",'S','K')",
      "INIWRITE('v','x.ini','','K')",
      "INIWRITE(~'two\nlines','x.ini','S','K')",
  };
  for (const std::string& command : cases) {
    CommandOutcome outcome = Command(command);
    EXPECT_EQ(outcome.result, 0) << command;
    EXPECT_EQ(outcome.errorText, "") << command;
  }
  EXPECT_FALSE(PathExists(tmp.File("no-folder")));
  EXPECT_FALSE(PathExists(tmp.File("config/quire/x.ini")));
}

// --- Message boxes and the rest --------------------------------------------------------

TEST_F(FileCommandsTest, MessageBoxShowsInformation) {
  Run("MESSAGEBOX('Hello, world')");
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].text, "Hello, world");
  EXPECT_EQ(window.messages[0].style, kMbOk | kMbIconInformation);
}

TEST_F(FileCommandsTest, MessageBox2PassesTheStyleAndStoresTheButton) {
  struct {
    int style;
    int answer;
    const char* stored;
  } const cases[] = {
      {4, kIdYes, "6"},   {4, kIdNo, "7"},      {0, kIdOk, "1"},     {1, kIdCancel, "2"},
      {2, kIdAbort, "3"}, {5, kIdRetry, "4"},   {2, kIdIgnore, "5"}, {3 + 32, kIdYes, "6"},
      {16, kIdOk, "1"},   {4 + 64, kIdNo, "7"},
  };
  for (const auto& c : cases) {
    window.messages.clear();
    window.messageAnswers.push_back(c.answer);
    Run("MESSAGEBOX2('b','Continue?'," + std::to_string(c.style) + ")");
    EXPECT_EQ(Var("b"), c.stored) << c.style;
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0].text, "Continue?");
    EXPECT_EQ(window.messages[0].style, c.style);
  }
}

TEST_F(FileCommandsTest, OutputDebugStringWritesOneLineToStandardError) {
  ::testing::internal::CaptureStderr();
  Run("OUTPUTDEBUGSTRING('checkpoint reached')");
  Run("OUTPUTDEBUGSTRING(~'two\nlines')");
  Run("OUTPUTDEBUGSTRING(7)");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "checkpoint reached\ntwo lines\n7\n");
  EXPECT_TRUE(window.messages.empty());
}

}  // namespace
}  // namespace quire::testing
