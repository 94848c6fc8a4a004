#!/usr/bin/env bash
# Installs what running needs if it is missing, builds the program and starts it. On the first
# start of a fresh build (no settings file beside the program yet) it writes a folder of sample
# screenshots and points the settings at it, so there is something to look at.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset release
cmake --build --preset release --target snapvale2 make_samples

program=build/release/src/snapvale2
settings=build/release/src/Snapvale2.ini
if [[ ! -e "$settings" ]]; then
  build/release/tools/make_samples "$PWD/samples" "$settings"
fi

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "No display: starting the program on a virtual X display (xvfb-run)."
  exec xvfb-run -a -s "-screen 0 1280x800x24" "$program" "$@"
fi
exec "$program" "$@"
