#!/usr/bin/python3
"""Start-up time and idle CPU of Jotbook next to FeatherPad, in one private Xvfb + openbox session.

  desktop_bench.py startup JOTBOOK [RUNS]   exec -> main window viewable, interleaved runs, medians
  desktop_bench.py idle JOTBOOK [RUNS] [KEY=VALUE...]
                                            CPU used in 10 s by an idle, settled window; the KEY=VALUE
                                            pairs are Jotbook settings (General) for the runs
  desktop_bench.py editing JOTBOOK [RUNS] [TEXT_DIR]
                                            a large document (make_text.py's, 20 MiB by default):
                                            CPU per typed key at the end and in the middle, memory
                                            growth while typing, CPU per Shift+Left with all selected,
                                            select all + delete + undo, saving after the edits, and
                                            what a key the editor ignores costs the process

Every run gets a fresh settings folder; Jotbook's says a clean run happened before (no first-run
greeting, no unclean-end message). Accessibility is off, as on a normal desktop.
"""

import ctypes
import os
import shutil
import statistics
import subprocess
import sys
import time

sys.dont_write_bytecode = True   # keep the source tree clean
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from harness import Session, TestFailure  # noqa: E402

FEATHERPAD = shutil.which("featherpad") or "/usr/bin/featherpad"
POLL = 0.005
SETTLE = 2.0
IDLE = 10.0


class XWindowAttributes(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int), ("height", ctypes.c_int),
                ("border_width", ctypes.c_int), ("depth", ctypes.c_int), ("visual", ctypes.c_void_p),
                ("root", ctypes.c_ulong), ("class_", ctypes.c_int), ("bit_gravity", ctypes.c_int),
                ("win_gravity", ctypes.c_int), ("backing_store", ctypes.c_int),
                ("backing_planes", ctypes.c_ulong), ("backing_pixel", ctypes.c_ulong),
                ("save_under", ctypes.c_int), ("colormap", ctypes.c_ulong), ("map_installed", ctypes.c_int),
                ("map_state", ctypes.c_int), ("all_event_masks", ctypes.c_long),
                ("your_event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long),
                ("override_redirect", ctypes.c_int), ("screen", ctypes.c_void_p)]


class X:
    """Just enough Xlib, through ctypes, to see a client window become viewable within milliseconds."""
    IS_VIEWABLE = 2

    def __init__(self, display):
        self.lib = ctypes.CDLL("libX11.so.6")
        self.lib.XOpenDisplay.restype = ctypes.c_void_p
        self.lib.XDefaultRootWindow.restype = ctypes.c_ulong
        self.lib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.lib.XInternAtom.restype = ctypes.c_ulong
        self.lib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        self.lib.XGetWindowProperty.argtypes = [
            ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_long, ctypes.c_long, ctypes.c_int,
            ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_int),
            ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_ulong),
            ctypes.POINTER(ctypes.POINTER(ctypes.c_ulong))]
        self.lib.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                                  ctypes.POINTER(XWindowAttributes)]
        self.lib.XFree.argtypes = [ctypes.c_void_p]
        self.lib.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.dpy = self.lib.XOpenDisplay(display.encode())
        if not self.dpy:
            raise TestFailure(f"cannot open display {display}")
        self.root = self.lib.XDefaultRootWindow(self.dpy)
        self.client_list = self.lib.XInternAtom(self.dpy, b"_NET_CLIENT_LIST", 0)
        self.wm_pid = self.lib.XInternAtom(self.dpy, b"_NET_WM_PID", 0)
        # Errors for windows that vanish between two requests are expected; do not exit on them.
        self._handler = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda d, e: 0)
        self.lib.XSetErrorHandler(self._handler)

    def close(self):
        self.lib.XCloseDisplay(self.dpy)

    def _cardinals(self, window, atom):
        actual_type, actual_format = ctypes.c_ulong(), ctypes.c_int()
        count, after = ctypes.c_ulong(), ctypes.c_ulong()
        data = ctypes.POINTER(ctypes.c_ulong)()
        status = self.lib.XGetWindowProperty(self.dpy, window, atom, 0, 4096, 0, 0, ctypes.byref(actual_type),
                                             ctypes.byref(actual_format), ctypes.byref(count),
                                             ctypes.byref(after), ctypes.byref(data))
        if status != 0 or not data:
            return []
        values = [data[i] for i in range(count.value)]
        self.lib.XFree(data)
        return values

    def viewable_client_of(self, pid):
        for window in self._cardinals(self.root, self.client_list):
            if self._cardinals(window, self.wm_pid) == [pid]:
                attrs = XWindowAttributes()
                if self.lib.XGetWindowAttributes(self.dpy, window, ctypes.byref(attrs)) and \
                        attrs.map_state == self.IS_VIEWABLE:
                    return window
        return None


def cpu_seconds(pid):
    """(utime + stime from /proc/PID/stat in seconds, on-CPU time of all threads from schedstat in seconds)."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    ticks = int(fields[11]) + int(fields[12])   # utime, stime (fields 14 and 15)
    nanoseconds = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/schedstat") as f:
                nanoseconds += int(f.read().split()[0])
        except OSError:
            pass   # a thread that just ended
    return ticks / os.sysconf("SC_CLK_TCK"), nanoseconds / 1e9


class Bench:
    def __init__(self, session, jotbook, settings=None):
        self.session = session
        self.settings = dict(settings or {})
        self.x = X(session.display)
        self.editors = {"jotbook": os.path.abspath(jotbook), "featherpad": FEATHERPAD}

    def launch(self, editor, args=()):
        """Starts the editor on a fresh settings folder; returns the app and the seconds until its window is viewable."""
        profile = self.session.fresh_profile()
        if editor == "jotbook":
            # No size question: a large document opens as if it had been answered Yes.
            profile.write_settings({"EndState": "True", "NewSettings": "False", "CheckLength": "False",
                                    **self.settings})
        started = time.monotonic()
        app = self.session.start(profile, args=args, program=self.editors[editor], accessible=False)
        deadline = started + 120
        while self.x.viewable_client_of(app.pid) is None:
            if not app.running():
                raise TestFailure(f"{editor} exited with {app.proc.returncode} before showing a window")
            if time.monotonic() > deadline:
                raise TestFailure(f"{editor} showed no window within 120 s")
            time.sleep(POLL)
        return app, time.monotonic() - started

    @staticmethod
    def stop(app):
        app.proc.terminate()
        try:
            app.proc.wait(5)
        except Exception:
            app.kill()

    def startup(self, runs):
        times = {name: [] for name in self.editors}
        for _ in range(runs):
            for name in self.editors:
                app, seconds = self.launch(name)
                times[name].append(seconds)
                self.stop(app)
                time.sleep(0.3)   # let the window manager and the X server go quiet
        print(f"Start-up, exec -> main window viewable, {runs} interleaved runs each:")
        for name, values in times.items():
            print(f"  {name:10s} median {statistics.median(values) * 1000:6.0f} ms   "
                  f"(min {min(values) * 1000:.0f}, max {max(values) * 1000:.0f}; "
                  f"all: {', '.join(f'{v * 1000:.0f}' for v in values)})")

    def idle(self, runs):
        used = {name: [] for name in self.editors}
        for _ in range(runs):
            for name in self.editors:
                app, _ = self.launch(name)
                time.sleep(SETTLE)
                before = cpu_seconds(app.pid)
                time.sleep(IDLE)
                after = cpu_seconds(app.pid)
                used[name].append((after[0] - before[0], after[1] - before[1]))
                self.stop(app)
        extra = f" (Jotbook with {', '.join(f'{k}={v}' for k, v in self.settings.items())})" if self.settings else ""
        print(f"Idle CPU over {IDLE:.0f} s after {SETTLE:.0f} s of settling, {runs} interleaved runs each{extra}:")
        for name, values in used.items():
            ticks = statistics.median(v[0] for v in values)
            sched = statistics.median(v[1] for v in values)
            print(f"  {name:10s} median {sched * 1000:6.1f} ms on CPU (schedstat), {ticks * 1000:4.0f} ms utime+stime"
                  f"   (all: {', '.join(f'{v[1] * 1000:.1f}' for v in values)})")


    # ---- editing a large document ------------------------------------------------------------

    def xdotool(self, *args):
        subprocess.run(["xdotool", *args], env=self.session.env, check=True, timeout=120)

    def measured(self, pid, action):
        """Runs the action and waits until the editor is idle again; returns its CPU seconds."""
        before = cpu_seconds(pid)[1]
        action()
        wait_idle(pid, timeout=300)
        return cpu_seconds(pid)[1] - before

    def editing(self, runs, text_dir=None):
        keys = 200
        if not text_dir:
            text_dir = os.path.join(self.session.root, "text")
            subprocess.run([sys.executable, os.path.join(os.path.dirname(__file__), "make_text.py"), text_dir],
                           check=True, stdout=subprocess.DEVNULL)
        sources = {"jotbook": os.path.join(text_dir, "text-cp1251.txt"),
                   "featherpad": os.path.join(text_dir, "text-utf8.txt")}
        steps = ("typing at the end, ms per key", "typing in the middle, ms per key", "memory growth over the keys, MiB",
                 "Shift+Left with all selected, ms per key", "select all + delete + undo, ms", "save after the edits, ms",
                 "a key the editor ignores (Pause), ms per key")
        results = {name: {step: [] for step in steps} for name in self.editors}
        for _ in range(runs):
            for name in self.editors:
                document = os.path.join(self.session.root, f"document-{name}.txt")
                shutil.copyfile(sources[name], document)
                app, _ = self.launch(name, [document])
                pid = app.pid
                wait_idle(pid, timeout=180)
                window = self.x.viewable_client_of(pid)
                self.session.activate(window)
                width, height = self.session.client_size(window)
                rss = resident_mib(pid)
                r = results[name]
                typing = ["type", "--delay", "20", "a" * keys]
                self.xdotool("key", "ctrl+End")
                wait_idle(pid)
                r[steps[0]].append(self.measured(pid, lambda: self.xdotool(*typing)) / keys * 1000)
                # The middle: a middle click on the scroll bar's track jumps there, a click in the
                # text puts the caret there.
                self.xdotool("mousemove", "--window", str(window), str(width - 8), str(height // 2), "click", "2")
                wait_idle(pid)
                self.xdotool("mousemove", "--window", str(window), str(width // 2), str(height // 2), "click", "1")
                wait_idle(pid)
                r[steps[1]].append(self.measured(pid, lambda: self.xdotool(*typing)) / keys * 1000)
                r[steps[2]].append(resident_mib(pid) - rss)
                self.xdotool("key", "ctrl+a")
                wait_idle(pid)
                shifts = 20
                r[steps[3]].append(self.measured(
                    pid, lambda: self.xdotool("key", "--delay", "20", *(["shift+Left"] * shifts))) / shifts * 1000)
                r[steps[4]].append(self.measured(
                    pid, lambda: self.xdotool("key", "--delay", "100", "ctrl+a", "Delete", "ctrl+z")) * 1000)
                r[steps[5]].append(self.measured(pid, lambda: self.xdotool("key", "ctrl+s")) * 1000)
                # What any key costs the process before the editor sees it: the floor of the rows above.
                r[steps[6]].append(self.measured(
                    pid, lambda: self.xdotool("key", "--delay", "20", *(["Pause"] * keys))) / keys * 1000)
                self.stop(app)
                time.sleep(0.3)
        print(f"Editing {os.path.getsize(sources['jotbook']) / 2**20:.0f} MiB (Jotbook Windows-1251, FeatherPad UTF-8), "
              f"CPU of the editor's process until idle, {runs} interleaved runs each, medians (min-max):")
        print(f"  {'':44s}" + "".join(f"{name:>22s}" for name in self.editors) + "   ratio")
        for step in steps:
            cells = []
            for name in self.editors:
                values = results[name][step]
                cells.append(f"{statistics.median(values):8.2f} ({min(values):.2f}-{max(values):.2f})")
            j, f = (statistics.median(results[n][step]) for n in self.editors)
            ratio = f"{j / f:7.2f}" if f > 0 else ""
            print(f"  {step:44s}" + "".join(f"{c:>22s}" for c in cells) + ratio)


def wait_idle(pid, quiet=0.4, timeout=60.0):
    """Waits until the process has used next to no CPU (a blinking caret's share) for quiet seconds."""
    deadline = time.monotonic() + timeout
    start = time.monotonic()
    base = cpu_seconds(pid)[1]
    while True:
        time.sleep(0.02)
        now = time.monotonic()
        used = cpu_seconds(pid)[1]
        if used - base > 0.002:
            base, start = used, now
        elif now - start >= quiet:
            return
        if now > deadline:
            with open(f"/proc/{pid}/comm") as f:
                name = f.read().strip()
            raise TestFailure(f"{name} ({pid}) not idle within {timeout:.0f} s")


def resident_mib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return 0.0


def main(argv):
    if len(argv) < 3 or argv[1] not in ("startup", "idle", "editing"):
        print(__doc__, file=sys.stderr)
        return 2
    runs = int(argv[3]) if len(argv) > 3 else (7 if argv[1] == "startup" else 3)
    settings = dict(pair.split("=", 1) for pair in argv[4:]) if argv[1] == "idle" else {}
    with Session(argv[2]) as session:
        bench = Bench(session, argv[2], settings)
        try:
            if argv[1] == "editing":
                bench.editing(runs, argv[4] if len(argv) > 4 else None)
            else:
                getattr(bench, argv[1])(runs)
        finally:
            bench.x.close()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
