#!/usr/bin/python3
"""End-to-end tests of the window chrome: the text box's context menus of the real program, read
through accessibility.

Usage: e2e_chrome.py PROGRAM TEST      (TEST is one of the names in TESTS, or "all"; --list lists them)
Exit code 0 passed, 1 failed, 77 skipped (a tool is missing).
"""

import json
import os
import select
import subprocess
import sys

sys.dont_write_bytecode = True   # keep the source tree clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import TestFailure, check, run_tests, walk, wait_for  # noqa: E402

MAIN_TITLE = "^Новый документ - Jotbook$"
AFTER_CLEAN_RUN = {"EndState": "True", "NewSettings": "False"}
# The program's own menu, separators as "-", with the items a three-letter text enables.
OWN_MENU = [("Печать", None), ("-", None), ("Шрифт...", True), ("-", None), ("Отменить", True), ("-", None),
            ("Все прописные", False), ("Все строчные", False), ("-", None), ("Вырезать", False),
            ("Копировать", False), ("Вставить", False), ("Удалить", False), ("-", None), ("Найти...", True),
            ("Найти далее...", True), ("-", None), ("Выделить всё", True)]


def open_menu(session, app, window, button=None):
    """Clicks the text box with the button (None: presses the Menu key) and returns the popup menu it
    opens as [(name, enabled)]:
    Qt lists popups in no accessibility tree, so a listener reads the menu of the item that gets the
    keyboard focus."""
    listener = subprocess.Popen(["/usr/bin/python3", os.path.abspath(__file__), "--focused-menu", str(app.pid)],
                                env=session.env, stdout=subprocess.PIPE, text=True)
    try:
        check(listener.stdout.readline().strip() == "ready", "the accessibility listener did not start")
        session.activate(window)
        session._run(["xdotool", "mousemove", "--window", str(window), "400", "300"]
                     + (["click", str(button)] if button else ["key", "Menu"]))
        for _ in range(10):
            session.key("Down")
            if select.select([listener.stdout], [], [], 0.5)[0]:
                items = json.loads(listener.stdout.readline())
                session.key("Escape")
                return [(name or "-", enabled) for name, enabled in items]
        raise TestFailure(f"no menu item got the focus after {f'a click with button {button}' if button else 'Menu'}")
    finally:
        listener.kill()
        listener.wait()


def text_of(session, app):
    tree = session.a11y_tree(app.pid) or {"role": "", "children": []}
    return "".join(n.get("text", "") for n in walk(tree) if n["role"] == "text")


# ---- tests ----------------------------------------------------------------------------------------

def russian(menu):
    names = [name for name, _ in menu if name != "-"]
    return names and all(any("а" <= c.lower() <= "я" for c in name) for name in names)


def test_context_menus(session):
    """Right click: the program's menu with its states; middle click: "Перейти..." and no paste of the
    X primary selection; the Menu key, and with "Станда&ртное меню" checked the right click too: Qt's
    own menu in Russian."""
    profile = session.fresh_profile()
    profile.write_settings(AFTER_CLEAN_RUN)
    app = session.start(profile)
    window = app.wait_window(MAIN_TITLE)
    session.activate(window)
    session.type("abc")
    wait_for("the typed text", lambda: text_of(session, app) == "abc", timeout=5, interval=0.2)

    shown = open_menu(session, app, window, 3)
    check([name for name, _ in shown] == [name for name, _ in OWN_MENU], f"the right click opened {shown!r}")
    wrong = [name for (name, enabled), (_, expected) in zip(shown, OWN_MENU) if expected not in (None, enabled)]
    check(not wrong, f"enabled wrongly in the right-click menu: {wrong!r}")

    subprocess.run(["xclip", "-selection", "primary"], input=b"XYZ", env=session.env, check=True, timeout=5,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    check(open_menu(session, app, window, 2) == [("Перейти...", True)], "the middle click opened another menu")
    check(text_of(session, app) == "abc", f"the middle click changed the text to {text_of(session, app)!r}")

    standard = open_menu(session, app, window)
    check(russian(standard) and standard != shown, f"the Menu key opened {standard!r}")

    # View > "Дополн&ительно" > "Станда&ртное меню", by the access keys.
    session.key("alt+Cyrillic_ve", "Cyrillic_i", "Cyrillic_er")
    check(open_menu(session, app, window, 3) == standard, "the right click opened another menu than the Menu key")
    app.kill()


TESTS = {
    "context_menus": test_context_menus,
}


# ---- the listener, in a separate /usr/bin/python3 process -------------------------------------------

def _focused_menu(pid):
    import pyatspi
    from gi.repository import GLib

    def on_focus(event):
        try:
            item = event.source
            if not event.detail1 or item.get_process_id() != pid or item.getRoleName() != "menu item":
                return
            menu = item.parent
            children = [menu.getChildAtIndex(i) for i in range(menu.childCount)]
            print(json.dumps([(c.name, c.getState().contains(pyatspi.STATE_SENSITIVE)) for c in children],
                             ensure_ascii=False), flush=True)
            pyatspi.Registry.stop()
        except Exception:  # an object that went away while we looked: wait for the next event
            pass

    pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused")
    GLib.idle_add(lambda: print("ready", flush=True) and False)
    GLib.timeout_add(20000, lambda: pyatspi.Registry.stop())
    pyatspi.Registry.start()
    return 0


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "--focused-menu":
        sys.exit(_focused_menu(int(sys.argv[2])))
    sys.exit(run_tests(TESTS, sys.argv, ("xclip",)))
