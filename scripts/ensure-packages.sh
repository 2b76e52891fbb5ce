# shellcheck shell=bash disable=SC2034
# Sourced by run.sh and test.sh: installs the Debian packages given as arguments when any is missing.
# Works as root or through sudo; asks apt for the package lists only when something must be installed.

ensure_packages() {
    local missing=() pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    local as_root=()
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null; then
            echo "Нужны пакеты: ${missing[*]} — запустите от имени root или установите sudo." >&2
            return 1
        fi
        as_root=(sudo)
    fi
    echo "Устанавливаются пакеты: ${missing[*]}"
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# What building and running the editor needs.
JOTBOOK_BUILD_PACKAGES=(cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools qt6-translations-l10n
                        qt6-qpa-plugins libx11-dev libcups2-dev fonts-liberation xdg-utils)
# What the tests need on top: a private X session, keyboard and window tools, accessibility, a
# private print scheduler with a PDF queue and the tools that read PDF files.
JOTBOOK_TEST_PACKAGES=(xvfb openbox xdotool x11-utils x11-xkb-utils x11-xserver-utils dbus
                       python3 python3-pyatspi gir1.2-atspi-2.0 at-spi2-core imagemagick trayer xclip
                       cups cups-client cups-ipp-utils printer-driver-cups-pdf poppler-utils)
# What building and checking the Debian package needs on top of the build packages.
JOTBOOK_PACKAGE_PACKAGES=(dpkg-dev debhelper lintian appstream man-db)
