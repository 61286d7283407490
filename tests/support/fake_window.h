// A window for tests: records every call in order and answers dialogs from queued answers.
// Made for a reader's window slot (FakeWindow window{context.window};) it installs itself
// there and puts the console fallback back when it goes; made without one it stands
// alone, for code that takes a window directly.
#ifndef QUIRE_TESTS_SUPPORT_FAKE_WINDOW_H_
#define QUIRE_TESTS_SUPPORT_FAKE_WINDOW_H_

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "ui/reader_window.h"
#include "ui/window_slot.h"

namespace quire::testing {

struct RecordedMessage {
  std::string text;
  int style = 0;
};

class FakeWindow final : public ReaderWindow {
 public:
  FakeWindow() = default;
  explicit FakeWindow(WindowSlot& slot);
  ~FakeWindow() override;
  FakeWindow(const FakeWindow&) = delete;
  FakeWindow& operator=(const FakeWindow&) = delete;

  // --- What the test scripts ---------------------------------------------------------
  // Answers for the next message boxes; when none is queued a box is dismissed.
  std::deque<int> messageAnswers;
  // Answers for the next save dialogs: a path confirms, nullopt cancels. None queued:
  // cancelled.
  std::deque<std::optional<std::string>> saveAnswers;
  // Answers for the next search dialogs: words and case flag; nullopt cancels.
  std::deque<std::optional<std::pair<std::string, bool>>> searchAnswers;
  bool hasView = true;
  bool hasFrame = true;
  std::string currentUrl;
  WindowRect frame{10, 20, 800, 600};
  WindowRect client{0, 0, 780, 500};
  WindowRect screen{0, 0, 1920, 1080};
  void* nativeHandle = nullptr;
  // When set, CloseWindow makes the view and frame disappear, as the real close does.
  bool closeDestroysView = true;
  // When set, WaitForChild answers at once that the child still runs, as the real window
  // does at its deadline; otherwise it waits as the console does.
  bool childStillRunning = false;

  // --- What the test reads -----------------------------------------------------------
  std::vector<RecordedMessage> messages;
  std::vector<SaveFileRequest> saveRequests;
  // Every other call, in order, as "Name" or "Name:argument" (e.g. "Navigate:/tmp/x",
  // "RunCommand:back", "SetInCommand:1", "PlaceWindow:10,20,300,200").
  std::vector<std::string> calls;
  bool inCommand = false;
  // The children WaitForChild was asked about, in order.
  std::vector<int> waitedChildren;
  // Calls recorded since the last TakeCalls(), then forgotten.
  std::vector<std::string> TakeCalls();

  // --- ReaderWindow --------------------------------------------------------------------
  int MessageBox(const std::string& text, int style) override;
  bool SaveFileDialog(const SaveFileRequest& request, std::string* path) override;
  bool SearchDialog(std::string* words, bool* caseSensitive) override;
  void Beep() override { Record("Beep"); }

  bool HasView() const override { return hasView; }
  void Navigate(const std::string& url) override;
  std::string CurrentUrl() const override { return hasView ? currentUrl : std::string(); }
  void SetInCommand(bool value) override;
  void RunCommand(std::string_view name) override { Record("RunCommand:" + std::string(name)); }

  bool HasFrame() const override { return hasFrame; }
  void ShowMaximized() override { Record("ShowMaximized"); }
  void ShowMinimized() override { Record("ShowMinimized"); }
  void ShowNormal() override { Record("ShowNormal"); }
  void PlaceWindow(const WindowRect& rect) override;
  void CloseWindow() override;
  WindowRect FrameRect() const override { return hasFrame ? frame : WindowRect{}; }
  WindowRect ClientRect() const override { return hasView ? client : WindowRect{}; }
  WindowRect ScreenRect() const override { return screen; }
  void* NativeHandle() const override { return hasFrame ? nativeHandle : nullptr; }

  void SetStatusText(const std::string& text) override { Record("SetStatusText:" + text); }
  void BeginWaitCursor() override { Record("BeginWaitCursor"); }
  void EndWaitCursor() override { Record("EndWaitCursor"); }
  void ShowProgress(const std::string& caption, int position) override;
  void HideProgress() override { Record("HideProgress"); }

  // Recorded as "WaitForChild:<timeout>".
  std::optional<int> WaitForChild(int pid, int timeoutMs) override;

 private:
  void Record(std::string call) { calls.push_back(std::move(call)); }

 private:
  WindowSlot* m_slot = nullptr;  // where it is installed, if anywhere
};

}  // namespace quire::testing

#endif  // QUIRE_TESTS_SUPPORT_FAKE_WINDOW_H_
