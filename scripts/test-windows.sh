#!/usr/bin/env bash
# The Windows half, from this Linux machine: installs what it needs if it is missing, builds
# GoogleTest and libjpeg-turbo for 64-bit Windows from Debian's own sources (once; they are kept
# in build/windows-deps/), cross-builds the core and its tests with MinGW-w64 (preset
# windows-cross) and runs those tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/setup.sh --windows

toolchain=$root/cmake/mingw-w64-x86_64.cmake
deps=$root/build/windows-deps
prefix=$deps/prefix
mkdir -p "$deps/src" "$prefix"

# Builds and installs one library for Windows into the prefix, unless this very version is there.
#   build_dependency <name> <version> <source folder> [cmake options...]
build_dependency() {
  local name=$1 version=$2 source=$3
  shift 3
  local stamp=$prefix/.built-$name
  if [[ -f $stamp && $(cat "$stamp") == "$version" ]]; then
    return
  fi
  echo "Building $name $version for Windows"
  rm -rf "$deps/build/$name"
  cmake -S "$source" -B "$deps/build/$name" -G Ninja --toolchain "$toolchain" \
    -Wno-dev -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" "$@" >/dev/null
  nice cmake --build "$deps/build/$name" -j2 >/dev/null
  cmake --install "$deps/build/$name" >/dev/null
  echo "$version" >"$stamp"
}

# GoogleTest from the googletest package's sources, without GoogleMock, which no test uses.
build_dependency googletest "$(dpkg-query -W -f='${Version}' googletest)" /usr/src/googletest \
  -DBUILD_GMOCK=OFF -DINSTALL_GTEST=ON

# libjpeg-turbo from Debian's source package, with Debian's patches applied, as a static library:
# the same version the Linux build uses, and nothing fetched from outside Debian's archive. The
# SIMD code is left out: it needs the NASM assembler and changes no pixel the tests look at.
dsc=$(apt-get source --print-uris libjpeg-turbo | sed -n "s/^'[^']*' \([^ ]*\.dsc\) .*/\1/p")
jpeg_version=${dsc#libjpeg-turbo_}
jpeg_version=${jpeg_version%.dsc}
if [[ ! -f $prefix/.built-libjpeg-turbo || $(cat "$prefix/.built-libjpeg-turbo") != "$jpeg_version" ]]; then
  rm -rf "$deps/src"/libjpeg-turbo*
  (cd "$deps/src" && apt-get source -qq libjpeg-turbo >/dev/null)
fi
build_dependency libjpeg-turbo "$jpeg_version" "$(ls -d "$deps/src"/libjpeg-turbo-*/ | head -1)" \
  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=ON -DWITH_SIMD=OFF \
  -DCMAKE_INSTALL_DEFAULT_LIBDIR=lib

# Wine keeps its Windows (registry, C: drive, temporary folder) in the build folder, made before
# the tests so that the first test does not pay for it. Wine names Unix files in the locale's
# encoding: a UTF-8 locale keeps Japanese file names as they are. Wine's menu builder stays off,
# so nothing is written into the user's desktop menus, and so do its .NET and HTML engines,
# which it would otherwise try to download.
export WINEPREFIX=$root/build/windows-cross/wine WINEDEBUG=-all LC_ALL=C.UTF-8
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=;mshtml="
cmake --preset windows-cross
nice cmake --build --preset windows-cross -j2
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
ctest --preset windows-cross -j2
