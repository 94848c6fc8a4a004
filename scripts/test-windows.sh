#!/usr/bin/env bash
# The Windows half, from this Linux machine: installs what it needs if it is missing, builds
# GoogleTest, libjpeg-turbo and Qt for 64-bit Windows from Debian's own sources (once; kept in
# build/windows-deps/ and, for Qt, in a cache outside the clone), cross-builds the program and
# every test with MinGW-w64 (preset windows-cross), makes the zip and the installer
# (scripts/package-windows.sh) and runs every test under Wine: the core's and the widgets' tests
# (Qt's offscreen platform), then the packages' checks, which start the packaged program on a
# virtual X display and install and uninstall it silently.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/prepare-windows.sh

# Wine keeps its Windows (registry, C: drive, temporary folder) in the build folder, made before
# the tests so that the first test does not pay for it. Wine names Unix files in the locale's
# encoding: a UTF-8 locale keeps Japanese file names as they are. Wine's menu builder stays off,
# so nothing is written into the user's desktop menus, and so do its .NET and HTML engines,
# which it would otherwise try to download.
export WINEPREFIX=$root/build/windows-cross/wine WINEDEBUG=-all LC_ALL=C.UTF-8
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=;mshtml="
# A build folder from before the program was cross-built too (the core alone, linked statically)
# is configured anew.
if grep -qs -e '^SNAPVALE_BUILD_GUI:BOOL=OFF' -e '^CMAKE_EXE_LINKER_FLAGS:STRING=-static' \
  build/windows-cross/CMakeCache.txt; then
  rm build/windows-cross/CMakeCache.txt
fi
cmake --preset windows-cross
nice cmake --build --preset windows-cross -j2
scripts/package-windows.sh

if [[ ! -f $WINEPREFIX/system.reg ]]; then
  wineboot --init >/dev/null 2>&1 || true
fi
# One Wine server for the whole run: started and stopped with every test, it can be on its way
# out just as the next test connects. Wine's own services start with the first program and stay
# as long as the server; started here, they do not hold on to the output of the test that happened
# to be first. (The server left from the first start would end a few seconds after it.)
wineserver --kill 2>/dev/null || true
wineserver --persistent
trap 'wineserver --kill' EXIT
wineboot >/dev/null 2>&1
# A test program that Wine fails to start at all (seen once in a few hundred, ending within
# 0.05 s with no output) is run once more; a test that fails on its own merits fails twice.
ctest --preset windows-cross -j2 --repeat until-pass:2
