#!/usr/bin/env bash
# Installs what testing needs if it is missing, builds the test build (AddressSanitizer and
# UBSan) and runs every test; then the Windows half (scripts/test-windows.sh): the program and
# every test cross-built for Windows and run under Wine, and the zip and the installer made,
# started and installed. The first run on a machine builds Qt for Windows (about 45 minutes on
# two cores), which later runs find in their cache; otherwise the Windows half takes minutes.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh --test
cmake --preset test
cmake --build --preset test
QT_QPA_PLATFORM=offscreen ctest --preset test

scripts/test-windows.sh
