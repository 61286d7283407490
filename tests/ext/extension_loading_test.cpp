#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "book/page_store.h"
#include "ext/extension_registry.h"
#include "ext/extension_scripting.h"
#include "ext/extension_state.h"
#include "extension_fixture.h"
#include "pages/reader_context.h"
#include "session/reader_session.h"

namespace quire::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;

constexpr int kBoxStyle = kMbOk | kMbIconExclamation;

// True while some mapping of this process comes from `path`.
bool IsMapped(const std::string& path) {
  std::optional<std::string> maps = ReadWholeFile("/proc/self/maps");
  return maps && maps->find(path) != std::string::npos;
}

using ExtensionLoadingTest = ExtensionTest;

TEST_F(ExtensionLoadingTest, FolderWithoutExtensionFilesLoadsNothingAndShowsNothing) {
  ASSERT_TRUE(WriteWholeFile(Folder() + "index.html", "<html></html>"));
  ASSERT_TRUE(WriteWholeFile(Folder() + "pxa__almost.so", "not ours"));
  // A folder with an extension's name is not an extension file.
  ASSERT_EQ(mkdir((Folder() + "__pxa__folder.so").c_str(), 0700), 0);

  LoadAll();

  EXPECT_THAT(window.messages, IsEmpty());
  EXPECT_THAT(ExtensionFiles(context), IsEmpty());
  EXPECT_THAT(RawCalls(), IsEmpty());
  UnloadExtensions(context);
  EXPECT_TRUE(PathExists(Folder() + "__pxa__folder.so"));
  EXPECT_TRUE(PathExists(Folder() + "pxa__almost.so"));
}

// A book that keeps folders may hold "__pxa__" files below its top: only those at the top
// of the book folder are extension libraries.
TEST_F(ExtensionLoadingTest, LibrariesInTheBooksSubfoldersAreNotLoaded) {
  ASSERT_EQ(mkdir((Folder() + "lib").c_str(), 0700), 0);
  ASSERT_EQ(mkdir((Folder() + "lib/__pxa__deeper").c_str(), 0700), 0);
  Install(kFullLibrary, "lib/__pxa__full.so");
  Install(kFullLibrary, "lib/__pxa__deeper/__pxa__full.so");

  LoadAll();

  EXPECT_THAT(window.messages, IsEmpty());
  EXPECT_THAT(ExtensionFiles(context), IsEmpty());
  EXPECT_THAT(RawCalls(), IsEmpty());
  UnloadExtensions(context);
  EXPECT_TRUE(PathExists(Folder() + "lib/__pxa__full.so"));
}

TEST_F(ExtensionLoadingTest, CompleteLibraryIsInitialisedBeforeTheFrameExists) {
  Install(kFullLibrary, "__pxa__full.so");

  LoadAll();

  EXPECT_THAT(window.messages, IsEmpty());
  // PGX_Init, then the key is read once all libraries are loaded; the window is null for
  // both because the frame does not exist yet.
  std::vector<std::string> raw = RawCalls();
  ASSERT_EQ(raw.size(), 2u);
  EXPECT_THAT(raw[0], StartsWith("full Init zero=0 "));
  EXPECT_THAT(raw[0], HasSubstr(" window=0 "));
  EXPECT_THAT(raw[1], StartsWith("full ScriptGetKey zero=0 "));
  EXPECT_THAT(raw[1], HasSubstr(" window=0"));
  // The three entry points that are only checked for are never called.
  for (const std::string& call : raw) {
    EXPECT_THAT(call, ::testing::Not(HasSubstr("IsRuntime")));
    EXPECT_THAT(call, ::testing::Not(HasSubstr("GetName")));
    EXPECT_THAT(call, ::testing::Not(HasSubstr("GetVersion")));
  }

  // Once the frame exists, later calls get its handle.
  ForgetCalls();
  NotifyScriptInit(context);
  raw = RawCalls();
  ASSERT_FALSE(raw.empty());
  for (const std::string& call : raw)
    EXPECT_THAT(call, HasSubstr(" window=" + FrameHandle())) << call;
}

TEST_F(ExtensionLoadingTest, RecordsAndHostAddressAreWhatTheLibrarySeesItself) {
  Install(kFullLibrary, "__pxa__full.so");
  LoadAll();
  ASSERT_FALSE(CallsOf("full").empty());
  // The library's C compiler lays the records out as the reader does, and a lookup of the
  // host function by name from inside the library finds the address it was handed.
  EXPECT_EQ(CallsOf("full")[0], "Init param=" + std::to_string(sizeof(PGXParam)) +
                                    " param.text=" + std::to_string(offsetof(PGXParam, text)) +
                                    " param.number=" + std::to_string(offsetof(PGXParam, number)) +
                                    " result=" + std::to_string(sizeof(PGXResult)) +
                                    " exported=" + std::to_string(ExportedHostAddress()));
  EXPECT_THAT(RawCalls()[0], HasSubstr(" host=" + std::to_string(ExportedHostAddress()) + " "));
  EXPECT_EQ(sizeof(PGXParam), 24u);
  EXPECT_EQ(sizeof(PGXResult), 8196u);
}

TEST_F(ExtensionLoadingTest, LibraryWithoutIsRuntimeIsRejectedWithoutInit) {
  const std::string path = Install(kNoRuntimeLibrary, "__pxa__noruntime.so");

  LoadAll();

  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].text, path + " is not an Pagora E-Book Extension library.");
  EXPECT_EQ(window.messages[0].style, kBoxStyle);
  // Loading ran its constructors, but no entry point was called; it was unloaded again.
  EXPECT_THAT(CallsOf("noruntime"), ElementsAre("Unloaded"));
  EXPECT_FALSE(IsMapped(path));
  EXPECT_TRUE(ExtensionsOf(context).Registry()->Libraries().empty());
  EXPECT_THAT(ExtensionFiles(context), ElementsAre(path));

  // Its file is still deleted at shutdown.
  UnloadExtensions(context);
  EXPECT_FALSE(PathExists(path));
  EXPECT_THAT(CallsOf("noruntime"), ElementsAre("Unloaded"));
}

TEST_F(ExtensionLoadingTest, FilesThatCannotBeLoadedAreReportedAndTheOthersStillLoad) {
  const std::string text = Folder() + "__pxa__broken.so";
  ASSERT_TRUE(WriteWholeFile(text, "this is not a shared library"));
  const std::string empty = Folder() + "__pxa__empty";
  ASSERT_TRUE(WriteWholeFile(empty, ""));
  // A fifo would make the load wait for a writer for ever.
  const std::string fifo = Folder() + "__pxa__pipe.so";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string good = Install(kFullLibrary, "__pxa__zfull.so");

  LoadAll();

  ASSERT_EQ(window.messages.size(), 3u);
  EXPECT_EQ(window.messages[0].text, text + " could not be loaded.");
  EXPECT_EQ(window.messages[1].text, empty + " could not be loaded.");
  EXPECT_EQ(window.messages[2].text, fifo + " could not be loaded.");
  for (const RecordedMessage& message : window.messages)
    EXPECT_EQ(message.style, kBoxStyle);
  EXPECT_THAT(CallsOf("full"), ElementsAre(StartsWith("Init "), "ScriptGetKey"));
  EXPECT_THAT(ExtensionFiles(context), ElementsAre(text, empty, fifo, good));

  UnloadExtensions(context);
  for (const std::string& path : {text, empty, fifo, good})
    EXPECT_FALSE(PathExists(path)) << path;
}

TEST_F(ExtensionLoadingTest, ScriptRunsAreBracketedOnlyForLibrariesOfferingTheScriptInterface) {
  Install(kFullLibrary, "__pxa__full.so");
  Install(kNoInterfaceLibrary, "__pxa__nointerface.so");
  LoadAll();
  ForgetCalls();

  // One run with a failing command in the middle.
  NotifyScriptInit(context);
  EXPECT_EQ(Run("##TOOLS.RESULT(5)", "TOOLS.RESULT", {Number(5)}),
            "taken:1:Error 5:\n##TOOLS.RESULT(5)");
  NotifyScriptExit(context);

  EXPECT_THAT(Calls(), ElementsAre("full IsInterface args=4,0,1", "full ScriptInit",
                                   "nointerface IsInterface args=4,0,1",
                                   StartsWith("full ScriptCommand name=RESULT "),
                                   "full IsInterface args=4,0,1", "full ScriptExit",
                                   "nointerface IsInterface args=4,0,1"));
}

TEST_F(ExtensionLoadingTest, LibraryAnsweringTheScriptInterfaceWithoutItsEntryPointsIsSkipped) {
  Install(kUnrulyLibrary, "__pxa__unruly.so");
  LoadAll();
  ForgetCalls();

  NotifyScriptInit(context);
  NotifyScriptExit(context);

  EXPECT_THAT(Calls(),
              ElementsAre("unruly IsInterface args=4,0,1", "unruly IsInterface args=4,0,1"));
}

TEST_F(ExtensionLoadingTest, ShutdownCallsExitThenUnloadsThenDeletesEveryFile) {
  const std::string full = Install(kFullLibrary, "__pxa__full.so");
  const std::string rejected = Install(kNoRuntimeLibrary, "__pxa__noruntime.so");
  const std::string other = Install(kNoInterfaceLibrary, "__pxa__other.so");
  LoadAll();
  ASSERT_TRUE(IsMapped(full));
  ForgetCalls();

  UnloadExtensions(context);

  // In registry (path) order: each library exits and is unloaded before the next.
  EXPECT_THAT(Calls(), ElementsAre("full Exit", "full Unloaded", "nointerface Exit",
                                   "nointerface Unloaded"));
  EXPECT_FALSE(IsMapped(full));
  EXPECT_FALSE(IsMapped(other));
  for (const std::string& path : {full, rejected, other})
    EXPECT_FALSE(PathExists(path)) << path;
  EXPECT_TRUE(ExtensionsOf(context).shutDown);
  EXPECT_TRUE(ExtensionsOf(context).shutDown);
}

TEST_F(ExtensionLoadingTest, NothingIsMadeAgainAfterShutdown) {
  Install(kFullLibrary, "__pxa__full.so");
  LoadAll();
  UnloadExtensions(context);
  ForgetCalls();

  // Everything that comes late finds no registry and no scripting.
  EXPECT_EQ(ExtensionsOf(context).Registry(), nullptr);
  EXPECT_EQ(ExtensionsOf(context).Scripting(), nullptr);
  NotifyScriptInit(context);
  NotifyScriptExit(context);
  EXPECT_EQ(Run("##TOOLS.ECHO", "TOOLS.ECHO"), "not taken");
  EXPECT_EQ(Expand("{tools.name}"), "{tools.name}");
  Install(kFullLibrary, "__pxa__full.so");
  LoadExtensionsFrom(context, Folder());
  UnloadExtensions(context);

  EXPECT_THAT(RawCalls(), IsEmpty());
  EXPECT_TRUE(PathExists(Folder() + "__pxa__full.so"));
}

TEST_F(ExtensionLoadingTest, ShutdownWithoutAnyLibrarySetsTheFlagsToo) {
  UnloadExtensions(context);
  EXPECT_TRUE(ExtensionsOf(context).shutDown);
  EXPECT_TRUE(ExtensionsOf(context).shutDown);

  Install(kFullLibrary, "__pxa__full.so");
  LoadAll();
  EXPECT_THAT(RawCalls(), IsEmpty());
}

TEST_F(ExtensionLoadingTest, EachFileIsLoadedOncePerRun) {
  Install(kFullLibrary, "__pxa__full.so");
  LoadAll();
  LoadAll();
  EXPECT_THAT(CallsOf("full"), ElementsAre(StartsWith("Init "), "ScriptGetKey"));
  EXPECT_EQ(ExtensionFiles(context).size(), 1u);
}

// The page store's cleanup knows only files and folders; the session's shutdown tells
// the libraries to exit and unloads them after it.
TEST_F(ExtensionLoadingTest, StartUpLoadsFromTheBookFolderAndShutdownUnloadsAfterTheCleanup) {
  ReaderSession session(context);
  const std::string bookFolder = context.store.BookFolder();
  ASSERT_THAT(bookFolder, StartsWith(m_tmp.Path() + "/"));
  const std::string path = bookFolder + "__pxa__full.so";
  std::filesystem::copy_file(kFullLibrary, path);

  session.LoadExtensions();
  window.hasFrame = true;
  EXPECT_THAT(CallsOf("full"), ElementsAre(StartsWith("Init "), "ScriptGetKey"));

  context.store.Cleanup();
  EXPECT_THAT(CallsOf("full"), ElementsAre(StartsWith("Init "), "ScriptGetKey"));
  EXPECT_TRUE(IsMapped(path));

  session.Shutdown();
  EXPECT_THAT(CallsOf("full"),
              ElementsAre(StartsWith("Init "), "ScriptGetKey", "Exit", "Unloaded"));
  EXPECT_FALSE(PathExists(path));
}

// A reader killed with SIGKILL leaves its library in its book folder; the next book that
// claims the folder (the same ESBN) neither sees nor loads it.
TEST_F(ExtensionLoadingTest, LibraryOfAKilledRunIsNeverLoadedByTheNextBook) {
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t first = fork();
  ASSERT_GE(first, 0);
  if (first == 0) {
    close(ready[0]);
    const std::string folder = context.store.BookFolder();
    std::error_code failed;
    std::filesystem::copy_file(kFullLibrary, folder + "__pxa__full.so", failed);
    const char done = failed ? '0' : '1';
    [[maybe_unused]] ssize_t told = write(ready[1], &done, 1);
    pause();  // until killed
    _exit(0);
  }
  close(ready[1]);
  char done = '0';
  ASSERT_EQ(read(ready[0], &done, 1), 1);
  close(ready[0]);
  kill(first, SIGKILL);
  ASSERT_EQ(waitpid(first, nullptr, 0), first);
  ASSERT_EQ(done, '1');

  ReaderSession session(context);
  const std::string folder = context.store.BookFolder();
  EXPECT_FALSE(PathExists(folder + "__pxa__full.so"));
  session.LoadExtensions();
  EXPECT_THAT(RawCalls(), IsEmpty());
  EXPECT_THAT(ExtensionFiles(context), IsEmpty());
  EXPECT_FALSE(IsMapped(folder + "__pxa__full.so"));
  session.Shutdown();
}

}  // namespace
}  // namespace quire::testing
