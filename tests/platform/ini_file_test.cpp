#include "platform/ini_file.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include <gtest/gtest.h>

#include "support/failing_env.h"
#include "support/scoped_env.h"
#include "support/scoped_tmpdir.h"

namespace quire {
namespace {

using testing::EnvCall;
using testing::FailingEnv;
using testing::ReadWholeFile;
using testing::ScopedEnv;
using testing::ScopedTmpdir;
using testing::WriteWholeFile;

std::size_t CountEntries(const std::string& folder) {
  std::size_t count = 0;
  if (DIR* dir = opendir(folder.c_str())) {
    while (dirent* entry = readdir(dir)) {
      std::string name = entry->d_name;
      count += (name != "." && name != "..") ? 1 : 0;
    }
    closedir(dir);
  }
  return count;
}

class IniFileTest : public ::testing::Test {
 protected:
  // An INI file in the test's own folder holding `text`; returns its path.
  std::string IniWith(const std::string& text) {
    std::string path = m_tmp.File("book.ini");
    EXPECT_TRUE(WriteWholeFile(path, text));
    return path;
  }
  std::string Contents(const std::string& path) { return ReadWholeFile(path).value_or("<none>"); }

  ScopedTmpdir m_tmp;
};

struct ReadCase {
  const char* name;
  const char* file;
  const char* section;
  const char* key;
  const char* expected;
};

TEST_F(IniFileTest, ReadFindsKeysAsBooksWriteThem) {
  const std::string text =
      "; leading comment\n"
      "orphan=before any section\n"
      "[Main]\n"
      "Colour = blue \n"
      "colour=green\n"
      "  Spaced Key  =  a value with  inner  blanks\t\n"
      "Quoted=\"  kept blanks  \"\n"
      "Single='x'\n"
      "Half=\"open\n"
      "Empty=\n"
      ";Hidden=comment\n"
      "NoEquals\n"
      "[ other ]\r\n"
      "colour=red\r\n"
      "[MAIN]\n"
      "Later=second section of the same name is not used\n";
  const std::string path = IniWith(text);
  const ReadCase cases[] = {
      {"case-blind section and key", "", "main", "COLOUR", "blue"},
      {"first duplicate wins", "", "Main", "colour", "blue"},
      {"blanks around key and value", "", "Main", "Spaced Key", "a value with  inner  blanks"},
      {"lookup names are trimmed", "", " Main ", " spaced key ", "a value with  inner  blanks"},
      {"matching quotes removed", "", "Main", "Quoted", "  kept blanks  "},
      {"single quotes removed", "", "Main", "Single", "x"},
      {"unmatched quote kept", "", "Main", "Half", "\"open"},
      {"empty value is not the default", "", "Main", "Empty", ""},
      {"comment is not a key", "", "Main", ";Hidden", "dflt"},
      {"line without '=' is not a key", "", "Main", "NoEquals", "dflt"},
      {"key before any section", "", "", "orphan", "dflt"},
      {"blanks inside brackets, CRLF lines", "", "Other", "colour", "red"},
      {"only the first section of a name", "", "Main", "Later", "dflt"},
      {"missing section", "", "Nowhere", "colour", "dflt"},
      {"missing key", "", "Main", "Size", "dflt"},
  };
  for (const ReadCase& c : cases) {
    EXPECT_EQ(ReadIniValue(path, c.section, c.key, "dflt"), c.expected) << c.name;
  }
}

TEST_F(IniFileTest, MissingFileGivesTheDefault) {
  EXPECT_EQ(ReadIniValue(m_tmp.File("absent.ini"), "S", "K", "none"), "none");
  EXPECT_EQ(ReadIniValue(m_tmp.File("absent.ini"), "S", "K", ""), "");
  EXPECT_EQ(ReadIniValue(m_tmp.Path(), "S", "K", "folder"), "folder");
  EXPECT_EQ(ReadIniValue("", "S", "K", "no name"), "no name");
}

TEST_F(IniFileTest, LongValuesAreCutToTheBuffer) {
  const std::string longValue(40000, 'v');
  const std::string path = IniWith("[S]\nK=" + longValue + "\n");
  EXPECT_EQ(ReadIniValue(path, "S", "K", "").size(), kIniReadBufferSize - 1);
  EXPECT_EQ(ReadIniValue(path, "S", "K", "", 5), "vvvv");
  EXPECT_EQ(ReadIniValue(path, "S", "K", "", 1), "");
  EXPECT_EQ(ReadIniValue(path, "S", "K", "", 0), "");
  // The default is cut the same way.
  EXPECT_EQ(ReadIniValue(path, "S", "Missing", "abcdef", 4), "abc");
}

TEST_F(IniFileTest, HugeFilesAreNeitherReadNorRewritten) {
  const std::string path = IniWith("[S]\nK=v\n");
  constexpr off_t kHuge = 17 * 1024 * 1024;
  ASSERT_EQ(truncate(path.c_str(), kHuge), 0);  // sparse: cheap to make
  EXPECT_EQ(ReadIniValue(path, "S", "K", "default"), "default");
  EXPECT_FALSE(WriteIniValue(path, "S", "K", "w"));
  struct stat info {};
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_size, kHuge);
}

TEST_F(IniFileTest, WriteCreatesFileSectionAndKey) {
  const std::string path = m_tmp.File("new.ini");
  ASSERT_TRUE(WriteIniValue(path, "Main", "Name", "Ada"));
  EXPECT_EQ(Contents(path), "[Main]\nName=Ada\n");
  ASSERT_TRUE(WriteIniValue(path, "Main", "Age", "36"));
  ASSERT_TRUE(WriteIniValue(path, "Other", "X", ""));
  EXPECT_EQ(Contents(path), "[Main]\nName=Ada\nAge=36\n[Other]\nX=\n");
  EXPECT_EQ(ReadIniValue(path, "MAIN", "age", "?"), "36");
  EXPECT_EQ(ReadIniValue(path, "other", "x", "?"), "");
}

TEST_F(IniFileTest, WriteKeepsEverythingElseByteForByte) {
  const std::string before =
      "; settings of the book\r\n"
      "[Main]\r\n"
      "  Colour =  blue   \r\n"
      "colour=green\r\n"
      "; trailing comment in Main\r\n"
      "\r\n"
      "[Other]\r\n"
      "Z=1";
  const std::string path = IniWith(before);

  ASSERT_TRUE(WriteIniValue(path, "MAIN", "COLOUR", "red"));
  const std::string replaced =
      "; settings of the book\r\n"
      "[Main]\r\n"
      "  Colour =red\r\n"
      "colour=green\r\n"
      "; trailing comment in Main\r\n"
      "\r\n"
      "[Other]\r\n"
      "Z=1";
  EXPECT_EQ(Contents(path), replaced);

  ASSERT_TRUE(WriteIniValue(path, "main", "Size", "3"));
  ASSERT_TRUE(WriteIniValue(path, "Other", "Y", "2"));
  ASSERT_TRUE(WriteIniValue(path, "Third", "K", "v"));
  EXPECT_EQ(Contents(path),
            "; settings of the book\r\n"
            "[Main]\r\n"
            "  Colour =red\r\n"
            "colour=green\r\n"
            "; trailing comment in Main\r\n"
            "Size=3\r\n"
            "\r\n"
            "[Other]\r\n"
            "Z=1\r\n"
            "Y=2\r\n"
            "[Third]\r\n"
            "K=v\r\n");
}

// A last line without '\n' gets a line end before anything is added after it, whatever
// else it ends in; every key stays readable.
TEST_F(IniFileTest, KeysAddedAfterAnUnfinishedLastLineCanBeReadBack) {
  const struct {
    const char* what;
    const char* before;
    const char* section;
    const char* after;
  } cases[] = {
      {"lone CR, same section", "[S]\nA=1\r", "S", "[S]\nA=1\r\nB=2\n"},
      {"lone CR after CRLF lines", "[S]\r\nA=1\r", "S", "[S]\r\nA=1\r\nB=2\r\n"},
      {"lone CR, new section", "[S]\nA=1\r", "T", "[S]\nA=1\r\n[T]\nB=2\n"},
      {"no line end at all", "[S]\nA=1", "S", "[S]\nA=1\nB=2\n"},
      {"header alone with CR", "[S]\r", "S", "[S]\r\nB=2\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = IniWith(c.before);
    ASSERT_TRUE(WriteIniValue(path, c.section, "B", "2"));
    EXPECT_EQ(Contents(path), c.after);
    EXPECT_EQ(ReadIniValue(path, c.section, "B", "missing", 64), "2");
    if (std::string(c.before).find("A=1") != std::string::npos) {
      EXPECT_EQ(ReadIniValue(path, "S", "A", "missing", 64), "1");
    }
  }
}

TEST_F(IniFileTest, WriteRoundTripsValues) {
  const std::string path = IniWith("[S]\nK=old\n");
  const char* values[] = {"plain", "", "with = sign", "  padded  ", "ünïcödé bytes"};
  for (const char* value : values) {
    ASSERT_TRUE(WriteIniValue(path, "s", "k", value)) << value;
    std::string expected = value;
    // Blanks around a value are not part of it when read back.
    expected.erase(0, expected.find_first_not_of(' ') == std::string::npos
                          ? expected.size()
                          : expected.find_first_not_of(' '));
    expected.erase(expected.find_last_not_of(' ') + 1);
    EXPECT_EQ(ReadIniValue(path, "S", "K", "?"), expected) << value;
  }
  EXPECT_EQ(Contents(path), "[S]\nK=ünïcödé bytes\n");
}

TEST_F(IniFileTest, WriteRefusesTextThatWouldChangeTheStructure) {
  const std::string before = "[S]\nK=v\n";
  const std::string path = IniWith(before);
  struct {
    const char* section;
    const char* key;
    const char* value;
  } const refused[] = {
      {"S", "K", "two\nlines"}, {"S", "K", "cr\rhere"}, {"S\n[T]", "K", "v"}, {"S", "K\nX", "v"},
      {"S", "A=B", "v"},        {"S", "[T]", "v"},      {"S", ";K", "v"},     {"S", "#K", "v"},
      {"S]", "K", "v"},         {"", "K", "v"},         {"S", "", "v"},       {"S", "  ", "v"},
  };
  for (const auto& r : refused) {
    EXPECT_FALSE(WriteIniValue(path, r.section, r.key, r.value))
        << r.section << "/" << r.key << "/" << r.value;
  }
  EXPECT_EQ(Contents(path), before);
}

TEST_F(IniFileTest, WriteFailingHalfWayLeavesTheFileAlone) {
  const std::string before = "; keep me\n[S]\nK=v\n";
  const std::string path = IniWith(before);
  // Where files may not grow past 4 KiB, a 64 KiB value cannot be written.
  FailingEnv env;
  env.LimitFileSize(4096);
  EXPECT_FALSE(WriteIniValue(path, "S", "K", std::string(65536, 'x'), &env));
  EXPECT_EQ(env.Failures(EnvCall::kWrite), 1);
  EXPECT_EQ(Contents(path), before);
  // No temporary file is left behind.
  EXPECT_EQ(CountEntries(m_tmp.Path()), 1u);
}

TEST_F(IniFileTest, UnreadableFileIsNotReplaced) {
  const std::string folder = m_tmp.File("folder.ini");
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  EXPECT_FALSE(WriteIniValue(folder, "S", "K", "x"));
  struct stat info {};
  ASSERT_EQ(stat(folder.c_str(), &info), 0);
  EXPECT_TRUE(S_ISDIR(info.st_mode));

  // A file the user may write but not read (mode 0200).
  const std::string path = IniWith("[S]\nK=secret\n");
  FailingEnv env;
  env.Fail(EnvCall::kOpen, EACCES, path);
  EXPECT_FALSE(WriteIniValue(path, "S", "Other", "x", &env));
  EXPECT_EQ(env.Failures(EnvCall::kOpen), 1);
  EXPECT_EQ(Contents(path), "[S]\nK=secret\n");
}

TEST_F(IniFileTest, WriteKeepsPermissionsAndLinks) {
  const std::string target = IniWith("[S]\nK=v\n");
  ASSERT_EQ(chmod(target.c_str(), 0640), 0);
  const std::string link = m_tmp.File("link.ini");
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);

  ASSERT_TRUE(WriteIniValue(link, "S", "K", "w"));
  struct stat info {};
  ASSERT_EQ(lstat(link.c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  ASSERT_EQ(stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(Contents(target), "[S]\nK=w\n");
}

TEST_F(IniFileTest, BareNamesLiveInTheConfigFolder) {
  ScopedEnv home("XDG_CONFIG_HOME", m_tmp.File("config"));
  EXPECT_EQ(IniFilePath("KELVRA.INI"), m_tmp.File("config") + "/quire/KELVRA.INI");
  EXPECT_EQ(ReadIniValue("KELVRA.INI", "Book", "IconSetup", "0"), "0");

  ASSERT_TRUE(WriteIniValue("KELVRA.INI", "Book", "IconSetup", "1"));
  EXPECT_EQ(ReadIniValue("kelvra.ini", "Book", "IconSetup", "0"), "0")
      << "file names keep their case on Linux";
  EXPECT_EQ(ReadIniValue("KELVRA.INI", "book", "iconsetup", "0"), "1");

  struct stat info {};
  ASSERT_EQ(stat((m_tmp.File("config") + "/quire").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  ASSERT_EQ(stat(IniFilePath("KELVRA.INI").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(IniFileTest, BackslashPathsAreConverted) {
  const std::string path = IniWith("[S]\nK=v\n");
  std::string windowsForm = path;
  for (char& c : windowsForm) {
    if (c == '/') {
      c = '\\';
    }
  }
  EXPECT_EQ(IniFilePath(windowsForm), path);
  EXPECT_EQ(ReadIniValue(windowsForm, "S", "K", "?"), "v");
}

}  // namespace
}  // namespace quire
