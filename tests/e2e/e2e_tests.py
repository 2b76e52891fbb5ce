#!/usr/bin/python3
"""End-to-end tests of start-up and shutdown: the real program in a private X session.

Usage: e2e_tests.py PROGRAM TEST      (TEST is one of the names in TESTS, or "all"; --list lists them)
Exit code 0 passed, 1 failed, 77 skipped (a tool is missing).
"""

import os
import signal
import sys

sys.dont_write_bytecode = True   # keep the source tree clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import AFTER_CLEAN_RUN, TestFailure, check, run_tests, walk, wait_for  # noqa: E402

MAIN_TITLE = "^Новый документ - Jotbook$"
CHANGED_QUESTION = "Документ \"Новый документ\" был изменён.\r\n\r\nСохранить эти изменения?"
UNCLEAN_END = ("Работа программы не была завершена должным образом!\r\n"
               "Все несохранённые данные утеряны, изменённые настройки не сохранены.\r\n"
               "Если возникнут сбои в программе, её потребуется переустановить.")
ALREADY_RUNNING = "Программа уже запущена!\r\n\r\nЗапуск нескольких копий отключён."


def same_text(shown, expected):
    """The box shows the lines of the text; how they were broken is not visible."""
    return shown.replace("\r\n", "\n") == expected.replace("\r\n", "\n")


def expect_message(session, app, expected):
    box, text = session.wait_message(app)
    check(same_text(text, expected), f"message box says {text!r}, expected {expected!r}")
    return box


def close_main_window(session, window):
    """Closes the window through the window manager (openbox binds Alt+F4 to Close)."""
    session.activate(window)
    session.key("alt+F4")


def close_and_wait(session, app, window):
    """Closes the window of an unchanged document and waits for the program to end: 0 expected.
    An Alt+F4 that a busy window manager drops is pressed again; a message box is a failure."""
    for _ in range(3):
        if app.running():
            close_main_window(session, window)
        try:
            code = app.wait_exit(4.0)
            break
        except TestFailure:
            texts = session.message_texts(app.pid)
            check(not texts, f"closing the window showed {texts!r}")
    else:
        code = app.wait_exit()
    check(code == 0, f"pid {app.pid} ended with {app.proc.returncode}")


def start_and_close(session, profile):
    """One clean run: start, wait for the window, close it with an unchanged document."""
    app = session.start(profile)
    window = app.wait_window(MAIN_TITLE)
    close_and_wait(session, app, window)


def setting(profile, key, section="General"):
    return profile.read_settings().get(section, {}).get(key)


# ---- tests ----------------------------------------------------------------------------------------

def test_first_start(session):
    profile = session.fresh_profile()
    app = session.start(profile)
    window = app.wait_window(MAIN_TITLE)
    app.wait_window("^О программе$")   # the greeting of the first start
    check(session.client_size(window) == (800, 600),
          f"client area is {session.client_size(window)}, expected (800, 600)")

    # The first run hands the help page to the desktop.
    wait_for("the help page to be opened", lambda: any(line.endswith("/Jotbook.htm")
                                                        for line in session.opened_files()), timeout=5)
    # Start-up has already recorded a run in progress.
    check(setting(profile, "EndState") == "False", f"EndState after start-up is {setting(profile, 'EndState')!r}")
    check(setting(profile, "NewSettings") == "False",
          f"NewSettings after start-up is {setting(profile, 'NewSettings')!r}")

    # Russian typing reaches the text box.
    session.activate(window)
    session.type("привет мир")
    wait_for("the typed text in the text box", lambda: "привет мир" in text_box_contents(session, app),
             timeout=5, interval=0.2)

    close_main_window(session, window)
    box = expect_message(session, app, CHANGED_QUESTION)
    session.activate(box)
    session.key("Cyrillic_en")   # Нет
    check(app.wait_exit() == 0, f"the program ended with {app.proc.returncode}")

    settings = profile.read_settings().get("General", {})
    check(settings.get("EndState") == "True", f"EndState after closing is {settings.get('EndState')!r}")
    check(settings.get("NewSettings") == "False", f"NewSettings after closing is {settings.get('NewSettings')!r}")
    for key in ("FormWidth", "FormHeight"):
        check(key in settings, f"{key} missing after closing: {sorted(settings)}")


def test_clean_restart(session):
    profile = session.fresh_profile()
    start_and_close(session, profile)
    opened = len(session.opened_files())

    app = session.start(profile)
    window = app.wait_window(MAIN_TITLE)
    app.no_window_for("^Jotbook$", 0.5)
    check(len(session.opened_files()) == opened, "the help page was opened again on the second start")
    close_and_wait(session, app, window)


def test_unclean_end(session):
    profile = session.fresh_profile(AFTER_CLEAN_RUN)
    app = session.start(profile)
    app.wait_window(MAIN_TITLE)
    wait_for("start-up to record the run", lambda: setting(profile, "EndState") == "False")
    app.proc.send_signal(signal.SIGKILL)
    app.wait_exit()

    app = session.start(profile)
    box = expect_message(session, app, UNCLEAN_END)
    session.activate(box)
    session.key("Return")
    window = app.wait_window(MAIN_TITLE)

    # Once told, the next clean run is quiet again.
    close_and_wait(session, app, window)
    check(setting(profile, "EndState") == "True", "EndState not restored by a clean close")


def test_single_instance(session):
    profile = session.fresh_profile({**AFTER_CLEAN_RUN, "MultipleInstance": "False"})
    first = session.start(profile)
    first_window = first.wait_window(MAIN_TITLE)
    wait_for("start-up to record the run", lambda: setting(profile, "EndState") == "False")
    with open(profile.settings_file, "rb") as f:
        stored = f.read()

    second = session.start(profile)
    box = expect_message(session, second, ALREADY_RUNNING)
    check(not second.windows(MAIN_TITLE), "the refused copy shows a main window")
    session.activate(box)
    session.key("Return")
    second.wait_exit()
    check(first.running(), f"the running copy ended with {first.proc.returncode}")
    check(first_window in first.windows(MAIN_TITLE),
          f"the running copy's window {first_window} is gone: {first.windows(MAIN_TITLE)}")
    with open(profile.settings_file, "rb") as f:
        check(f.read() == stored, "the refused copy changed the settings file")

    close_and_wait(session, first, first_window)


def test_multiple_instances(session):
    profile = session.fresh_profile(AFTER_CLEAN_RUN)   # MultipleInstance missing: allowed
    first = session.start(profile)
    first_window = first.wait_window(MAIN_TITLE)
    wait_for("start-up to record the run", lambda: setting(profile, "EndState") == "False")

    # The stored EndState is now False, yet a second copy must not call that an unclean end.
    second = session.start(profile)
    second_window = second.wait_window(MAIN_TITLE)
    second.no_window_for("^Jotbook$", 0.5)
    check(first.running(), "the first copy ended when the second started")

    for app, window in ((second, second_window), (first, first_window)):
        close_and_wait(session, app, window)


def test_lock_key_panels(session):
    profile = session.fresh_profile(AFTER_CLEAN_RUN)
    app = session.start(profile)
    window = app.wait_window(MAIN_TITLE)

    def caps_enabled():
        tree = session.a11y_tree(app.pid)
        labels = [n for n in walk(tree or {"role": "", "children": []})
                  if n["role"] == "label" and n["name"] == "CAPS"]
        return labels[0]["enabled"] if labels else None

    initial = wait_for("the CAPS panel in the accessibility tree", lambda: (caps_enabled(),) if caps_enabled()
                       is not None else None, timeout=5, interval=0.2)[0]
    check(initial is False, "CAPS is drawn enabled while Caps Lock is off")
    session.activate(window)
    try:
        session.key("Caps_Lock")
        wait_for("CAPS to be drawn enabled", lambda: caps_enabled() is True, timeout=3, interval=0.1)
    finally:
        session.key("Caps_Lock")
    wait_for("CAPS to be drawn disabled again", lambda: caps_enabled() is False, timeout=3, interval=0.1)

    close_and_wait(session, app, window)


def text_box_contents(session, app):
    tree = session.a11y_tree(app.pid)
    if not tree:
        return ""
    return "".join(n.get("text", "") for n in walk(tree) if n["role"] == "text")


TESTS = {
    "first_start": test_first_start,
    "clean_restart": test_clean_restart,
    "unclean_end": test_unclean_end,
    "single_instance": test_single_instance,
    "multiple_instances": test_multiple_instances,
    "lock_key_panels": test_lock_key_panels,
}



if __name__ == "__main__":
    sys.exit(run_tests(TESTS, sys.argv))
