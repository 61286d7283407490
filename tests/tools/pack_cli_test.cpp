// quire-pack's own command line: help, version and usage errors.
#include "tools/pack_cli_fixture.h"

namespace quire::pack_tests {
namespace {

TEST_F(PackCliTest, HelpVersionAndUsageErrors) {
  for (const char* command : {"build", "list", "extract", "rebind"}) {
    RunResult help = Pack({command, "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind(std::string("Usage: quire-pack ") + command, 0), 0u) << help.out;
    RunResult viaHelp = Pack({"help", command});
    EXPECT_EQ(viaHelp.out, help.out);
  }
  RunResult version = Pack({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out, std::string("quire-pack ") + QUIRE_VERSION + "\n");
  EXPECT_EQ(Pack({"--help"}).exitCode, 0);
  ExpectFailure(Pack({}), kUsage, "no command given");
  ExpectFailure(Pack({"pack"}), kUsage, "unknown command 'pack'");
  ExpectFailure(Pack({"list"}), kUsage, "list needs one BOOK");
  ExpectFailure(Pack({"list", "a", "--colour"}), kUsage, "unknown option --colour");
  ExpectFailure(Pack({"build", Path("x")}), kUsage, "-o BOOK");
  ExpectFailure(Pack({"build", Path("x"), "-o"}), kUsage, "needs a value");
  ExpectFailure(
      Pack({"rebind", "a", "-o", "b", "--drop-foreign-extensions", "--keep-foreign-extensions"}),
      kUsage, "either");
}

}  // namespace
}  // namespace quire::pack_tests
