// Window, navigation and application commands: each hands its work to the window, a page
// generator or the program launcher.
#include <string>

#include "pages/about_page.h"
#include "pages/contents_page.h"
#include "pages/page_template.h"
#include "pages/reader_context.h"
#include "pages/search.h"
#include "platform/outside_address.h"
#include "platform/paths.h"
#include "script/command_support.h"
#include "script/command_table.h"
#include "script/launch_operations.h"
#include "ui/window_slot.h"

namespace quire {
namespace {

// Shows a generated page, when its generator produced one.
void ShowPageIfAny(CommandCall& call, const std::string& path) {
  if (!path.empty()) {
    call.context.window->Navigate(path);
  }
}

// A launcher that failed has shown its own message; the run stops without further text.
int LaunchResult(bool started) {
  return started ? kCommandContinue : kCommandFailed;
}

// A verb that does what a command of the menus does runs that command by its name, also
// while its menu item is disabled.
int RunReaderCommand(CommandCall& call, const char* name) {
  call.context.window->RunCommand(name);
  return kCommandContinue;
}

// The handler of a verb that only runs the menus' command `kName`.
template <const char* kName>
int RunsReaderCommand(CommandCall& call) {
  return RunReaderCommand(call, kName);
}

// The menus' commands that verbs run as they are.
constexpr char kBack[] = "back";
constexpr char kForward[] = "forward";
constexpr char kHome[] = "home";
constexpr char kRefresh[] = "refresh";
constexpr char kStop[] = "stop";
constexpr char kPrint[] = "print";
constexpr char kPrintSetup[] = "print-setup";
constexpr char kCopy[] = "copy";
constexpr char kSelectAll[] = "select-all";

// The Fonts menu's commands, FONT(1) to FONT(5).
constexpr const char* kFontCommands[] = {"font-smallest", "font-smaller", "font-medium",
                                         "font-larger", "font-largest"};

int RunWithShowMode(CommandCall& call, int showMode) {
  return LaunchResult(RunProgram(*call.context.window, call.Param(1).AsText(), showMode));
}

int HandleNavigate(CommandCall& call) {
  std::string url = call.Param(1).AsText();
  if (IsOutsideAddress(url)) {
    call.context.window->Navigate(url);
  } else {
    call.context.window->Navigate(call.context.store.BookFolder() + ToNativePath(url));
  }
  return kCommandContinue;
}

int HandleDisplay(CommandCall& call) {
  std::string path = BuildDisplayPage(call.context.store, call.Param(1).AsText());
  if (path.empty()) {
    call.errorText = "Internal Error";
    return kCommandFailed;
  }
  call.context.window->Navigate(path);
  return kCommandContinue;
}

// Shown whatever the book's about setting says: the setting only hides the menu item.
int HandleAbout(CommandCall& call) {
  ShowPageIfAny(call, BuildAboutPage(call.context));
  return kCommandContinue;
}

int HandleToc(CommandCall& call) {
  if (!call.context.book.ContentsAvailable()) {
    return RuntimeError(call, "but Table of Contents disabled.");
  }
  ShowPageIfAny(call, BuildContentsPage(call.context));
  return kCommandContinue;
}

int HandleSearch(CommandCall& call) {
  if (call.Count() == 0) {
    if (!call.context.book.AnySearchable()) {
      return RuntimeError(call, "but E-Book is not searchable.");
    }
    ShowPageIfAny(call, ShowSearchDialog(call.context));
    return kCommandContinue;
  }
  bool caseSensitive = false;
  if (call.Count() == 2) {
    if (!RequireNumber(call, 2)) {
      return kCommandFailed;
    }
    caseSensitive = call.Param(2).AsTruth();
  }
  std::string path = BuildSearchPage(call.context, call.Param(1).AsText(), caseSensitive);
  if (path.empty()) {
    return kCommandFailed;  // the search has reported its own problem
  }
  call.context.window->Navigate(path);
  return kCommandContinue;
}

int HandleFont(CommandCall& call) {
  if (!RequireNumber(call, 1)) {
    return kCommandFailed;
  }
  int32_t size = call.Param(1).AsNumber();
  if (size < 1 || size > 5) {
    return RuntimeError(call, "invalid parameter " + std::to_string(size));
  }
  return RunReaderCommand(call, kFontCommands[size - 1]);
}

int HandleOpen(CommandCall& call) {
  return LaunchResult(OpenDocument(*call.context.window, call.Param(1).AsText()));
}

int HandleRun(CommandCall& call) {
  return RunWithShowMode(call, kShowNormal);
}

int HandleRunMinimized(CommandCall& call) {
  return RunWithShowMode(call, kShowMinimized);
}

int HandleRunMaximized(CommandCall& call) {
  return RunWithShowMode(call, kShowMaximized);
}

int HandleMaximize(CommandCall& call) {
  call.context.window->ShowMaximized();
  return kCommandContinue;
}

int HandleMinimize(CommandCall& call) {
  call.context.window->ShowMinimized();
  return kCommandContinue;
}

int HandleRestore(CommandCall& call) {
  call.context.window->ShowNormal();
  return kCommandContinue;
}

int HandleMove(CommandCall& call) {
  for (int position = 1; position <= 4; ++position) {
    if (!RequireNumber(call, position)) {
      return kCommandFailed;
    }
  }
  WindowRect rect;
  rect.x = call.Param(1).AsNumber();
  rect.y = call.Param(2).AsNumber();
  rect.width = call.Param(3).AsNumber();
  rect.height = call.Param(4).AsNumber();
  call.context.window->PlaceWindow(rect);
  return kCommandContinue;
}

// Closing the window may destroy the view and run the book's exit script before this
// returns, so nothing here touches the view afterwards.
int HandleExit(CommandCall& call) {
  call.context.window->CloseWindow();
  return kCommandStop;
}

}  // namespace

std::span<const CommandSpec> WindowCommands() {
  static constexpr CommandSpec kCommands[] = {
      {"EXIT", 0, 0, kPlainCommand, HandleExit},
      {"COPY", 0, 0, kPlainCommand, RunsReaderCommand<kCopy>},
      {"SELECTALL", 0, 0, kPlainCommand, RunsReaderCommand<kSelectAll>},
      {"FONT", 1, 1, kPlainCommand, HandleFont},                  // FONT(size)
      {"OPEN", 1, 1, kPlainCommand, HandleOpen},                  // OPEN(document)
      {"RUN", 1, 1, kPlainCommand, HandleRun},                    // RUN(command line)
      {"RUNMINIMIZED", 1, 1, kPlainCommand, HandleRunMinimized},  // RUNMINIMIZED(command line)
      {"RUNMAXIMIZED", 1, 1, kPlainCommand, HandleRunMaximized},  // RUNMAXIMIZED(command line)
      {"PRINT", 0, 0, kPlainCommand, RunsReaderCommand<kPrint>},
      {"PRINTSETUP", 0, 0, kPlainCommand, RunsReaderCommand<kPrintSetup>},
      {"MAXIMIZE", 0, 0, kPlainCommand, HandleMaximize},
      {"MINIMIZE", 0, 0, kPlainCommand, HandleMinimize},
      {"RESTORE", 0, 0, kPlainCommand, HandleRestore},
      {"MOVE", 4, 4, kPlainCommand, HandleMove},          // MOVE(x, y, width, height)
      {"DISPLAY", 1, 1, kPlainCommand, HandleDisplay},    // DISPLAY(html)
      {"NAVIGATE", 1, 1, kPlainCommand, HandleNavigate},  // NAVIGATE(url)
      {"ABOUT", 0, 0, kPlainCommand, HandleAbout},
      {"BACK", 0, 0, kPlainCommand, RunsReaderCommand<kBack>},
      {"FORWARD", 0, 0, kPlainCommand, RunsReaderCommand<kForward>},
      {"HOME", 0, 0, kPlainCommand, RunsReaderCommand<kHome>},
      {"REFRESH", 0, 0, kPlainCommand, RunsReaderCommand<kRefresh>},
      {"STOP", 0, 0, kPlainCommand, RunsReaderCommand<kStop>},
      {"TOC", 0, 0, kPlainCommand, HandleToc},
      {"SEARCH", 0, 2, kPlainCommand, HandleSearch},  // SEARCH [(text [, case])]
  };
  return kCommands;
}

}  // namespace quire
