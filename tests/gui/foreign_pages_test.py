"""What was not the book's own never runs later, and a site is a web page.

A site imported without book.ini: its page script and its links try command and script
links, which are shown and never run. A book of the author's: an outside file: page sends
the view to the book's start page with a command appended (shown, not run); View >
Refresh, F5 and the reload after the web process was killed show it again and run
nothing; neither does Refresh after a command navigated to a page with "#!" appended.
The book's own command link still runs. An address that another program drags onto a
pop-up of the book or onto the main window is not taken, while the same drag onto a
program that takes drops is."""

import http.server
import os
import signal
import subprocess
import sys
import threading
from urllib.parse import unquote, urlsplit

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pyatspi  # noqa: E402
from reader_driver import (Book, Reader, Scratch, TestFailure, check, click,  # noqa: E402
                           do_action, find, find_all, mouse, page_text, press_key, run,
                           unique_book_id, wait_for)

# How long a drop target may take to say that it takes a drop, before the drag is let go
# as refused. The control drag shows how long a target that takes drops needs.
REFUSAL_WAIT = 10.0

BEACON = ("<script>new Image().src = '%s/load?' + encodeURIComponent(location.href) + '&' "
          "+ Date.now();</script>")


class Beacons(http.server.ThreadingHTTPServer):
    """Notes every page load and every report the pages send."""

    def __init__(self):
        self.paths = []
        self.lock = threading.Lock()
        super().__init__(("127.0.0.1", 0), Handler)

    def url(self):
        return "http://127.0.0.1:%d" % self.server_address[1]

    def loads(self, part=""):
        with self.lock:
            return [unquote(p) for p in self.paths if p.startswith("/load?") and part in unquote(p)]

    def said(self, what, part=""):
        with self.lock:
            return any(p.startswith("/" + what) and part in unquote(p) for p in self.paths)


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        with self.server.lock:
            self.server.paths.append(self.path)
        self.send_response(204)
        self.end_headers()

    def log_message(self, *args):
        pass


def markers(out):
    return sorted(n for n in os.listdir(out) if n.startswith("attack-"))


def no_markers(out, what):
    check(markers(out) == [], "%s ran: %r" % (what, markers(out)))


def follow(reader, name, root=None):
    link = wait_for(lambda: find(root or reader.document(), role=pyatspi.ROLE_LINK, name=name),
                    "the link " + repr(name))
    do_action(link, "jump", "click", "press", "activate")


def wait_shown_or_ran(beacons, out, count, part, what):
    """Waits until the page has loaded `count` times with `part` in its address, or until
    an attack left its marker (a link that ran is kept from the view, which then loads
    nothing)."""
    wait_for(lambda: len(beacons.loads(part)) >= count or markers(out), what)
    no_markers(out, what)


class BuiltBook:
    """A book file built by the test itself."""

    def __init__(self, path):
        self.path = path


def site_test(work, out, beacons):
    site = os.path.join(work, "site")
    os.makedirs(site)
    page = ("<html><head><title>Site</title></head><body><p>Imported site</p>"
            "<p><a href=\"##FILEWRITE('ok','{out}/attack-site-link','ran')\">Site command</a></p>"
            "<script>"
            "function hashTry(f) {{ return new Promise(done => {{"
            "  addEventListener('hashchange', done, {{once: true}}); location.href = f; }}); }}"
            "addEventListener('hashchange', () => new Image().src = '{beacons}/hash?' +"
            "  encodeURIComponent(location.hash));"
            "(async () => {{"
            "  await hashTry(\"##FILEWRITE('ok','{out}/attack-site-script','ran')\");"
            "  await hashTry('#!run.txt');"
            "  new Image().src = '{beacons}/done';"
            "}})();"
            "</script></body></html>").format(out=out, beacons=beacons.url())
    with open(os.path.join(site, "index.html"), "w") as f:
        f.write(page)
    with open(os.path.join(site, "run.txt"), "w") as f:
        f.write("FILEWRITE('ok','%s/attack-site-bang','ran')\n" % out)
    # No book.ini in the site; the manifest beside it only gives the book an id of its own.
    manifest = os.path.join(work, "site-id.ini")
    with open(manifest, "w") as f:
        f.write("[book]\nid = %s\nesbn = GUI-SITE-1\n" % unique_book_id())
    book = os.path.join(work, "site.book")
    subprocess.run([os.environ["QUIRE_PACK"], "build", site, "-o", book, "--manifest",
                    manifest, "--reader", os.environ["QUIRE_READER"], "-q"], check=True)

    reader = Reader(BuiltBook(book), os.path.join(work, "site-home"))
    try:
        reader.frame()
        reader.wait_for_page("Imported site", "the site's page")
        wait_for(lambda: beacons.said("done") or markers(out), "the site's script")
        no_markers(out, "the site's script")
        follow(reader, "Site command")
        wait_for(lambda: beacons.said("hash?", "attack-site-link") or markers(out),
                 "the site's command link shown")
        no_markers(out, "the site's command link")
    finally:
        reader.close()


def web_process_of(pid):
    """The WebKit web process that the reader `pid` started (a child, or below one)."""
    children = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/stat" % entry) as f:
                fields = f.read().rsplit(")", 1)[1].split()
            with open("/proc/%s/comm" % entry) as f:
                name = f.read().strip()
        except OSError:
            continue
        children.setdefault(int(fields[1]), []).append((int(entry), name))
    todo = [pid]
    while todo:
        for child, name in children.get(todo.pop(), []):
            if name.startswith("WebKitWebProces"):
                return child
            todo.append(child)
    return None


class Pointer:
    """The X server's pointer, moved and pressed through its test extension."""

    def __init__(self):
        import ctypes
        self.x11 = ctypes.CDLL("libX11.so.6")
        self.xtst = ctypes.CDLL("libXtst.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XFlush.argtypes = [ctypes.c_void_p]
        self.x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                                   ctypes.c_int, ctypes.c_ulong]
        self.xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                                   ctypes.c_ulong]
        self.display = self.x11.XOpenDisplay(None)
        check(self.display, "no X display for the pointer")

    def move(self, x, y):
        self.xtst.XTestFakeMotionEvent(self.display, -1, int(x), int(y), 0)
        self.x11.XFlush(self.display)

    def button(self, down):
        self.xtst.XTestFakeButtonEvent(self.display, 1, 1 if down else 0, 0)
        self.x11.XFlush(self.display)

    def close(self):
        self.x11.XCloseDisplay(self.display)


class DragSource:
    """Another program's window that drags `uri` (drag_source.py)."""

    def __init__(self, work, uri):
        self.record = os.path.join(work, "drags.txt")
        helper = os.path.join(os.path.dirname(os.path.abspath(__file__)), "drag_source.py")
        self.process = subprocess.Popen([sys.executable, helper, uri, self.record])
        ready = wait_for(lambda: [line for line in self.lines() if line.startswith("ready ")],
                         "the drag source's windows")[0].split()[1:]
        self.source = (int(ready[0]), int(ready[1]))
        self.own_target = (int(ready[2]), int(ready[3]))
        self.pointer = Pointer()

    def lines(self):
        if not os.path.exists(self.record):
            return []
        with open(self.record) as f:
            return f.read().splitlines()

    def drag_to(self, target, taken):
        """Drags from the source to the screen point `target` and lets go: at once when the
        target says it takes the drop, else once `taken` is false and REFUSAL_WAIT has
        passed. Returns what the source saw."""
        start = len(self.lines())

        def seen():
            return self.lines()[start:]
        x, y = self.source
        self.pointer.move(x, y)
        self.pointer.button(True)
        try:
            # Past the distance at which a press becomes a drag.
            for step in range(1, 11):
                self.pointer.move(x - 3 * step, y - 2 * step)
            wait_for(lambda: "begin" in seen(), "the drag to begin")
            x, y = x - 30, y - 20
            for i in range(1, 31):
                self.pointer.move(x + (target[0] - x) * i // 30, y + (target[1] - y) * i // 30)
            accepted = lambda: any(line.startswith("status ") and line != "status 0"
                                   for line in seen())
            if taken:
                wait_for(accepted, "the drop target to take the drop")
            else:
                try:
                    wait_for(accepted, "a drop target that takes drops", timeout=REFUSAL_WAIT)
                except TestFailure:
                    pass
        finally:
            self.pointer.button(False)
        wait_for(lambda: "end" in seen(), "the drag to end")
        return seen()

    def close(self):
        self.pointer.close()
        self.process.kill()
        self.process.wait()


def extents(acc):
    return acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)


def drop_test(work, out, reader, folder):
    main_box = extents(reader.document())
    follow(reader, "Book pop-up")
    popup = wait_for(lambda: [f for f in find_all(reader.app, role=pyatspi.ROLE_FRAME,
                                                  showing=True)
                              if "Book pop-up page" in page_text(f)], "the book's pop-up")[0]
    popup_box = extents(popup)
    uri = "file://%s/index.html##FILEWRITE('ok','%s/attack-drop','ran')" % (folder, out)
    source = DragSource(work, uri)
    try:
        # The control: a program that takes drops gets the address.
        seen = source.drag_to(source.own_target, taken=True)
        wait_for(lambda: "received " + uri in source.lines(), "the address at the drop target")
        check("data-get" in seen, "the control drop asked for the data: %r" % seen)

        points = {
            "the book's pop-up": (popup_box.x + popup_box.width // 2,
                                  popup_box.y + popup_box.height // 2),
            "the main window": (main_box.x + main_box.width - 60,
                                main_box.y + main_box.height // 2),
        }
        for what, point in points.items():
            inside_popup = (popup_box.x <= point[0] < popup_box.x + popup_box.width and
                            popup_box.y <= point[1] < popup_box.y + popup_box.height)
            check(what == "the book's pop-up" or not inside_popup,
                  "the main window's point lies outside the pop-up")
            seen = source.drag_to(point, taken=False)
            check("data-get" not in seen, "%s took the dropped address: %r" % (what, seen))
            no_markers(out, "an address dropped on " + what)
    finally:
        source.close()


def reload_test(work, out, beacons):
    home = os.path.join(work, "home")
    esbn = "GUI-RELOAD-1"
    folder = os.path.join(home, "tmp", "quire-%d" % os.getuid(), esbn + ".k9w")
    beacon = BEACON % beacons.url()
    with open(os.path.join(out, "elsewhere.html"), "w") as f:
        f.write("<html><body><p>Elsewhere</p><script>location.href = 'file://%s/index.html"
                "##FILEWRITE(\\'ok\\',\\'%s/attack-reload\\',\\'ran\\')';</script></body></html>"
                % (folder, out))
    index = ("<html><body><p>Reload start</p>"
             "<p><a href=\"file://{out}/elsewhere.html\">Page elsewhere</a></p>"
             "<p><a href=\"##NAVIGATE('second.html#!x.txt')\">Navigate with script</a></p>"
             "<p><a href=\"##FILEWRITE('ok','{out}/control-own','ran')\">Own command</a></p>"
             "<p><a href=\"popup.html\" target=\"_blank\">Book pop-up</a></p>"
             "{beacon}</body></html>").format(out=out, beacon=beacon)
    files = {
        "index.html": index,
        "second.html": "<html><body><p>Second page</p>%s</body></html>" % beacon,
        "popup.html": "<html><body><p>Book pop-up page</p></body></html>",
        "x.txt": "FILEWRITE('ok','%s/attack-navigate-reload','ran')\n" % out,
    }
    book = Book(os.path.join(work, "book"), files,
                "[book]\nesbn = %s\ntitle = Reload Book\n"
                "[file:x.txt]\nsearchable = no\ncontents = no\n" % esbn)
    reader = Reader(book, home)
    try:
        reader.frame()
        reader.wait_for_page("Reload start", "the start page")

        # The control: the book's own command link runs.
        follow(reader, "Own command")
        wait_for(lambda: os.path.exists(os.path.join(out, "control-own")), "the own command")

        # An outside page plants a command address: it is shown, not run.
        follow(reader, "Page elsewhere")
        planted = "index.html##FILEWRITE"
        wait_shown_or_ran(beacons, out, 1, planted, "the planted address")

        # Showing it again runs nothing, however it is shown again.
        click(reader.menu_item("View", "Refresh"))
        wait_shown_or_ran(beacons, out, 2, planted, "View > Refresh of the planted address")
        box = reader.document().queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        mouse(box.x + box.width // 2, box.y + box.height // 2, "abs")
        press_key("F5")
        wait_shown_or_ran(beacons, out, 3, planted, "F5 on the planted address")
        web = web_process_of(reader.process.pid)
        check(web is not None, "the reader's web process")
        os.kill(web, signal.SIGKILL)
        wait_shown_or_ran(beacons, out, 4, planted, "the reload after the web process died")

        # A command's own navigation to an address with "#!": Refresh does not run it.
        click(reader.menu_item("Go", "Home"))
        reader.wait_for_page("Reload start", "the start page again")
        follow(reader, "Navigate with script")
        wait_shown_or_ran(beacons, out, 1, "second.html#!x.txt", "the command's navigation")
        click(reader.menu_item("View", "Refresh"))
        wait_shown_or_ran(beacons, out, 2, "second.html#!x.txt", "Refresh after the command")

        click(reader.menu_item("Go", "Home"))
        reader.wait_for_page("Reload start", "the start page for the drops")
        drop_test(work, out, reader, folder)
    finally:
        reader.close()


def test():
    with Scratch() as work:
        out = os.path.join(work, "out")
        os.makedirs(out)
        beacons = Beacons()
        threading.Thread(target=beacons.serve_forever, daemon=True).start()
        try:
            site_test(work, out, beacons)
            reload_test(work, out, beacons)
        finally:
            beacons.shutdown()


if __name__ == "__main__":
    run(test)
