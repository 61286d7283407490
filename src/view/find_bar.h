// Finding text on the current page: a bar over the view with an entry, previous and next,
// "Match case", which match is selected of how many ("2 of 5") and a close button; every
// match is highlighted. The bar keeps its width whatever the count says. Its entry keeps
// its own editing keys while it has the focus. Esc closes it and removes the highlight.
//
// The same highlighting shows the words of a search on the page opened from the search
// results (session/search_highlight.h decides when); that highlight goes at the next
// navigation.
#ifndef QUIRE_VIEW_FIND_BAR_H_
#define QUIRE_VIEW_FIND_BAR_H_

#include <webkit2/webkit2.h>

#include <optional>
#include <string>
#include <vector>

#include "session/search_highlight.h"

namespace quire {

struct ReaderContext;

// The count the bar shows for match `index` (from 1; 0 when none is selected) of `total`:
// "2 of 5"; "5 matches" without a selected one; "No matches".
std::string MatchCountText(unsigned index, unsigned total);

class FindBar {
 public:
  // Connects to `view` and its find controller; Widget() is to be packed beside the view.
  // `context` (not owned) remembers the latest search, whose words a page opened from the
  // results shows highlighted.
  FindBar(ReaderContext& context, WebKitWebView* view);
  ~FindBar();
  FindBar(const FindBar&) = delete;
  FindBar& operator=(const FindBar&) = delete;

  GtkWidget* Widget() const { return m_revealer; }

  // Shows the bar with the entry focused and its text selected.
  void Open();
  // Hides the bar and removes the highlight.
  void Close();
  bool IsOpen() const;

  // Highlights the first of `words` (in order) found on the current page and scrolls to
  // it; nothing when none is found.
  void HighlightWords(const SearchHighlight& highlight);

  // The view is about to navigate the main frame to `uri`; `followedLink` when the user
  // followed a link (not Back, Forward, a reload or a command).
  void NoteNavigation(const std::string& uri, bool followedLink);

  // What the bar shows as the count (MatchCountText), or "" while nothing is searched.
  std::string MatchText() const;

 private:
  enum class Mode { kNone, kFindBar, kHighlight };

  void SearchEntryText();
  // Counts the matches of the entry's text and which one is selected, once the find
  // controller's answers that arrived together have been handled.
  void CountSoon();
  void Count();
  void CancelCount();
  static void OnCounted(GObject* view, GAsyncResult* result, gpointer self);
  void HighlightNextWord();
  void SetMatchText(const std::string& text);
  uint32_t Options(bool caseSensitive) const;

  static void OnEntryChanged(GtkEditable*, gpointer self);
  static void OnEntryActivate(GtkEntry*, gpointer self);
  static gboolean OnEntryKeyPress(GtkWidget*, GdkEventKey* event, gpointer self);
  static gboolean OnToplevelKeyPress(GtkWidget*, GdkEventKey* event, gpointer self);
  static void OnPrevious(GtkButton*, gpointer self);
  static void OnNext(GtkButton*, gpointer self);
  static void OnClose(GtkButton*, gpointer self);
  static void OnCaseToggled(GtkToggleButton*, gpointer self);
  static void OnHierarchyChanged(GtkWidget*, GtkWidget*, gpointer self);
  static void OnFailedToFindText(WebKitFindController*, gpointer self);
  static void OnFoundText(WebKitFindController*, guint count, gpointer self);
  static void OnLoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer self);

  ReaderContext& m_context;
  WebKitWebView* m_view;
  WebKitFindController* m_finder;
  GtkWidget* m_revealer;
  GtkWidget* m_entry;
  GtkWidget* m_caseButton;
  GtkWidget* m_matchLabel;
  GtkWidget* m_toplevel = nullptr;
  gulong m_toplevelHandler = 0;
  std::vector<gulong> m_viewHandlers;
  std::vector<gulong> m_finderHandlers;
  guint m_countSource = 0;
  GCancellable* m_countCancel = nullptr;

  Mode m_mode = Mode::kNone;
  std::string m_matchText;
  // The page shown now and the highlight waiting for it to finish loading.
  std::string m_committedUri;
  std::optional<SearchHighlight> m_pendingHighlight;
  // The address of the link the user followed last, until its page commits.
  std::string m_followedUri;
  // The page that showed a search's highlight; a visit from the history may bring its
  // selection back.
  std::string m_highlightedPath;
  SearchHighlight m_highlight;
  size_t m_highlightWord = 0;
};

}  // namespace quire

#endif  // QUIRE_VIEW_FIND_BAR_H_
