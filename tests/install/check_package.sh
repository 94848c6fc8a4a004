#!/usr/bin/env bash
# Builds the Debian package as its preset does (SNAPVALE_PORTABLE off, in a build folder of its
# own), checks its name and dependencies, unpacks it into a temporary root and starts the program
# from there, on the offscreen platform with a fresh home folder, as a new user of the package
# would. The packaged program must keep its settings in the user's folder even where it could
# write beside itself (the suite runs as root, and the unpacked folder is writable).
# Usage: check_package.sh SOURCE_DIR BUILD_DIR VERSION [COMPILER_LAUNCHER]
set -euo pipefail
source=$1
build=$2/package-check
version=$3
launcher=${4:-}
work=$(mktemp -d)
pid=
cleanup() {
  if [[ -n $pid ]]; then kill "$pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

cmake -S "$source" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DSNAPVALE_BUILD_TESTS=OFF -DSNAPVALE_PORTABLE=OFF \
  ${launcher:+-DCMAKE_CXX_COMPILER_LAUNCHER=$launcher -DCMAKE_C_COMPILER_LAUNCHER=$launcher} \
  >"$work/configure.log" 2>&1 || { cat "$work/configure.log" >&2; exit 1; }
cmake --build "$build" --target snapvale2 >"$work/build.log" 2>&1 \
  || { tail -50 "$work/build.log" >&2; exit 1; }
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

# Starts the unpacked program for 3 s; its standard error goes to $work/err.log.
run() {
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
}

run
if [[ -s $work/err.log ]]; then
  echo "The unpacked program complained:" >&2
  cat "$work/err.log" >&2
  exit 1
fi
if [[ -e $work/home/.config/Snapvale2 || -e $work/root/usr/bin/Snapvale2.ini ]]; then
  echo "The program wrote settings at start-up." >&2
  exit 1
fi

# Which settings file the program chose shows in the one line it prints about a settings file
# it cannot use: both candidates are made folders. A portable build would take the one beside
# itself, which is there and in a folder it may write.
mkdir -p "$work/root/usr/bin/Snapvale2.ini" "$work/home/.config/Snapvale2/Snapvale2.ini"
run
chosen=$(sed -n 's/^snapvale2: settings file \(.*\) is not a regular file.*/\1/p' "$work/err.log")
if [[ $chosen != "$work/home/.config/Snapvale2/Snapvale2.ini" ]]; then
  echo "The packaged program does not keep its settings in the user's folder; it chose" \
    "'${chosen:-none}':" >&2
  cat "$work/err.log" >&2
  exit 1
fi
echo "The package's program ran from $work/root/usr/bin and keeps its settings per user."
