#!/usr/bin/env bash
# Builds Qt for 64-bit Windows (MinGW-w64) from Debian's own qt6-base source, once, into a cache
# outside the clone, and prints the folder it is installed in. Later runs find it there and only
# print the folder. The cache is keyed by Qt's version, the compiler's and this script's configure
# options; a folder whose files no longer match the list made when it was built (a build cut
# short, a file changed or gone) is built again from scratch, never used as it is.
#
#   scripts/build-qt-windows.sh        (about 45 minutes on 2 cores the first time)
#
# Qt's version is that of the Linux Qt (qt6-base-dev), whose moc, rcc and uic the Windows build
# runs (QT_HOST_PATH): the two must be the same. Only what the program and its tests use is built:
# Core, Gui (with its own PNG support, bundled libpng and zlib), Widgets, Test, the `windows` and
# `offscreen` platform plugins and the Windows style; not network, SQL, D-Bus, printing, XML,
# Concurrent or image formats other than PNG and BMP. OpenGL stays on: Qt 6.4's Windows plugin does
# not compile without it, and it uses the system's own opengl32.dll. Tablets are off: Debian's
# source leaves out the Wintab headers for their licence, and the program takes no pen pressure.
# Shared libraries: Qt stays replaceable, as the LGPL asks.
set -euo pipefail
cd "$(dirname "$0")/.."

cross=x86_64-w64-mingw32
qt_version=$(dpkg-query -W -f='${source:Version}' qt6-base-dev)
compiler_version=$($cross-g++-posix -dumpfullversion)

options=(
  -G Ninja -Wno-dev
  -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON
  -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_SYSTEM_PROCESSOR=x86_64
  -DCMAKE_C_COMPILER=$cross-gcc-posix -DCMAKE_CXX_COMPILER=$cross-g++-posix
  -DCMAKE_RC_COMPILER=$cross-windres
  -DCMAKE_FIND_ROOT_PATH=/usr/$cross -DCMAKE_FIND_ROOT_PATH_MODE_PROGRAM=NEVER
  -DCMAKE_FIND_ROOT_PATH_MODE_LIBRARY=ONLY -DCMAKE_FIND_ROOT_PATH_MODE_INCLUDE=ONLY
  -DCMAKE_FIND_ROOT_PATH_MODE_PACKAGE=ONLY
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
  -DQT_QMAKE_TARGET_MKSPEC=win32-g++
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  -DFEATURE_gui=ON -DFEATURE_widgets=ON -DFEATURE_testlib=ON
  -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF
  -DFEATURE_xml=OFF -DFEATURE_concurrent=OFF
  -DFEATURE_vulkan=OFF -DFEATURE_direct2d=OFF -DFEATURE_tabletevent=OFF
  -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF -DFEATURE_ico=OFF
  -DFEATURE_zstd=OFF -DFEATURE_icu=OFF -DFEATURE_pkg_config=OFF
  -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_freetype=OFF
  -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_doubleconversion=OFF
  -DFEATURE_qmake=OFF -DFEATURE_androiddeployqt=OFF -DFEATURE_windeployqt=OFF
  -DFEATURE_macdeployqt=OFF
)

# Qt 6.4's Windows plugin asks for the DirectWrite font database whenever DirectWrite 3 is there,
# but Gui builds that database only with Direct2D, which nothing here uses: the plugin keeps to
# its default (GDI) font database without it.
patches=("$PWD/scripts/qt6-base-windows-without-direct2d.patch")

key=$(cat <(printf '%s\n' "$qt_version" "$compiler_version" "${options[@]}") "${patches[@]}" \
  | sha256sum | cut -c1-12)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/snapvale2
prefix=$cache/qt-${qt_version//[^0-9A-Za-z.]/_}-windows-x64-$key
work=$cache/work-$key
manifest=.snapvale2-files.sha256

# One build at a time: a second clone's run waits for the first one's Qt, then uses it.
mkdir -p "$cache"
exec 9>"$cache/qt.lock"
flock 9

if [[ -f $prefix/$manifest ]] && (cd "$prefix" && sha256sum --quiet --strict -c "$manifest" >/dev/null 2>&1); then
  echo "$prefix"
  exit 0
fi

log=$work.log
echo "Building Qt $qt_version for Windows into $prefix (once; about 45 minutes, log in $log)" >&2
rm -rf "$prefix" "$work"
mkdir -p "$work"
started=$SECONDS
exec 3>&2
trap 'echo "Qt'"'"'s build failed; the last lines of $log:" >&3; tail -20 "$log" >&3' ERR
{
  cd "$work"
  # The very version the Linux Qt was built from, with Debian's patches applied.
  apt-get source -qq "qt6-base=$qt_version"
  source=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name "qt6-base-*" | head -1)
  for patch in "${patches[@]}"; do
    patch -d "$source" -p1 <"$patch"
  done
  cmake -S "$source" -B "$work/build" "${options[@]}" -DCMAKE_INSTALL_PREFIX="$prefix"
  nice cmake --build "$work/build" -j2
  cmake --install "$work/build"

  # The compiler's runtime, which every Qt DLL and the program load, beside Qt's DLLs: programs
  # run from the build folder find them on the same path.
  for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
    cp "$(realpath "$($cross-g++-posix -print-file-name=$dll)")" "$prefix/bin/"
  done
  # What the LGPL asks to go with the DLLs: the licences, and where this very source came from.
  mkdir -p "$prefix/licenses"
  cp "$source"/LICENSES/*.txt "$prefix/licenses/"
  cp "$source/debian/copyright" "$prefix/licenses/qt6-base-copyright"
  {
    echo "Qt $qt_version, built from Debian's source package qt6-base $qt_version"
    echo "(apt-get source qt6-base=$qt_version; Debian's patches applied, and these of ours:"
    for patch in "${patches[@]}"; do sed 's/^/    /' "$patch"; done
    echo "), with MinGW-w64 GCC $compiler_version, configured with:"
    printf '  %s\n' "${options[@]}"
  } >"$prefix/licenses/qt6-base-build.txt"
} >"$log" 2>&1
trap - ERR

# Written last: only a whole build gets a list, and only a folder matching its list is used.
(cd "$prefix" && find . -type f ! -name "$manifest" -print0 | sort -z | xargs -0 sha256sum >"$manifest")
rm -rf "$work"
echo "Qt for Windows built in $(((SECONDS - started) / 60)) minutes" >&2
echo "$prefix"
