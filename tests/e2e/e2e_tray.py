#!/usr/bin/python3
"""End-to-end test of the tray icon with a real notification area (trayer's XEmbed tray).

Usage: e2e_tray.py PROGRAM TEST      (TEST is one of the names in TESTS, or "all"; --list lists them)
Exit code 0 passed, 1 failed, 77 skipped (a tool is missing).
"""

import os
import sys

sys.dont_write_bytecode = True   # keep the source tree clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import check, run_tests, wait_for  # noqa: E402

MAIN_TITLE = "^Новый документ - Jotbook$"
TRAYER = ["trayer", "--edge", "bottom", "--align", "right", "--widthtype", "pixel", "--width", "120",
          "--height", "32"]


def icons_in(session, app, tray_window):
    """The app's visible windows inside the tray host's window: its tray icons. Qt's XEmbed icon has no
    name xdotool matches, so every visible window of the app is looked at."""
    tx, ty, tw, th = session.window_geometry(tray_window)
    found = []
    for window in session.xdotool("search", "--all", "--onlyvisible", "--pid", str(app.pid), "--classname", ".").split():
        x, y, w, h = session.window_geometry(window)
        if tx <= x + w // 2 < tx + tw and ty <= y + h // 2 < ty + th:
            found.append(int(window))
    return found


def test_tray_minimise_restore(session):
    tray = session.start_tool(TRAYER)
    tray_window = wait_for("the tray host's window", lambda: session.find_windows(".*", pid=tray.pid))[0]
    profile = session.fresh_profile()
    profile.write_settings({"EndState": "True", "NewSettings": "False", "BadSize": "True", "MinimizeToTray": "True"})
    app = session.start(profile)
    window = app.wait_window(MAIN_TITLE)

    # Minimised, the window leaves the screen and one icon docks in the tray.
    session.xdotool("windowminimize", str(window))
    wait_for("the main window to be hidden", lambda: not app.windows(MAIN_TITLE))
    icons = wait_for("the tray icon", lambda: icons_in(session, app, tray_window))
    check(len(icons) == 1, f"expected one tray icon, found {icons}")

    # A left click brings the window back, in front, and the icon goes.
    x, y, w, h = session.window_geometry(icons[0])
    session.xdotool("mousemove", str(x + w // 2), str(y + h // 2), "click", "1")
    restored = app.wait_window(MAIN_TITLE)
    wait_for("the restored window to be active", lambda: session.active_window() == restored)
    wait_for("the icon to go", lambda: not icons_in(session, app, tray_window))

    # Minimised again it goes to the tray again; when the tray host goes away, the window returns.
    session.xdotool("windowminimize", str(restored))
    wait_for("the main window to be hidden again", lambda: not app.windows(MAIN_TITLE))
    wait_for("the tray icon again", lambda: icons_in(session, app, tray_window))
    tray.terminate()
    app.wait_window(MAIN_TITLE)
    check(app.running(), f"the program ended with {app.proc.returncode}")


TESTS = {
    "tray_minimise_restore": test_tray_minimise_restore,
}


if __name__ == "__main__":
    sys.exit(run_tests(TESTS, sys.argv, extra_tools=("trayer",)))
