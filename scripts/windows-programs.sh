#!/usr/bin/env bash
# Cross-builds Velmar, Orlenta and Kestrum for 64-bit Windows against the
# static Qt of scripts/windows-qt.sh (built once into a cache, about 45
# minutes the first time): velmar.exe, orlenta.exe and kestrum.exe in
# out/windows/, each one file that needs only Windows' own DLLs (checked
# with scripts/windows-dlls.sh). Prints the folder.
set -euo pipefail
. "$(dirname "$0")/windows-common.sh"
cd "$root"

qt=$(scripts/windows-qt.sh | tail -n1)
build=build/windows-gui
windows_configure "$build" -DQORVEL_WINDOWS_QT="$qt" -DCMAKE_PREFIX_PATH="$qt" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DQORVEL_GUI=ON -DQORVEL_TESTS=OFF -DQORVEL_BENCH=OFF
windows_compile "$build" "${windows_gui[@]}"

out=out/windows
mkdir -p "$out"
for app in "${windows_gui[@]}"; do
  cp "$build/$app/$app.exe" "$out/$app.exe"
done
(cd "$out" && "$root/scripts/windows-dlls.sh" "${windows_gui[@]/%/.exe}")
echo "$PWD/$out"
