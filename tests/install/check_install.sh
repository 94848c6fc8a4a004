#!/usr/bin/env bash
# Installs a build into a staging root, as a package would, and checks what a desktop needs: the
# program and its desktop files are there and nothing else is, and the desktop entry and the
# AppStream metadata pass their validators.
# Usage: check_install.sh BUILD_DIR
set -euo pipefail
build=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null

expected=(
  usr/bin/snapvale2
  usr/share/applications/snapvale2.desktop
  usr/share/doc/snapvale2/README.md
  usr/share/doc/snapvale2/copyright
  usr/share/icons/hicolor/scalable/apps/snapvale2.svg
  usr/share/metainfo/example.snapvale2.Snapvale2.metainfo.xml
)
for size in 16 22 24 32 48 64 128 256; do
  expected+=("usr/share/icons/hicolor/${size}x${size}/apps/snapvale2.png")
done
if ! diff -u <(printf '%s\n' "${expected[@]}" | sort) <(cd "$root" && find . -type f | sed 's|^\./||' | sort); then
  echo "The installed files differ from the expected ones (- expected, + installed)." >&2
  exit 1
fi

desktop=$root/usr/share/applications/snapvale2.desktop
# The validator reports some errors and every hint with success; any report at all fails here.
report=$(desktop-file-validate "$desktop" 2>&1) && [[ -z $report ]] \
  || { echo "desktop-file-validate: ${report:-failed}" >&2; exit 1; }
# The entry starts the installed program and names the installed icon.
entry() { sed -n "s/^$1=//p" "$desktop"; }
program=$(entry Exec); program=${program%% *}
[[ -x $root/usr/bin/$program ]] || { echo "Exec names $program, which is not installed." >&2; exit 1; }
[[ -f $root/usr/share/icons/hicolor/scalable/apps/$(entry Icon).svg ]] \
  || { echo "Icon names $(entry Icon), which is not installed." >&2; exit 1; }

appstreamcli validate --no-net "$root/usr/share/metainfo/example.snapvale2.Snapvale2.metainfo.xml"
# The whole tree: the metadata's desktop entry and icon must be found where it says.
appstreamcli validate-tree --no-net "$root/usr"
echo "Install tree and desktop files are valid."
