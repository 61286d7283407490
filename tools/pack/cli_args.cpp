#include "cli_args.h"

namespace quire::pack {

std::string ParsedArgs::Value(const std::string& name, const std::string& fallback) const {
  auto it = options.find(name);
  return it == options.end() || it->second.empty() ? fallback : it->second.back();
}

const std::vector<std::string>& ParsedArgs::Values(const std::string& name) const {
  static const std::vector<std::string> kNone;
  auto it = options.find(name);
  return it == options.end() ? kNone : it->second;
}

bool ParseArgs(const std::vector<std::string>& args, const std::vector<OptionSpec>& specs,
               ParsedArgs* parsed, std::string* error) {
  *parsed = ParsedArgs{};
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      parsed->positional.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg == "--help" || arg == "-h") {
      parsed->options["help"].push_back("");
      continue;
    }
    std::string name;
    std::string value;
    bool hasValue = false;
    const OptionSpec* option = nullptr;
    if (arg[1] == '-') {
      name = arg.substr(2);
      size_t eq = name.find('=');
      if (eq != std::string::npos) {
        value = name.substr(eq + 1);
        name = name.substr(0, eq);
        hasValue = true;
      }
      for (const OptionSpec& s : specs) {
        if (name == s.name)
          option = &s;
      }
    } else if (arg.size() == 2) {
      for (const OptionSpec& s : specs) {
        if (s.alias == arg[1])
          option = &s;
      }
      if (option)
        name = option->name;
    }
    if (!option) {
      *error = "unknown option " + arg;
      return false;
    }
    if (option->takesValue && !hasValue) {
      if (i + 1 >= args.size()) {
        *error = "option " + arg + " needs a value";
        return false;
      }
      value = args[++i];
    } else if (!option->takesValue && hasValue) {
      *error = "option --" + name + " takes no value";
      return false;
    }
    std::vector<std::string>& values = parsed->options[name];
    if (!values.empty() && !option->repeatable) {
      *error = "option --" + name + " given twice";
      return false;
    }
    values.push_back(value);
  }
  return true;
}

}  // namespace quire::pack
