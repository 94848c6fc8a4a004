#!/usr/bin/env bash
# Installs the Debian packages the project needs, only those that are missing.
#   scripts/setup.sh          what building and running the program needs (scripts/run.sh)
#   scripts/setup.sh --test   that, and what the test suite, the Debian package, the benchmarks
#                             and fuzzing need (scripts/test.sh)
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
  )
elif [[ $# -gt 0 ]]; then
  echo "usage: $0 [--test]" >&2
  exit 2
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=()
  if [[ $(id -u) -ne 0 ]]; then sudo=(sudo); fi
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"
fi
