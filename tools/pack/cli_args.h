// Command-line parsing for the quire-pack commands: positional arguments and options
// ("--name value", "--name=value", a one-letter alias "-o value", flags without a value;
// "--" ends the options).
#ifndef QUIRE_TOOLS_PACK_CLI_ARGS_H_
#define QUIRE_TOOLS_PACK_CLI_ARGS_H_

#include <map>
#include <string>
#include <vector>

namespace quire::pack {

struct OptionSpec {
  const char* name;  // without the leading "--"
  char alias;        // one-letter alias ('\0' for none)
  bool takesValue;
  bool repeatable;
};

struct ParsedArgs {
  std::vector<std::string> positional;
  std::map<std::string, std::vector<std::string>> options;  // a flag holds one empty value

  bool Has(const std::string& name) const { return options.count(name) != 0; }
  // The (last) value of an option, or `fallback`.
  std::string Value(const std::string& name, const std::string& fallback = "") const;
  const std::vector<std::string>& Values(const std::string& name) const;
};

// False with `error` for an unknown option, a missing value, a value given to a flag or
// an option given twice that is not repeatable. "--help"/"-h" is always accepted.
bool ParseArgs(const std::vector<std::string>& args, const std::vector<OptionSpec>& specs,
               ParsedArgs* parsed, std::string* error);

}  // namespace quire::pack

#endif  // QUIRE_TOOLS_PACK_CLI_ARGS_H_
