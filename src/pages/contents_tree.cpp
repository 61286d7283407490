#include "pages/contents_tree.h"

#include <algorithm>

#include "book/page_store.h"
#include "book/stored_name.h"
#include "pages/contents_page.h"
#include "pages/page_entry.h"
#include "pages/reader_context.h"
#include "platform/ascii_text.h"

namespace quire {

namespace {

constexpr std::string_view kIndexPages[] = {"index.html", "index.htm"};

std::string_view FolderOf(std::string_view name) {
  const size_t slash = name.rfind('/');
  return slash == std::string_view::npos ? std::string_view() : name.substr(0, slash);
}

std::string_view LastPart(std::string_view name) {
  const size_t slash = name.rfind('/');
  return slash == std::string_view::npos ? name : name.substr(slash + 1);
}

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  size_t start = 0;
  while (start < text.size()) {
    if (IsWhiteSpace(text[start])) {
      ++start;
      continue;
    }
    size_t end = start;
    while (end < text.size() && !IsWhiteSpace(text[end]))
      ++end;
    words.push_back(text.substr(start, end - start));
    start = end;
  }
  return words;
}

}  // namespace

ContentsTree::ContentsTree(const std::vector<ContentsItem>& items, TextFold fold)
    : m_fold(fold ? std::move(fold) : [](std::string_view text) { return AsciiLowered(text); }) {
  // The page each folder stands for: its index.html, else its index.htm, when listed.
  std::unordered_map<std::string, std::string> folderPage;
  for (std::string_view index : kIndexPages) {
    for (const ContentsItem& item : items) {
      const std::string folder(FolderOf(item.name));
      if (!folder.empty() && LastPart(item.name) == index && IsStoredName(item.name))
        folderPage.emplace(folder, item.name);
    }
  }
  std::unordered_map<std::string, int> folders;
  for (const ContentsItem& item : items) {
    if (!IsStoredName(item.name) || m_pages.count(item.name) != 0)
      continue;
    // The folders on the way, outermost first, made where their first page stands.
    int parent = -1;
    for (std::string_view folder : FoldersOfStoredName(item.name)) {
      auto found = folders.find(std::string(folder));
      if (found == folders.end()) {
        ContentsNode node;
        node.label = std::string(LastPart(folder));
        node.folder = true;
        node.parent = parent;
        found = folders.emplace(std::string(folder), AddNode(std::move(node))).first;
      }
      parent = found->second;
    }
    const std::string folder(FolderOf(item.name));
    auto standsFor = folderPage.find(folder);
    if (parent >= 0 && standsFor != folderPage.end() && standsFor->second == item.name) {
      m_nodes[parent].name = item.name;
      m_folded[parent] += "\n" + m_fold(item.title) + "\n" + m_fold(item.name);
      m_pages.emplace(item.name, parent);
      continue;
    }
    ContentsNode node;
    node.label = item.title.empty() ? std::string(LastPart(item.name)) : item.title;
    node.name = item.name;
    node.parent = parent;
    m_pages.emplace(item.name, AddNode(std::move(node)));
  }
}

int ContentsTree::AddNode(ContentsNode node) {
  const int index = static_cast<int>(m_nodes.size());
  if (node.parent >= 0)
    m_nodes[node.parent].children.push_back(index);
  else
    m_roots.push_back(index);
  std::string folded = m_fold(node.label);
  if (!node.name.empty())
    folded += "\n" + m_fold(node.name);
  m_folded.push_back(std::move(folded));
  m_nodes.push_back(std::move(node));
  return index;
}

int ContentsTree::NodeOfPage(std::string_view name) const {
  auto found = m_pages.find(std::string(name));
  return found == m_pages.end() ? -1 : found->second;
}

std::vector<char> ContentsTree::Filter(std::string_view query) const {
  const size_t n = m_nodes.size();
  const std::vector<std::string_view> words = Words(query);
  if (words.empty())
    return std::vector<char>(n, 1);
  std::vector<std::string> folded;
  folded.reserve(words.size());
  for (std::string_view word : words)
    folded.push_back(m_fold(word));
  std::vector<char> match(n, 0);
  for (size_t i = 0; i < n; ++i) {
    match[i] = std::all_of(folded.begin(), folded.end(), [&](const std::string& word) {
      return m_folded[i].find(word) != std::string::npos;
    });
  }
  // A node's parent always comes before it: what lies inside a matching folder shows,
  // top down; a folder holding a node that shows shows too, bottom up.
  std::vector<char> inside(n, 0);
  std::vector<char> show(n, 0);
  for (size_t i = 0; i < n; ++i) {
    const int parent = m_nodes[i].parent;
    inside[i] = parent >= 0 && (match[parent] || inside[parent]);
    show[i] = match[i] || inside[i];
  }
  for (size_t i = n; i-- > 0;) {
    const int parent = m_nodes[i].parent;
    if (show[i] && parent >= 0)
      show[parent] = 1;
  }
  return show;
}

std::vector<ContentsItem> BookContentsItems(ReaderContext& context) {
  std::vector<PageEntry> list;
  BuildContentsList(context, &list, kContentsLimit);
  std::sort(list.begin(), list.end(), PageEntryBefore);
  const std::string folder = context.store.BookFolder();
  std::vector<ContentsItem> items;
  items.reserve(list.size());
  for (PageEntry& entry : list) {
    if (entry.path.compare(0, folder.size(), folder) != 0)
      continue;
    items.push_back({entry.path.substr(folder.size()), std::move(entry.title)});
  }
  return items;
}

}  // namespace quire
