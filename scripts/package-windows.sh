#!/usr/bin/env bash
# Makes the program for Windows players, on this Linux machine:
#   build/snapvale2-<version>-windows-x64.zip   unpacked anywhere, it runs, and keeps its
#                                               settings beside itself
#   build/snapvale2-<version>-setup.exe         installs into Program Files (settings in
#                                               %APPDATA%\Snapvale2\); `/S` installs silently
# Qt for Windows is built once into a cache outside the clone (scripts/build-qt-windows.sh, about
# 45 minutes the first time); later runs take a few minutes.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/prepare-windows.sh
qt=$root/build/windows-deps/qt
cross=x86_64-w64-mingw32

# The zip's program keeps its settings beside itself where it may; the installer's always in the
# user's folder, since Program Files is not the user's to write.
for preset in windows-cross windows-installed; do
  cmake --preset "$preset" >/dev/null
  nice cmake --build --preset "$preset" -j2 --target snapvale2
done
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/windows-cross/CMakeCache.txt)

# The DLLs a program or plugin loads that come with Qt (Qt's own and the compiler's runtime),
# and those they load in turn; the rest are Windows' own.
qt_dlls_of() {
  local file dll
  for file in "$@"; do
    $cross-objdump -p "$file" | sed -n 's/^[[:space:]]*DLL Name: //p'
  done | sort -u | while read -r dll; do
    if [[ -f $qt/bin/$dll ]]; then
      echo "$dll"
      qt_dlls_of "$qt/bin/$dll"
    fi
  done | sort -u
}

# Lays out the program folder: the program, the DLLs it loads, the platform and style plugins,
# Qt's Japanese texts for its standard dialogs, and the licences.
#   stage <program> <folder>
stage() {
  local program=$1 folder=$2
  rm -rf "$folder"
  mkdir -p "$folder/platforms" "$folder/styles" "$folder/translations" "$folder/licenses"
  cp "$program" "$folder/snapvale2.exe"
  cp "$qt/plugins/platforms/qwindows.dll" "$folder/platforms/"
  cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$folder/styles/"
  local dll
  for dll in $(qt_dlls_of "$folder/snapvale2.exe" "$folder"/platforms/*.dll "$folder"/styles/*.dll); do
    cp "$qt/bin/$dll" "$folder/"
  done
  $cross-strip --strip-unneeded "$folder"/*.exe "$folder"/*.dll "$folder"/*/*.dll
  # Qt looks for its plugins beside the program and for its texts in translations\.
  printf '[Paths]\r\nPrefix = .\r\nPlugins = .\r\nTranslations = translations\r\n' \
    >"$folder/qt.conf"
  cp /usr/share/qt6/translations/qtbase_ja.qm "$folder/translations/"

  local licenses=$folder/licenses
  mkdir -p "$licenses/Qt" "$licenses/libjpeg-turbo" "$licenses/MinGW-w64"
  cp LICENSE "$licenses/Snapvale2.txt"
  cp "$qt/licenses/LGPL-3.0-only.txt" "$qt/licenses/GPL-3.0-only.txt" "$licenses/Qt/"
  cp "$qt/licenses/qt6-base-copyright" "$licenses/Qt/copyright.txt"
  cp "$qt/licenses/qt6-base-build.txt" "$licenses/Qt/source.txt"
  cp build/windows-deps/prefix/share/doc/libjpeg-turbo/{LICENSE.md,README.ijg} \
    "$licenses/libjpeg-turbo/"
  cp /usr/share/doc/gcc-mingw-w64-base/copyright "$licenses/MinGW-w64/gcc-runtime.txt"
  cp /usr/share/doc/mingw-w64-common/copyright "$licenses/MinGW-w64/mingw-w64-winpthreads.txt"
  cat >"$licenses/README.txt" <<TEXT
Snapvale2 $version for Windows, and what comes with it

snapvale2.exe             Snapvale2, MIT licence (Snapvale2.txt)
Qt6*.dll, platforms\\,     Qt $(sed -n '1s/^Qt \([^,]*\),.*/\1/p' "$qt/licenses/qt6-base-build.txt"), LGPL version 3 (Qt\\LGPL-3.0-only.txt,
styles\\, translations\\    which adds to Qt\\GPL-3.0-only.txt); the libraries Qt carries inside
                          (zlib, libpng, FreeType, HarfBuzz, PCRE2 and others) under the
                          licences listed in Qt\\copyright.txt. Qt's DLLs may be replaced by
                          other builds of the same version. Its source: Qt\\source.txt.
inside snapvale2.exe      libjpeg-turbo, IJG and BSD-style licences (libjpeg-turbo\\)
lib*.dll                  the GNU compiler's runtime (libstdc++, libgcc: GPL 3 with the
                          GCC Runtime Library Exception) and winpthreads (MIT-style):
                          MinGW-w64\\
TEXT
  # Windows line ends for the texts a Windows user opens with Notepad.
  sed -i 's/\r*$/\r/' "$licenses/README.txt"
}

out=$root/build
work=$out/windows-package
rm -rf "$work"
mkdir -p "$work"

# The portable zip, with its files in a folder of the zip's name.
zip_name=snapvale2-$version-windows-x64
stage build/windows-cross/src/snapvale2.exe "$work/$zip_name"
rm -f "$out/$zip_name.zip"
(cd "$work" && cmake -E tar cf "$out/$zip_name.zip" --format=zip "$zip_name")

# The installer, and the list of what its uninstaller removes.
stage build/windows-installed/src/snapvale2.exe "$work/setup"
(
  cd "$work/setup"
  find . -type f | sort | sed 's|^\./||; s|/|\\|g; s|.*|  Delete "$INSTDIR\\&"|'
  find . -mindepth 1 -type d | sort -r | sed 's|^\./||; s|/|\\|g; s|.*|  RMDir "$INSTDIR\\&"|'
) >"$work/installed-files.nsh"
rm -f "$out/snapvale2-$version-setup.exe"
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$work/setup" \
  -DFILES="$work/installed-files.nsh" -DICON="$root/resources/windows/snapvale2.ico" \
  -DOUTFILE="$out/snapvale2-$version-setup.exe" resources/windows/installer.nsi >/dev/null

ls -l "$out/$zip_name.zip" "$out/snapvale2-$version-setup.exe"
