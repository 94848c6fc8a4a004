#!/usr/bin/env bash
# Builds the Debian package from a build folder, checks its name and dependencies, unpacks it
# into a temporary root and starts the program from there, on the offscreen platform with a
# fresh home folder, as a new user of the package would.
# Usage: check_package.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
work=$(mktemp -d)
pid=
cleanup() {
  if [[ -n $pid ]]; then kill "$pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 \
  || { cat "$work/cpack.log" >&2; exit 1; }
deb="$work/out/snapvale2_${version}_amd64.deb"
[[ -f $deb ]] || { echo "No package $deb; cpack made: $(ls "$work/out")" >&2; exit 1; }

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
# The font is named by hand, the libraries come from the program itself.
for needed in fonts-ipafont-gothic libqt6widgets6 libturbojpeg0 libc6; do
  grep -Eq "(^|, )$needed( |,|$)" <<<"$depends" \
    || { echo "The package does not depend on $needed." >&2; exit 1; }
done

dpkg-deb -x "$deb" "$work/root"
mkdir -m 700 "$work/home" "$work/runtime"
# Installed under /usr the program's folder is not the user's to write; without a write bit for
# anyone it counts as such even for root, who runs the suite in CI.
chmod a-w "$work/root/usr/bin"

env -i PATH=/usr/bin:/bin HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" \
  QT_QPA_PLATFORM=offscreen "$work/root/usr/bin/snapvale2" >"$work/out.log" 2>"$work/err.log" &
pid=$!
sleep 3
if ! kill -0 "$pid" 2>/dev/null; then
  wait "$pid" && status=0 || status=$?
  echo "The unpacked program ended within 3 s (status $status):" >&2
  cat "$work/err.log" >&2
  exit 1
fi
kill "$pid"
wait "$pid" 2>/dev/null || true
pid=
if [[ -s $work/err.log ]]; then
  echo "The unpacked program complained:" >&2
  cat "$work/err.log" >&2
  exit 1
fi
if [[ -e $work/home/.config/Snapvale2 ]]; then
  echo "The program wrote settings at start-up." >&2
  exit 1
fi
echo "The package's program ran from $work/root/usr/bin."
