#!/usr/bin/python3
"""End-to-end tests of the window chrome. Usage: e2e_chrome.py PROGRAM {TEST|all}, or --list."""

import json
import os
import select
import subprocess
import sys

sys.dont_write_bytecode = True   # keep the source tree clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import AFTER_CLEAN_RUN, TestFailure, check, run_tests, walk  # noqa: E402

# The program's menu, "-" for a separator, "+" before what a typed text enables ("Печать" is not looked at).
OWN_MENU = ("Печать|-|+Шрифт...|-|+Отменить|-|Все прописные|Все строчные|-|Вырезать|Копировать|Вставить|Удалить|-|"
            "+Найти...|+Найти далее...|-|+Выделить всё").split("|")


def open_menu(session, app, window, button):
    """The menu that a click opens, as "+name" (enabled) or "name"; Qt puts popups in no accessibility
    tree, so a listener reads the menu whose item gets the focus. Qt may learn of a listener only when
    a later one registers: the menu is opened again with a new listener."""
    for _ in range(3):
        listener = subprocess.Popen(["/usr/bin/python3", __file__, "--focused-menu", str(app.pid)], env=session.env,
                                    stdout=subprocess.PIPE, text=True)
        try:
            check(listener.stdout.readline() == "ready\n", "the accessibility listener did not start")
            session._run(["xdotool", "mousemove", "--window", str(window), "400", "300", "click", str(button)])
            for _ in range(4):
                session.key("Down")
                if select.select([listener.stdout], [], [], 0.5)[0]:
                    session.key("Escape")
                    return [("+" if on else "") + (name or "-") for name, on in json.loads(listener.stdout.readline())]
            session.key("Escape")
        finally:
            listener.kill()
            listener.wait()
    raise TestFailure(f"no menu item got the focus after a click with button {button}")


def test_context_menus(session):
    """Right click: the program's menu; middle click: "Перейти..." and no paste of the X primary selection."""
    profile = session.fresh_profile(AFTER_CLEAN_RUN)
    app = session.start(profile)
    window = app.wait_window("^Новый документ - Jotbook$")
    session.activate(window)
    session.type("abc")

    def text():
        return "".join(n.get("text", "") for n in walk(session.a11y_tree(app.pid) or {}) if n.get("role") == "text")

    shown = open_menu(session, app, window, 3)
    check(shown[1:] == OWN_MENU[1:] and shown[0].lstrip("+") == "Печать", f"the right click opened {shown!r}")
    subprocess.run(["xclip", "-selection", "primary"], input=b"XYZ", env=session.env, check=True, timeout=5,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    check(open_menu(session, app, window, 2) == ["+Перейти..."], "the middle click opened another menu")
    check(text() == "abc", f"the middle click changed the text to {text()!r}")
    app.kill()


def _focused_menu(pid):
    import pyatspi
    from gi.repository import GLib

    def on_focus(event):
        try:
            item = event.source
            if event.detail1 and item.get_process_id() == pid and item.getRoleName() == "menu item":
                menu = [item.parent.getChildAtIndex(i) for i in range(item.parent.childCount)]
                print(json.dumps([(c.name, c.getState().contains(pyatspi.STATE_SENSITIVE)) for c in menu]),
                      flush=True)
                pyatspi.Registry.stop()
        except Exception:  # gone while we looked: wait for the next event
            pass

    pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused")
    GLib.idle_add(lambda: print("ready", flush=True))
    GLib.timeout_add(20000, pyatspi.Registry.stop)
    pyatspi.Registry.start()


if __name__ == "__main__":
    if sys.argv[1:2] == ["--focused-menu"]:
        sys.exit(_focused_menu(int(sys.argv[2])))
    sys.exit(run_tests({"context_menus": test_context_menus}, sys.argv, ("xclip",)))
