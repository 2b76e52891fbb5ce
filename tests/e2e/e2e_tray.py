#!/usr/bin/python3
"""End-to-end test of the tray icon in a real notification area (trayer's XEmbed tray).
Usage: e2e_tray.py PROGRAM {all|NAME} or --list; exit code 0 passed, 1 failed, 77 skipped."""

import os
import sys

sys.dont_write_bytecode = True   # keep the source tree clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import check, run_tests, wait_for  # noqa: E402

MAIN_TITLE = "^Новый документ - Jotbook$"


def icons_in(session, app, tray):
    """The app's visible windows inside the tray host's window (Qt's XEmbed icon has no name to search)."""
    tx, ty, tw, th = session.window_geometry(tray)
    windows = session.xdotool("search", "--all", "--onlyvisible", "--pid", str(app.pid), "--classname", ".").split()
    return [(x + w // 2, y + h // 2) for x, y, w, h in map(session.window_geometry, windows)
            if tx <= x + w // 2 < tx + tw and ty <= y + h // 2 < ty + th]


def test_tray_minimise_restore(session):
    host = session.start_tool(["trayer", "--edge", "bottom", "--align", "right", "--widthtype", "pixel",
                               "--width", "120", "--height", "32"])
    tray = wait_for("the tray host's window", lambda: session.find_windows(".*", pid=host.pid))[0]
    profile = session.fresh_profile()
    profile.write_settings({"EndState": "True", "NewSettings": "False", "BadSize": "True", "MinimizeToTray": "True"})
    app = session.start(profile)
    for attempt in ("click", "host gone"):
        # Minimised, the window leaves the screen and one icon docks in the tray.
        session.xdotool("windowminimize", str(app.wait_window(MAIN_TITLE)))
        wait_for("the main window to be hidden", lambda: not app.windows(MAIN_TITLE))
        icons = wait_for("the tray icon", lambda: icons_in(session, app, tray))
        check(len(icons) == 1, f"expected one tray icon, found {icons}")
        if attempt == "click":   # brings the window back, in front, and the icon goes
            session.xdotool("mousemove", str(icons[0][0]), str(icons[0][1]), "click", "1")
            window = app.wait_window(MAIN_TITLE)
            wait_for("the restored window to be active", lambda: session.active_window() == window)
            wait_for("the icon to go", lambda: not icons_in(session, app, tray))
        else:                    # a tray host that goes away gives the window back
            host.terminate()
            app.wait_window(MAIN_TITLE)


TESTS = {"tray_minimise_restore": test_tray_minimise_restore}

if __name__ == "__main__":
    sys.exit(run_tests(TESTS, sys.argv, extra_tools=("trayer",)))
