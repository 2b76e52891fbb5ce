#!/usr/bin/env bash
# Opening a large document, whole process, from the outside: Jotbook with the Windows-1251 text
# (with -u the UTF-8 one) against FeatherPad with the same text in UTF-8, interleaved, in a private
# X session.
#
#   bench/open_document.sh [-n RUNS] [-s MIB] [-l] [-u] [-J] [-t TEXT_DIR] [-j JOTBOOK] [-o OUT.tsv]
#
#   -s MIB   the size of the generated text (default 20)
#   -l       the text is one single line
#   -u       Jotbook opens the UTF-8 text too (recognised and converted on opening)
#   -J       Jotbook alone (FeatherPad cannot open a text of some hundred MiB)
#
# One run: exec -> the window is shown, the text laid out and the process idle. Idle is seen
# from outside: utime+stime from /proc/PID/stat, sampled every 20 ms, has not grown for 300 ms
# after the window appeared; the time reported is the sample at which it last grew (the quiet
# tail is not counted). Peak memory is VmHWM at that moment. Then the process is killed.
# Needs xvfb openbox xdotool x11-utils dbus python3; FeatherPad is installed if missing.
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(dirname "$HERE")
RUNS=5
SIZE_MIB=20
ONE_LINE=
UTF8=
ALONE=
TEXT_DIR=
JOTBOOK=$ROOT/build-bench/jotbook
OUT=
while getopts "n:s:luJt:j:o:" opt; do
  case $opt in
    n) RUNS=$OPTARG ;;
    s) SIZE_MIB=$OPTARG ;;
    l) ONE_LINE=one-line ;;
    u) UTF8=1 ;;
    J) ALONE=1 ;;
    t) TEXT_DIR=$OPTARG ;;
    j) JOTBOOK=$OPTARG ;;
    o) OUT=$OPTARG ;;
    *) sed -n '2,20p' "$0"; exit 2 ;;
  esac
done
JOTBOOK=$(realpath "$JOTBOOK" 2>/dev/null || echo "$JOTBOOK")
[ -x "$JOTBOOK" ] || { echo "no program at $JOTBOOK (build the jotbook target first)" >&2; exit 2; }
if ! command -v featherpad >/dev/null; then
  apt-get install -y featherpad >/dev/null || { apt-get update >/dev/null && apt-get install -y featherpad >/dev/null; }
fi

WORK=$(mktemp -d /tmp/open_document.XXXXXX)
PIDS=()
cleanup() {
  local p
  for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${PIDS[@]}"; do wait "$p" 2>/dev/null || true; done
  rm -rf "$WORK"
}
trap cleanup EXIT

if [ -z "$TEXT_DIR" ]; then
  TEXT_DIR=$WORK/text
  python3 "$HERE/make_text.py" "$TEXT_DIR" $((SIZE_MIB * 1024 * 1024)) $ONE_LINE >/dev/null
fi
TEXT_CP1251=$TEXT_DIR/text-cp1251.txt
TEXT_UTF8=$TEXT_DIR/text-utf8.txt
TEXT_JOTBOOK=$TEXT_CP1251
[ -z "$UTF8" ] || TEXT_JOTBOOK=$TEXT_UTF8

# ---- the session -------------------------------------------------------------------------------
DISPLAY_NO=
for n in $(seq 60 99); do
  if [ ! -e /tmp/.X$n-lock ] && [ ! -e /tmp/.X11-unix/X$n ]; then DISPLAY_NO=$n; break; fi
done
[ -n "$DISPLAY_NO" ] || { echo "no free X display" >&2; exit 1; }
export DISPLAY=:$DISPLAY_NO
Xvfb "$DISPLAY" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
PIDS+=($!)
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xdpyinfo >/dev/null 2>&1 || { echo "Xvfb did not start" >&2; exit 1; }

read -r DBUS_SESSION_BUS_ADDRESS DBUS_PID < <(dbus-daemon --session --fork --print-address=1 --print-pid=1 | paste -s -d ' ')
export DBUS_SESSION_BUS_ADDRESS
PIDS+=("$DBUS_PID")

mkdir -m 0700 "$WORK/wm-runtime"
XDG_RUNTIME_DIR=$WORK/wm-runtime XDG_CONFIG_HOME=$WORK/wm-config openbox --sm-disable >/dev/null 2>&1 &
PIDS+=($!)
for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.1; done

# ---- one run -------------------------------------------------------------------------------------
# Prints, tab-separated: seconds to idle, peak kB, CPU seconds to idle, seconds until the window
# was seen, seconds spent waiting for a CPU (other processes' load), the window title.
measure() {
  python3 - "$@" <<'PY'
import os, signal, subprocess, sys, time

argv = sys.argv[1:]
tick = os.sysconf("SC_CLK_TCK")
t0 = time.monotonic()
proc = subprocess.Popen(argv, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
pid = proc.pid

def cpu():
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])      # utime + stime, whole process

def hwm():
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    return 0

def cpu_wait():
    # Seconds the threads spent runnable but waiting for a CPU (the machine's load, not ours).
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/schedstat") as f:
                total += int(f.read().split()[1])
        except OSError:
            pass
    return total / 1e9

def visible_window():
    r = subprocess.run(["xdotool", "search", "--all", "--onlyvisible", "--pid", str(pid), "--name", "."],
                       capture_output=True, text=True)
    ids = r.stdout.split()
    return ids[0] if ids else None

window = None
next_look = 0.0
last_cpu = -1
last_growth = t0
result = None
while True:
    now = time.monotonic()
    if proc.poll() is not None:
        sys.exit(f"{argv[0]} ended with {proc.returncode}")
    if now - t0 > 180:
        proc.kill()
        sys.exit(f"{argv[0]}: not idle after 180 s")
    c = cpu()
    if c != last_cpu:
        last_cpu = c
        last_growth = now
    if window is None and now >= next_look:
        window = visible_window()
        shown = time.monotonic() - t0
        next_look = time.monotonic() + 0.05
    elif window is not None and now - last_growth >= 0.3:
        peak = hwm()
        title = subprocess.run(["xdotool", "getwindowname", window], capture_output=True, text=True).stdout.strip()
        result = (last_growth - t0, peak, title, c / tick, shown, cpu_wait())
        break
    time.sleep(max(0.0, 0.02 - (time.monotonic() - now)))

proc.send_signal(signal.SIGTERM)
try:
    proc.wait(5)
except subprocess.TimeoutExpired:
    proc.kill()
    proc.wait()
print(f"{result[0]:.3f}\t{result[1]}\t{result[3]:.2f}\t{result[4]:.3f}\t{result[5]:.2f}\t{result[2]}")
PY
}

fresh_env() {
  local dir=$1
  rm -rf "$dir"
  mkdir -p "$dir/config/Jotbook" "$dir/home"
  mkdir -m 0700 "$dir/runtime"
  # No size question (as if answered Yes), no first-run help page, no unclean-end notice.
  printf '[General]\nCheckLength=False\nNewSettings=False\nEndState=True\n' >"$dir/config/Jotbook/Jotbook.ini"
}

run_one() {
  local name=$1; shift
  local dir=$WORK/run
  fresh_env "$dir"
  local line
  line=$(cd "$dir/home" && XDG_CONFIG_HOME=$dir/config XDG_RUNTIME_DIR=$dir/runtime measure "$@")
  printf '%s\t%s\n' "$name" "$line"
}

EDITORS="jotbook featherpad"
[ -z "$ALONE" ] || EDITORS=jotbook
RESULTS=$WORK/results.tsv
: >"$RESULTS"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
for i in $(seq "$RUNS"); do
  for who in $EDITORS; do
    if [ $who = jotbook ]; then
      line=$(run_one jotbook "$JOTBOOK" "$TEXT_JOTBOOK")
    else
      line=$(run_one featherpad featherpad "$TEXT_UTF8")
    fi
    echo "run $i $line" | awk -F'\t' '{printf "%-22s %7.3f s  %7.1f MB  cpu %5.2f s  window at %6.3f s  waited for a cpu %5.2f s  [%s]\n", $1, $2, $3/1024, $4, $5, $6, $7}'
    echo "$line" >>"$RESULTS"
  done
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
[ -z "$OUT" ] || cp "$RESULTS" "$OUT"

python3 - "$RESULTS" "$(stat -c %s "$TEXT_CP1251")" <<'PY'
import statistics, sys
rows = [l.rstrip("\n").split("\t") for l in open(sys.argv[1]) if l.strip()]
size_mib = int(sys.argv[2]) / 2**20
med = statistics.median
stats = {}
for who in ("jotbook", "featherpad"):
    t = [float(r[1]) for r in rows if r[0] == who]
    if not t:
        continue
    m = [int(r[2]) / 1024 for r in rows if r[0] == who]
    c = [float(r[3]) for r in rows if r[0] == who]
    w = [float(r[5]) for r in rows if r[0] == who]
    stats[who] = (med(t), min(t), max(t), med(m), min(m), max(m), med(c), min(c), max(c), med(w))
print()
print(f"{'':12}{'open s':>9}{'min-max':>15}{'cpu s':>9}{'min-max':>13}{'peak MB':>9}{'min-max':>11}{'cpu wait s':>12}")
for who, s in stats.items():
    print(f"{who:12}{s[0]:9.3f}{f'{s[1]:.2f}-{s[2]:.2f}':>15}{s[6]:9.2f}{f'{s[7]:.2f}-{s[8]:.2f}':>13}"
          f"{s[3]:9.1f}{f'{s[4]:.0f}-{s[5]:.0f}':>11}{s[9]:12.2f}")
j = stats["jotbook"]
print(f"jotbook: peak memory {j[3] / size_mib:.2f} times the document's {size_mib:.0f} MiB (target < 1.5 for 200 MiB)")
if "featherpad" in stats:
    f = stats["featherpad"]
    print(f"ratio jotbook/featherpad (medians): open time {j[0] / f[0]:.2f} (target <= 0.15), "
          f"cpu time {j[6] / f[6]:.2f}, peak memory {j[3] / f[3]:.2f} (target <= 0.35)")
PY
