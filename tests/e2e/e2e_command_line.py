#!/usr/bin/python3
"""End-to-end tests of the command line: the real program started with a file and a key.

Usage: e2e_command_line.py PROGRAM TEST      (TEST is one of the names in TESTS, or "all"; --list lists them)
Exit code 0 passed, 1 failed, 77 skipped (a tool is missing).
"""

import datetime
import os
import re
import subprocess
import sys

sys.dont_write_bytecode = True   # keep the source tree clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import TestFailure, check, normalize_lines, run_tests, walk, wait_for  # noqa: E402

# Settings of a program that has completed a run before, so no first-run greeting.
AFTER_CLEAN_RUN = {"EndState": "True", "NewSettings": "False"}
STAMP = r"(\d\d:\d\d \d\d\.\d\d\.\d{4})"


def editor_text(session, app):
    """The main window's text as accessibility reports it (lines joined by LF), or None."""
    tree = session.a11y_tree(app.pid)
    for node in walk(tree or {}):
        if node.get("role") == "frame" and node["name"].endswith(" - Jotbook"):
            texts = [n["text"] for n in walk(node) if n["role"] == "text" and "text" in n]
            return normalize_lines(texts[0]) if len(texts) == 1 else None
    return None


def stamps_between(start, end):
    """Every "hh:mm dd.mm.yyyy" the clock can have shown from start to end."""
    minute = start.replace(second=0, microsecond=0)
    shown = set()
    while minute <= end:
        shown.add(minute.strftime("%H:%M %d.%m.%Y"))
        minute += datetime.timedelta(minutes=1)
    return shown


# ---- tests ----------------------------------------------------------------------------------------

def test_log_key_on_log_file(session):
    """A ".LOG" file named with "/l" (either case) on an unquoted command line: the shell splits its
    path at the blanks, the program joins the words again, opens the file and stamps it twice, once
    for the marker and once for the key, each after an empty line; saving writes both stamps."""
    profile = session.fresh_profile()
    profile.write_settings(AFTER_CLEAN_RUN)
    folder = os.path.join(session.root, "мои записи")
    os.makedirs(folder)
    path = os.path.join(folder, "журнал дня.log")
    original = ".Log\r\nПервая запись".encode("cp1251")
    with open(path, "wb") as f:
        f.write(original)

    before = datetime.datetime.now()
    app = session.start(profile, args=[*path.split(" "), "/l"])
    window = app.wait_window("^журнал дня - Jotbook$", timeout=15)
    expected = re.compile(r"\.Log\nПервая запись\n\n" + STAMP + r"\n\n" + STAMP)
    shown = [None]

    def stamped():
        shown[0] = editor_text(session, app)
        return shown[0] is not None and expected.fullmatch(shown[0])
    try:
        match = wait_for("the stamped text", stamped, timeout=8, interval=0.2)
    except TestFailure:
        raise TestFailure(f"the text box holds {shown[0]!r}")
    allowed = stamps_between(before, datetime.datetime.now())
    check(set(match.groups()) <= allowed, f"stamps {match.groups()} are not times of the run ({sorted(allowed)})")

    # The stamps changed the document: closing asks, and Yes writes them in Windows-1251.
    session.activate(window)
    session.key("alt+F4")
    box, text = session.wait_message(app)
    check(text == "Документ \"журнал дня\" был изменён.\n\nСохранить эти изменения?",
          f"closing asked {text!r}")
    wait_for("the question to become active", lambda: session.active_window() == box, timeout=5)
    session.key("Cyrillic_de")
    try:
        code = app.proc.wait(10)
    except subprocess.TimeoutExpired:
        raise TestFailure(f"the program did not end; open message boxes: {session.message_texts(app.pid)!r}")
    check(code == 0, f"the program ended with {code}")
    with open(path, "rb") as f:
        saved = f.read()
    first, second = (s.encode("cp1251") for s in match.groups())
    check(saved == original + b"\r\n\r\n" + first + b"\r\n\r\n" + second, f"the file holds {saved!r}")


TESTS = {
    "log_key_on_log_file": test_log_key_on_log_file,
}


if __name__ == "__main__":
    sys.exit(run_tests(TESTS, sys.argv))
