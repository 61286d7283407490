#include "session/command_state.h"

#include "session/frame_commands.h"

namespace quire {

namespace {

CommandUiState StateOf(const FrameCommand* command, const CommandContext& context) {
  if (command == nullptr || command->run == nullptr)
    return {false, false};
  return command->state(context);
}

}  // namespace

CommandUiState CommandStateFor(int id, const CommandContext& context) {
  return StateOf(FindFrameCommand(id), context);
}

CommandUiState CommandStateFor(std::string_view name, const CommandContext& context) {
  return StateOf(FindFrameCommand(name), context);
}

}  // namespace quire
