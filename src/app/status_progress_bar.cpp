#include "app/status_progress_bar.h"

#include <vector>

#include "session/status_bar_layout.h"

namespace quire {

namespace {

// Width of `text` and of an average character in `widget`'s font, in pixels.
void MeasureText(GtkWidget* widget, const std::string& text, int* textWidth, int* averageWidth) {
  PangoLayout* layout = gtk_widget_create_pango_layout(widget, text.c_str());
  int height = 0;
  pango_layout_get_pixel_size(layout, textWidth, &height);
  g_object_unref(layout);
  PangoContext* context = gtk_widget_get_pango_context(widget);
  PangoFontMetrics* metrics = pango_context_get_metrics(
      context, pango_context_get_font_description(context), pango_context_get_language(context));
  *averageWidth = pango_font_metrics_get_approximate_char_width(metrics) / PANGO_SCALE;
  pango_font_metrics_unref(metrics);
}

// True when some window of the tree got `cursor` now; one that has it already is left
// alone, so reasserting the cursor at every step costs nothing while nobody changed it.
bool SetCursorOnTree(GdkWindow* window, GdkCursor* cursor) {
  bool changed = false;
  if (gdk_window_get_cursor(window) != cursor) {
    gdk_window_set_cursor(window, cursor);
    changed = true;
  }
  GList* children = gdk_window_peek_children(window);
  for (GList* child = children; child != nullptr; child = child->next)
    changed = SetCursorOnTree(GDK_WINDOW(child->data), cursor) || changed;
  return changed;
}

}  // namespace

StatusProgressBar::StatusProgressBar(GtkWidget* pane) : m_pane(pane) {}

StatusProgressBar::~StatusProgressBar() {
  Hide();
  if (m_waitCursor != nullptr)
    g_object_unref(m_waitCursor);
}

void StatusProgressBar::Show(const std::string& caption, int position) {
  if (position < 0)
    return;
  if (position > 100)
    position = 100;
  // Loops step once per file, far more often than the bar can change: only a new position
  // or caption is worth the cursor, the layout and the painting.
  if (position == m_shownPosition && caption == m_shownCaption)
    return;
  bool newInKind = caption != m_shownCaption;
  m_shownPosition = position;
  m_shownCaption = caption;

  if (m_waitCursor == nullptr)
    m_waitCursor = gdk_cursor_new_from_name(gtk_widget_get_display(m_pane), "wait");
  SetCursorEverywhere(m_pane, m_waitCursor);

  if (m_bar == nullptr && gtk_widget_get_realized(m_pane)) {
    int captionWidth = 0;
    int averageWidth = 0;
    MeasureText(m_pane, caption, &captionWidth, &averageWidth);
    const ProgressBarSpan span = ProgressBarSpanFor(gtk_widget_get_allocated_width(m_pane),
                                                    !caption.empty(), captionWidth, averageWidth);
    if (span.width > 0) {
      m_bar = gtk_progress_bar_new();
      gtk_widget_set_name(m_bar, "status-progress");
      gtk_widget_set_size_request(m_bar, span.width, -1);
      gtk_widget_set_valign(m_bar, GTK_ALIGN_CENTER);
      gtk_box_pack_end(GTK_BOX(m_pane), m_bar, FALSE, FALSE, 0);
      gtk_widget_show(m_bar);
      newInKind = true;
    }
  }
  if (m_bar != nullptr)
    gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(m_bar), position / 100.0);
  // The fraction is set at every step; the main loop paints whatever was skipped here.
  if (m_pacer.ShouldPaint(g_get_monotonic_time(), newInKind))
    PaintNow(m_pane);
}

void StatusProgressBar::Hide() {
  m_shownPosition = -1;
  m_shownCaption.clear();
  m_pacer.Reset();
  if (m_bar == nullptr)
    return;
  gtk_widget_destroy(m_bar);
  m_bar = nullptr;
}

void StatusProgressBar::PaintNow(GtkWidget* widget) {
  if (!gtk_widget_is_drawable(widget))
    return;
  GtkWidget* top = gtk_widget_get_toplevel(widget);
  GdkWindow* window = gtk_widget_get_window(top);
  if (window == nullptr || !gtk_widget_is_toplevel(top))
    return;

  // Lay the widget out again within its own place: a new caption or a new bar gets its
  // size now, as the main loop's layout pass would have given it.
  GtkAllocation allocation;
  gtk_widget_get_allocation(widget, &allocation);
  gtk_widget_size_allocate(widget, &allocation);

  int x = 0;
  int y = 0;
  if (!gtk_widget_translate_coordinates(widget, top, 0, 0, &x, &y))
    return;
  const cairo_rectangle_int_t area = {x, y, allocation.width, allocation.height};
  cairo_region_t* region = cairo_region_create_rectangle(&area);
  GdkDrawingContext* drawing = gdk_window_begin_draw_frame(window, region);
  cairo_t* cr = gdk_drawing_context_get_cairo_context(drawing);

  // What lies under the widget: the backgrounds of its ancestors, outermost first.
  std::vector<GtkWidget*> ancestors;
  for (GtkWidget* parent = gtk_widget_get_parent(widget); parent != nullptr;
       parent = gtk_widget_get_parent(parent)) {
    ancestors.push_back(parent);
  }
  for (auto it = ancestors.rbegin(); it != ancestors.rend(); ++it) {
    int ax = 0;
    int ay = 0;
    if (!gtk_widget_translate_coordinates(*it, top, 0, 0, &ax, &ay))
      continue;
    gtk_render_background(gtk_widget_get_style_context(*it), cr, ax, ay,
                          gtk_widget_get_allocated_width(*it),
                          gtk_widget_get_allocated_height(*it));
  }
  cairo_save(cr);
  cairo_translate(cr, x, y);
  gtk_widget_draw(widget, cr);
  cairo_restore(cr);

  gdk_window_end_draw_frame(window, drawing);
  cairo_region_destroy(region);
  gdk_display_flush(gdk_window_get_display(window));
}

void StatusProgressBar::SetCursorEverywhere(GtkWidget* widget, GdkCursor* cursor) {
  GtkWidget* top = gtk_widget_get_toplevel(widget);
  GdkWindow* window = gtk_widget_get_window(top);
  if (window == nullptr)
    return;
  if (SetCursorOnTree(window, cursor))
    gdk_display_flush(gdk_window_get_display(window));
}

}  // namespace quire
