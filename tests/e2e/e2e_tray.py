#!/usr/bin/python3
"""End-to-end test of the tray icon in a real notification area (trayer's XEmbed tray).
Usage: e2e_tray.py PROGRAM {all|NAME} or --list; exit code 0 passed, 1 failed, 77 skipped."""

import os
import re
import subprocess
import sys
import time

sys.dont_write_bytecode = True   # keep the source tree clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import AFTER_CLEAN_RUN, check, run_tests, wait_for  # noqa: E402

MAIN_TITLE = "^Новый документ - Jotbook$"


def icons_in(session, app, tray):
    """The app's visible windows inside the tray host's window (Qt's XEmbed icon has no name to search)."""
    tx, ty, tw, th = session.window_geometry(tray)
    windows = session.xdotool("search", "--all", "--onlyvisible", "--pid", str(app.pid), "--classname", ".").split()
    return [(x + w // 2, y + h // 2) for x, y, w, h in map(session.window_geometry, windows)
            if tx <= x + w // 2 < tx + tw and ty <= y + h // 2 < ty + th]


def start_in_tray_host(session):
    """trayer and the program with "Минимизировать в трей" checked: (trayer, app, main window, tray window)."""
    host = session.start_tool(["trayer", "--edge", "bottom", "--align", "right", "--widthtype", "pixel",
                               "--width", "120", "--height", "32"])
    tray = wait_for("the tray host's window", lambda: session.find_windows(".*", pid=host.pid), timeout=10)[0]
    profile = session.fresh_profile({**AFTER_CLEAN_RUN, "BadSize": "True", "MinimizeToTray": "True"})
    app = session.start(profile)
    window = app.wait_window(MAIN_TITLE)
    wait_for("the main window to be active", lambda: session.active_window() == window)
    return host, app, window, tray


def minimise_to_tray(session, app, window, tray):
    """Minimises the main window; it leaves the screen and one icon docks. Returns the icon's centre."""
    session.xdotool("windowminimize", str(window))
    wait_for("the main window to be hidden", lambda: not app.windows(MAIN_TITLE))
    icons = wait_for("the tray icon", lambda: icons_in(session, app, tray))
    check(len(icons) == 1, f"expected one tray icon, found {icons}")
    return icons[0]


def click_back(session, app, tray, icon):
    """A left click on the icon brings the main window back; the icon goes."""
    session.xdotool("mousemove", str(icon[0]), str(icon[1]), "click", "1")
    window = app.wait_window(MAIN_TITLE)
    wait_for("the icon to go", lambda: not icons_in(session, app, tray))
    return window


def test_tray_minimise_restore(session):
    host, app, window, tray = start_in_tray_host(session)
    # A click brings the window back, in front.
    window = click_back(session, app, tray, minimise_to_tray(session, app, window, tray))
    wait_for("the restored window to be active", lambda: session.active_window() == window)
    # A tray host that goes away gives the window back.
    minimise_to_tray(session, app, window, tray)
    host.terminate()
    app.wait_window(MAIN_TITLE)


def above(session, upper, lower):
    """True when the window manager stacks window upper above window lower."""
    out = subprocess.run(["xprop", "-root", "_NET_CLIENT_LIST_STACKING"], env=session.env, capture_output=True,
                         text=True).stdout
    order = [int(w, 16) for w in re.findall(r"0x[0-9a-f]+", out)]   # bottom to top
    return upper in order and lower in order and order.index(upper) > order.index(lower)


def test_tray_with_dialogs(session):
    """Find goes to the tray with the main window and comes back above it.
    With a modal window open the window stays on the taskbar and comes back with the modal window
    in front; once that is closed, the window goes to the tray again."""
    _, app, window, tray = start_in_tray_host(session)
    session.type("abc")   # Find needs a text
    session.key("ctrl+f")
    app.wait_window("^Поиск текста$")
    session.activate(window)
    window = click_back(session, app, tray, minimise_to_tray(session, app, window, tray))
    wait_for("Find to be back above the main window",
             lambda: app.windows("^Поиск текста$") and above(session, app.windows("^Поиск текста$")[0], window))
    session.activate(app.windows("^Поиск текста$")[0])
    session.key("Escape")
    wait_for("Find to close", lambda: not app.windows("^Поиск текста$"))

    session.activate(window)
    session.key("alt+Cyrillic_ef", "Cyrillic_a")   # Файл > Параметры печати...
    dialog = app.wait_window("^Параметры печати$")
    wait_for("the print settings window to be active", lambda: session.active_window() == dialog)
    session.xdotool("windowminimize", str(window))
    wait_for("the windows to be minimised", lambda: not app.windows(MAIN_TITLE) and not app.windows("^Параметры"))
    deadline = time.monotonic() + 1.0   # the watch answers a minimise at once
    while time.monotonic() < deadline:
        check(not icons_in(session, app, tray), "a tray icon came up while the print settings window was open")
        time.sleep(0.05)
    session.xdotool("windowactivate", str(window))   # as a click on the taskbar does
    wait_for("the print settings window to be back in front",
             lambda: app.windows("^Параметры печати$") and above(session, dialog, window))
    session.activate(dialog)
    session.key("Escape")
    wait_for("the print settings window to close", lambda: not app.windows("^Параметры печати$"))
    click_back(session, app, tray, minimise_to_tray(session, app, window, tray))


TESTS = {"tray_minimise_restore": test_tray_minimise_restore, "tray_with_dialogs": test_tray_with_dialogs}

if __name__ == "__main__":
    sys.exit(run_tests(TESTS, sys.argv, extra_tools=("trayer",)))
