// quire-pack: writes, lists, extracts and re-binds Quire books.
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "commands.h"
#include "platform/paths.h"

namespace {

constexpr char kUsage[] =
    "Usage: quire-pack COMMAND [ARGUMENTS]\n"
    "\n"
    "Writes, lists, extracts and re-binds Quire books (the quire reader with a book\n"
    "appended).\n"
    "\n"
    "Commands:\n"
    "  build SOURCE_DIR -o BOOK    write a book from a folder and its book.ini\n"
    "  list BOOK [--json]          show the settings, files and variables of a book\n"
    "  extract BOOK DIR            write the files of a book into a folder\n"
    "  rebind BOOK -o NEW_BOOK     move the book of any book file onto the Linux reader\n"
    "  run SOURCE_DIR              build a book into a temporary file and read it\n"
    "\n"
    "Options:\n"
    "  -h, --help     show this help (or a command's help: quire-pack COMMAND --help)\n"
    "  --version      show the version\n";

// Runs one command; `known` is false for a name that is no command.
int Dispatch(const std::string& command, const std::vector<std::string>& args, bool* known) {
  *known = true;
  if (command == "build")
    return quire::pack::RunBuild(args);
  if (command == "list")
    return quire::pack::RunList(args);
  if (command == "extract")
    return quire::pack::RunExtract(args);
  if (command == "rebind")
    return quire::pack::RunRebind(args);
  if (command == "run")
    return quire::pack::RunPreview(args);
  *known = false;
  return quire::pack::kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  // The reader's own notes about its temporary folder, in quire-pack's words.
  quire::SetTempFolderNotice([](const std::string& text) { quire::pack::Note(text); });
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    std::cerr << "quire-pack: no command given\n\n" << kUsage;
    return quire::pack::kExitUsage;
  }
  std::string command = args.front();
  std::vector<std::string> rest(args.begin() + 1, args.end());
  if (command == "help" && !rest.empty()) {
    command = rest.front();
    rest = {"--help"};
  } else if (command == "--help" || command == "-h" || command == "help") {
    std::cout << kUsage;
    return quire::pack::kExitOk;
  } else if (command == "--version") {
    std::cout << "quire-pack " << QUIRE_VERSION << "\n";
    return quire::pack::kExitOk;
  }
  bool known = false;
  int code = Dispatch(command, rest, &known);
  if (!known) {
    std::cerr << "quire-pack: unknown command '" << command << "'\n\n" << kUsage;
  }
  return code;
}
