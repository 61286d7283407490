"""Drives a real book under Xvfb the way a user would, through AT-SPI.

A test builds a small book with quire-pack, starts it in a private home folder and then
reads and operates its window through the accessibility bus: menus, dialogs, the page.
Everything is waited for with deadlines; nothing sleeps for a fixed time.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time

import pyatspi

DEFAULT_TIMEOUT = 60.0


class TestFailure(Exception):
    pass


def wait_for(predicate, what, timeout=DEFAULT_TIMEOUT, interval=0.05):
    """Polls `predicate` until it returns a true value, which is returned."""
    deadline = time.monotonic() + timeout
    while True:
        try:
            value = predicate()
        except Exception:  # the tree changes under us while the window works
            value = None
        if value:
            return value
        if time.monotonic() > deadline:
            raise TestFailure("timed out waiting for " + what)
        time.sleep(interval)


def check(condition, message):
    if not condition:
        raise TestFailure(message)


_book_count = 0


def unique_book_id():
    """A book id no other book on this machine has: the reader's single-instance name is
    machine-wide, and test books of another checkout, run at the same time, must not hand
    over to ours (nor ours to theirs)."""
    global _book_count
    _book_count += 1
    return "gui-%d-%d-%s" % (os.getpid(), _book_count, os.urandom(4).hex())


def with_book_id(manifest, book_id, replace=False):
    """`manifest` with `id = book_id` in its [book] section, unless it names an id itself
    (which `replace` replaces)."""
    lines = manifest.splitlines()
    section = None
    header = None
    for number, line in enumerate(lines):
        text = line.strip()
        if text.startswith("[") and text.endswith("]"):
            section = text[1:-1].strip().lower()
            if section == "book" and header is None:
                header = number
        elif section == "book" and "=" in text and text.split("=", 1)[0].strip().lower() == "id":
            if not replace:
                return manifest
            lines[number] = "id = " + book_id
            return "\n".join(lines) + "\n"
    if header is None:
        return "[book]\nid = %s\n%s" % (book_id, manifest)
    lines.insert(header + 1, "id = " + book_id)
    return "\n".join(lines) + "\n"


class Book:
    """A book built from `files` (name -> bytes or text) and a manifest text. Unless the
    manifest names an id, the book gets one of its own (`book_id`)."""

    def __init__(self, work, files, manifest):
        self.work = work
        source = os.path.join(work, "source")
        os.makedirs(source)
        for name, content in files.items():
            mode = "wb" if isinstance(content, bytes) else "w"
            with open(os.path.join(source, name), mode) as f:
                f.write(content)
        self.book_id = unique_book_id()
        with open(os.path.join(source, "book.ini"), "w") as f:
            f.write(with_book_id(manifest, self.book_id))
        self.path = os.path.join(work, "book")
        subprocess.run([os.environ["QUIRE_PACK"], "build", source, "-o", self.path,
                        "--reader", os.environ["QUIRE_READER"], "-q"], check=True)


def reader_environment(home):
    """The environment of a reader whose home, XDG folders and temporary folder all lie
    below `home` (the temporary folder is made)."""
    env = dict(os.environ)
    env.update({
        "HOME": home,
        "XDG_CONFIG_HOME": os.path.join(home, ".config"),
        "XDG_DATA_HOME": os.path.join(home, ".local", "share"),
        "XDG_CACHE_HOME": os.path.join(home, ".cache"),
        "XDG_STATE_HOME": os.path.join(home, ".local", "state"),
        "TMPDIR": os.path.join(home, "tmp"),
        "GDK_BACKEND": "x11",
    })
    os.makedirs(env["TMPDIR"], exist_ok=True)
    # The reader takes TMPDIR only when no other user may change what it holds, whatever
    # the umask made of the folders.
    for folder in (home, env["TMPDIR"]):
        os.chmod(folder, 0o700)
    return env


class Reader:
    """One run of a book: the process, its private folders and its AT-SPI application."""

    def __init__(self, book, home, extra_env=None):
        self.home = home
        env = reader_environment(home)
        env.pop("NO_AT_BRIDGE", None)
        env.update(extra_env or {})
        self.process = subprocess.Popen([book.path], env=env)
        self.app = wait_for(self._find_app, "the reader on the accessibility bus")

    def _find_app(self):
        if self.process.poll() is not None:
            raise TestFailure("the reader ended early with %d" % self.process.returncode)
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            try:
                if app is not None and app.get_process_id() == self.process.pid:
                    return app
            except Exception:
                continue
        return None

    def frame(self):
        return wait_for(lambda: find(self.app, role=pyatspi.ROLE_FRAME, showing=True),
                        "the main window")

    def dialog(self, name, timeout=DEFAULT_TIMEOUT):
        return wait_for(lambda: find(self.app, roles=(pyatspi.ROLE_DIALOG, pyatspi.ROLE_ALERT),
                                     name=name, showing=True),
                        "the dialog " + repr(name), timeout)

    def message_box(self, timeout=DEFAULT_TIMEOUT):
        return wait_for(lambda: find(self.app, roles=(pyatspi.ROLE_DIALOG, pyatspi.ROLE_ALERT),
                                     showing=True),
                        "a message box", timeout)

    def menu_item(self, *path):
        """The menu item at `path` of menu names, e.g. ("Go", "Search this E-Book...")."""
        def lookup():
            node = find(self.frame(), role=pyatspi.ROLE_MENU_BAR)
            for name in path:
                node = find(node, name=name, predicate=is_menu_item, depth=3)
                if node is None:
                    return None
            return node
        return wait_for(lookup, "the menu item " + " > ".join(path))

    def choose_menu(self, *path):
        """Chooses a menu item with the mouse, as a user does: clicks the menu bar's menu,
        then each item of `path` once it shows. Commands that open dialogs run their own
        loop, so they are never started from the accessibility bus itself."""
        bar = wait_for(lambda: find(self.frame(), role=pyatspi.ROLE_MENU_BAR), "the menu bar")
        node = bar
        for name in path:
            item = wait_for(lambda: find(node, name=name, predicate=is_menu_item, depth=3,
                                         showing=True), "the menu item " + repr(name))
            user_click(item)
            node = item

    def document(self):
        return wait_for(lambda: find(self.app, role=pyatspi.ROLE_DOCUMENT_WEB, predicate=lambda d:
                                     not has_state(d, pyatspi.STATE_DEFUNCT)), "the page")

    def wait_for_page(self, text, what):
        """Waits until the page shown holds `text`."""
        wait_for(lambda: text in page_text(self.document()), what)

    def walk_history_by_keys(self, back_text, forward_text):
        """Alt+Left, then Alt+Right: the pages holding `back_text` and then `forward_text`
        show."""
        press_combination("Alt_L", "Left")
        self.wait_for_page(back_text, "the page before after Alt+Left")
        press_combination("Alt_L", "Right")
        self.wait_for_page(forward_text, "the page after again after Alt+Right")

    def book_folder(self, esbn):
        """Where this reader extracts the book of `esbn`."""
        return os.path.join(self.home, "tmp", "quire-%d" % os.getuid(), esbn + ".k9w")

    def expect_closed_cleanly(self, how, exit_file, folder, timeout=DEFAULT_TIMEOUT):
        """Waits for the reader to end after `how` closed it ("Ctrl+W"), and checks that it
        ended with 0, that its exit script wrote "closed" to `exit_file` and that its book
        `folder` is gone."""
        code = self.process.wait(timeout)
        check(code == 0, "after %s the reader ended with %d" % (how, code))
        with open(exit_file) as f:
            check(f.read() == "closed", "the exit script ran")
        check(not os.path.exists(folder), "the book folder is gone after " + how)

    def close(self, timeout=DEFAULT_TIMEOUT):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        return self.process.returncode


MENU_ITEM_ROLES = (pyatspi.ROLE_MENU_ITEM, pyatspi.ROLE_CHECK_MENU_ITEM,
                   pyatspi.ROLE_RADIO_MENU_ITEM, pyatspi.ROLE_MENU)


def is_menu_item(acc):
    return acc.getRole() in MENU_ITEM_ROLES


def states(acc):
    return acc.getState()


def has_state(acc, state):
    return acc.getState().contains(state)


def find_all(root, role=None, roles=None, name=None, showing=None, predicate=None, depth=60):
    """Every accessible under `root` (root included) that matches, in tree order."""
    found = []
    wanted = set(roles or ()) | ({role} if role is not None else set())

    def visit(acc, level):
        if acc is None:
            return
        try:
            ok = True
            if wanted and acc.getRole() not in wanted:
                ok = False
            if ok and name is not None and acc.name != name:
                ok = False
            if ok and showing is not None and has_state(acc, pyatspi.STATE_SHOWING) != showing:
                ok = False
            if ok and predicate is not None and not predicate(acc):
                ok = False
            if ok:
                found.append(acc)
            if level < depth:
                for i in range(acc.childCount):
                    visit(acc.getChildAtIndex(i), level + 1)
        except Exception:
            return

    visit(root, 0)
    return found


def find(root, **kwargs):
    matches = find_all(root, **kwargs)
    return matches[0] if matches else None


def do_action(acc, *names):
    """Runs the first of the accessible's actions whose name is in `names` (default: the
    first action)."""
    action = acc.queryAction()
    for i in range(action.nActions):
        if not names or action.getName(i) in names:
            action.doAction(i)
            return
    raise TestFailure("%r has none of the actions %r" % (acc.name, names))


def click(acc):
    do_action(acc, "click", "activate", "press")


def text_of(acc):
    try:
        text = acc.queryText()
        return text.getText(0, text.characterCount)
    except NotImplementedError:
        return ""


def set_entry_text(acc, value):
    acc.queryEditableText().setTextContents(value)


def page_text(document):
    """All text of the page's accessible tree, in order."""
    parts = []
    for acc in find_all(document):
        try:
            parts.append(text_of(acc))
        except Exception:
            pass
    return "\n".join(parts)


def press_key(keysym_name):
    """Types one key (an X keysym name such as "Escape") as the user would."""
    import gi
    gi.require_version("Gdk", "3.0")
    from gi.repository import Gdk
    code = Gdk.keyval_from_name(keysym_name)
    pyatspi.Registry.generateKeyboardEvent(code, None, pyatspi.KEY_SYM)


def keycode(keysym_name):
    """The X key code that types the keysym named `keysym_name` ("t", "Left")."""
    import gi
    gi.require_version("Gdk", "3.0")
    from gi.repository import Gdk
    ok, keys = Gdk.Keymap.get_for_display(Gdk.Display.get_default()).get_entries_for_keyval(
        Gdk.keyval_from_name(keysym_name))
    return keys[0].keycode


def with_key_held(keysym_name, action):
    """Runs `action` while the key `keysym_name` (a modifier such as "Control_L") is down."""
    code = keycode(keysym_name)
    pyatspi.Registry.generateKeyboardEvent(code, None, pyatspi.KEY_PRESS)
    try:
        action()
    finally:
        pyatspi.Registry.generateKeyboardEvent(code, None, pyatspi.KEY_RELEASE)


def press_combination(modifier, keysym_name):
    """Types `keysym_name` while `modifier` is held, as Ctrl+T is typed."""
    with_key_held(modifier, lambda: pyatspi.Registry.generateKeyboardEvent(
        keycode(keysym_name), None, pyatspi.KEY_PRESSRELEASE))


def user_click(acc, button=1):
    """A real pointer click in the middle of `acc`."""
    box = wait_for(lambda: (lambda b: b if b.width > 0 and b.height > 0 else None)(
        acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)), "the place of " + repr(acc.name))
    x, y = box.x + box.width // 2, box.y + box.height // 2
    mouse(x, y, "abs")
    mouse(x, y, "b%dc" % button)


def x_button_click(x, y, button):
    """A click of pointer button `button` at screen point x, y straight through the X
    server's test extension, for the buttons the accessibility bus cannot press (the
    mouse's back and forward buttons 8 and 9)."""
    import ctypes
    x11 = ctypes.CDLL("libX11.so.6")
    xtst = ctypes.CDLL("libXtst.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                          ctypes.c_int, ctypes.c_ulong]
    xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                          ctypes.c_ulong]
    display = x11.XOpenDisplay(None)
    check(display, "no X display for the pointer")
    try:
        xtst.XTestFakeMotionEvent(display, -1, int(x), int(y), 0)
        xtst.XTestFakeButtonEvent(display, button, 1, 0)
        xtst.XTestFakeButtonEvent(display, button, 0, 0)
    finally:
        x11.XCloseDisplay(display)  # flushes the events


def mouse(x, y, event):
    """A pointer event at screen point x, y: "b3c" right click, "b1c" left click."""
    pyatspi.Registry.generateMouseEvent(int(x), int(y), event)


class Scratch:
    """A scratch folder for one test, removed afterwards."""

    def __enter__(self):
        self.path = tempfile.mkdtemp(prefix="quire-gui-")
        return self.path

    def __exit__(self, *exc):
        shutil.rmtree(self.path, ignore_errors=True)
        return False


def run(test):
    """Runs `test()` and turns a failure into exit code 1 with a message."""
    try:
        test()
    except TestFailure as failure:
        print("FAILED: %s" % failure, file=sys.stderr)
        sys.exit(1)
    print("passed")
