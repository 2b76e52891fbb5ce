#!/bin/bash
# Makes the README's screenshots of the real program in a private Xvfb session with openbox (the
# end-to-end tests' session, tests/e2e/harness.py): docs/main-window.png with a Russian note,
# docs/find.png with the Find dialog over it and docs/about.png, the About window of the first start.
# Usage: scripts/screenshots.sh [PROGRAM [FOLDER]]   (without PROGRAM the editor is built in build-run/;
# FOLDER defaults to docs/). QT_SCALE_FACTOR and QT_FONT_DPI reach the program, to look at it on a
# denser screen or with a larger font: QT_SCALE_FACTOR=2 scripts/screenshots.sh "" /tmp/2x
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/ensure-packages.sh
ensure_packages "${JOTBOOK_BUILD_PACKAGES[@]}" xvfb openbox xdotool x11-utils x11-xkb-utils dbus python3 \
                python3-pyatspi gir1.2-atspi-2.0 at-spi2-core imagemagick

program=${1:-}
if [ -z "$program" ]; then
    cmake -S . -B build-run -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
    cmake --build build-run --target jotbook -j"$(nproc)"
    program=build-run/jotbook
fi
folder=${2:-docs}
mkdir -p "$folder"

PYTHONDONTWRITEBYTECODE=1 /usr/bin/python3 - "$program" "$folder" <<'EOF'
import os
import subprocess
import sys
import time

sys.path.insert(0, "tests/e2e")
from harness import Session, wait_for  # noqa: E402

program, out = sys.argv[1], os.path.abspath(sys.argv[2])
NOTE = """Заметки к совещанию 14.05

1. Перенести архив писем из старой системы (файлы в KOI8-R и CP866).
2. Проверить отчёты за апрель: «Сводка.txt» и «Журнал.log».
3. Разослать план работ до пятницы.

Ответственный: Иванов И. И.

Вопросы к поставщику:
- сроки поставки бумаги для принтеров;
- замена картриджей в отделе кадров;
- договор на обслуживание до конца года.

Следующее совещание: 21.05, в 10:00.
"""


FRAME, TITLE = 1, 24   # openbox's border and title bar, in pixels


def shoot(session, window, name):
    time.sleep(0.7)   # the last paint after the window settled
    subprocess.run(["import", "-frame", "-window", str(window), os.path.join(out, name)],
                   env=session.env, check=True)
    print("written:", os.path.join(out, name))


with Session(program) as session:
    for name in ("QT_SCALE_FACTOR", "QT_FONT_DPI"):
        if name in os.environ:
            session.env[name] = os.environ[name]
    note = os.path.join(session.root, "Заметки.txt")
    with open(note, "wb") as f:
        f.write(NOTE.replace("\n", "\r\n").encode("cp1251"))
    # Move the pointer out of the way: a hovered toolbar button changes the picture.
    session.xdotool("mousemove", "1270", "790")

    # The first start greets with the About window over the main window.
    app = session.start(session.fresh_profile(), [note])
    main = app.wait_window(r"^Заметки - Jotbook$")
    about = app.wait_window(r"^О программе$")
    shoot(session, about, "about.png")
    session.activate(about)
    session.key("Escape")
    wait_for("the About window to close", lambda: not app.windows(r"^О программе$"))

    session.activate(main)
    session.key("ctrl+End")
    shoot(session, main, "main-window.png")

    session.key("ctrl+Home", "ctrl+f")
    find = app.wait_window(r"^Поиск текста$")
    session.activate(find)
    session.type("картриджей")
    session.key("Return")
    time.sleep(0.7)
    # The dialog floats over the main window: the picture is the screen around both, frames and
    # title bars included.
    x, y, w, h = session.window_geometry(main)
    fx, fy, fw, fh = session.window_geometry(find)
    left, top = min(x, fx) - FRAME, min(y, fy) - TITLE
    right, bottom = max(x + w, fx + fw) + FRAME, max(y + h, fy + fh) + FRAME
    subprocess.run(["import", "-window", "root", "-crop", f"{right - left}x{bottom - top}+{left}+{top}",
                    "+repage", os.path.join(out, "find.png")], env=session.env, check=True)
    print("written:", os.path.join(out, "find.png"))
EOF
