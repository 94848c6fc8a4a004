#!/usr/bin/env bash
# Installs what testing needs if it is missing, builds the test build (AddressSanitizer and
# UBSan) and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh --test
cmake --preset test
cmake --build --preset test
QT_QPA_PLATFORM=offscreen ctest --preset test
