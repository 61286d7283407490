// Variable expansion: {name} in script texts, [={name}] in flagged pages.
#ifndef QUIRE_PAGES_VARIABLES_H_
#define QUIRE_PAGES_VARIABLES_H_

#include <string>

namespace quire {

// Returns `text` with its variable references replaced; never fails. `pageForm` selects
// the [={name}] form, else the {name} form.
std::string ExpandVariables(const std::string& text, bool pageForm);

// Expands one page file in place in page form. True on success or when nothing needed
// doing.
bool ExpandVariablesInFile(const std::string& path);

// Checks the name rules and stores the pair in the book's user variables. On refusal
// returns false and sets `message`.
bool DefineVariable(const std::string& name, const std::string& value, std::string* message);

// The name rules alone.
bool ValidateVariableName(const std::string& name, std::string* message);

}  // namespace quire

#endif  // QUIRE_PAGES_VARIABLES_H_
