// Command contexts for checking the command tables' rules without copying them: between
// them they turn every fact a rule may read on and off, so that each rule meets a context
// that enables it and one that disables it.
#ifndef QUIRE_TESTS_SESSION_COMMAND_CONTEXTS_H_
#define QUIRE_TESTS_SESSION_COMMAND_CONTEXTS_H_

#include <vector>

#include "session/command_state.h"
#include "session/frame_commands.h"

namespace quire::testing {

// Every yes-or-no fact of the context.
inline const std::vector<bool CommandContext::*>& ContextFlags() {
  static const std::vector<bool CommandContext::*> kFlags = {
      &CommandContext::canGoBack,
      &CommandContext::canGoForward,
      &CommandContext::canCopy,
      &CommandContext::canSelectAll,
      &CommandContext::canRefresh,
      &CommandContext::canStop,
      &CommandContext::toolbarVisible,
      &CommandContext::statusBarVisible,
      &CommandContext::toolbarToggle,
      &CommandContext::statusBarToggle,
      &CommandContext::anySearchable,
      &CommandContext::contentsAvailable,
      &CommandContext::contentsPaneVisible,
      &CommandContext::pageInBook,
      &CommandContext::pageBookmarked,
      &CommandContext::readingRemembered,
  };
  return kFlags;
}

// No fact, every fact, each fact alone and every fact but one, each with every about
// mode and with no size or each of the five sizes chosen.
inline std::vector<CommandContext> SampleContexts() {
  std::vector<CommandContext> bases;
  CommandContext none;
  CommandContext all;
  for (bool CommandContext::*flag : ContextFlags())
    all.*flag = true;
  bases.push_back(none);
  bases.push_back(all);
  for (bool CommandContext::*flag : ContextFlags()) {
    CommandContext alone = none;
    alone.*flag = true;
    bases.push_back(alone);
    CommandContext allBut = all;
    allBut.*flag = false;
    bases.push_back(allBut);
  }
  std::vector<CommandContext> contexts;
  for (const CommandContext& base : bases) {
    for (int32_t aboutMode : {0, 1, 2}) {
      for (int level = -1; level <= 4; ++level) {
        CommandContext context = base;
        context.aboutMode = aboutMode;
        context.fontCommand = level < 0 ? 0 : FontCommandOfLevel(level);
        contexts.push_back(context);
      }
    }
  }
  return contexts;
}

}  // namespace quire::testing

#endif  // QUIRE_TESTS_SESSION_COMMAND_CONTEXTS_H_
