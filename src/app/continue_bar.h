// The bar over the page that offers, for a few seconds after the book opened, to go back
// to the page the reader was reading when they closed the book.
#ifndef QUIRE_APP_CONTINUE_BAR_H_
#define QUIRE_APP_CONTINUE_BAR_H_

#include <gtk/gtk.h>

#include <functional>
#include <string>

namespace quire {

class ContinueBar {
 public:
  // `accept` runs when the user takes the offer.
  explicit ContinueBar(std::function<void()> accept);
  ~ContinueBar();
  ContinueBar(const ContinueBar&) = delete;
  ContinueBar& operator=(const ContinueBar&) = delete;

  // The bar, hidden until offered; owned by the widget tree it is packed into.
  GtkWidget* Widget() const { return m_bar; }
  // Shows "Continue reading <title>" (`title` in UTF-8) for `seconds`; the time stands
  // still while the pointer rests on the bar.
  void Offer(const std::string& title, int seconds);
  void Withdraw();
  bool Showing() const;

 private:
  void StartTimer();
  void StopTimer();

  std::function<void()> m_accept;
  GtkWidget* m_bar = nullptr;
  GtkWidget* m_info = nullptr;
  GtkWidget* m_button = nullptr;
  guint m_timer = 0;
  int m_seconds = 0;
};

}  // namespace quire

#endif  // QUIRE_APP_CONTINUE_BAR_H_
