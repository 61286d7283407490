// The contents pane beside the page: a filter box over the book's contents as a tree of
// its folders (pages/contents_tree.h), with the page shown selected. Built the first time
// it shows, so a long book costs nothing at start; stays fast for tens of thousands of
// pages (rows of one height, and a new list for each filter instead of one filtered in
// place).
#ifndef QUIRE_APP_CONTENTS_PANE_H_
#define QUIRE_APP_CONTENTS_PANE_H_

#include <gtk/gtk.h>

#include <functional>
#include <string>
#include <vector>

#include "pages/contents_tree.h"

namespace quire {

struct ReaderContext;

class ContentsPane {
 public:
  // Opens the page of stored name `name`.
  using OpenPage = std::function<void(const std::string& name)>;

  // `leave` gives the focus back to the page (Esc in an empty filter box).
  // `context` (not owned) holds the book whose contents the pane lists.
  ContentsPane(ReaderContext& context, OpenPage open, std::function<void()> leave);
  ~ContentsPane();
  ContentsPane(const ContentsPane&) = delete;
  ContentsPane& operator=(const ContentsPane&) = delete;

  // The pane, hidden until SetVisible(true); owned by the widget tree it is packed into.
  GtkWidget* Widget() const { return m_box; }
  bool Visible() const;
  void SetVisible(bool visible);
  // The page shown (a stored name, or empty for none): its entry is selected and scrolled
  // into view, its folders opened.
  void SelectPage(const std::string& name);
  GtkWidget* FilterEntry() const { return m_filter; }
  // Puts the focus in the filter box, as soon as it is on screen.
  void FocusFilter();
  // Applies the filter box's text now (it otherwise waits for typing to pause).
  void ApplyFilter();

 private:
  static void OnRowActivated(GtkTreeView* view, GtkTreePath* path, GtkTreeViewColumn*,
                             gpointer self);
  static gboolean OnTreeKeyPress(GtkWidget* widget, GdkEventKey* event, gpointer self);
  static gboolean OnFilterKeyPress(GtkWidget* widget, GdkEventKey* event, gpointer self);

  void Build();
  // Gives the view a new list of the nodes that show.
  void Fill();
  void InsertNodes(GtkTreeStore* store, const std::vector<int>& nodes, GtkTreeIter* parent);
  void ShowSelection();
  // The first page that shows, in tree order; -1 when none does.
  int FirstShownPage() const;
  void OpenNode(int node);

  ReaderContext& m_context;
  OpenPage m_open;
  std::function<void()> m_leave;
  GtkWidget* m_box = nullptr;
  GtkWidget* m_filter = nullptr;
  GtkWidget* m_view = nullptr;
  GtkTreeStore* m_store = nullptr;  // the list the view shows
  bool m_built = false;
  bool m_focusWhenMapped = false;
  ContentsTree m_tree;
  std::vector<GtkTreeIter> m_iters;  // the store's row of each node that shows
  std::vector<char> m_shown;         // the filter's answer per node
  std::string m_query;
  std::string m_page;  // the page shown
};

}  // namespace quire

#endif  // QUIRE_APP_CONTENTS_PANE_H_
