#include <gtest/gtest.h>

#include "pages/html_text.h"
#include "pages/reader_context.h"
#include "script_harness.h"

namespace quire::testing {
namespace {

const std::string kRuntime = "Runtime error in Pagora Script command:\n\n";

class StringCommandsTest : public ScriptTest {};

// Runs `command` (which stores into 'r') and reports what 'r' holds, or the error text.
TEST_F(StringCommandsTest, StoreTheirExactResults) {
  struct Case {
    std::string command;
    std::string stored;
  };
  const Case cases[] = {
      {"SET('r','abc')", "abc"},
      {"SET('r',2*3)", "6"},
      {"SET('r',-5)", "-5"},
      {"SET('r',~'  {x}  ')", "  {x}  "},
      {"STREQUAL('r','abc','abc')", "1"},
      {"STREQUAL('r','abc','ABC')", "0"},
      {"STREQUAL('r',5,'5')", "1"},
      {"STREMPTY('r','')", "1"},
      {"STREMPTY('r',0)", "0"},
      {"STRFIND('r','banana','an')", "2"},
      {"STRFIND('r','banana','an',3)", "4"},
      {"STRFIND('r','banana','x')", "0"},
      {"STRFIND('r','banana','b')", "1"},
      {"STRFIND('r','banana','an',7)", "0"},
      {"STRFIND('r','banana','an',99)", "0"},
      {"STRFIND('r','banana','',3)", "3"},
      {"STRFIND('r','banana','',7)", "0"},
      {"STRFIND('r','','')", "1"},
      {"STRFIND('r','banana','a',6)", "6"},
      {"STRFIND('r','banana','b',0)", "1"},
      {"STRFIND('r','banana','b',-2147483647)", "1"},
      {"STRFIND('r','banana','a',-2147483647-1)", "2"},
      {"STRFIND('r','banana','a',2147483647)", "0"},
      {"STRCMP('r','a','B')", "1"},
      {"STRCMP('r','a','a')", "0"},
      {"STRCMP('r','a','ab')", "-1"},
      {"STRCMP('r',~'\xE9',~'z')", "1"},
      {"STRICMP('r','a','B')", "-1"},
      {"STRICMP('r','ABC','abc')", "0"},
      {"STRREPLACE('r','aaa','aa','b')", "ba"},
      {"STRREPLACE('r','a.b.c','.','--')", "a--b--c"},
      {"STRREPLACE('r','abc','','x')", "abc"},
      {"STRREPLACE('r','abc','b','')", "ac"},
      {"STRLEN('r',123)", "3"},
      {"STRLEN('r','')", "0"},
      {"STRUPPER('r','abc xY1')", "ABC XY1"},
      {"STRLOWER('r','ABC xY1')", "abc xy1"},
      {"STRUPPER('r',~'\xC3\xA9t\xC3\xA9')", "\xC3\x89T\xC3\x89"},
      {"STRTRIM('r',~' \ta b\t ')", "a b"},
      {"STRTRIMR('r',~'  a  ')", "  a"},
      {"STRTRIML('r',~'  a  ')", "a  "},
      {"STRCAT('r',~' a',~'b ')", "ab "},
      {"STRCAT('r','x',5)", "x5"},
      {"STRLASTWORD('r','one two three ')", "three"},
      {"STRLASTWORD('r','single')", "single"},
      {"STRFIRSTWORD('r','  one two three')", "one two"},
      {"STRFIRSTWORD('r','one two')", "one"},
      {"STRFIRSTWORD('r','single')", "single"},
      {"STRLEFT('r','abc',5)", "abc"},
      {"STRLEFT('r','abc',2)", "ab"},
      {"STRLEFT('r','abc',0)", ""},
      {"STRLEFT('r','abc',-1)", ""},
      {"STRRIGHT('r','abc',2)", "bc"},
      {"STRRIGHT('r','abc',5)", "abc"},
      {"STRRIGHT('r','abc',0)", ""},
      {"STRRIGHT('r','abc',-2147483647-1)", ""},
      {"STRLEFT('r','abc',2147483647)", "abc"},
      {"STRMID('r','abcdef',3)", "cdef"},
      {"STRMID('r','abcdef',3,2)", "cd"},
      {"STRMID('r','abcdef',9)", ""},
      {"STRMID('r','abcdef',7)", ""},
      {"STRMID('r','abcdef',0,2)", "ab"},
      {"STRMID('r','abcdef',-2147483648,2)", "ab"},
      {"STRMID('r','abcdef',2,0)", ""},
      {"STRMID('r','abcdef',2,99)", "bcdef"},
      {"STRMID('r','abcdef',2147483647,2147483647)", ""},
      {"STRMID('r','abcdef',2,-2147483647-1)", ""},
      {"STRCHAR('r','abc',0)", ""},
      {"STRCHAR('r','abc',4)", ""},
      {"STRCHAR('r','abc',2)", "b"},
      {"STRCHAR('r','abc',2147483647)", ""},
      {"STRCHAR('r','abc',-2147483647-1)", ""},
      {"STRCHAR('r',~'\xC3\xA9',1)", "\xC3"},
  };
  for (const Case& c : cases) {
    context.book.UserVariables().erase("r");
    const CommandOutcome outcome = Command(c.command);
    EXPECT_EQ(outcome.result, kCommandContinue) << c.command << ": " << outcome.errorText;
    EXPECT_EQ(Var("r"), c.stored) << "command: " << c.command;
  }
}

// The case commands follow the book's texts: Unicode's case mapping in a UTF-8 book, the
// code page's letters in one written in Windows-1252.
TEST_F(StringCommandsTest, CaseCommandsWorkInEveryLanguage) {
  struct Case {
    std::string command;
    std::string stored;
  };
  const Case utf8[] = {
      {"STRUPPER('r',~'\xC3\xA9t\xC3\xA9 \xC3\xA0 "
       "\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0')",
       "\xC3\x89T\xC3\x89 \xC3\x80 \xD0\x9C\xD0\x9E\xD0\xA1\xD0\x9A\xD0\x92\xD0\x90"},
      {"STRLOWER('r',~'\xC3\x89T\xC3\x89 \xD0\x9C\xD0\x9E\xD0\xA1\xD0\x9A\xD0\x92\xD0\x90')",
       "\xC3\xA9t\xC3\xA9 \xD0\xBC\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0"},
      {"STRUPPER('r',~'\xCE\xBB\xCF\x8C\xCE\xB3\xCE\xBF\xCF\x82')",
       "\xCE\x9B\xCE\x8C\xCE\x93\xCE\x9F\xCE\xA3"},
      {"STRICMP('r',~'\xC3\x84rger',~'\xC3\xA4RGER')", "0"},
      {"STRICMP('r',~'\xD0\xB0',~'\xD0\x91')", "-1"},
      // A letter whose upper case is shorter: lengths are the result's bytes.
      {"STRUPPER('r',~'\xC4\xB1x')", "IX"},
      // Bytes that are no UTF-8 stay.
      {"STRUPPER('r',~'a\xE9"
       "b')",
       "A\xE9"
       "B"},
  };
  context.book.SetRecords(DefaultSettings(), {}, {});
  for (const Case& c : utf8) {
    context.book.UserVariables().erase("r");
    EXPECT_EQ(Command(c.command).result, kCommandContinue) << c.command;
    EXPECT_EQ(Var("r"), c.stored) << "command: " << c.command;
  }

  EBookSettings windows = DefaultSettings();
  windows.title = "L'\xE9t\xE9";  // not UTF-8: the book is written in Windows-1252
  context.book.SetRecords(windows, {}, {});
  const Case windows1252[] = {
      {"STRUPPER('r',~'\xE9t\xE9 \x9Cuvre \xFF')", "\xC9T\xC9 \x8CUVRE \x9F"},
      {"STRLOWER('r',~'\xC9T\xC9 \x8C')", "\xE9t\xE9 \x9C"},
      {"STRICMP('r',~'\xC4rger',~'\xE4RGER')", "0"},
  };
  for (const Case& c : windows1252) {
    context.book.UserVariables().erase("r");
    EXPECT_EQ(Command(c.command).result, kCommandContinue) << c.command;
    EXPECT_EQ(Var("r"), c.stored) << "command: " << c.command;
  }
}

TEST_F(StringCommandsTest, StrHtmlStoresTheHtmlFormOfTheText) {
  ASSERT_EQ(Command("STRHTML('r',~'a<b & c')").result, kCommandContinue);
  EXPECT_EQ(Var("r"), TextToHtml("a<b & c"));
}

TEST_F(StringCommandsTest, RefuseWrongCountsNonNumbersAndBadNames) {
  struct Case {
    std::string command;
    std::string error;
  };
  const Case cases[] = {
      {"SET('r')", "Incorrect number of parameters:\nSET('r')"},
      {"STRMID('r','abc')", "Incorrect number of parameters:\nSTRMID('r','abc')"},
      {"STRMID('r','abc',1,2,3)", "Incorrect number of parameters:\nSTRMID('r','abc',1,2,3)"},
      {"STRLEN", "Incorrect number of parameters:\nSTRLEN"},
      {"STRMID('r','abc','2')",
       "Numerical expression required as parameter 3:\nSTRMID('r','abc','2')"},
      {"STRMID('r','abc',2,'1')",
       "Numerical expression required as parameter 4:\nSTRMID('r','abc',2,'1')"},
      {"STRFIND('r','abc','b','1')",
       "Numerical expression required as parameter 4:\nSTRFIND('r','abc','b','1')"},
      {"STRLEFT('r','abc','1')",
       "Numerical expression required as parameter 3:\nSTRLEFT('r','abc','1')"},
      {"STRRIGHT('r','abc','1')",
       "Numerical expression required as parameter 3:\nSTRRIGHT('r','abc','1')"},
      {"STRCHAR('r','abc','1')",
       "Numerical expression required as parameter 3:\nSTRCHAR('r','abc','1')"},
      {"SET('1x','a')",
       kRuntime + "SET - The first character of the Variable name must be a letter."},
      {"SET('','a')", kRuntime + "SET - Variable must have a name."},
      {"STRLEN('a-b','x')",
       kRuntime + "STRLEN - Variable names may contain only letters and digits."},
      {"STRMID('tab','abc',1)",
       kRuntime + "STRMID - You can not call your variable 'tab' as this variable name is used "
                  "for a predefined system variable."},
  };
  for (const Case& c : cases) {
    const CommandOutcome outcome = Command(c.command);
    EXPECT_EQ(outcome.result, kCommandFailed) << c.command;
    EXPECT_EQ(outcome.errorText, c.error) << "command: " << c.command;
  }
  EXPECT_EQ(Var("r"), std::nullopt);
}

TEST_F(StringCommandsTest, EveryRefusalNamesItsOwnKeyword) {
  for (const char* keyword :
       {"STREQUAL", "STRFIND", "STRCMP", "STRICMP", "STRCAT", "STRLEFT", "STRRIGHT", "STRCHAR"}) {
    const std::string command = std::string(keyword) + "('','abc',1)";
    EXPECT_EQ(Command(command).errorText, kRuntime + keyword + " - Variable must have a name.")
        << command;
  }
  for (const char* keyword : {"STREMPTY", "STRLEN", "STRUPPER", "STRLOWER", "STRTRIM", "STRTRIMR",
                              "STRTRIML", "STRHTML", "STRLASTWORD", "STRFIRSTWORD"}) {
    const std::string command = std::string(keyword) + "('','abc')";
    EXPECT_EQ(Command(command).errorText, kRuntime + keyword + " - Variable must have a name.")
        << command;
  }
  EXPECT_EQ(Command("STRREPLACE('','a','b','c')").errorText,
            kRuntime + "STRREPLACE - Variable must have a name.");
  EXPECT_EQ(Command("STRMID('','a',1)").errorText,
            kRuntime + "STRMID - Variable must have a name.");
}

}  // namespace
}  // namespace quire::testing
