#include "support/fake_window.h"

#include "ui/console_window.h"

namespace quire::testing {

FakeWindow::FakeWindow(WindowSlot& slot) : m_slot(&slot) {
  slot.Install(this);
}

FakeWindow::~FakeWindow() {
  if (m_slot != nullptr)
    m_slot->Install(nullptr);
}

std::vector<std::string> FakeWindow::TakeCalls() {
  std::vector<std::string> taken;
  taken.swap(calls);
  return taken;
}

int FakeWindow::MessageBox(const std::string& text, int style) {
  messages.push_back({text, style});
  if (messageAnswers.empty())
    return DismissedAnswer(style);
  int answer = messageAnswers.front();
  messageAnswers.pop_front();
  return answer;
}

bool FakeWindow::SaveFileDialog(const SaveFileRequest& request, std::string* path) {
  saveRequests.push_back(request);
  if (saveAnswers.empty())
    return false;
  std::optional<std::string> answer = saveAnswers.front();
  saveAnswers.pop_front();
  if (!answer)
    return false;
  *path = *answer;
  return true;
}

bool FakeWindow::SearchDialog(std::string* words, bool* caseSensitive) {
  Record("SearchDialog");
  if (searchAnswers.empty())
    return false;
  auto answer = searchAnswers.front();
  searchAnswers.pop_front();
  if (!answer)
    return false;
  *words = answer->first;
  *caseSensitive = answer->second;
  return true;
}

void FakeWindow::Navigate(const std::string& url) {
  Record("Navigate:" + url);
  if (hasView)
    currentUrl = url;
}

void FakeWindow::SetInCommand(bool value) {
  Record(std::string("SetInCommand:") + (value ? "1" : "0"));
  if (hasView)
    inCommand = value;
}

void FakeWindow::PlaceWindow(const WindowRect& rect) {
  Record("PlaceWindow:" + std::to_string(rect.x) + "," + std::to_string(rect.y) + "," +
         std::to_string(rect.width) + "," + std::to_string(rect.height));
  frame = rect;
}

void FakeWindow::CloseWindow() {
  Record("CloseWindow");
  if (closeDestroysView) {
    hasView = false;
    hasFrame = false;
  }
}

void FakeWindow::ShowProgress(const std::string& caption, int position) {
  Record("ShowProgress:" + caption + "," + std::to_string(position));
}

std::optional<int> FakeWindow::WaitForChild(int pid, int timeoutMs) {
  Record("WaitForChild:" + std::to_string(timeoutMs));
  waitedChildren.push_back(pid);
  if (childStillRunning)
    return std::nullopt;
  return ReaderWindow::WaitForChild(pid, timeoutMs);
}

}  // namespace quire::testing
