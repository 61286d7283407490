"""Web pages never drive the reader. A local web server stands in for the internet; the
book shows its page in the main view, in a frame of a book page and in a pop-up window,
and the same page as a file outside the book folder. That page tries every way it has to
run the book's script links: "##" commands (FILEWRITE, RUN), "#!" and "#@" scripts, the
same behind about:blank, data: and blob: addresses in frames of its own, a download into
the home folder, and sending its top, parent or opener window to the book's start page
with a command. Any of them that ran would leave a marker file; none may. The book's own
page, also in a pop-up, runs the same link forms and they work. After the run the home
folder holds nothing but the reader's reading state, with no web page in it. A second book that sends outside addresses to the browser does so
for a pop-up too, which then does not stay open, also while a start-up message box is
open."""

import http.server
import os
import stat
import sys
import threading
from urllib.parse import urlsplit

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pyatspi  # noqa: E402
from reader_driver import (Book, Reader, Scratch, check, click, do_action, find,  # noqa: E402
                           find_all, page_text, run, wait_for)

# The web page's attempts, in order. {out} is the folder for markers, {book} the book
# folder's start page as a file: URL, {name} the scenario. Each attempt the reader shows
# (as it must) fires an event the page waits for before the next one; the last ones,
# which leave the page or are refused by WebKit itself, come after the page said "done".
ATTACK_PAGE = """<!DOCTYPE html><html><head><title>Web page {name}</title></head>
<body><p>Web page {name}</p><script>
const out = {out!r};
function mark(what) {{ return "FILEWRITE('ok','" + out + "/attack-{name}-" + what + "','ran')"; }}
function hashTry(fragment) {{
  return new Promise(done => {{
    window.addEventListener('hashchange', done, {{once: true}});
    location.href = fragment;
  }});
}}
function frameTry(url) {{
  return new Promise(done => {{
    const frame = document.createElement('iframe');
    frame.onload = done;
    frame.src = url;
    document.body.appendChild(frame);
  }});
}}
async function attack() {{
  await hashTry('#a##' + mark('hash'));
  await hashTry("#b##RUN('touch " + out + "/attack-{name}-run')");
  await hashTry('#!write.txt');
  await hashTry('#@' + out + '/at.txt');
  await hashTry('#c#!x##' + mark('both'));
  await frameTry('about:blank##' + mark('blank'));
  await frameTry('data:text/html,<p>x</p>##' + mark('data'));
  const blob = URL.createObjectURL(new Blob(['<p>b</p>'], {{type: 'text/html'}}));
  await frameTry(blob + '##' + mark('blob'));
  location.href = 'javascript:void(0)//##' + mark('javascript');
  const save = document.createElement('a');
  save.href = 'data:text/plain,dropped';
  save.download = 'attack-{name}-download.txt';
  document.body.appendChild(save);
  save.click();
  await fetch({done!r}, {{mode: 'no-cors', keepalive: true}});
  const book = {book!r};
  if (window.opener) {{
    window.opener.location = 'about:blank##' + mark('opener-blank');
    window.opener.location = book + '##' + mark('opener-book');
  }}
  if (window.parent !== window) window.parent.location = book + '##' + mark('parent');
  window.open(book + '##' + mark('window-open'));
  window.top.location = book + '##' + mark('top');
}}
attack();
</script></body></html>
"""


class Internet(http.server.ThreadingHTTPServer):
    """A web server on a free port of 127.0.0.1 that serves the attacking page and notes
    every address asked for."""

    def __init__(self, out, book_start):
        self.out = out
        self.book_start = book_start
        self.requests = []
        self.done = set()
        self.lock = threading.Lock()
        super().__init__(("127.0.0.1", 0), Handler)

    def url(self, path):
        return "http://127.0.0.1:%d%s" % (self.server_address[1], path)

    def attack_page(self, name):
        return ATTACK_PAGE.format(name=name, out=self.out, book=self.book_start,
                                  done=self.url("/done?" + name))


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        server = self.server
        parts = urlsplit(self.path)
        with server.lock:
            server.requests.append(self.path)
            if parts.path == "/done":
                server.done.add(parts.query)
        if parts.path == "/attack.html":
            body = server.attack_page(parts.query).encode()
            self.send_response(200)
            self.send_header("Content-Type", "text/html; charset=utf-8")
        else:
            body = b"ok"
            self.send_response(200)
            self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def follow(reader, name):
    link = wait_for(lambda: find(reader.document(), role=pyatspi.ROLE_LINK, name=name),
                    "the link " + repr(name))
    do_action(link, "jump", "click", "press", "activate")


def frames(reader):
    return find_all(reader.app, role=pyatspi.ROLE_FRAME, showing=True)


def go_home(reader, text):
    click(reader.menu_item("Go", "Home"))
    wait_for(lambda: text in page_text(reader.document()), "the start page")


def attack_markers(out):
    return sorted(name for name in os.listdir(out) if name.startswith("attack-"))


def wait_done(internet, out, name):
    """Waits until the page has made its attempts; an attempt that ran stops the wait
    (its link was kept from the page, which then never gets to say so)."""
    wait_for(lambda: name in internet.done or attack_markers(out),
             "the web page's attempts in " + name)
    check(attack_markers(out) == [], "web pages ran script links: %r" % attack_markers(out))


# Caches that libraries below WebKit keep for every program of the desktop, not for the
# reader: Mesa's compiled shaders (llvmpipe under Xvfb) and dconf's copy of the settings
# database. Nothing else may be left in the home folder but the reader's reading state.
SYSTEM_CACHES = (".cache/mesa_shader_cache/", ".cache/dconf/")
# The one file the reader keeps of its own besides KELVRA.INI.
READING_STATE = ".local/state/quire/reading-state"


def files_below(folder, skip):
    found = []
    for root, dirs, names in os.walk(folder):
        dirs[:] = [d for d in dirs if os.path.join(root, d) != skip]
        found += [os.path.relpath(os.path.join(root, n), folder) for n in names]
    return sorted(found)


def attacked_book(work, out, internet):
    """The book whose pages lead to the web page; open-links-outside is off, so the
    reader shows web pages itself."""
    web = internet.url("/attack.html")
    index = (
        "<html><body><p>Trust start</p>"
        "<p><a href=\"%s?main\">Web page</a></p>"
        "<p><a href=\"file://%s/elsewhere.html\">Page elsewhere</a></p>"
        "<p><a href=\"framed.html\">Framed</a></p>"
        "<p><a href=\"%s?popup\" target=\"_blank\">Pop-up</a></p>"
        "<p><a href=\"##FILEWRITE('ok','%s/control-hash','ran')\">Own commands</a></p>"
        "<p><a href=\"##RUN('touch %s/control-run')\">Own program</a></p>"
        "<p><a href=\"#!control.txt\">Own script</a></p>"
        "<p><a href=\"#@%s/control-at.txt\">Own script path</a></p>"
        "<p><a href=\"popup.html\" target=\"_blank\">Book pop-up</a></p>"
        "</body></html>") % (web, out, web, out, out, out)
    files = {
        "index.html": index,
        "framed.html": "<html><body><p>Framed page</p><iframe src=\"%s?frame\"></iframe>"
                       "</body></html>" % web,
        "popup.html": "<html><body><p>Book pop-up page</p><p><a href=\"##FILEWRITE('ok',"
                      "'%s/control-popup','ran')\">Pop-up command</a></p></body></html>" % out,
        "write.txt": "FILEWRITE('ok','%s/attack-script','ran')\n" % out,
        "control.txt": "FILEWRITE('ok','%s/control-script','ran')\n" % out,
    }
    manifest = ("[book]\nesbn = GUI-TRUST-1\ntitle = Trust Book\nopen-links-outside = no\n"
                "[file:write.txt]\nsearchable = no\ncontents = no\n"
                "[file:control.txt]\nsearchable = no\ncontents = no\n")
    return Book(os.path.join(work, "book1"), files, manifest)


def test_web_pages(work, out, internet, home):
    with open(os.path.join(out, "at.txt"), "w") as f:
        f.write("FILEWRITE('ok','%s/attack-at','ran')\n" % out)
    with open(os.path.join(out, "control-at.txt"), "w") as f:
        f.write("FILEWRITE('ok','%s/control-at','ran')\n" % out)
    with open(os.path.join(out, "elsewhere.html"), "w") as f:
        f.write(internet.attack_page("file"))
    os.makedirs(os.path.join(work, "book1"))
    book = attacked_book(work, out, internet)
    reader = Reader(book, home)
    folder = os.path.join(home, "tmp", "quire-%d" % os.getuid(), "GUI-TRUST-1.k9w")
    try:
        reader.frame()
        wait_for(lambda: "Trust start" in page_text(reader.document()), "the start page")

        # A web page inside a frame of a book page.
        follow(reader, "Framed")
        wait_done(internet, out, "frame")

        # A web page in a window of its own, opened by a link of the book.
        go_home(reader, "Trust start")
        follow(reader, "Pop-up")
        wait_done(internet, out, "popup")
        wait_for(lambda: any("Web page popup" in page_text(f) for f in frames(reader)),
                 "the web page in a window of its own")

        # A web page in the main view.
        go_home(reader, "Trust start")
        follow(reader, "Web page")
        wait_done(internet, out, "main")

        # A file: page outside the book folder.
        go_home(reader, "Trust start")
        follow(reader, "Page elsewhere")
        wait_done(internet, out, "file")

        # The book's own page runs the same forms; they work, and run after every attempt
        # above was decided.
        go_home(reader, "Trust start")
        for link, marker in (("Own commands", "control-hash"), ("Own program", "control-run"),
                             ("Own script", "control-script"),
                             ("Own script path", "control-at")):
            follow(reader, link)
            wait_for(lambda: os.path.exists(os.path.join(out, marker)), "the book's " + marker)
        # A pop-up that shows a page of the book runs its links.
        follow(reader, "Book pop-up")
        popup_link = wait_for(lambda: find(reader.app, role=pyatspi.ROLE_LINK,
                                           name="Pop-up command"), "the book's pop-up page")
        do_action(popup_link, "jump", "click", "press", "activate")
        wait_for(lambda: os.path.exists(os.path.join(out, "control-popup")),
                 "the pop-up's command")

        ran = attack_markers(out)
        check(ran == [], "web pages ran script links: %r" % ran)
        check(not any("/out" in r for r in internet.requests), "nothing went out")

        click(reader.menu_item("File", "Exit"))
        code = reader.process.wait(30)
        check(code == 0, "the reader ended with %d" % code)
        check(not os.path.exists(folder), "the book folder is gone after Exit")
        left = [name for name in files_below(home, skip=os.path.join(home, "tmp"))
                if not name.startswith(SYSTEM_CACHES)]
        check(left in ([], [READING_STATE]), "the run left files in the home folder: %r" % left)
        # The reader's own reading state keeps places inside the book only: none of the web
        # pages it showed.
        if left:
            with open(os.path.join(home, READING_STATE), encoding="utf-8",
                      errors="replace") as f:
                kept = f.read()
            for outside in ("http:", "127.0.0.1", "file:", "Web page", "about:", "data:"):
                check(outside not in kept, "the reading state keeps %r:\n%s" % (outside, kept))
    finally:
        reader.close()


OPENER = """#!/bin/sh
echo "$1" >> "{out}/opened.txt"
"""


def test_outside(work, out, internet):
    """Open-links-outside on: the browser gets a pop-up's address and no window stays, also
    while a command of the start-up script runs (its message box is open); the book's own
    link waits for no command and does not run inside it."""
    fake_bin = os.path.join(work, "bin")
    os.makedirs(fake_bin)
    opener = os.path.join(fake_bin, "xdg-open")
    with open(opener, "w") as f:
        f.write(OPENER.format(out=out))
    os.chmod(opener, os.stat(opener).st_mode | stat.S_IEXEC)
    os.environ["PATH"] = fake_bin + os.pathsep + os.environ["PATH"]

    index = ("<html><body><p>Outside start</p>"
             "<p><a href=\"%s\" target=\"_blank\">Linked window</a></p>"
             "<p><a href=\"#\" onclick=\"window.open('%s'); return false\">Script window</a></p>"
             "<p><a href=\"##FILEWRITE('ok','%s/nested','ran')\">Own link</a></p>"
             "</body></html>") % (internet.url("/out?link"), internet.url("/out?script"), out)
    os.makedirs(os.path.join(work, "book2"))
    book = Book(os.path.join(work, "book2"), {"index.html": index},
                "[book]\nesbn = GUI-TRUST-2\ntitle = Outside Book\nopen-links-outside = yes\n"
                "startup-script = \"##MESSAGEBOX('Starting')\"\n")
    reader = Reader(book, os.path.join(work, "home2"))
    opened_file = os.path.join(out, "opened.txt")

    def opened():
        if not os.path.exists(opened_file):
            return []
        with open(opened_file) as f:
            return f.read().split()
    try:
        reader.frame()
        wait_for(lambda: "Outside start" in page_text(reader.document()), "the start page")
        box = reader.message_box()
        # The book's own link does not run inside the running command (runs never nest);
        # the links after it are decided after it.
        follow(reader, "Own link")
        follow(reader, "Linked window")
        wait_for(lambda: internet.url("/out?link") in opened(), "the browser for the link")
        follow(reader, "Script window")
        wait_for(lambda: internet.url("/out?script") in opened(), "the browser for window.open")
        wait_for(lambda: len(frames(reader)) == 1, "no pop-up left open")
        click(find(box, name="OK"))
        check(not os.path.exists(os.path.join(out, "nested")), "a link ran inside a command")
        check(not any(r.startswith("/out") for r in internet.requests),
              "the reader itself loaded nothing from outside: %r" % internet.requests)
    finally:
        reader.close()


def test():
    with Scratch() as work:
        out = os.path.join(work, "out")
        os.makedirs(out)
        home = os.path.join(work, "home")
        book_start = "file://%s/quire-%d/GUI-TRUST-1.k9w/index.html" % (
            os.path.join(home, "tmp"), os.getuid())
        internet = Internet(out, book_start)
        threading.Thread(target=internet.serve_forever, daemon=True).start()
        try:
            test_web_pages(work, out, internet, home)
            test_outside(work, out, internet)
        finally:
            internet.shutdown()


if __name__ == "__main__":
    run(test)
