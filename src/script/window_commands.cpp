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
#include "script/builtin_commands.h"
#include "script/command_support.h"
#include "script/launch_operations.h"
#include "ui/reader_window.h"

namespace quire {
namespace {

// Shows a generated page, when its generator produced one.
void ShowPageIfAny(const std::string& path) {
  if (!path.empty()) {
    TheWindow().Navigate(path);
  }
}

// A launcher that failed has shown its own message; the run stops without further text.
int LaunchResult(bool started) {
  return started ? kCommandContinue : kCommandFailed;
}

int RunWithShowMode(CommandCall& call, int showMode) {
  return LaunchResult(RunProgram(call.Param(1).AsText(), showMode));
}

}  // namespace

int HandleNavigate(CommandCall& call) {
  std::string url = call.Param(1).AsText();
  if (IsOutsideAddress(url)) {
    TheWindow().Navigate(url);
  } else {
    TheWindow().Navigate(call.context.store.BookFolder() + ToNativePath(url));
  }
  return kCommandContinue;
}

int HandleDisplay(CommandCall& call) {
  std::string path = BuildDisplayPage(call.context.store, call.Param(1).AsText());
  if (path.empty()) {
    call.errorText = "Internal Error";
    return kCommandFailed;
  }
  TheWindow().Navigate(path);
  return kCommandContinue;
}

int HandleBack(CommandCall&) {
  TheWindow().GoBack();
  return kCommandContinue;
}

int HandleForward(CommandCall&) {
  TheWindow().GoForward();
  return kCommandContinue;
}

int HandleHome(CommandCall&) {
  TheWindow().GoHome();
  return kCommandContinue;
}

int HandleRefresh(CommandCall&) {
  TheWindow().RefreshPage();
  return kCommandContinue;
}

int HandleStop(CommandCall&) {
  TheWindow().StopLoading();
  return kCommandContinue;
}

// Shown whatever the book's about setting says: the setting only hides the menu item.
int HandleAbout(CommandCall& call) {
  ShowPageIfAny(BuildAboutPage(call.context));
  return kCommandContinue;
}

int HandleToc(CommandCall& call) {
  if (!call.context.book.ContentsAvailable()) {
    return RuntimeError(call, "but Table of Contents disabled.");
  }
  ShowPageIfAny(BuildContentsPage(call.context));
  return kCommandContinue;
}

int HandleSearch(CommandCall& call) {
  if (call.Count() == 0) {
    if (!call.context.book.AnySearchable()) {
      return RuntimeError(call, "but E-Book is not searchable.");
    }
    ShowPageIfAny(ShowSearchDialog(call.context));
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
  TheWindow().Navigate(path);
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
  TheWindow().SetFontSize(size - 1);
  return kCommandContinue;
}

int HandlePrint(CommandCall&) {
  TheWindow().PrintPage();
  return kCommandContinue;
}

int HandlePrintSetup(CommandCall&) {
  TheWindow().PrintSetupDialog();
  return kCommandContinue;
}

int HandleCopy(CommandCall&) {
  TheWindow().CopySelection();
  return kCommandContinue;
}

int HandleSelectAll(CommandCall&) {
  TheWindow().SelectAllText();
  return kCommandContinue;
}

int HandleOpen(CommandCall& call) {
  return LaunchResult(OpenDocument(call.Param(1).AsText()));
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

int HandleMaximize(CommandCall&) {
  TheWindow().ShowMaximized();
  return kCommandContinue;
}

int HandleMinimize(CommandCall&) {
  TheWindow().ShowMinimized();
  return kCommandContinue;
}

int HandleRestore(CommandCall&) {
  TheWindow().ShowNormal();
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
  TheWindow().PlaceWindow(rect);
  return kCommandContinue;
}

// Closing the window may destroy the view and run the book's exit script before this
// returns, so nothing here touches the view afterwards.
int HandleExit(CommandCall&) {
  TheWindow().CloseWindow();
  return kCommandStop;
}

}  // namespace quire
