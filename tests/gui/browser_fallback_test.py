"""A book on a desktop without WebKitGTK: WebKitGTK is hidden in a private mount namespace
(bound to /dev/null, as if it were not installed) and a recording stand-in for xdg-open
comes first on PATH. The book does not stop with the loader's error: it hands its start
page to the opener, tells the user in one message box what is missing and how to install
it, hands its pages out again when started a second time, keeps its pages until the user
closes the book from the notice ("Close the book") and removes everything it wrote when it
ends, on SIGTERM or from the notice. Where no browser could be opened the notice says so
instead of calling the book open in it. Without any display it ends as the reader does.
With GTK hidden as well, the notice goes to standard error and, as a page, to the browser.

Hiding a library needs root and unshare; where they are not at hand the test is skipped."""

import os
import signal
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pyatspi  # noqa: E402
from reader_driver import (Book, Scratch, TestFailure, check, click, find,  # noqa: E402
                           find_all, reader_environment, run, wait_for)

SKIP = 77
LIBRARY = "libwebkit2gtk-4.1.so.0"
START_MARK = "The harbour lights are lit at dusk."
INSTALL_LINES = ("sudo apt install libwebkit2gtk-4.1-0", "sudo dnf install webkit2gtk4.1",
                 "sudo pacman -S webkit2gtk-4.1")
GTK_LIBRARY = "libgtk-3.so.0"
HIDE_AND_RUN = ('book=$1; shift; for lib; do mount --bind /dev/null "$lib" || exit 99; done; '
                'exec "$book"')


def library_path(name):
    """Where the loader finds library `name`, from its cache."""
    listing = subprocess.run(["ldconfig", "-p"], capture_output=True, text=True).stdout
    for line in listing.splitlines():
        if line.strip().startswith(name + " ") and "=>" in line:
            return line.split("=>", 1)[1].strip()
    return None


def webkit_path():
    return library_path(LIBRARY)


def why_skip():
    if os.geteuid() != 0:
        return "hiding WebKitGTK needs root (bind mounts in a private mount namespace)"
    if subprocess.run(["unshare", "-m", "true"], capture_output=True).returncode != 0:
        return "unshare -m is not permitted here"
    for name in (LIBRARY, GTK_LIBRARY):
        if library_path(name) is None:
            return "the loader's cache does not list " + name
    return None


class HiddenWebKitReader:
    """One run of the book with WebKitGTK hidden; the process is the book itself (unshare
    and sh replace themselves with it)."""

    def __init__(self, book, env, hidden=(LIBRARY,)):
        self.process = subprocess.Popen(
            ["unshare", "-m", "sh", "-c", HIDE_AND_RUN, "sh", book.path]
            + [library_path(name) for name in hidden],
            env=env, stderr=subprocess.PIPE)

    def app(self):
        def lookup():
            if self.process.poll() is not None:
                raise TestFailure("the book ended early with %d: %s"
                                  % (self.process.returncode, self.process.stderr.read()))
            desktop = pyatspi.Registry.getDesktop(0)
            for i in range(desktop.childCount):
                app = desktop.getChildAtIndex(i)
                if app is not None and app.get_process_id() == self.process.pid:
                    return app
            return None
        return wait_for(lookup, "the book on the accessibility bus")

    def opened(self, record, count=1):
        """The targets the opener got, once there are `count` of them."""
        def lookup():
            targets = opened_targets(record)
            if len(targets) >= count or self.process.poll() is not None:
                return [targets]
            return None
        targets = wait_for(lookup, "the opener to get the start page")[0]
        if len(targets) < count:
            raise TestFailure("the book ended with %d before it opened its page: %s"
                              % (self.process.returncode, self.process.stderr.read()))
        return targets

    def notice(self):
        app = self.app()
        return wait_for(lambda: find(app, roles=(pyatspi.ROLE_DIALOG, pyatspi.ROLE_ALERT),
                                     showing=True), "the notice")

    def wait(self, what):
        try:
            return self.process.wait(60)
        except subprocess.TimeoutExpired:
            self.process.kill()
            raise TestFailure("the book did not end " + what)


def opened_targets(record):
    if not os.path.exists(record):
        return []
    with open(record) as f:
        return [line.rstrip("\n") for line in f if line.strip()]


def page_path(target):
    return target[len("file://"):] if target.startswith("file://") else target


def check_left_nothing(private, what):
    left = os.listdir(private) if os.path.isdir(private) else []
    check(left == [], "after %s the temporary folder still holds %r" % (what, left))


def test():
    reason = why_skip()
    if reason:
        print("SKIPPED: " + reason)
        sys.exit(SKIP)
    with Scratch() as work:
        book = Book(work, {
            "index.html": "<html><head><title>Harbour</title></head><body><p>%s</p>"
                          "<p><a href=\"##TOC\">Contents</a></p></body></html>" % START_MARK,
            "chapter.html": "<html><head><title>Chapter</title></head><body>c</body></html>",
        }, "[book]\nesbn = GUI-BROWSER-1\ntitle = Harbour Lights\n")

        bin_dir = os.path.join(work, "bin")
        os.makedirs(bin_dir)
        record = os.path.join(work, "opened.txt")
        opener = os.path.join(bin_dir, "xdg-open")
        with open(opener, "w") as f:
            f.write("#!/bin/sh\nprintf '%%s\\n' \"$*\" >> '%s'\n" % record)
        os.chmod(opener, 0o755)

        home = os.path.join(work, "home")
        env = reader_environment(home)
        env.pop("NO_AT_BRIDGE", None)
        env["PATH"] = bin_dir + os.pathsep + env.get("PATH", "")
        private = os.path.join(env["TMPDIR"], "quire-%d" % os.getuid())

        # First run: the start page goes to the browser at once and the notice names the
        # missing library and the install commands; SIGTERM (logout) ends it.
        reader = HiddenWebKitReader(book, env)
        try:
            targets = reader.opened(record)
            start = page_path(targets[0])
            check(os.path.isfile(start), "the opener got %r, a page that exists" % targets[0])
            with open(start, encoding="utf-8", errors="replace") as f:
                check(START_MARK in f.read(), "the opened page is the book's start page")
            check(start.startswith(private), "the start page lies in the private folder")

            notice = reader.notice()
            text = "\n".join(a.name for a in find_all(notice, role=pyatspi.ROLE_LABEL))
            check(LIBRARY in text, "the notice names %s: %r" % (LIBRARY, text))
            for line in INSTALL_LINES:
                check(line in text, "the notice gives %r: %r" % (line, text))
            check("script links" in text and "search" in text,
                  "the notice says what only works in the reader: %r" % text)
            check("It is open in your web browser instead" in text and
                  'Its pages stay until you choose "Close the book"' in text,
                  "the notice says where the book is and how long: %r" % text)
            check(reader.process.poll() is None, "the book keeps running with its notice")

            # A second start of the same book shows the pages again and ends.
            second = HiddenWebKitReader(book, env)
            code = second.wait("when started a second time")
            check(code == 0, "the second copy ended with %d" % code)
            again = reader.opened(record, 2)
            check(page_path(again[1]) == start, "the same start page again: %r" % again)

            reader.process.send_signal(signal.SIGTERM)
            code = reader.wait("on SIGTERM")
            errors = reader.process.stderr.read().decode(errors="replace")
            check(code == 0, "after SIGTERM the book ended with %d: %s" % (code, errors))
            check("error while loading shared libraries" not in errors, errors)
            check_left_nothing(private, "SIGTERM")
        finally:
            if reader.process.poll() is None:
                reader.process.kill()
                reader.process.wait()

        # Without a display (none named, or one that cannot be opened) the book says so,
        # as the reader does, and leaves nothing.
        for what, display in (("no display named", None),
                              ("a display that is not there", ":9973")):
            headless = dict(env)
            headless.pop("DISPLAY", None)
            headless.pop("WAYLAND_DISPLAY", None)
            if display:
                headless["DISPLAY"] = display
            reader = HiddenWebKitReader(book, headless)
            code = reader.wait("with " + what)
            errors = reader.process.stderr.read().decode(errors="replace").splitlines()
            check(code == 1, "with %s the book ended with %d" % (what, code))
            check(errors and errors[-1].startswith("quire: cannot open display: "),
                  "with %s the last line on standard error: %r" % (what, errors))
            check(len(opened_targets(record)) == 2, "nothing more was opened with " + what)
            check_left_nothing(private, "the start with " + what)

        # The pages stay while the notice is up; its one button closes the book. An opener
        # that cannot open the page leaves the notice saying so.
        os.remove(record)
        with open(opener, "w") as f:
            f.write("#!/bin/sh\nprintf '%%s\\n' \"$*\" >> '%s'\nexit 3\n" % record)
        reader = HiddenWebKitReader(book, env)
        try:
            start = page_path(reader.opened(record)[0])
            notice = reader.notice()
            text = "\n".join(a.name for a in find_all(notice, role=pyatspi.ROLE_LABEL))
            check("No web browser could be opened for it" in text and
                  "is open in your web browser" not in text and start in text,
                  "without a browser the notice says so and where the book is: %r" % text)
            check(find(notice, role=pyatspi.ROLE_PUSH_BUTTON, name="OK") is None,
                  "the notice has no OK button")
            button = wait_for(lambda: find(notice, role=pyatspi.ROLE_PUSH_BUTTON,
                                           name="Close the book"), "the notice's button")
            check(os.path.isfile(start) and reader.process.poll() is None,
                  "the pages stay while the notice is up")
            click(button)
            code = reader.wait("when the book was closed from its notice")
            check(code == 0, "after Close the book the book ended with %d" % code)
            check_left_nothing(private, "closing the book from the notice")
        finally:
            if reader.process.poll() is None:
                reader.process.kill()
                reader.process.wait()


def test_without_gtk():
    """With GTK hidden too, nothing can show a message box: the notice goes to standard
    error and, as nobody may read that (a file manager started the book), to the browser
    as a page that links the book's pages."""
    with Scratch() as work:
        book = Book(work, {
            "index.html": "<html><head><title>Harbour</title></head><body><p>%s</p>"
                          "</body></html>" % START_MARK,
        }, "[book]\nesbn = GUI-BROWSER-2\ntitle = Harbour Lights\n")
        bin_dir = os.path.join(work, "bin")
        os.makedirs(bin_dir)
        record = os.path.join(work, "opened.txt")
        opener = os.path.join(bin_dir, "xdg-open")
        with open(opener, "w") as f:
            f.write("#!/bin/sh\nprintf '%%s\\n' \"$*\" >> '%s'\n" % record)
        os.chmod(opener, 0o755)
        env = reader_environment(os.path.join(work, "home"))
        env["PATH"] = bin_dir + os.pathsep + env.get("PATH", "")
        private = os.path.join(env["TMPDIR"], "quire-%d" % os.getuid())

        reader = HiddenWebKitReader(book, env, hidden=(LIBRARY, GTK_LIBRARY))
        try:
            # Each page goes to an opener of its own, started one after the other; on a busy
            # machine the second may well write its line first.
            targets = sorted(reader.opened(record, 2),
                             key=lambda t: os.path.basename(page_path(t)) == "__notice.html")
            start, notice = page_path(targets[0]), page_path(targets[1])
            with open(start, encoding="utf-8", errors="replace") as f:
                check(START_MARK in f.read(), "the start page went to the browser: %r" % targets)
            check(os.path.basename(notice) == "__notice.html", "and the notice page: %r"
                  % targets)
            with open(notice, encoding="utf-8", errors="replace") as f:
                page = f.read()
            for line in (LIBRARY,) + INSTALL_LINES:
                check(line in page, "the notice page gives %r" % line)
            check('">Start page</A>' in page and "index.html" in page,
                  "the notice page links the start page")
            check(reader.process.poll() is None, "the book keeps running")

            reader.process.send_signal(signal.SIGTERM)
            code = reader.wait("on SIGTERM")
            errors = reader.process.stderr.read().decode(errors="replace")
            check(code == 0, "after SIGTERM the book ended with %d: %s" % (code, errors))
            check(LIBRARY in errors and "sudo apt install libwebkit2gtk-4.1-0" in errors,
                  "the notice is on standard error too: %r" % errors)
            check(errors.count("sudo apt install") == 1, "and only once: %r" % errors)
            check_left_nothing(private, "SIGTERM")
        finally:
            if reader.process.poll() is None:
                reader.process.kill()
                reader.process.wait()


def test_all():
    test()
    test_without_gtk()


if __name__ == "__main__":
    run(test_all)
