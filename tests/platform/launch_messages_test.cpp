#include "platform/launch_messages.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace quire {
namespace {

TEST(LaunchMessagesTest, RunFailuresHaveTheirOwnWordingAndEveryOtherResultIsUnableToStart) {
  const std::string line = "C:\\Tools\\viewer.exe /open \"a b\"";
  const std::map<int, std::string> worded = {
      {0, "Can't start " + line + ", out of memory or resources."},
      {2, "Can't start " + line + ", as the file was not found."},
      {3, "Can't start " + line + ", as the path was not found."},
      {11, "Can't start " + line + ", the program appears to be corrupted or invalid."},
  };
  for (int result = 0; result <= 31; ++result) {
    const auto found = worded.find(result);
    const std::string expected = found != worded.end() ? found->second : "Unable to start " + line;
    EXPECT_EQ(RunFailureMessage(line, result), expected) << result;
  }
}

TEST(LaunchMessagesTest, OpenFailuresAddTheReasonOnlyForResultsThatHaveOne) {
  const std::string base =
      "The web page could not be opened.\n\nTo use this option, you must :-\n1. Have a "
      "connection to the Internet.\n2. Have a web browser (for example Microsoft Internet "
      "Explorer) installed on your system.\n3. The web browser set to pick up file "
      "associations (this normally occurs as part of the installation process for the web "
      "browser).";
  const std::map<int, std::string> reasons = {
      {0, "The operating system is out of memory or resources."},
      {2, "The specified file was not found."},
      {3, "The specified path was not found."},
      {5, "The operating system denied access to the specified file."},
      {8, "There was not enough memory to complete the operation."},
      {11, "The .EXE file is invalid (non-Win32 .EXE or error in .EXE image)."},
      {26, "A sharing violation occurred."},
      {27, "The filename association is incomplete or invalid."},
      {28, "The DDE transaction could not be completed because the request timed out."},
      {29, "The DDE transaction failed."},
      {30,
       "The DDE transaction could not be completed because other DDE transactions were being "
       "processed."},
      {31, "There is no application associated with the given filename extension."},
      {32, "The specified dynamic-link library was not found."},
  };
  for (int result = -1; result <= 32; ++result) {
    const auto found = reasons.find(result);
    const std::string expected =
        found != reasons.end() ? base + "\n\nThe reason was:-\n" + found->second : base;
    EXPECT_EQ(OpenFailureMessage(result), expected) << result;
  }
}

}  // namespace
}  // namespace quire
