#!/usr/bin/python3
"""End-to-end test of the recovery copy: the real program is ended by SIGTERM with unsaved text and
started again. Usage: e2e_recovery.py PROGRAM {all|NAME} or --list; exit 0 passed, 1 failed, 77 skipped."""

import os
import signal
import sys

sys.dont_write_bytecode = True   # keep the source tree clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import AFTER_CLEAN_RUN, check, run_tests, wait_for  # noqa: E402
from e2e_tests import (CHANGED_QUESTION, MAIN_TITLE, UNCLEAN_END, close_main_window, expect_message,  # noqa: E402
                       text_box_contents)

OFFER = "Найдена резервная копия несохранённого документа \"Новый документ\".\r\n\r\nВосстановить её?"


def test_recovery_after_sigterm(session):
    state = os.path.join(session.env["HOME"], ".local", "state", "Jotbook")
    profile = session.fresh_profile(AFTER_CLEAN_RUN)
    typed = "привет мир 123"
    app = session.start(profile)
    window = app.wait_window(MAIN_TITLE)
    session.activate(window)
    session.type(typed)
    wait_for("the typed text", lambda: text_box_contents(session, app) == typed, timeout=5, interval=0.2)
    app.proc.send_signal(signal.SIGTERM)
    check(app.wait_exit() == -signal.SIGTERM, f"SIGTERM ended the program with {app.proc.returncode}")
    check(len(os.listdir(state)) == 1, f"recovery copies after SIGTERM: {os.listdir(state)}")

    app = session.start(profile)
    for expected in (UNCLEAN_END, OFFER):
        session.activate(expect_message(session, app, expected))
        session.key("Return")   # OK, then Да
    window = app.wait_window(MAIN_TITLE)
    wait_for("the recovered text", lambda: text_box_contents(session, app) == typed, timeout=5, interval=0.2)
    close_main_window(session, window)
    session.activate(expect_message(session, app, CHANGED_QUESTION))
    session.key("Cyrillic_en")   # Нет
    check(app.wait_exit() == 0, f"the program ended with {app.proc.returncode}")
    check(os.listdir(state) == [], f"copies left after a normal end: {os.listdir(state)}")


TESTS = {
    "recovery_after_sigterm": test_recovery_after_sigterm,
}

if __name__ == "__main__":
    sys.exit(run_tests(TESTS, sys.argv))
