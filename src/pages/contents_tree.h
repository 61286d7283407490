// The contents as the contents pane shows them: the pages of the generated contents page,
// in its order, under the folders of their stored names ("library/os.html" lies in the
// folder "library"). A book that keeps no folders gives a plain list.
//
// A folder stands where its first page would stand, and lists its pages and folders in
// the same order. A folder whose own index page ("index.html", else "index.htm") is in
// the contents opens that page and stands for it; the page is not listed again inside.
#ifndef QUIRE_PAGES_CONTENTS_TREE_H_
#define QUIRE_PAGES_CONTENTS_TREE_H_

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quire {

struct ReaderContext;

// One page of the contents: its stored name and title.
struct ContentsItem {
  std::string name;
  std::string title;
};

struct ContentsNode {
  std::string label;  // a page's title (its last name part when untitled); a folder's name
  std::string name;   // the stored name it opens; empty for a folder without an index page
  bool folder = false;
  int parent = -1;  // -1 at the top
  std::vector<int> children;
};

// How texts are compared in the filter: both the labels and the query pass through it.
// The default lowers ASCII letters.
using TextFold = std::function<std::string(std::string_view)>;

class ContentsTree {
 public:
  ContentsTree() = default;
  // `items` in the contents order. A name that is not a valid stored name, or that came
  // before, is left out.
  explicit ContentsTree(const std::vector<ContentsItem>& items, TextFold fold = nullptr);

  const std::vector<ContentsNode>& Nodes() const { return m_nodes; }
  // The nodes at the top, in order.
  const std::vector<int>& Roots() const { return m_roots; }
  // The node that opens the page `name` (a stored name, no fragment); -1 when none does.
  int NodeOfPage(std::string_view name) const;

  // Which nodes show for `query` (one flag per node). Without words (blank query) all do.
  // Otherwise a node matches when each of the query's words (separated by white space)
  // occurs in its label or its stored name (for a folder that stands for its index page,
  // also in that page's title), compared through the fold; a node shows when
  // it matches, lies inside a folder that matches, or holds a node that matches.
  std::vector<char> Filter(std::string_view query) const;

 private:
  int AddNode(ContentsNode node);

  std::vector<ContentsNode> m_nodes;
  std::vector<int> m_roots;
  std::unordered_map<std::string, int> m_pages;  // stored name -> node
  std::vector<std::string> m_folded;             // label and name of each node, folded
  TextFold m_fold;
};

// The book's contents as the generated contents page lists them (BuildContentsList with
// its limit, sorted), each with its stored name.
std::vector<ContentsItem> BookContentsItems(ReaderContext& context);

}  // namespace quire

#endif  // QUIRE_PAGES_CONTENTS_TREE_H_
