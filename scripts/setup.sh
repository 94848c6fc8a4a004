#!/usr/bin/env bash
# Installs the Debian packages the project needs, only those that are missing.
#   scripts/setup.sh          what building and running the program needs (scripts/run.sh)
#   scripts/setup.sh --test   that, and what the test suite, the Debian package, the benchmarks
#                             and fuzzing need (scripts/test.sh)
#   scripts/setup.sh --windows  what the Windows half needs (scripts/test-windows.sh,
#                             scripts/package-windows.sh): the MinGW-w64 cross compiler, Wine,
#                             GoogleTest's sources, Debian's source packages, from which
#                             libjpeg-turbo and Qt are built for Windows, NSIS for the installer,
#                             and a virtual display for starting the packaged program
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libturbojpeg0-dev
  qt6-translations-l10n fonts-ipafont-gothic
)
# Without a display, scripts/run.sh starts the program on a virtual one.
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  packages+=(xvfb)
fi
if [[ "${1:-}" == --test ]]; then
  packages+=(
    libgtest-dev libbenchmark-dev libstb-dev
    clang libclang-rt-14-dev
    desktop-file-utils appstream dpkg-dev file
    imagemagick
  )
elif [[ "${1:-}" == --windows ]]; then
  # The POSIX-threads compiler, whose C++ library has std::thread and std::mutex; Wine runs the
  # 64-bit test programs; googletest is GoogleTest's source, built with the cross compiler. Qt for
  # Windows is built with the Linux Qt's moc, rcc and uic (qt6-base-dev), and the packages take
  # Qt's Japanese texts from qt6-translations-l10n. The widget tests draw with the IPA Gothic the
  # Linux tests use. The start-up check runs the packaged program on Xvfb, types with xdotool
  # and reads the screen with python3.
  packages=(
    cmake ninja-build perl
    g++-mingw-w64-x86-64-posix wine64 wine
    googletest dpkg-dev
    qt6-base-dev qt6-translations-l10n fonts-ipafont-gothic
    nsis xvfb xdotool python3
  )
elif [[ $# -gt 0 ]]; then
  echo "usage: $0 [--test | --windows]" >&2
  exit 2
fi

sudo=()
if [[ $(id -u) -ne 0 ]]; then sudo=(sudo); fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"
fi

# `apt-get source` needs a deb-src entry beside each deb entry of Debian's archive; add them once,
# from the entries the machine already uses, so the sources match the binaries it installs.
if [[ "${1:-}" == --windows ]] && ! apt-get source --print-uris libjpeg-turbo >/dev/null 2>&1; then
  echo "Adding deb-src entries for Debian's source packages"
  list=/etc/apt/sources.list.d/snapvale2-sources
  for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [[ -f "$file" && "$file" != "$list.list" ]] || continue
    sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$file"
  done | "${sudo[@]}" tee "$list.list" >/dev/null
  for file in /etc/apt/sources.list.d/*.sources; do
    [[ -f "$file" && "$file" != "$list.sources" ]] || continue
    # Each stanza whose types are plain deb, again as deb-src.
    awk 'BEGIN { RS = ""; ORS = "\n\n" } /(^|\n)Types:[[:space:]]*deb[[:space:]]*(\n|$)/ {
           sub(/Types:[[:space:]]*deb[[:space:]]*/, "Types: deb-src\n"); print }' "$file"
  done | "${sudo[@]}" tee "$list.sources" >/dev/null
  "${sudo[@]}" apt-get update -qq
fi
