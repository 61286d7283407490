// What the reader's commands act on: the view's operations and the frame's own. The
// window implements it; the command table in frame_commands.h says which command calls
// which operation, so tests can check every command's effect without a window. Menus,
// buttons and keys reach a command through the window's action of its name, a book's
// script through ReaderWindow::RunCommand with that name; nothing else calls these.
#ifndef QUIRE_SESSION_FRAME_COMMAND_TARGET_H_
#define QUIRE_SESSION_FRAME_COMMAND_TARGET_H_

namespace quire {

class FrameCommandTarget {
 public:
  virtual ~FrameCommandTarget() = default;

  // The view's operations.
  virtual void PrintPage() = 0;
  virtual void CopySelection() = 0;
  virtual void SelectAllText() = 0;
  virtual void FindOnPage() = 0;
  virtual void SetFontSize(int level) = 0;  // 0 smallest to 4 largest
  virtual void StopLoading() = 0;
  virtual void RefreshPage() = 0;
  virtual void GoBack() = 0;
  virtual void GoForward() = 0;
  virtual void GoHome() = 0;
  virtual void ShowSearch() = 0;
  virtual void ShowContents() = 0;
  virtual void ShowContentsMenu() = 0;
  virtual void ShowFontMenu() = 0;
  virtual void ShowAbout() = 0;

  // The frame's and the application's.
  virtual void PrintSetup() = 0;
  virtual void CloseBook() = 0;
  virtual void ToggleToolbar() = 0;
  virtual void ToggleStatusBar() = 0;
  virtual void FocusNextPane() = 0;
  virtual void FocusPreviousPane() = 0;
};

}  // namespace quire

#endif  // QUIRE_SESSION_FRAME_COMMAND_TARGET_H_
