#!/usr/bin/env bash
# What every Windows build from this Linux machine needs, made once and kept: the packages
# (scripts/setup.sh --windows), GoogleTest and libjpeg-turbo for 64-bit Windows from Debian's own
# sources (in build/windows-deps/prefix), and Qt for Windows (scripts/build-qt-windows.sh, in a
# cache outside the clone, linked as build/windows-deps/qt). The presets windows-cross and
# windows-installed find all three there. Each step is skipped when its result is already there.
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
# SIMD code is left out: it needs the NASM assembler and changes no pixel the tests look at. Its
# licence texts are installed with it (share/doc/libjpeg-turbo), for the packages.
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

# Qt, from its cache (built there the first time, about 45 minutes).
qt=$(scripts/build-qt-windows.sh)
ln -sfn "$qt" "$deps/qt"
