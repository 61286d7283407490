"""The shortcut offer comes alone: the start-up message and start-up script wait until
it is answered, and the question stands centred on the screen. Yes without a desktop
folder makes the folder and puts the launcher there; where the desktop folder cannot be
made the launcher goes into the applications menu and the reader says where."""

import configparser
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pyatspi  # noqa: E402
from reader_driver import (Book, Reader, Scratch, check, click, find, find_all,  # noqa: E402
                           run, text_of, wait_for)

QUESTION = "Would you like to add a Shortcut to 'Desk Book' to your Desktop?"
WELCOME = "Welcome after the question"
SCREEN = (1280, 1024)  # run_gui_test.sh's Xvfb screen


def manifest(out):
    return ("[book]\nesbn = DESK-1\ntitle = Desk Book\nshortcut-offer = desktop\n"
            "startup-message = %s\nstartup-script = ##FILEWRITE('ok','%s/started.txt','yes')\n"
            % (WELCOME, out))


def icon_setup(home):
    path = os.path.join(home, ".config", "quire", "KELVRA.INI")
    if not os.path.exists(path):
        return None
    parser = configparser.ConfigParser()
    parser.optionxform = str
    parser.read(path)
    return parser.get("DESK-1", "IconSetup", fallback=None)


def showing_boxes(reader):
    return find_all(reader.app, roles=(pyatspi.ROLE_DIALOG, pyatspi.ROLE_ALERT), showing=True)


def says(box, text):
    return find(box, predicate=lambda a: text in (a.name or "") or text in text_of(a))


def answer_question_alone(reader, out):
    """Waits for the question, checks that nothing else is asked meanwhile, answers Yes."""
    box = wait_for(lambda: next((b for b in showing_boxes(reader) if says(b, QUESTION)), None),
                   "the question")
    # The first page loads behind the question (and says so through a command of its
    # own); its arrival must not bring the start-up message on top of the question.
    wait_for(lambda: os.path.exists(os.path.join(out, "loaded.txt")), "the first page loaded")
    check(len(showing_boxes(reader)) == 1, "another box stands beside the question")
    check(not os.path.exists(os.path.join(out, "started.txt")),
          "the start-up script ran before the answer")
    place = box.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    centre = (place.x + place.width // 2, place.y + place.height // 2)
    check(abs(centre[0] - SCREEN[0] // 2) <= 2 and abs(centre[1] - SCREEN[1] // 2) <= 2,
          "the question is not centred on the screen: %r" % (centre,))
    click(wait_for(lambda: find(box, role=pyatspi.ROLE_PUSH_BUTTON, name="Yes"), "Yes"))


def welcome_then_script(reader, out):
    box = wait_for(lambda: next((b for b in showing_boxes(reader) if says(b, WELCOME)), None),
                   "the start-up message after the answer")
    click(wait_for(lambda: find(box, role=pyatspi.ROLE_PUSH_BUTTON, name="OK"), "OK"))
    started = os.path.join(out, "started.txt")
    wait_for(lambda: os.path.exists(started), "the start-up script after the message")


def test():
    with Scratch() as work:
        out = os.path.join(work, "out")
        os.makedirs(out)
        page = ("<html><head><meta http-equiv=refresh content=\"0;url=##FILEWRITE('ok',"
                "'%s/loaded.txt','yes')\"></head><body><h1>Desk page</h1></body></html>" % out)
        book = Book(work, {"index.html": page}, manifest(out))

        # No desktop folder yet: Yes makes it, as a file manager would.
        home = os.path.join(work, "home")
        reader = Reader(book, home)
        try:
            answer_question_alone(reader, out)
            welcome_then_script(reader, out)
            launcher = os.path.join(home, "Desktop", "Desk Book.desktop")
            check(os.path.isfile(launcher), "no launcher in the new desktop folder")
            check(icon_setup(home) == "1", "the answer was not remembered")
        finally:
            reader.close()

        # The user's desktop folder lies where no folder can be made: the launcher goes
        # into the applications menu, and the reader says so before the start-up message.
        os.remove(os.path.join(out, "started.txt"))
        os.remove(os.path.join(out, "loaded.txt"))
        other = os.path.join(work, "other")
        os.makedirs(os.path.join(other, ".config"))
        with open(os.path.join(other, "blocked"), "w") as f:
            f.write("a file, not a folder")
        desktop = os.path.join(other, "blocked", "Desktop")
        with open(os.path.join(other, ".config", "user-dirs.dirs"), "w") as f:
            f.write('XDG_DESKTOP_DIR="$HOME/blocked/Desktop"\n')
        reader = Reader(book, other)
        try:
            answer_question_alone(reader, out)
            menu = os.path.join(other, ".local", "share", "applications", "Desk Book.desktop")
            moved = ("The shortcut to 'Desk Book' could not be saved in %s, so it was added to "
                     "your applications menu instead:\n%s" % (desktop, menu))
            box = wait_for(lambda: next((b for b in showing_boxes(reader)
                                         if says(b, moved)), None), "where the launcher went")
            check(not os.path.exists(os.path.join(out, "started.txt")),
                  "the start-up script ran before the offer was settled")
            click(wait_for(lambda: find(box, role=pyatspi.ROLE_PUSH_BUTTON, name="OK"), "OK"))
            welcome_then_script(reader, out)
            check(os.path.isfile(menu), "no launcher in the applications menu")
            check(icon_setup(other) == "1", "the answer was not remembered")
        finally:
            reader.close()


if __name__ == "__main__":
    run(test)
