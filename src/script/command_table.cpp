#include "script/command_table.h"

#include <unordered_map>

namespace quire {

const std::vector<CommandSpec>& AllCommands() {
  static const std::vector<CommandSpec> table = [] {
    std::vector<CommandSpec> all;
    for (std::span<const CommandSpec> list :
         {ControlCommands(), StringCommands(), FileCommands(), WindowCommands()}) {
      all.insert(all.end(), list.begin(), list.end());
    }
    return all;
  }();
  return table;
}

const CommandSpec* FindCommand(std::string_view keyword) {
  // Built once; the keys view the table's own literals.
  static const std::unordered_map<std::string_view, const CommandSpec*> index = [] {
    std::unordered_map<std::string_view, const CommandSpec*> map;
    for (const CommandSpec& entry : AllCommands())
      map.emplace(entry.keyword, &entry);
    return map;
  }();
  auto found = index.find(keyword);
  return found == index.end() ? nullptr : found->second;
}

}  // namespace quire
