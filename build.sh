#!/usr/bin/env bash
# Installs what is missing, builds, then starts the program ("run") or runs the tests ("test").
# Usage: ./build.sh run | test [build folder]
set -euo pipefail
cd "$(dirname "$0")"
mode=${1:-run}
build=${2:-build}

packages=(cmake ninja-build g++ qt6-base-dev qt6-multimedia-dev qt6-translations-l10n
          libvmime-dev libcurl4-openssl-dev libxlsxwriter-dev libbenchmark-dev
          python3-aiosmtpd poppler-utils python3-openpyxl xdg-utils dbus-daemon fonts-liberation2)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    apt-get update
    DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${CMAKE_ARGS:-}
cmake --build "$build"

case "$mode" in
run) exec "$build/tovalinero" ;;
test) ctest --test-dir "$build" --output-on-failure -j"$(nproc)" ;;
*) echo "usage: $0 run|test" >&2; exit 2 ;;
esac
