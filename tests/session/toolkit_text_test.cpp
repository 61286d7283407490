#include "session/display_text.h"
#include "session/frame_commands.h"

#include <gtest/gtest.h>

namespace quire {
namespace {

TEST(ToolkitTextTest, KeepsUtf8AndReadsAnythingElseAsWindows1252) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"plain", "plain"},
      {"caf\xC3\xA9", "caf\xC3\xA9"},                    // UTF-8 stays
      {"caf\xE9", "caf\xC3\xA9"},                        // Latin-1 range
      {"\x80 \x99", "\xE2\x82\xAC \xE2\x84\xA2"},        // euro sign, trade mark
      {"\x81", "\xEF\xBF\xBD"},                          // unassigned
      {"\xC3", "\xC3\x83"},                              // cut-off sequence
      {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},  // encoded surrogate is not UTF-8
      {"\xC0\x80", "\xC3\x80\xE2\x82\xAC"},              // overlong form is not UTF-8
  };
  for (const auto& [in, out] : cases)
    EXPECT_EQ(ToDisplayText(in), out) << in;
}

TEST(ToolkitTextTest, TurnsAccessKeysIntoToolkitMnemonics) {
  const std::pair<const char*, const char*> cases[] = {
      {"&Back", "_Back"}, {"Select &All", "Select _All"}, {"Fish && Chips", "Fish & Chips"},
      {"R&&&D", "R&_D"},  {"snake_case", "snake__case"},  {"", ""},
  };
  for (const auto& [in, out] : cases)
    EXPECT_EQ(MnemonicToGtk(in), out) << in;
}

}  // namespace
}  // namespace quire
