// Owners for what deferred work holds from GTK: a copy of the event that asked for a menu,
// a reference to a widget. Each is released when the work is dropped, run or not.
#ifndef QUIRE_VIEW_GTK_HOLDERS_H_
#define QUIRE_VIEW_GTK_HOLDERS_H_

#include <gtk/gtk.h>

#include <memory>

namespace quire {

using EventCopy = std::shared_ptr<GdkEvent>;
using WidgetRef = std::shared_ptr<GtkWidget>;

// Takes over an event copy that GDK handed out (may be null).
inline EventCopy OwnEvent(GdkEvent* event) {
  return event != nullptr ? EventCopy(event, gdk_event_free) : nullptr;
}

inline EventCopy CopyEvent(const GdkEvent* event) {
  return event != nullptr ? OwnEvent(gdk_event_copy(event)) : nullptr;
}

// A new reference to `widget` (may be null), dropped with the last copy.
inline WidgetRef Ref(GtkWidget* widget) {
  if (widget == nullptr)
    return nullptr;
  g_object_ref(widget);
  return WidgetRef(widget, [](GtkWidget* held) { g_object_unref(held); });
}

}  // namespace quire

#endif  // QUIRE_VIEW_GTK_HOLDERS_H_
