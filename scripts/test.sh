#!/usr/bin/env bash
# Installs what testing needs if it is missing, builds the test build (AddressSanitizer and
# UBSan) and runs every test; then the Windows half (scripts/test-windows.sh): the core
# cross-built for Windows and its tests run under Wine, a few minutes more.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh --test
cmake --preset test
cmake --build --preset test
QT_QPA_PLATFORM=offscreen ctest --preset test

scripts/test-windows.sh
