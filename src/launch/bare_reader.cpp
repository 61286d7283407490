#include "launch/bare_reader.h"

#include <sys/stat.h>

#include <cstdio>

#include "platform/elf_image.h"

namespace quire {

namespace {

constexpr char kWhatItIs[] =
    "This is the Quire reader without a book. A book is this program with its pages\n"
    "appended; make one from a folder of HTML pages with quire-pack and run it:\n"
    "  quire-pack build FOLDER -o BOOK\n"
    "  ./BOOK\n";

}  // namespace

bool IsBareReader(const std::string& path) {
  const std::optional<uint64_t> end = ElfImageEnd(path);
  struct stat info;
  if (!end || stat(path.c_str(), &info) != 0)
    return false;
  return static_cast<uint64_t>(info.st_size) == *end;
}

BareReaderAnswer AnswerWithoutBook(const std::vector<std::string>& args) {
  const std::string version = std::string("quire ") + QUIRE_VERSION + "\n";
  if (args.size() == 1 && args[0] == "--version")
    return {version + kWhatItIs, true, 0};
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    return {std::string("Usage: quire [--version | --help]\n") + kWhatItIs +
                "A book opens in its window when run; it reads no options (its pages get its\n"
                "command line as {commandline}). Run alone, this program has no book to show.\n"
                "  --version  print the version\n"
                "  --help     print this help\n",
            true, 0};
  }
  return {std::string("quire: no book to show.\n") + kWhatItIs + "(quire --help says more)\n",
          false, 1};
}

int RunBareReader(int argc, char** argv) {
  const BareReaderAnswer answer =
      AnswerWithoutBook(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
  std::fputs(answer.text.c_str(), answer.toStandardOutput ? stdout : stderr);
  return answer.exitCode;
}

}  // namespace quire
