"""A real site becomes a book as it is: a small site with two folder levels, built without
a manifest, whose page loads a script that builds addresses from its own location (as
Sphinx's search and rustdoc's do) and loads data through them. In the book the data
arrives and the page shows it; at exit every folder the reader made is gone."""

import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pyatspi  # noqa: E402
from reader_driver import (Reader, Scratch, check, do_action, find, page_text, run,  # noqa: E402
                           wait_for)

SITE = {
    "index.html": (
        "<html><head><title>Folder Site</title></head><body><p>Start of the site</p>"
        "<p><a href=\"guide/deep/page.html\">Open the guide</a></p></body></html>"),
    # The page names its loader relative to itself, and says nothing else of where the
    # site's top lies.
    "guide/deep/page.html": (
        "<html><head><title>Deep page</title>"
        "<script src=\"../../static/js/loader.js\"></script></head>"
        "<body><p id=\"from-src\">waiting for the loader</p>"
        "<p id=\"from-href\">waiting for the page</p>"
        "<script>\n"
        "  // The top of the site from the page's own address, as a search page does.\n"
        "  var siteTop = location.href.replace(/guide\\/deep\\/page\\.html.*$/, '');\n"
        "  var more = document.createElement('script');\n"
        "  more.src = siteTop + 'data/more.js';\n"
        "  document.body.appendChild(more);\n"
        "</script></body></html>"),
    # The loader finds the top of the site from its own address, as rustdoc's and
    # Sphinx's scripts do, and loads the data from there.
    "static/js/loader.js": (
        "var root = document.currentScript.src.replace(/static\\/js\\/loader\\.js$/, '');\n"
        "window.addEventListener('DOMContentLoaded', function () {\n"
        "  var data = document.createElement('script');\n"
        "  data.src = root + 'data/sub/index-data.js';\n"
        "  document.head.appendChild(data);\n"
        "});\n"),
    "data/sub/index-data.js": (
        "document.getElementById('from-src').textContent = 'Index data arrived: 42 entries';\n"),
    "data/more.js": (
        "document.getElementById('from-href').textContent = 'More data arrived by the page';\n"),
}


def write_site(source):
    for name, text in SITE.items():
        path = os.path.join(source, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w") as f:
            f.write(text)


class SiteBook:
    """The site built as a user builds one: no manifest, nothing but the folder."""

    def __init__(self, work):
        source = os.path.join(work, "site")
        write_site(source)
        self.path = os.path.join(work, "book")
        subprocess.run([os.environ["QUIRE_PACK"], "build", source, "-o", self.path,
                        "--reader", os.environ["QUIRE_READER"], "-q"], check=True)


def test():
    with Scratch() as work:
        book = SiteBook(work)
        home = os.path.join(work, "home")
        reader = Reader(book, home)
        private = os.path.join(home, "tmp", "quire-%d" % os.getuid())
        try:
            reader.wait_for_page("Start of the site", "the start page")
            folders = [os.path.join(private, name) for name in os.listdir(private)
                       if name.endswith(".k9w")]
            check(len(folders) == 1, "one book folder: %r" % folders)
            folder = folders[0]
            for name, text in SITE.items():
                with open(os.path.join(folder, name)) as f:
                    check(f.read() == text, name + " is extracted at its path with its bytes")
            check(oct(os.stat(os.path.join(folder, "guide", "deep")).st_mode & 0o777) == "0o700",
                  "the folders the reader makes are private")

            link = wait_for(lambda: find(reader.document(), role=pyatspi.ROLE_LINK,
                                         name="Open the guide"), "the link to the guide")
            do_action(link, "jump", "click", "press", "activate")
            reader.wait_for_page("Index data arrived: 42 entries",
                                 "the data the loader found from its own address")
            reader.wait_for_page("More data arrived by the page",
                                 "the data the page found from its own address")

            reader.choose_menu("File", "Exit")
            code = reader.process.wait(60)
            check(code == 0, "the reader ended with %d" % code)
            check(not os.path.exists(folder), "the book folder and its folders are gone")
        finally:
            reader.close()


if __name__ == "__main__":
    run(test)
