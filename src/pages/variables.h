// Variable expansion: {name} in script texts, [={name}] in flagged pages.
//
// Sources are applied in a fixed order, one left-to-right replacement pass per reference,
// so a value inserted by an earlier source is expanded by every later one and never by an
// earlier one: user variables, extension variables, the character variables, the folders,
// the book's metadata, the site address and version, the clock, the compile date, the
// screen, window and view geometry, the rebranded flag, the command line, the program
// path, the current page address, the compile-time variables, and last {bracel} and
// {bracer}. Names match exactly and case-sensitively; unknown references stay as written.
#ifndef QUIRE_PAGES_VARIABLES_H_
#define QUIRE_PAGES_VARIABLES_H_

#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "platform/env.h"

namespace quire {

class CEBook;
struct ReaderContext;

// The folder values and other answers that are computed once, at the first expansion
// that gets past the gate, and kept for the rest of the run (ReaderContext::folders).
struct VariableFolders {
  bool filled = false;
  std::string win, winDrive;
  std::string sys, sysDrive;
  std::string tmp, tmpDrive;
  std::string app, appDrive;
  std::string ebook, ebookDrive;
  std::string compilerUrl;
  std::string exeName;
};

// Returns `text` with its variable references replaced; never fails. `pageForm` selects
// the [={name}] form, else the {name} form.
//
// The text is trimmed of white space first. A text of white space only comes back
// unchanged; a trimmed text without both "{" and "}" (page form: "[={" and "}]") comes
// back trimmed with nothing replaced.
std::string ExpandVariables(ReaderContext& context, const std::string& text, bool pageForm);

// Expands one page file in place in page form. True on success or when nothing needed
// doing (empty file, no page-form reference, nothing changed); false when the file cannot
// be read whole or the new content cannot be written whole. Zero bytes inside the file
// become spaces in a rewritten file. A rewrite replaces the file atomically, mode 0600, so
// a failed write leaves the old content in place. The new content is written through
// `env`.
bool ExpandVariablesInFile(ReaderContext& context, const std::string& path,
                           Env* env = Env::Default());

// What ExpandVariablesInFile does to the bytes of a page, in memory: when the page holds
// both "[={" and "}]" and expanding it in page form (zero bytes read as spaces) changes
// it, `page` becomes the expanded text and the result is true; otherwise `page` stays
// exactly as it is, zero bytes included, and the result is false.
bool ExpandVariablesInPage(ReaderContext& context, std::string* page);

// Checks the name rules and stores the pair in the book's user variables, replacing an
// earlier value. On refusal returns false and sets `message`: the name-rule message, or
// name + " has been defined at compile time." for a compile-time variable's name.
bool DefineVariable(CEBook& book, const std::string& name, const std::string& value,
                    std::string* message);

// The name rules alone, first failure wins: "Variable must have a name.", "Variable names
// may contain only letters and digits.", "The first character of the Variable name must be
// a letter.", and for a reserved lower-case predefined name "You can not call your variable
// '<name>' as this variable name is used for a predefined system variable." `message` may
// be null.
bool ValidateVariableName(const std::string& name, std::string* message);

// The names of the predefined variables, which user variables may not take.
std::span<const std::string_view> PredefinedVariableNames();

// Answers the extension libraries' {key.name} references in `text` ([{key.name}] when
// `bracketForm`). The layer that loads the libraries installs it in
// ReaderContext::extensionVariables; without one such references stay as they are.
// Expansion asks it after the user variables and before the predefined variables.
using ExtensionVariableSource = std::function<void(std::string* text, bool bracketForm)>;

}  // namespace quire

#endif  // QUIRE_PAGES_VARIABLES_H_
