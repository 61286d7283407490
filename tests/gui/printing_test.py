"""Printing: File > Print Setup chooses paper, orientation and margins for the next prints,
and File > Print prints the page with them. In landscape, chosen in Print Setup or in the
print dialog's own page setup, every page of the PDF that "Print to File" writes carries
the page's text (WebKit's own dialog printed blank pages there), and the margins of Print
Setup move the text.

Needs pdftotext and pdfinfo (poppler-utils); without them the test is skipped."""

import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pyatspi  # noqa: E402
from reader_driver import (Book, Reader, Scratch, check, click, find, page_text,  # noqa: E402
                           run, set_entry_text, user_click, wait_for)

SKIP = 77
PAGE = ("<html><body style='margin:0'><h1>Printed heading</h1>%s</body></html>"
        % "".join("<p>Paragraph number %d of the long printed page.</p>" % i for i in range(90)))
MM = 72 / 25.4  # points per millimetre


def pdf_pages(path):
    """Each page's size and text, once the whole file can be read; None before."""
    info = subprocess.run(["pdfinfo", path], capture_output=True, text=True)
    if info.returncode != 0:
        return None
    fields = dict(line.split(":", 1) for line in info.stdout.splitlines() if ":" in line)
    count = int(fields["Pages"])
    width, _, height = fields["Page size"].split()[:3]
    texts = []
    for number in range(1, count + 1):
        text = subprocess.run(["pdftotext", "-f", str(number), "-l", str(number), path, "-"],
                              capture_output=True, text=True)
        if text.returncode != 0:
            return None
        texts.append(text.stdout.strip())
    return float(width), float(height), texts


def first_word_left(path):
    """Where the first word of the first page begins, in points from the left edge."""
    box = subprocess.run(["pdftotext", "-bbox", "-f", "1", "-l", "1", path, "-"],
                         capture_output=True, text=True).stdout
    word = box[box.index("<word "):]
    return float(word[word.index('xMin="') + 6:].split('"')[0])


def dialog(reader, name):
    return reader.dialog(name)


def page_setup(reader, orientation, left_margin):
    reader.choose_menu("File", "Print Setup...")
    box = dialog(reader, "Page Setup")
    click(wait_for(lambda: find(box, role=pyatspi.ROLE_RADIO_BUTTON, name=orientation),
                   orientation))
    spin = wait_for(lambda: find(box, role=pyatspi.ROLE_SPIN_BUTTON, name="Left:"),
                    "the left margin")
    spin.queryValue().currentValue = left_margin
    click(find(box, role=pyatspi.ROLE_PUSH_BUTTON, name="Apply"))
    wait_for(lambda: find(reader.app, role=pyatspi.ROLE_DIALOG, name="Page Setup",
                          showing=True) is None, "Page Setup to close")


def print_to_file(reader, output, orientation=None):
    reader.choose_menu("File", "Print...")
    box = dialog(reader, "Print")
    user_click(wait_for(lambda: find(box, role=pyatspi.ROLE_TABLE_CELL, name="Print to File",
                                     showing=True), "Print to File"))
    # The file it names is the working folder's output.pdf (its name shortened to fit).
    wait_for(lambda: find(box, role=pyatspi.ROLE_PUSH_BUTTON, showing=True,
                          predicate=lambda b: b.name.endswith(os.sep + "output.pdf")),
             "the file output.pdf")
    if orientation is not None:
        user_click(find(box, role=pyatspi.ROLE_PAGE_TAB, name="Page Setup"))
        combo = wait_for(lambda: find(box, role=pyatspi.ROLE_COMBO_BOX, showing=True,
                                      predicate=lambda c: c.name in (
                                          "Portrait", "Landscape", "Reverse portrait",
                                          "Reverse landscape")), "the orientation")
        if combo.name != orientation:
            user_click(combo)
            user_click(wait_for(lambda: find(combo, role=pyatspi.ROLE_MENU_ITEM, name=orientation,
                                             showing=True), orientation))
            wait_for(lambda: combo.name == orientation, "the orientation chosen")
    click(find(box, role=pyatspi.ROLE_PUSH_BUTTON, name="Print"))
    return wait_for(lambda: pdf_pages(output), "the printed file", timeout=90)


def check_printed(printed, landscape, what):
    width, height, texts = printed
    check((width > height) == landscape, "%s: pages of %gx%g points" % (what, width, height))
    check(len(texts) > 1, "%s: more than one page: %d" % (what, len(texts)))
    blank = [i + 1 for i, text in enumerate(texts) if "Paragraph number" not in text]
    check(not blank, "%s: pages %s of %d are blank" % (what, blank, len(texts)))


def test():
    if not shutil.which("pdftotext") or not shutil.which("pdfinfo"):
        print("SKIPPED: pdftotext and pdfinfo (poppler-utils) are not installed")
        sys.exit(SKIP)
    with Scratch() as work:
        book = Book(work, {"index.html": PAGE}, "[book]\nesbn = GUI-PRINT-1\ntitle = Book\n")
        # Print to File writes into the reader's working folder.
        os.chdir(work)
        output = os.path.join(work, "output.pdf")
        reader = Reader(book, os.path.join(work, "home"))
        try:
            reader.frame()
            wait_for(lambda: "Printed heading" in page_text(reader.document()), "the page")

            page_setup(reader, "Landscape", 60)
            printed = print_to_file(reader, output)
            check_printed(printed, True, "landscape from Print Setup")
            left = first_word_left(output)
            check(left >= 60 * MM - 1, "the text begins %.1f points from the edge, after the "
                  "60 mm margin" % left)

            os.remove(output)
            page_setup(reader, "Portrait", 10)
            printed = print_to_file(reader, output, orientation="Landscape")
            check_printed(printed, True, "landscape from the print dialog")
            left = first_word_left(output)
            check(10 * MM - 1 <= left < 60 * MM - 1,
                  "the text begins %.1f points from the edge, after the 10 mm margin" % left)

            os.remove(output)
            page_setup(reader, "Portrait", 10)
            printed = print_to_file(reader, output, orientation="Portrait")
            check_printed(printed, False, "portrait")
        finally:
            reader.close()


if __name__ == "__main__":
    run(test)
