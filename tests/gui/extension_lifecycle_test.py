"""A book that carries an extension library, run by the real reader: the library is
loaded before the window exists, sees the window in every later call, brackets the
start-up and exit scripts, gets PGX_Exit before it is unloaded, and its file and the book
folder are gone when the reader has ended.

The library is the logging test library of tests/ext: it appends one line per call to
the file named by QUIRE_EXT_TEST_LOG."""

import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from reader_driver import Book, Scratch, check, reader_environment, run  # noqa: E402

ESBN = "GUI-EXT-LIFECYCLE-1"


def read_library(path):
    with open(path, "rb") as f:
        return f.read()


def parse(line):
    """'full Init zero=0 host=1 window=2 a=b' -> ('Init', {'zero': '0', ...}, 'a=b')."""
    words = line.split(" ")
    fields = {}
    for word in words[2:5]:
        key, _, value = word.partition("=")
        fields[key] = value
    return words[1], fields, " ".join(words[5:])


def test():
    library = os.environ.get("QUIRE_TEST_EXT_FULL")
    check(library and os.path.isfile(library), "the test library is built: %r" % library)
    with Scratch() as work:
        book = Book(work, {
            "index.html": "<html><body>extension book</body></html>",
            "__pxa__full.so": read_library(library),
        }, "[book]\nesbn = %s\ntitle = Extension Lifecycle\n"
           "startup-script = ##TOOLS.ECHO('start')##EXIT\n"
           "exit-script = ##TOOLS.ECHO('bye')\n" % ESBN)
        home = os.path.join(work, "home")
        log = os.path.join(work, "calls.log")
        env = reader_environment(home)
        env["QUIRE_EXT_TEST_LOG"] = log
        # The start-up script ends the run by itself.
        done = subprocess.run([book.path], env=env, timeout=90)
        check(done.returncode == 0, "the reader ended with %d" % done.returncode)

        check(os.path.exists(log), "the library logged its calls")
        with open(log) as f:
            calls = [parse(line) for line in f.read().splitlines()]
        entries = [entry for entry, _, _ in calls]
        script_run = ["IsInterface", "ScriptInit", "ScriptCommand", "IsInterface", "ScriptExit"]
        expected = ["Init", "ScriptGetKey"] + script_run + script_run + ["Exit", "Unloaded"]
        check(entries == expected, "calls in order: %r" % entries)

        # Before the window exists the handle is null; afterwards every call gets it.
        handles = [fields["window"] for entry, fields, _ in calls if entry != "Unloaded"]
        check(handles[0] == "0" and handles[1] == "0", "no window during loading: %r" % handles)
        check(all(h != "0" for h in handles[2:]) and len(set(handles[2:])) == 1,
              "one window in every later call: %r" % handles)

        # The host address handed over is the one the reader exports by name.
        init_details = calls[0][2]
        exported = init_details.rsplit("exported=", 1)[1]
        hosts = {fields["host"] for entry, fields, _ in calls if entry != "Unloaded"}
        check(exported != "0" and hosts == {exported},
              "host %r is the exported address %r" % (hosts, exported))
        check(all(fields["zero"] == "0" for entry, fields, _ in calls if entry != "Unloaded"),
              "the first argument is always 0")

        commands = [details for entry, _, details in calls if entry == "ScriptCommand"]
        check(commands[0].startswith("name=ECHO count=1 ") and "s'start'" in commands[0],
              "the start-up command: %r" % commands[0])
        check("s'bye'" in commands[1], "the exit script ran before the library exited: %r"
              % commands[1])

        folder = os.path.join(env["TMPDIR"], "quire-%d" % os.getuid(), ESBN + ".k9w")
        check(not os.path.exists(os.path.join(folder, "__pxa__full.so")),
              "the library file is deleted")
        check(not os.path.exists(folder), "the book folder is removed")


if __name__ == "__main__":
    run(test)
