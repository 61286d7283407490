// The ways script reaches the interpreter from outside: the link forms the view hands
// over and the book's start-up and exit script settings.
//
//   ...##CMD1(...)##CMD2(...)   commands, run in order with one shared control stack
//   ...#!name                   the script "name" among the book's files
//   ...#@path                   a script file anywhere ({variables} expanded in path)
#ifndef QUIRE_SCRIPT_SCRIPT_LINKS_H_
#define QUIRE_SCRIPT_SCRIPT_LINKS_H_

#include <string>
#include <vector>

namespace quire {

struct ReaderContext;

// Runs the "##" commands of `link`; false when it holds no "##". Whatever precedes the
// first "##" is ignored. A failing command shows its error text (OK, exclamation icon)
// and ends the link; so does a command that stops the run.
bool RunLinkCommands(ReaderContext& context, const std::string& link);

// The pieces RunLinkCommands runs: the text from the first "##", cut before every
// further "##". Empty when there is no "##".
std::vector<std::string> SplitLinkCommands(const std::string& link);

// Runs the script a "#!" or "#@" link names ("#@" wins when both appear); false when the
// link names none (no marker, or a "#@" path that expands to nothing). True otherwise,
// whatever the outcome: a bare "#!" names the book folder and shows the open error.
bool RunScriptLink(ReaderContext& context, const std::string& link);

// Runs a start-up or exit script setting: blank does nothing (true); "##..." and
// "#!..."/"#@..." run as links; anything else is a program command line, expanded and
// started with a normal window. Returns the link's or the launcher's answer.
bool RunBookCommand(ReaderContext& context, const std::string& text);

}  // namespace quire

#endif  // QUIRE_SCRIPT_SCRIPT_LINKS_H_
