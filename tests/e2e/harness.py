"""A private X session for driving the real editor: Xvfb, a session bus, openbox and a ru,us keyboard.

Only the standard library and the Debian tools are used (Xvfb, dbus-daemon, openbox, setxkbmap, xdotool,
xwininfo, xprop); message box texts and widget states are read through accessibility with pyatspi in a
separate /usr/bin/python3 process, so a stuck accessibility bus can never hang a test.

Every process started here is killed at the end, together with its descendants, by PID.
"""

import configparser
import ctypes
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIP = 77           # exit code CTest maps to "skipped"
POLL = 0.05         # seconds between polls
NEEDED_TOOLS = ("Xvfb", "xdotool", "xwininfo", "xprop", "openbox", "setxkbmap", "dbus-daemon")
# Settings of a program that has completed a run before, so no first-run greeting.
AFTER_CLEAN_RUN = {"EndState": "True", "NewSettings": "False"}


class TestFailure(Exception):
    pass


class SessionFailure(TestFailure):
    """The X session itself could not be set up (no test step ran yet)."""


def check(condition, message):
    if not condition:
        raise TestFailure(message)


def missing_tools():
    missing = [t for t in NEEDED_TOOLS if shutil.which(t) is None]
    probe = subprocess.run(["/usr/bin/python3", "-c", "import pyatspi"], capture_output=True)
    if probe.returncode != 0:
        missing.append("python3-pyatspi")
    return missing


def wait_for(what, probe, timeout=5.0, interval=POLL):
    """Calls probe() until it returns something true; returns that value or fails after timeout seconds."""
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise TestFailure(f"timed out after {timeout:.1f} s waiting for {what}")
        time.sleep(interval)


def _die_with_parent():
    # The children die with the harness even when it is killed outright (a CTest timeout).
    libc = ctypes.CDLL(None, use_errno=True)
    PR_SET_PDEATHSIG = 1
    libc.prctl(PR_SET_PDEATHSIG, signal.SIGKILL)


def _children(pid):
    try:
        with open(f"/proc/{pid}/task/{pid}/children") as f:
            return [int(p) for p in f.read().split()]
    except OSError:
        return []


def _descendants(pid):
    found = []
    todo = [pid]
    while todo:
        for child in _children(todo.pop()):
            found.append(child)
            todo.append(child)
    return found


def normalize_lines(text):
    return text.replace("\r\n", "\n").replace("\r", "\n")


class App:
    """One running copy of the program."""

    def __init__(self, session, proc):
        self.session = session
        self.proc = proc
        self.pid = proc.pid

    def windows(self, name_regex):
        return self.session.find_windows(name_regex, pid=self.pid)

    def wait_window(self, name_regex, timeout=10.0):
        """Waits for a visible window of this process whose title matches; returns its X id."""
        def probe():
            self._check_running(f"a window named /{name_regex}/")
            ids = self.windows(name_regex)
            return ids[0] if ids else None
        return wait_for(f"a visible window /{name_regex}/ of pid {self.pid}", probe, timeout)

    def _check_running(self, waiting_for):
        if self.proc.poll() is not None:
            raise TestFailure(f"pid {self.pid} exited with {self.proc.returncode} while waiting for {waiting_for}")

    def no_window_for(self, name_regex, seconds):
        """Fails if a window matching name_regex shows up within the given time."""
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            ids = self.windows(name_regex)
            if ids:
                texts = self.session.message_texts(self.pid)
                raise TestFailure(f"unexpected window /{name_regex}/ of pid {self.pid}: {texts!r}")
            time.sleep(POLL)

    def wait_exit(self, timeout=10.0):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            raise TestFailure(f"pid {self.pid} still running {timeout:.1f} s after it was asked to end")

    def running(self):
        return self.proc.poll() is None

    def kill(self):
        self.proc.kill()
        self.proc.wait(5)


class Session:
    """Xvfb + session bus + openbox with the ru,us keyboard; one per test."""

    def __init__(self, binary):
        self.binary = os.path.abspath(binary)
        self.procs = []
        self.root = tempfile.mkdtemp(prefix="jotbook-e2e-")
        self.display = None
        self.env = None
        self.bin_dir = os.path.join(self.root, "bin")
        self.opened_log = os.path.join(self.root, "opened.log")
        self._config_count = 0

    # ---- life cycle -------------------------------------------------------------------------

    def __enter__(self):
        try:
            self._start()
        except TestFailure as failure:
            self.close()
            raise SessionFailure(f"the X session did not start: {failure}") from failure
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    def _spawn(self, argv, env=None, **kwargs):
        proc = subprocess.Popen(argv, env=env or self.env, preexec_fn=_die_with_parent,
                                stdin=subprocess.DEVNULL, **kwargs)
        self.procs.append(proc)
        return proc

    def _start(self):
        base = {k: v for k, v in os.environ.items()
                if not k.startswith(("QT_", "XDG_", "DBUS_", "WAYLAND_", "DESKTOP_", "GNOME_", "KDE_"))}
        base.pop("DISPLAY", None)
        base.pop("BROWSER", None)

        # The desktop's "open this file" goes to a recorder instead of a browser or another editor.
        os.makedirs(self.bin_dir)
        opener = os.path.join(self.bin_dir, "xdg-open")
        with open(opener, "w") as f:
            f.write('#!/bin/sh\nprintf "%s\\n" "$*" >> "$JOTBOOK_E2E_OPENED"\n')
        os.chmod(opener, 0o755)
        base["PATH"] = self.bin_dir + os.pathsep + base.get("PATH", "/usr/bin:/bin")
        base["JOTBOOK_E2E_OPENED"] = self.opened_log
        base["LC_ALL"] = "C.UTF-8"
        base["XDG_CONFIG_HOME"] = self._private_dir("session-config")
        base["XDG_RUNTIME_DIR"] = self._private_dir("session-runtime")
        base["HOME"] = self._private_dir("home")

        # Xvfb picks a free display itself and tells us which one.
        read_fd, write_fd = os.pipe()
        self._spawn(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1280x800x24", "-nolisten", "tcp"],
                    env=base, pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        number = b""
        deadline = time.monotonic() + 10
        while not number.endswith(b"\n"):
            if time.monotonic() > deadline:
                raise TestFailure("Xvfb did not report its display")
            chunk = os.read(read_fd, 16)
            if not chunk:
                raise TestFailure("Xvfb ended before it reported its display")
            number += chunk
        os.close(read_fd)
        self.display = ":" + number.decode().strip()
        base["DISPLAY"] = self.display

        bus = self._spawn(["dbus-daemon", "--session", "--nofork", "--print-address=1"], env=base,
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        address = bus.stdout.readline().decode().strip()
        check(address, "dbus-daemon printed no address")
        base["DBUS_SESSION_BUS_ADDRESS"] = address
        self.env = base

        self._spawn(["openbox", "--sm-disable"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for("openbox", lambda: re.search(r"window id # 0x", self._run(
            ["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"])), timeout=10)
        self._run(["setxkbmap", "-layout", "ru,us", "-option", ""])

    def close(self):
        for proc in reversed(self.procs):
            if proc.poll() is not None:
                continue   # reaped: its pid may already belong to someone else
            victims = _descendants(proc.pid) + [proc.pid]
            for sig in (signal.SIGTERM, signal.SIGKILL):
                for pid in victims:
                    try:
                        os.kill(pid, sig)
                    except ProcessLookupError:
                        pass
                try:
                    proc.wait(2)
                except subprocess.TimeoutExpired:
                    pass
        self.procs.clear()
        # Services the session bus started for us (the accessibility bus and its registry) detach
        # from their parent; they carry our environment, which tells them apart from anyone else's.
        marker = f"JOTBOOK_E2E_OPENED={self.opened_log}".encode()
        for entry in os.listdir("/proc"):
            if entry.isdigit() and int(entry) != os.getpid():
                try:
                    with open(f"/proc/{entry}/environ", "rb") as f:
                        if marker in f.read().split(b"\0"):
                            os.kill(int(entry), signal.SIGKILL)
                except OSError:
                    pass
        if os.environ.get("JOTBOOK_E2E_KEEP") != "1":
            shutil.rmtree(self.root, ignore_errors=True)

    def _private_dir(self, name):
        path = os.path.join(self.root, name)
        os.makedirs(path, mode=0o700)
        os.chmod(path, 0o700)
        return path

    def _run(self, argv, check_rc=True, timeout=10):
        result = subprocess.run(argv, env=self.env, capture_output=True, text=True, timeout=timeout)
        if check_rc and result.returncode != 0:
            raise TestFailure(f"{' '.join(argv)} failed ({result.returncode}): {result.stderr.strip()}")
        return result.stdout

    # ---- the program ------------------------------------------------------------------------

    def fresh_profile(self, settings=None):
        """A new settings folder and runtime folder (mode 0700) for the next copies, the settings file
        holding the given top-level keys, or none."""
        self._config_count += 1
        profile = Profile(self._private_dir(f"config-{self._config_count}"),
                          self._private_dir(f"runtime-{self._config_count}"))
        if settings:
            profile.write_settings(settings)
        return profile

    def start(self, profile, args=(), program=None, accessible=True):
        """Starts the program (or another one) with the profile's folders; accessibility lets tests read it."""
        env = dict(self.env)
        env.update(XDG_CONFIG_HOME=profile.config, XDG_RUNTIME_DIR=profile.runtime, QT_QPA_PLATFORM="xcb")
        if accessible:
            env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        log = open(os.path.join(self.root, f"app-{len(self.procs)}.log"), "w")
        proc = self._spawn([program or self.binary, *args], env=env, stdout=log, stderr=subprocess.STDOUT)
        log.close()
        return App(self, proc)

    def start_tool(self, argv):
        """Starts a helper program in the session (a tray host, say); it ends with the session."""
        return self._spawn(argv, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def xdotool(self, *args):
        """Runs xdotool with these arguments and returns what it printed."""
        return self._run(["xdotool", *args], check_rc=False)

    def window_geometry(self, window):
        """Absolute left, top, width and height of a window's client area."""
        info = self._run(["xwininfo", "-id", str(window)])
        return tuple(int(re.search(rf"^\s*{field}:\s*(-?\d+)", info, re.M).group(1))
                     for field in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"))

    def opened_files(self):
        try:
            with open(self.opened_log) as f:
                return f.read().splitlines()
        except FileNotFoundError:
            return []

    # ---- X ----------------------------------------------------------------------------------

    def find_windows(self, name_regex, pid=None):
        argv = ["xdotool", "search", "--all", "--onlyvisible"]
        if pid is not None:
            argv += ["--pid", str(pid)]
        argv += ["--name", name_regex]
        # A window destroyed while xdotool walks the tree makes it fail with an X error and print
        # nothing; only a clean run means "no such window".
        for _ in range(5):
            result = subprocess.run(argv, env=self.env, capture_output=True, text=True, timeout=10)
            if result.returncode == 0 or not result.stderr.strip():
                return [int(w) for w in result.stdout.split()]
            time.sleep(POLL)
        raise TestFailure(f"{' '.join(argv)} keeps failing: {result.stderr.strip()}")

    def client_size(self, window):
        return self.window_geometry(window)[2:]

    def active_window(self):
        out = self._run(["xdotool", "getactivewindow"], check_rc=False).strip()
        return int(out) if out else None

    def activate(self, window):
        self._run(["xdotool", "windowactivate", str(window)], check_rc=False)
        wait_for(f"window {window} to become active", lambda: self.active_window() == window, timeout=5)

    def key(self, *keys):
        self._run(["xdotool", "key", "--delay", "20", *keys])

    def type(self, text):
        self._run(["xdotool", "type", "--delay", "20", text])

    # ---- accessibility ------------------------------------------------------------------------

    def a11y_tree(self, pid, timeout=8.0):
        """The accessibility tree of the application with this pid: nested dicts of role, name, states, text."""
        result = subprocess.run(["/usr/bin/python3", os.path.abspath(__file__), "--a11y-dump", str(pid)],
                                env=self.env, capture_output=True, text=True, timeout=timeout)
        if result.returncode != 0 or not result.stdout.strip():
            return None
        return json.loads(result.stdout)

    def message_texts(self, pid):
        """Texts of the labels of every open message box (alert) of the process; [] when none is readable."""
        tree = self.a11y_tree(pid)
        if not tree:
            return []
        texts = []
        for node in walk(tree):
            if node["role"] == "alert":
                labels = [n["name"] for n in walk(node) if n["role"] == "label" and n["name"]]
                texts.append("\n".join(labels))
        return texts

    def wait_message(self, app, timeout=8.0):
        """Waits for a message box of the app and returns its window and its text (lines normalized to LF)."""
        box = app.wait_window("^Jotbook$", timeout)
        # The box's accessible object shows up a little after its window.
        texts = wait_for(f"the text of message box {box}", lambda: self.message_texts(app.pid), timeout=5,
                         interval=0.2)
        check(len(texts) == 1, f"expected one message box, found {texts!r}")
        return box, normalize_lines(texts[0])


class Profile:
    def __init__(self, config, runtime):
        self.config = config
        self.runtime = runtime
        self.settings_file = os.path.join(config, "Jotbook", "Jotbook.ini")

    def read_settings(self):
        """{section: {key: value}} of the settings file; top-level keys are in section General."""
        check(os.path.exists(self.settings_file), f"no settings file at {self.settings_file}")
        parser = configparser.ConfigParser(interpolation=None, strict=False)
        parser.optionxform = str
        parser.read(self.settings_file, encoding="utf-8")
        return {s: {k: _unquote(v) for k, v in parser[s].items()} for s in parser.sections()}

    def write_settings(self, general):
        """Writes a settings file holding the given top-level keys."""
        os.makedirs(os.path.dirname(self.settings_file), exist_ok=True)
        with open(self.settings_file, "w", encoding="utf-8") as f:
            f.write("[General]\n")
            for key, value in general.items():
                f.write(f"{key}={value}\n")


def _unquote(value):
    value = value.strip()
    if len(value) >= 2 and value[0] == value[-1] == '"':
        return value[1:-1]
    return value


def walk(node):
    yield node
    for child in node.get("children", []):
        yield from walk(child)


# ---- runs in a separate /usr/bin/python3 process --------------------------------------------------

def _a11y_dump(pid):
    import pyatspi

    def describe(acc, depth):
        try:
            states = acc.getState()
            node = {
                "role": acc.getRoleName(),
                "name": acc.name or "",
                "enabled": states.contains(pyatspi.STATE_ENABLED),
                "sensitive": states.contains(pyatspi.STATE_SENSITIVE),
                "showing": states.contains(pyatspi.STATE_SHOWING),
                "focused": states.contains(pyatspi.STATE_FOCUSED),
                "children": [],
            }
            if node["role"] in ("text", "paragraph"):
                try:
                    text = acc.queryText()
                    node["text"] = text.getText(0, text.characterCount)
                    node["caret"] = text.caretOffset
                    node["first line"] = text.getTextAtOffset(0, pyatspi.TEXT_BOUNDARY_LINE_START)[0]
                except NotImplementedError:
                    pass
            # Menus are not needed and are the bulk of the tree.
            if depth < 12 and node["role"] not in ("menu bar", "menu"):
                for i in range(acc.childCount):
                    child = acc.getChildAtIndex(i)
                    if child is not None:
                        node["children"].append(describe(child, depth + 1))
            return node
        except Exception as e:  # an object that disappeared while we looked
            return {"role": "gone", "name": str(e), "children": []}

    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        try:
            if app is not None and app.get_process_id() == pid:
                print(json.dumps(describe(app, 0), ensure_ascii=False))
                return 0
        except Exception:
            continue
    return 1


if __name__ == "__main__" and len(sys.argv) == 3 and sys.argv[1] == "--a11y-dump":
    sys.exit(_a11y_dump(int(sys.argv[2])))


# ---- running a test file ------------------------------------------------------------------------

SESSION_ATTEMPTS = 3   # a window manager slow to start on a loaded machine gets a fresh session


def _run_one(tests, program, name):
    started = time.monotonic()
    for attempt in range(1, SESSION_ATTEMPTS + 1):
        try:
            with Session(program) as session:
                tests[name](session)
            break
        except SessionFailure as failure:
            if attempt == SESSION_ATTEMPTS:
                print(f"FAIL {name}: {failure}")
                return 1
            print(f"RETRY {name}: {failure}")
        except TestFailure as failure:
            print(f"FAIL {name}: {failure}")
            return 1
    print(f"PASS {name} ({time.monotonic() - started:.1f} s)")
    return 0


def _on_alarm(*_):
    raise TestFailure("the test took longer than 90 s")


def run_tests(tests, argv, extra_tools=()):
    """The command line of a test file: PROGRAM {all|NAME}, or --list for the test names one per line.
    Exit 0 passed, 1 failed, 77 skipped."""
    if len(argv) == 2 and argv[1] == "--list":
        print("\n".join(tests))
        return 0
    if len(argv) != 3 or (argv[2] != "all" and argv[2] not in tests):
        print(f"usage: {argv[0]} PROGRAM {{all|{'|'.join(tests)}}}", file=sys.stderr)
        return 2
    missing = missing_tools() + [tool for tool in extra_tools if not shutil.which(tool)]
    if missing:
        print("SKIP: missing " + ", ".join(missing))
        return SKIP
    # A stuck test ends here with a clear message and its processes cleaned up.
    signal.signal(signal.SIGALRM, _on_alarm)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    names = list(tests) if argv[2] == "all" else [argv[2]]
    failed = 0
    for name in names:
        signal.alarm(90)
        failed += _run_one(tests, argv[1], name)
        signal.alarm(0)
    return 1 if failed else 0
