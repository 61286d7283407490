#include "session/book_place.h"

#include <gtest/gtest.h>

#include <string>

namespace quire::testing {
namespace {

constexpr char kFolder[] = "/tmp/quire-1000/BOOK.k9w/";

TEST(BookPlaceTest, FragmentsThatCouldCarryAScriptLinkAreNotKept) {
  const struct {
    std::string fragment;
    bool kept;
  } cases[] = {
      {"intro", true},
      {"os.getcwd", true},
      {"sec-2.1_a~b:c/d?e=f&g+h(i)", true},
      {"caf%C3%A9", true},  // an escaped non-ASCII byte
      {"", false},
      {"#EXIT", false},  // "page.html##EXIT" is a command link
      {"!script.txt", false},
      {"@script.txt", false},
      {"a#b", false},
      {"%23%23EXIT", false},  // no escape may spell an ASCII byte
      {"%21x", false},
      {"%2", false},
      {"%zz", false},
      {"with space", false},
      {"tab\there", false},
      {"quote\"", false},
      {"<script>", false},
      {"back\\slash", false},
      {"tick`", false},
      {"caf\xC3\xA9", false},  // raw non-ASCII
      {std::string(kMaxPlaceFragmentBytes, 'a'), true},
      {std::string(kMaxPlaceFragmentBytes + 1, 'a'), false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsKeepableFragment(c.fragment), c.kept) << c.fragment;
}

TEST(BookPlaceTest, PlacesAreValidStoredNamesOnly) {
  const struct {
    BookPlace place;
    bool valid;
  } cases[] = {
      {{"index.html", ""}, true},
      {{"library/os.html", "os.getcwd"}, true},
      {{"a#b.html", ""}, true},  // a stored name may hold '#'; the fragment is apart
      {{"", ""}, false},
      {{"../etc/passwd", ""}, false},
      {{"/etc/passwd", ""}, false},
      {{"file:///etc/passwd", ""}, false},
      {{"a//b.html", ""}, false},
      {{"a/./b.html", ""}, false},
      {{"a\\b.html", ""}, false},
      {{std::string("a\0b", 3), ""}, false},
      {{"index.html", "##EXIT"}, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsValidPlace(c.place), c.valid) << c.place.name << " # " << c.place.fragment;
}

TEST(BookPlaceTest, UrlsInsideTheBookFolderGiveTheirPlace) {
  const std::string folder = std::string("file://") + kFolder;
  const struct {
    std::string url;
    std::string name;  // empty: no place
    std::string fragment;
  } cases[] = {
      {folder + "index.html", "index.html", ""},
      {folder + "index.html#intro", "index.html", "intro"},
      {folder + "library/os.html#os.getcwd", "library/os.html", "os.getcwd"},
      {folder + "my%20page.html", "my page.html", ""},
      {folder + "a%23b.html#x", "a#b.html", "x"},
      {folder + "page.html?q=1#x", "page.html", "x"},
      {folder + "//index.html", "index.html", ""},  // empty segments mean nothing
      // A fragment that could run a command is dropped; the page stays.
      {folder + "index.html##FILEWRITE('x')", "index.html", ""},
      {folder + "index.html#!script.txt", "index.html", ""},
      // Nothing outside the folder, and nothing that is no file URL of it.
      {folder, "", ""},
      {folder + "../other.html", "", ""},
      {folder + "%2e%2e/other.html", "", ""},
      {folder + "a%2Fb.html", "", ""},
      {"file:///tmp/quire-1000/BOOK.k9w-2/index.html", "", ""},
      {"file:///etc/passwd", "", ""},
      {"file://host/tmp/quire-1000/BOOK.k9w/index.html", "", ""},
      {"http://example.org/index.html", "", ""},
      {"about:blank", "", ""},
      {"", "", ""},
  };
  for (const auto& c : cases) {
    const std::optional<BookPlace> place = PlaceOfUrl(c.url, kFolder);
    if (c.name.empty()) {
      EXPECT_FALSE(place.has_value()) << c.url;
      continue;
    }
    ASSERT_TRUE(place.has_value()) << c.url;
    EXPECT_EQ(place->name, c.name) << c.url;
    EXPECT_EQ(place->fragment, c.fragment) << c.url;
  }
}

TEST(BookPlaceTest, APlaceBecomesAUrlThatReadsBackTheSame) {
  const BookPlace places[] = {
      {"index.html", ""}, {"library/os.html", "os.getcwd"},  {"my page (1).html", "x"},
      {"a#b?.html", ""},  {"caf\xC3\xA9.html", "caf%C3%A9"},
  };
  for (const BookPlace& place : places) {
    const std::string url = UrlOfPlace(place, "/tmp/quire-1000/BOOK.k9w");
    EXPECT_EQ(url.find("##"), std::string::npos) << url;
    EXPECT_EQ(PlaceOfUrl(url, kFolder), place) << url;
  }
  EXPECT_EQ(UrlOfPlace({"a b.html", "top"}, kFolder),
            "file:///tmp/quire-1000/BOOK.k9w/a%20b.html#top");
}

}  // namespace
}  // namespace quire::testing
