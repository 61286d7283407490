#include "pages/contents_tree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quire::testing {
namespace {

// The tree as indented lines: "label [name]" for a page, "label/ [name]" for a folder.
std::vector<std::string> Outline(const ContentsTree& tree,
                                 const std::vector<char>* shown = nullptr) {
  std::vector<std::string> lines;
  std::function<void(int, int)> visit = [&](int node, int depth) {
    if (shown != nullptr && !(*shown)[node])
      return;
    const ContentsNode& n = tree.Nodes()[node];
    lines.push_back(std::string(depth * 2, ' ') + n.label + (n.folder ? "/" : "") +
                    (n.name.empty() ? "" : " [" + n.name + "]"));
    for (int child : n.children)
      visit(child, depth + 1);
  };
  for (int root : tree.Roots())
    visit(root, 0);
  return lines;
}

const std::vector<ContentsItem> kSite = {
    {"index.html", "Python Documentation"},
    {"tutorial/index.html", "The Tutorial"},
    {"tutorial/intro.html", "An Informal Introduction"},
    {"library/index.html", "The Standard Library"},
    {"library/os.html", "os \xE2\x80\x94 Miscellaneous interfaces"},
    {"tutorial/classes.html", "Classes"},
    {"library/os/path.html", "os.path \xE2\x80\x94 Pathname manipulations"},
    {"glossary.html", "Glossary"},
    {"library/untitled.html", ""},
};

TEST(ContentsTreeTest, PagesStandUnderTheirFoldersInContentsOrder) {
  const ContentsTree tree(kSite);
  EXPECT_EQ(Outline(tree),
            (std::vector<std::string>{
                "Python Documentation [index.html]",
                "tutorial/ [tutorial/index.html]",
                "  An Informal Introduction [tutorial/intro.html]",
                "  Classes [tutorial/classes.html]",
                "library/ [library/index.html]",
                "  os \xE2\x80\x94 Miscellaneous interfaces [library/os.html]",
                "  os/",
                "    os.path \xE2\x80\x94 Pathname manipulations [library/os/path.html]",
                "  untitled.html [library/untitled.html]",
                "Glossary [glossary.html]",
            }));
}

TEST(ContentsTreeTest, AFlatBookIsAPlainListInOrder) {
  const ContentsTree tree({{"b.html", "Beta"}, {"a.html", "Alpha"}, {"index.html", "Start"}});
  EXPECT_EQ(Outline(tree),
            (std::vector<std::string>{"Beta [b.html]", "Alpha [a.html]", "Start [index.html]"}));
}

TEST(ContentsTreeTest, NamesThatAreNoStoredNamesOrComeTwiceAreLeftOut) {
  const ContentsTree tree({{"a.html", "A"},
                           {"../b.html", "Up"},
                           {"/c.html", "Root"},
                           {"d//e.html", "Empty part"},
                           {"a.html", "A again"},
                           {"", "Nothing"}});
  EXPECT_EQ(Outline(tree), std::vector<std::string>{"A [a.html]"});
}

TEST(ContentsTreeTest, AFolderTakesIndexHtmlOverIndexHtm) {
  const ContentsTree tree(
      {{"d/index.htm", "Old index"}, {"d/page.html", "Page"}, {"d/index.html", "New index"}});
  EXPECT_EQ(Outline(tree),
            (std::vector<std::string>{"d/ [d/index.html]", "  Old index [d/index.htm]",
                                      "  Page [d/page.html]"}));
}

TEST(ContentsTreeTest, TheNodeOfAPageIsFoundByItsName) {
  const ContentsTree tree(kSite);
  const struct {
    const char* name;
    const char* label;  // null: no node
  } cases[] = {
      {"index.html", "Python Documentation"},
      {"library/os.html", "os \xE2\x80\x94 Miscellaneous interfaces"},
      {"library/index.html", "library"},  // the folder stands for its index page
      {"library/os/path.html", "os.path \xE2\x80\x94 Pathname manipulations"},
      {"library", nullptr},
      {"missing.html", nullptr},
      {"", nullptr},
  };
  for (const auto& c : cases) {
    const int node = tree.NodeOfPage(c.name);
    if (c.label == nullptr) {
      EXPECT_EQ(node, -1) << c.name;
      continue;
    }
    ASSERT_GE(node, 0) << c.name;
    EXPECT_EQ(tree.Nodes()[node].label, c.label) << c.name;
  }
}

TEST(ContentsTreeTest, TheFilterNarrowsToMatchesWithTheirFoldersAndContents) {
  const ContentsTree tree(kSite);
  const struct {
    const char* query;
    std::vector<std::string> outline;
  } cases[] = {
      {"", Outline(tree)},
      {"   ", Outline(tree)},
      {"CLASSES", {"tutorial/ [tutorial/index.html]", "  Classes [tutorial/classes.html]"}},
      // Every word must occur; in the title or the stored name.
      {"os path",
       {"library/ [library/index.html]", "  os/",
        "    os.path \xE2\x80\x94 Pathname manipulations [library/os/path.html]"}},
      {"intro.html",
       {"tutorial/ [tutorial/index.html]", "  An Informal Introduction [tutorial/intro.html]"}},
      // A folder that matches shows all it holds.
      {"tutorial",
       {"tutorial/ [tutorial/index.html]", "  An Informal Introduction [tutorial/intro.html]",
        "  Classes [tutorial/classes.html]"}},
      // The title of the index page a folder stands for counts for the folder.
      {"standard",
       {"library/ [library/index.html]",
        "  os \xE2\x80\x94 Miscellaneous interfaces [library/os.html]", "  os/",
        "    os.path \xE2\x80\x94 Pathname manipulations [library/os/path.html]",
        "  untitled.html [library/untitled.html]"}},
      {"glossary python", {}},
      {"nothing-like-this", {}},
  };
  for (const auto& c : cases) {
    const std::vector<char> shown = tree.Filter(c.query);
    EXPECT_EQ(Outline(tree, &shown), c.outline) << c.query;
  }
}

TEST(ContentsTreeTest, TheFoldDecidesWhatCountsAsTheSameLetter) {
  const std::vector<ContentsItem> items = {{"a.html",
                                            "\xC3\x9C"
                                            "ber"},
                                           {"b.html", "uber"}};
  const ContentsTree ascii(items);
  const std::vector<char> plain = ascii.Filter(
      "\xC3\xBC"
      "ber");
  EXPECT_EQ(plain, (std::vector<char>{0, 0}));
  // A fold that knows the letter (as the window's does).
  const ContentsTree folded(items, [](std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text.substr(i, 2) == "\xC3\x9C") {
        out += "\xC3\xBC";
        ++i;
      } else {
        out += static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
      }
    }
    return out;
  });
  EXPECT_EQ(folded.Filter("\xC3\x9C"
                          "BER"),
            (std::vector<char>{1, 0}));
}

}  // namespace
}  // namespace quire::testing
