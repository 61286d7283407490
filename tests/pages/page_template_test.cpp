#include "pages/page_template.h"
#include "pages/reader_context.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "pages/pages_fixture.h"
#include "support/failing_env.h"

namespace quire::testing {
namespace {

TEST(PageTemplateTest, HeaderGolden) {
  EXPECT_EQ(PageHeader("A < & B", 0x000000, 0x0000FF, 0x00FF00, -2),
            "<HTML>\r\n"
            "<HEAD>\r\n"
            "<TITLE>A < & B</TITLE>\r\n"
            "<STYLE type=\"text/css\">\r\n"
            "A:link          { color:FF0000; }\r\n"
            "A:visited       { color:00FF00; }\r\n"
            "A:hover         { color:FEFFFF;     }\r\n"
            "</STYLE>\r\n"
            "</HEAD>\r\n"
            "<BODY BGCOLOR=000000 TOPMARGIN=0 LEFTMARGIN=0 MARGINWIDTH=0 MARGINHEIGHT=0>\r\n"
            "<CENTER>\r\n");
}

TEST(PageTemplateTest, SectionGolden) {
  EXPECT_EQ(PageSection("Head &amp; <I>x</I>", "body<BR>", 0x102030, 0xABCDEF),
            "<BR>\r\n"
            "<TABLE WIDTH=95% BGCOLOR=302010 BORDER=1 COLS=1 CELLPADDING=0 CELLSPACING=0>"
            "<TR><TD ALIGN=CENTER>\r\n"
            "&nbsp;<BR>\r\n"
            "<TABLE WIDTH=95% BGCOLOR=302010 BORDER=0 COLS=0 CELLPADDING=0 CELLSPACING=0>"
            "<TR><TD>\r\n"
            "<FONT FACE=\"Arial,Helvetica,Verdana\" SIZE=2 COLOR=EFCDAB>\r\n"
            "<CENTER><BIG><B>Head &amp; <I>x</I></B></BIG></CENTER><BR>\r\n"
            "body<BR>\r\n"
            "</FONT>\r\n"
            "</TD></TR></TABLE>\r\n"
            "&nbsp;\r\n"
            "</TD></TR></TABLE>\r\n");
}

TEST(PageTemplateTest, FooterGolden) {
  EXPECT_EQ(PageFooter(), "\r\n<BR></CENTER>\r\n</BODY>\r\n</HTML>\r\n");
}

class DisplayPageTest : public PagesTest {};

TEST_F(DisplayPageTest, WritesTheTextAsItIsAndRecordsIt) {
  std::string path = BuildDisplayPage(context.store, "<p>one</p>");
  EXPECT_EQ(path, context.store.BookFolder() + "__display.html");
  std::string second = BuildDisplayPage(context.store, std::string("<p>\0two</p>", 11));
  EXPECT_EQ(second, path);
  EXPECT_EQ(ReadWholeFile(path), std::string("<p>\0two</p>", 11));
  EXPECT_EQ(context.store.WrittenFiles().count(path), 1u);
}

TEST_F(DisplayPageTest, EmptyTextGivesAnEmptyPage) {
  std::string path = BuildDisplayPage(context.store, "");
  EXPECT_EQ(ReadWholeFile(path), "");
}

TEST_F(DisplayPageTest, FailedWriteIsReportedAndThePathStillReturned) {
  std::string folder = context.store.BookFolder();
  // The book folder refuses new files.
  testing::FailingEnv env;
  env.Fail(testing::EnvCall::kOpen, EACCES, folder);
  std::string path = BuildDisplayPage(context.store, "x", &env);
  EXPECT_EQ(path, folder + "__display.html");
  EXPECT_EQ(env.Failures(testing::EnvCall::kOpen), 1);
  ASSERT_EQ(m_window.messages.size(), 1u);
  EXPECT_EQ(m_window.messages[0].text, "Disk error - out of space ?");
}

TEST_F(DisplayPageTest, WriteOnAFullDiskIsReported) {
  testing::FailingEnv env;
  env.Fail(testing::EnvCall::kWrite, ENOSPC);
  BuildDisplayPage(context.store, "x", &env);
  EXPECT_EQ(env.Failures(testing::EnvCall::kWrite), 1);
  ASSERT_EQ(m_window.messages.size(), 1u);
  EXPECT_EQ(m_window.messages[0].text, "Disk error - out of space ?");
}

TEST_F(DisplayPageTest, FolderInThePagesPlaceIsReportedAndThePathStillReturned) {
  // Unlike a read-only folder, this fails for every user, root included.
  std::string folder = context.store.BookFolder();
  ASSERT_EQ(mkdir((folder + "__display.html").c_str(), 0700), 0);
  EXPECT_EQ(BuildDisplayPage(context.store, "x"), folder + "__display.html");
  ASSERT_EQ(m_window.messages.size(), 1u);
  EXPECT_EQ(m_window.messages[0].text, "Disk error - out of space ?");
  rmdir((folder + "__display.html").c_str());
}

}  // namespace
}  // namespace quire::testing
