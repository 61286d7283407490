// Walking a site folder and naming its files for a book.
#include "site_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/scoped_tmpdir.h"

namespace quire::pack {
namespace {

namespace fs = std::filesystem;
using quire::testing::ScopedTmpdir;
using quire::testing::WriteWholeFile;

TEST(SiteFilesTest, PlainNamesAreReadableAndPlain) {
  const struct {
    const char* path;
    const char* name;
  } cases[] = {
      {"index.html", "index.html"},
      {"library/os.html", "library.os.html"},
      {"_static/css/theme.css", "_static.css.theme.css"},
      {"a\\b/c.html", "a_b.c.html"},
      {"__pycache__/x.pyc", "_pycache__.x.pyc"},
      {"__search.html", "__search.html"},  // a top-level name is the author's own
      {"x/__pxa__lib.so", "x.__pxa__lib.so"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(PlainNameForSitePath(c.path), c.name) << c.path;

  std::string deep = std::string(120, 'd') + "/" + std::string(120, 'e') + ".html";
  std::string name = PlainNameForSitePath(deep);
  EXPECT_LE(name.size(), 200u);
  EXPECT_EQ(name.substr(name.size() - 5), ".html");
  EXPECT_EQ(name.find('/'), std::string::npos);
  EXPECT_EQ(name, PlainNameForSitePath(deep));  // the same every build
  EXPECT_NE(name,
            PlainNameForSitePath(std::string(120, 'd') + "/" + std::string(121, 'e') + ".html"));
}

TEST(SiteFilesTest, CollisionsGetStableSuffixesShallowFilesKeepTheirNames) {
  std::vector<SiteFile> files = {
      {"library/os.html", ""}, {"library.os.html", ""}, {"library/os/index.html", ""},
      {"library.os/html", ""}, {"a.b/c", ""},           {"a/b.c", ""},
      {"api/x.html", ""}};
  std::vector<std::string> warnings;
  std::map<std::string, std::string> names =
      AssignStoredNames(files, {{"api/x.html", "x.html"}}, &warnings);
  EXPECT_EQ(names,
            (std::map<std::string, std::string>{{"library.os.html", "library.os.html"},
                                                {"library/os.html", "library.os-2.html"},
                                                {"library.os/html", "library.os-3.html"},
                                                {"library/os/index.html", "library.os.index.html"},
                                                {"a/b.c", "a.b.c"},
                                                {"a.b/c", "a.b-2.c"},
                                                {"api/x.html", "x.html"}}));
  EXPECT_EQ(warnings, (std::vector<std::string>{
                          "a.b/c: stored as 'a.b-2.c', since 'a.b.c' is the name of a/b.c",
                          "library/os.html: stored as 'library.os-2.html', since "
                          "'library.os.html' is the name of library.os.html",
                          "library.os/html: stored as 'library.os-3.html', since "
                          "'library.os.html' is the name of library.os.html",
                      }));
  // The order the files come in does not matter.
  std::reverse(files.begin(), files.end());
  std::vector<std::string> again;
  EXPECT_EQ(AssignStoredNames(files, {{"api/x.html", "x.html"}}, &again), names);
}

TEST(SiteFilesTest, PathOrderPutsIndexPagesFirstFolderByFolder) {
  std::vector<std::string> paths = {"zoo.html",       "c-api/abstract.html", "about.html",
                                    "c-api.html",     "index.html",          "c-api/index.html",
                                    "c-api/b/x.html", "c-api/index.htm",     "Zeta.html"};
  std::sort(paths.begin(), paths.end(), SitePathLess);
  EXPECT_EQ(paths,
            (std::vector<std::string>{"index.html", "Zeta.html", "about.html", "c-api/index.html",
                                      "c-api/index.htm", "c-api/abstract.html", "c-api/b/x.html",
                                      "c-api.html", "zoo.html"}));
}

TEST(SiteFilesTest, WalkSkipsHiddenAndIgnoredPathsAndFollowsLinksWithoutLooping) {
  ScopedTmpdir tmp;
  std::string root = tmp.File("site");
  for (const char* file : {"index.html", "book.ini", "splash.bmp", "a/page.html", "a/.secret.html",
                           ".git/config", "a/notes.html~", "drafts/x.html", "a/drafts/y.html",
                           "a/pic.psd", "api/gen/z.txt", "api/keep.txt", "b/splash.bmp"}) {
    fs::create_directories(fs::path(root + "/" + file).parent_path());
    ASSERT_TRUE(WriteWholeFile(root + "/" + file, "x"));
  }
  ASSERT_TRUE(WriteWholeFile(tmp.File("outside.js"), "x"));
  fs::create_symlink("../../outside.js", root + "/a/shared.js");
  fs::create_symlink("../a", root + "/b/to-a");        // another way into a: walked again
  fs::create_symlink("../..", root + "/a/drafts/up");  // back to the top: a loop
  fs::create_symlink("gone", root + "/b/dangling");
  SiteListing listing;
  std::vector<std::string> warnings;
  std::string error;
  ASSERT_TRUE(ListSiteFiles(root + "/", {"drafts/", "*.psd", "/api/gen/*"},
                            {"book.ini", "splash.bmp"}, &listing, &warnings, &error))
      << error;
  std::vector<std::string> paths;
  for (const SiteFile& f : listing.files)
    paths.push_back(f.sitePath);
  EXPECT_EQ(paths,
            (std::vector<std::string>{"index.html", "a/page.html", "a/shared.js", "api/keep.txt",
                                      "b/splash.bmp", "b/to-a/page.html", "b/to-a/shared.js"}));
  EXPECT_EQ(listing.files[2].diskPath, root + "/a/shared.js");
  EXPECT_EQ(listing.folders, (std::set<std::string>{"a", "api", "api/gen", "b", "b/to-a"}));
  EXPECT_EQ(warnings,
            (std::vector<std::string>{"b/dangling: a symbolic link that leads nowhere; left out"}));

  // Without the pattern that leaves a/drafts out, the link back to the top is a loop.
  warnings.clear();
  ASSERT_TRUE(ListSiteFiles(root, {}, {}, &listing, &warnings, &error)) << error;
  EXPECT_NE(std::find(warnings.begin(), warnings.end(),
                      "a/drafts/up: a symbolic link back to a folder that holds it; not followed"),
            warnings.end());
}

}  // namespace
}  // namespace quire::pack
