# shellcheck shell=bash disable=SC2034
# Sourced by the desktop benchmarks: installs the session tools and FeatherPad when missing and sets
# JOTBOOK to the program to measure (the second argument, or a fresh Release build).
source scripts/ensure-packages.sh
ensure_packages "${JOTBOOK_BUILD_PACKAGES[@]}" xvfb openbox x11-utils x11-xkb-utils xdotool dbus python3 featherpad

if [ -n "${2:-}" ]; then
    JOTBOOK=$(realpath "$2")
else
    cmake -S . -B build-desktop-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
    cmake --build build-desktop-bench --target jotbook -j"$(nproc)" >/dev/null
    JOTBOOK=$PWD/build-desktop-bench/jotbook
fi
