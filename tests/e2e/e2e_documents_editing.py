#!/usr/bin/python3
"""End-to-end tests of documents and editing: the real program in a private X session, driven
through its menus, dialogs and keyboard shortcuts like a user would.

Usage: e2e_documents_editing.py PROGRAM TEST      (TEST is one of the names in TESTS, or "all"; --list lists them)
Exit code 0 passed, 1 failed, 77 skipped (a tool is missing).
"""

import datetime
import json
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import AFTER_CLEAN_RUN, TestFailure, check, run_tests, normalize_lines, walk, wait_for  # noqa: E402
from e2e_tests import close_and_wait  # noqa: E402

NEW_TITLE = "^Новый документ - Jotbook$"
OPEN_TITLE = "^Открытие документа$"
SAVE_TITLE = "^Сохранение документа$"
FIND_TITLE = "^Поиск текста$"
REPLACE_TITLE = "^Замена текста$"
GOTO_TITLE = "^Переход$"
END_OF_DOCUMENT = "Поиск по документу завершен.\n\nПродолжить?"
BAD_NUMBER = "Неверное значение!\n\nПроверьте правильность ввода."
SETTINGS_CHANGED = "Настройки программы были изменены.\n\nСохранить эти изменения?"


# ---- helpers --------------------------------------------------------------------------------------

def wait_active(session, app, name_regex, timeout=8.0):
    """Waits for a window of the app with this title and until it has the keyboard focus."""
    window = app.wait_window(name_regex, timeout)
    wait_for(f"window /{name_regex}/ to become active",
             lambda: session.active_window() == window, timeout=5)
    return window


def wait_keyboard_back(session, app, window, title, what):
    """After a message box: the dialog is active again and Qt has put the keyboard into its text box."""
    wait_for(f"the {what} to get the focus back", lambda: session.active_window() == window, timeout=5)

    def box_focused():
        tree = session.a11y_tree(app.pid)
        dialogs = [w for w in (tree or {}).get("children", []) if w["name"] == title]
        return any(n["role"] == "text" and n.get("focused") for d in dialogs for n in walk(d))
    wait_for(f"the text box of the {what} to have the keyboard", box_focused, timeout=5, interval=0.1)


def wait_gone(app, name_regex, timeout=5.0):
    wait_for(f"window /{name_regex}/ to close", lambda: not app.windows(name_regex), timeout)


def start_editor(session):
    profile = session.fresh_profile(AFTER_CLEAN_RUN)
    app = session.start(profile)
    window = wait_active(session, app, NEW_TITLE, timeout=15)
    return profile, app, window


def editor_text(session, app):
    """The text of the main window's text box as accessibility reports it (lines joined by LF), or None."""
    tree = session.a11y_tree(app.pid)
    if not tree:
        return None
    for node in walk(tree):
        if node["role"] == "frame" and node["name"].endswith(" - Jotbook"):
            texts = [n["text"] for n in walk(node) if n["role"] == "text" and "text" in n]
            return normalize_lines(texts[0]) if len(texts) == 1 else None
    return None


def expect_editor_text(session, app, expected, what, timeout=5.0):
    last = [None]

    def probe():
        last[0] = editor_text(session, app)
        return last[0] == expected
    try:
        wait_for(what, probe, timeout, interval=0.2)
    except TestFailure:
        raise TestFailure(f"{what}: the text box holds {last[0]!r}, expected {expected!r}")


def close_to_question(session, app, window, expected):
    """Closes a changed document's window and waits for the change question; an Alt+F4 that a busy
    window manager drops is pressed again."""
    for attempt in range(3):
        session.activate(window)
        session.key("alt+F4")
        try:
            return expect_message(session, app, expected, timeout=4.0)
        except TestFailure:
            if attempt == 2 or app.windows("^Jotbook$"):
                raise


def expect_message(session, app, expected, timeout=8.0):
    box, text = session.wait_message(app)
    check(text == expected, f"message box says {text!r}, expected {expected!r}")
    wait_for("the message box to become active", lambda: session.active_window() == box, timeout=5)
    return box


def clipboard(session):
    result = subprocess.run(["xclip", "-o", "-selection", "clipboard"], env=session.env,
                            capture_output=True, timeout=5)
    return result.stdout if result.returncode == 0 else None


def choose_file(session, app, title, path):
    """Types a full path into the name box of Qt's file dialog and confirms it."""
    dialog = wait_active(session, app, title)
    session.key("ctrl+a")            # the save dialog proposes a name: replace it
    session.type(path)
    session.key("Return")
    wait_gone(app, title)
    return dialog


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def expect_file(path, expected, what):
    check(os.path.exists(path), f"{what}: {path} was not written")
    actual = read_bytes(path)
    if actual != expected:
        at = next((i for i, (a, b) in enumerate(zip(actual, expected)) if a != b), min(len(actual), len(expected)))
        raise TestFailure(f"{what}: {path} holds {len(actual)} bytes, expected {len(expected)}; first difference "
                          f"at byte {at}: {actual[at:at + 12]!r} instead of {expected[at:at + 12]!r}")


# ---- tests ----------------------------------------------------------------------------------------

def test_open_koi_save_windows(session):
    """A KOI8-R file opened with the KOI coding is shown as Russian text and saved in Windows-1251."""
    text = "Привет, мир! Ёлка ёжик\r\nВторая строка\r\n"
    folder = os.path.join(session.root, "docs")
    os.makedirs(folder)
    path = os.path.join(folder, "письмо.txt")
    with open(path, "wb") as f:
        f.write(text.encode("koi8_r"))

    profile, app, window = start_editor(session)

    # File > "О&ткрывать в кодировке" > "Текст (K&OI)", by the access keys.
    session.key("alt+Cyrillic_ef")
    session.key("Cyrillic_te")
    session.key("o")
    wait_for("the menu to close", lambda: session.active_window() == window, timeout=3)

    session.key("ctrl+o")
    choose_file(session, app, OPEN_TITLE, path)
    app.wait_window("^письмо - Jotbook$")
    expect_editor_text(session, app, normalize_lines(text), "the KOI text converted on opening")

    session.activate(window)
    session.key("ctrl+s")
    app.no_window_for("^Jotbook$|" + SAVE_TITLE, 0.5)   # a named document is saved without asking
    wait_for("the file to be rewritten", lambda: read_bytes(path) != text.encode("koi8_r"), timeout=5)
    close_to_question(session, app, window, SETTINGS_CHANGED)
    session.key("Cyrillic_de")       # Yes: keep the coding chosen
    check(app.wait_exit() == 0, "the program did not end cleanly")

    expect_file(path, text.encode("cp1251"), "the document saved after opening it as KOI")
    settings = profile.read_settings().get("General", {})
    coding = {key: settings.get(key) for key in ("CodingWin", "CodingDos", "CodingKoi")}
    check(coding == {"CodingWin": "False", "CodingDos": "False", "CodingKoi": "True"},
          f"the coding choice was stored as {coding!r}")


def test_find_replace_goto(session):
    """Typing, Find (with the end-of-document question), Replace one hit per press, Go to, Save As."""
    line1 = "Привет, мир! Привет, друг!"
    line2 = "Мир велик, мир прекрасен. Ёж"
    profile, app, window = start_editor(session)

    session.type(line1)
    session.key("Return")
    session.type(line2)
    expect_editor_text(session, app, line1 + "\n" + line2, "the typed text")

    # Find from the caret at the end: nothing more, so the question; Yes starts again from the top.
    session.key("ctrl+f")
    find = wait_active(session, app, FIND_TITLE)
    session.type("Привет")          # replaces the selected placeholder
    session.key("Return")
    expect_message(session, app, END_OF_DOCUMENT)
    session.key("Cyrillic_de")
    wait_gone(app, "^Jotbook$")
    wait_keyboard_back(session, app, find, "Поиск текста", "Find dialog")
    session.key("Return", "Return")  # the first hit, then the second
    session.key("Escape")
    wait_gone(app, FIND_TITLE)
    wait_for("the main window to become active", lambda: session.active_window() == window, timeout=5)

    session.key("ctrl+c")
    wait_for("the found word on the clipboard", lambda: clipboard(session) == "Привет".encode(), timeout=3)
    session.type("Пока")             # replaces the selection: the second "Привет"
    line1 = "Привет, мир! Пока, друг!"
    expect_editor_text(session, app, line1 + "\n" + line2, "typing over the second hit of Find")

    # Replace "мир" (match case is on by default) by "свет", one hit per press.
    session.key("ctrl+Home", "ctrl+h")
    wait_active(session, app, REPLACE_TITLE)
    session.type("мир")              # the proposed pattern is selected
    session.key("Tab")
    session.type("свет")
    session.key("Return")
    line1 = "Привет, свет! Пока, друг!"
    expect_editor_text(session, app, line1 + "\n" + line2, "the first press of Replace")
    session.key("Return")
    line2 = "Мир велик, свет прекрасен. Ёж"
    expect_editor_text(session, app, line1 + "\n" + line2, "the second press of Replace")
    session.key("Return")
    expect_message(session, app, END_OF_DOCUMENT)
    session.key("Cyrillic_en")       # No closes the dialog
    wait_gone(app, "^Jotbook$")
    wait_gone(app, REPLACE_TITLE)

    # Go to the first character of the second line: a line break counts as two characters. A number
    # past the end is refused first, and the box is ready for the next try.
    number = len(line1) + 2 + 1
    session.activate(window)
    session.key("ctrl+g")
    goto = wait_active(session, app, GOTO_TITLE)
    session.type(str(len(line1) + 2 + len(line2) + 1))
    session.key("Return")
    expect_message(session, app, BAD_NUMBER)
    session.key("Return")
    wait_gone(app, "^Jotbook$")
    wait_keyboard_back(session, app, goto, "Переход", "Go to dialog")
    session.type(str(number))
    session.key("Return")
    app.no_window_for("^Jotbook$", 0.3)   # no warning: the number is accepted
    check(app.windows(GOTO_TITLE), "the Go to dialog closed after a jump")
    session.key("Escape")
    wait_gone(app, GOTO_TITLE)
    wait_for("the main window to become active", lambda: session.active_window() == window, timeout=5)
    session.type("Ж")                # replaces the selected character
    line2 = "Жир велик, свет прекрасен. Ёж"
    expect_editor_text(session, app, line1 + "\n" + line2, "typing after Go to")

    # Save of a new document asks for a name.
    target = os.path.join(session.root, "saved", "итог.txt")
    os.makedirs(os.path.dirname(target))
    session.key("ctrl+s")
    choose_file(session, app, SAVE_TITLE, target)
    app.wait_window("^итог - Jotbook$")
    close_and_wait(session, app, window)

    expect_file(target, (line1 + "\r\n" + line2).encode("cp1251"), "the edited document")


def test_qt_options_are_file_names(session):
    """Arguments that Qt would take as its own options belong to the program: a file named -reverse opens."""
    profile = session.fresh_profile(AFTER_CLEAN_RUN)
    folder = os.path.join(session.root, "options")
    os.makedirs(folder)
    with open(os.path.join(folder, "-reverse"), "wb") as f:
        f.write("Файл с именем -reverse".encode("cp1251"))
    app = session.start(profile, ["-c", 'cd "$1" && exec "$2" -reverse', "sh", folder, session.binary],
                        program="/bin/sh")
    wait_active(session, app, "^-reverse - Jotbook$", timeout=15)
    expect_editor_text(session, app, "Файл с именем -reverse", "the file -reverse")
    app.kill()   # how the program ends is tested elsewhere


def test_log_key_on_log_file(session):
    """A ".LOG" file and the key "/l" on an unquoted command line whose path the shell split at its
    blanks: the file opens and gets two stamps, the marker's and the key's, each after an empty line."""
    profile = session.fresh_profile(AFTER_CLEAN_RUN)
    path = os.path.join(session.root, "мои записи", "журнал дня.log")
    os.makedirs(os.path.dirname(path))
    original = ".Log\r\nПервая запись".encode("cp1251")
    with open(path, "wb") as f:
        f.write(original)
    minutes = {datetime.datetime.now().strftime("%H:%M %d.%m.%Y")}
    app = session.start(profile, args=[*path.split(" "), "/l"])
    window = wait_active(session, app, "^журнал дня - Jotbook$", timeout=15)
    text = wait_for("the text box's text", lambda: editor_text(session, app), timeout=5, interval=0.2)
    minutes.add(datetime.datetime.now().strftime("%H:%M %d.%m.%Y"))
    stamps = re.fullmatch(r"\.Log\nПервая запись\n\n(.*)\n\n(.*)", text)
    check(stamps and set(stamps.groups()) <= minutes, f"the text box holds {text!r}")

    # The stamps changed the document: Yes saves them.
    close_to_question(session, app, window, "Документ \"журнал дня\" был изменён.\n\nСохранить эти изменения?")
    session.key("Cyrillic_de")
    check(app.wait_exit() == 0, "the program did not end cleanly")
    first, second = (stamp.encode("cp1251") for stamp in stamps.groups())
    expect_file(path, original + b"\r\n\r\n" + first + b"\r\n\r\n" + second, "the stamped log")


def test_utf8_from_command_line(session):
    """A UTF-8 note named on the command line opens as Russian text and is saved as UTF-8 again."""
    text = "Привет, мир!\nЁлка «ёжик» — №5\n"
    path = os.path.join(session.root, "заметка.txt")
    with open(path, "wb") as f:
        f.write(text.encode("utf-8"))
    profile = session.fresh_profile(AFTER_CLEAN_RUN)
    app = session.start(profile, args=[path])
    window = wait_active(session, app, "^заметка - Jotbook$", timeout=15)
    expect_editor_text(session, app, normalize_lines(text), "the UTF-8 note on opening")
    session.type("Ещё. ")
    session.key("ctrl+s")
    wait_for("the file to be rewritten", lambda: read_bytes(path) != text.encode("utf-8"), timeout=5)
    close_and_wait(session, app, window)
    expect_file(path, ("Ещё. " + text).encode("utf-8"), "the UTF-8 note saved after typing")


def text_events(session, app, keys):
    """What the text box tells AT-SPI listeners while the keys are pressed: ("caret", offset),
    ("insert"/"delete", offset, length, text) and ("value",) events, in order. Qt may learn of a new
    listener only when a later one registers: the keys, which must leave the text as it was, are
    pressed again with a new listener while none is told anything."""
    for _ in range(3):
        listener = subprocess.Popen(["/usr/bin/python3", __file__, "--text-events", str(app.pid)], env=session.env,
                                    stdout=subprocess.PIPE, text=True)
        check(listener.stdout.readline() == "ready\n", "the accessibility listener did not start")
        session.key(*keys)
        events = [tuple(event) for event in json.loads(listener.communicate(timeout=20)[0])]
        if events:
            return events
    raise TestFailure("no text event reached an accessibility listener")


def test_accessible_text_as_shown(session):
    """Screen readers get the text as shown: a line break is one "\n", the caret steps over it by one,
    deleted text is told, caret moves are no value changes, and the box bears the document's name.
    The clipboard and the X primary selection get "\n" too."""
    profile, app, window = start_editor(session)
    session.type("ab")
    session.key("Return")
    session.type("cd")
    expect_editor_text(session, app, "ab\ncd", "the typed text")
    events = text_events(session, app, ("ctrl+End", "Left", "Left", "Left", "Right", "BackSpace", "Return"))
    expected = [("caret", 4), ("caret", 3), ("caret", 2), ("caret", 3), ("delete", 2, 1, "\n"), ("caret", 2),
                ("insert", 2, 1, "\n"), ("caret", 3)]
    check(events in (expected, [("caret", 5)] + expected), f"the keys told {events!r}, expected {expected!r}")
    box = [n for n in walk(session.a11y_tree(app.pid)) if n["role"] == "text"]
    shown = [(n["name"], n["text"], n["caret"], n["first line"]) for n in box]
    check(shown == [("Новый документ", "ab\ncd", 3, "ab\n")], f"the text box reads {shown!r}")

    session.key("ctrl+a", "ctrl+c")
    wait_for("the text on the clipboard", lambda: clipboard(session) == b"ab\ncd", timeout=3)
    primary = subprocess.run(["xclip", "-o", "-selection", "primary"], env=session.env, capture_output=True, timeout=5)
    check(primary.stdout == b"ab\ncd", f"the primary selection holds {primary.stdout!r}")
    app.kill()


def test_refused_drop_keeps_source_text(session):
    """Text dragged from another program is refused with the message, and the other program is
    told that nothing was moved, so it keeps its text."""
    source_program = os.environ.get("JOTBOOK_E2E_DRAG_SOURCE")
    check(source_program and os.path.exists(source_program), "JOTBOOK_E2E_DRAG_SOURCE names no program")
    _, app, window = start_editor(session)
    result = os.path.join(session.root, "drag-result")
    source = session.start_tool([source_program, result])
    source_window = wait_for("the drag source's window", lambda: session.find_windows("^Drag source$", pid=source.pid))[0]
    sx, sy, sw, sh = session.window_geometry(source_window)
    tx, ty, tw, th = session.window_geometry(window)
    session.xdotool("mousemove", str(sx + sw // 2), str(sy + sh // 2), "mousedown", "1")
    for step in range(1, 11):   # the drag crosses the screen in steps, as a hand does
        x = sx + sw // 2 + (tx + tw // 2 - sx - sw // 2) * step // 10
        y = sy + sh // 2 + (ty + th // 2 - sy - sh // 2) * step // 10
        session.xdotool("mousemove", str(x), str(y), "sleep", "0.05")
    session.xdotool("mouseup", "1")
    expect_message(session, app, "Данные или объекты такого типа не могут быть загружены!")
    session.key("Return")
    wait_gone(app, "^Jotbook$")
    ended = wait_for("the drag source's result", lambda: os.path.exists(result) and read_bytes(result).strip())
    check(ended in (b"IgnoreAction", b"CopyAction"), f"the drag ended for its source as {ended.decode()}")
    expect_editor_text(session, app, "", "the text box after the refused drop")


TESTS = {
    "accessible_text_as_shown": test_accessible_text_as_shown,
    "refused_drop_keeps_source_text": test_refused_drop_keeps_source_text,
    "open_koi_save_windows": test_open_koi_save_windows,
    "utf8_from_command_line": test_utf8_from_command_line,
    "find_replace_goto": test_find_replace_goto,
    "log_key_on_log_file": test_log_key_on_log_file,
    "qt_options_are_file_names": test_qt_options_are_file_names,
}


# ---- runs in a separate /usr/bin/python3 process ------------------------------------------------

def _text_events(pid):
    """Prints "ready", then the text events of the process as one JSON list once 1.5 s pass without one."""
    import pyatspi
    from gi.repository import GLib
    kinds = {"object:text-caret-moved": "caret", "object:text-changed:insert": "insert",
             "object:text-changed:delete": "delete", "object:property-change:accessible-value": "value"}
    events, quiet = [], [GLib.timeout_add(5000, pyatspi.Registry.stop)]

    def on_event(event):
        try:
            if event.source.get_process_id() != pid or event.source.getRoleName() != "text":
                return
        except Exception:  # gone while we looked
            return
        kind = kinds.get(str(event.type), str(event.type))
        events.append([kind] + ([event.detail1] if kind == "caret" else
                                [event.detail1, event.detail2, event.any_data] if kind != "value" else []))
        GLib.source_remove(quiet[0])
        quiet[0] = GLib.timeout_add(1500, pyatspi.Registry.stop)

    pyatspi.Registry.registerEventListener(on_event, *kinds)
    GLib.idle_add(lambda: print("ready", flush=True))
    pyatspi.Registry.start()
    print(json.dumps(events))
    return 0


if __name__ == "__main__":
    if sys.argv[1:2] == ["--text-events"]:
        sys.exit(_text_events(int(sys.argv[2])))
    sys.exit(run_tests(TESTS, sys.argv, ("xclip",)))
