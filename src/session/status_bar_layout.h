// Where the progress bar of a long loop goes in the status bar's first pane.
#ifndef QUIRE_SESSION_STATUS_BAR_LAYOUT_H_
#define QUIRE_SESSION_STATUS_BAR_LAYOUT_H_

namespace quire {

inline constexpr int kProgressBarMinWidth = 20;
inline constexpr int kProgressBarMaxWidth = 200;

// The bar's left edge (from the pane's left edge) and width; width 0 means no bar.
struct ProgressBarSpan {
  int x = 0;
  int width = 0;
};

// The bar for a first pane `paneWidth` pixels wide whose caption measures `captionWidth`
// pixels in a font of average character width `averageCharWidth`. A non-empty caption
// keeps its width plus two average characters to its left; below kProgressBarMinWidth
// pixels of what remains there is no bar, and above kProgressBarMaxWidth the bar is that
// wide and flush right.
ProgressBarSpan ProgressBarSpanFor(int paneWidth, bool hasCaption, int captionWidth,
                                   int averageCharWidth);

}  // namespace quire

#endif  // QUIRE_SESSION_STATUS_BAR_LAYOUT_H_
