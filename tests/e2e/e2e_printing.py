#!/usr/bin/python3
"""End-to-end test of printing through a private CUPS scheduler whose default queue holds every job, so
the job's attributes and the PDF the program sent stay readable. Usage as e2e_documents_editing.py."""

import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import AFTER_CLEAN_RUN, _die_with_parent, check, run_tests, wait_for, walk  # noqa: E402

QUEUE = "JotbookPDF"
# The scheduler's files and logs live in its own folder; it listens on a socket there only.
CUPS_FILES = "".join(f"{key} {{root}}/{name}\n" for key, name in (
    ("ServerRoot", "etc"), ("RequestRoot", "spool"), ("TempDir", "tmp"), ("CacheDir", "cache"),
    ("StateDir", "state"), ("ErrorLog", "log"), ("AccessLog", "log"), ("PageLog", "log")))
CUPSD = ("Listen {root}/cups.sock\nBrowsing No\nWebInterface No\nPreserveJobFiles Yes\nMaxCopies 3\n"
         "DefaultAuthType None\n<Location />\nOrder allow,deny\nAllow all\n</Location>\n")


class Scheduler:
    """cupsd in the foreground with one cups-pdf queue, made the default, that holds every job."""

    def __enter__(self):
        self.root = root = tempfile.mkdtemp(prefix="jotbook-cups-")
        os.chmod(root, 0o755)     # the scheduler's helpers run as the lp user
        for d in ("etc", "spool", "tmp", "cache", "state", "client"):
            os.makedirs(os.path.join(root, d))
        for name, text in (("cups-files.conf", CUPS_FILES), ("cupsd.conf", CUPSD)):
            with open(os.path.join(root, name), "w") as f:
                f.write(text.format(root=root))
        self.socket = os.path.join(root, "cups.sock")
        self.env = self.clients(os.environ)
        self.proc = subprocess.Popen(["cupsd", "-f", "-c", f"{root}/cupsd.conf", "-s", f"{root}/cups-files.conf"],
                                     preexec_fn=_die_with_parent, stdin=subprocess.DEVNULL,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            wait_for("the scheduler", lambda: "is running" in self.run("lpstat", "-r"), timeout=15, interval=0.1)
            self.run("lpadmin", "-p", QUEUE, "-E", "-v", "cups-pdf:/", "-P", "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd",
                     "-o", "job-hold-until-default=indefinite")
            self.run("lpadmin", "-d", QUEUE)
        except BaseException:
            self.__exit__()
            raise
        return self

    def __exit__(self, *exc):
        self.proc.kill()          # by its process id; nothing of it is kept
        self.proc.wait(10)
        shutil.rmtree(self.root, ignore_errors=True)

    def clients(self, env):
        """The environment with this scheduler in place of any other, and its default queue as the printer."""
        return {k: v for k, v in env.items() if k not in ("PRINTER", "LPDEST")} | {
            "CUPS_SERVER": self.socket, "CUPS_SERVERROOT": os.path.join(self.root, "client")}

    def run(self, *argv):
        return subprocess.run(argv, env=self.env, capture_output=True, text=True, timeout=20).stdout

    def jobs(self):
        return [int(j) for j in re.findall(rf"^{QUEUE}-(\d+) ", self.run("lpstat", "-o"), re.M)]

    def copies(self, job):
        uri = "ipp://" + self.socket.replace("/", "%2F") + f"/jobs/{job}"
        return re.search(r"copies \(integer\) = (\d+)", self.run("ipptool", "-tv", uri, "get-job-attributes.test"))[1]


def start_on(session, cups, path, *args):
    """The program started on the file, with the scheduler's default queue as its printer."""
    session.env = cups.clients(session.env)
    profile = session.fresh_profile(AFTER_CLEAN_RUN)
    return session.start(profile, [path, *args])


def test_print_landscape_copies(session):
    """Two copies of a Russian text of several pages in landscape, set in the print settings dialog and printed
    with Ctrl+P; then a queue that rejects jobs: the program says so and sends nothing."""
    lines = [f"Строка {i:03d}: съешь же ещё этих мягких французских булок, да выпей чаю" for i in range(1, 151)]
    path = os.path.join(session.root, "отчёт.txt")
    with open(path, "wb") as f:
        f.write("\r\n".join(lines).encode("cp1251"))
    with Scheduler() as cups:
        app = start_on(session, cups, path)
        window = app.wait_window(r"^отчёт.* - Jotbook$", timeout=15)
        session.activate(window)
        session.key("alt+Cyrillic_ef", "Cyrillic_a")                   # Файл > Параметры печати...
        dialog = app.wait_window("^Параметры печати$")
        wait_for("the print settings dialog to be active", lambda: session.active_window() == dialog)
        session.key("alt+Cyrillic_a", "alt+Cyrillic_che", "ctrl+a")   # landscape; the copies box
        session.type("2")
        session.key("Return")
        wait_for("the dialog to close", lambda: not app.windows("^Параметры печати$"))

        session.key("ctrl+p")
        job = wait_for("the print job", cups.jobs, timeout=20)[0]
        spooled = os.path.join(cups.root, "spool", f"d{job:05d}-001")
        info = wait_for("the job's document", lambda: os.path.exists(spooled) and subprocess.run(
            ["pdfinfo", spooled], capture_output=True, text=True).stdout)
        check(cups.copies(job) == "2", f"the job asks for {cups.copies(job)} copies, not 2")
        width, height = map(float, re.search(r"Page size:\s*([\d.]+) x ([\d.]+)", info).groups())
        check(width > height, f"the pages are {width} x {height} pt, not landscape")
        text = subprocess.run(["pdftotext", "-layout", spooled, "-"], capture_output=True, text=True).stdout
        pages = [[" ".join(s.split()) for s in page.splitlines() if s.strip()] for page in text.split("\f")[:-1]]
        check(int(re.search(r"Pages:\s*(\d+)", info)[1]) == len(pages) > 1, f"{len(pages)} pages")
        check(sum(pages, []) == lines, f"the printed text differs: {sum(pages, [])[:3]!r}...")
        check(all(len(p) == len(pages[0]) for p in pages[:-1]) and 0 < len(pages[-1]) <= len(pages[0]),
              f"lines per page: {[len(p) for p in pages]}")

        # More copies than this scheduler allows (3), then a queue that rejects jobs: told, nothing printed.
        session.key("alt+Cyrillic_ef", "Cyrillic_a")
        wait_for("the print settings dialog", lambda: session.active_window() == app.wait_window("^Параметры печати$"))
        session.key("alt+Cyrillic_che", "ctrl+a")
        session.type("4")
        session.key("Return")
        for prepare, reason in ((lambda: None, "параметры печати были заданы неверно"),
                                (lambda: cups.run("cupsreject", QUEUE), "принтер некорректно установлен")):
            prepare()
            session.key("ctrl+p")
            text = session.wait_message(app)[1]
            check(text == f"Не удалось вывести на печать этот документ!\n\nВозможно, {reason}.", f"message: {text!r}")
            session.key("Return")
            wait_for("the message box to close", lambda: not app.windows("^Jotbook$"))
        check(cups.jobs() == [job], f"jobs after the refusals: {cups.jobs()}")
        session.activate(window)
        session.key("alt+F4")
        check(app.wait_exit() == 0, "the program did not end cleanly")
    check(cups.proc.poll() is not None, "the scheduler is still running")


def test_stalled_scheduler(session):
    """A scheduler stopped by SIGSTOP: after Ctrl+P the window answers, and the failure is told after the
    timeout; the job given up is never sent, the next one once the scheduler answers. Then the /P key at start,
    and closing while that job still waits."""
    path = os.path.join(session.root, "заметка.txt")
    with open(path, "wb") as f:
        f.write("Строка для печати".encode("cp1251"))
    failure = "Не удалось вывести на печать этот документ!\n\nВозможно, принтер некорректно установлен."

    def answers():   # accessibility is served on the window's thread
        try:
            tree = session.a11y_tree(app.pid, timeout=3)
        except subprocess.TimeoutExpired:
            return False
        return tree and any(n["role"] == "frame" and "заметка" in n["name"] for n in walk(tree))

    def told_after_timeout(asked):
        text = session.wait_message(app, timeout=20)[1]
        check(text == failure and 9 < time.monotonic() - asked < 20, f"{time.monotonic() - asked:.1f} s: {text!r}")
        session.key("Return")
        session.activate(app.wait_window(r"^заметка.* - Jotbook$", timeout=15))

    with Scheduler() as cups:
        app = start_on(session, cups, path)
        session.activate(app.wait_window(r"^заметка.* - Jotbook$", timeout=15))
        cups.proc.send_signal(signal.SIGSTOP)
        asked = time.monotonic()
        session.key("ctrl+p")
        wait_for("the window to answer", answers, timeout=8, interval=0.2)
        told_after_timeout(asked)
        cups.proc.send_signal(signal.SIGCONT)
        session.key("ctrl+p")
        job = wait_for("the print job", cups.jobs, timeout=20)[0]
        wait_for("the job's document", lambda: os.path.exists(os.path.join(cups.root, "spool", f"d{job:05d}-001")))
        session.key("alt+F4")
        check(app.wait_exit() == 0, "the program did not end cleanly")

        cups.proc.send_signal(signal.SIGSTOP)
        asked = time.monotonic()
        app = start_on(session, cups, path, "/P")
        told_after_timeout(asked)
        session.key("alt+F4")
        check(app.wait_exit(timeout=5) == 0, "the program did not end while its print job waits")
        cups.proc.send_signal(signal.SIGCONT)
        check(cups.jobs() == [job], f"jobs: {cups.jobs()}")


if __name__ == "__main__":
    sys.exit(run_tests({"print_landscape_copies": test_print_landscape_copies,
                        "print_stalled_scheduler": test_stalled_scheduler}, sys.argv,
                       ("cupsd", "lpadmin", "lpstat", "cupsreject", "ipptool", "pdftotext", "pdfinfo")))
