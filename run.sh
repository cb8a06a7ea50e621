#!/usr/bin/env bash
# Installs what is missing, builds, and runs the main job on the bundled
# samples: lays the Qorvel sample out into its web-format text and converts
# every other sample into Qorvel code. Outputs go to out/.
#
#   ./run.sh            the job above
#   ./run.sh velmar     start Velmar on the Qorvel sample (needs a display)
#   ./run.sh orlenta    start Orlenta;  ./run.sh kestrum  start Kestrum
#   ./run.sh web        build the web edition, out/web/index.html, and the npm package
#                       out/qorvel-VERSION.tgz; print their paths
#   ./run.sh windows    cross-build velmar.exe, orlenta.exe, kestrum.exe and qorvel.exe into
#                       out/windows/, with qorvel-windows.zip and qorvel-setup.exe; print their paths
#                       (the first time also builds Qt for Windows into a cache: about 50 minutes)
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
[ "${1:-}" = web ] && exec web/build.sh
if [ "${1:-}" = windows ]; then
  scripts/windows-programs.sh >/dev/null
  exec scripts/windows-build.sh build/windows-gui
fi

build=build/release
# The packages' prefix (scripts/check-deb.sh packs this tree), which qorvel.pc names.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQORVEL_TESTS=OFF -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null
qorvel="$build/cli/qorvel"

case "${1:-}" in
  velmar)  exec "$build/velmar/velmar" samples/qorvel_sample.txt ;;
  orlenta) exec "$build/orlenta/orlenta" ;;
  kestrum) exec "$build/kestrum/kestrum" ;;
esac

mkdir -p out
"$qorvel" layout -o out/qorvel_sample.web.txt samples/qorvel_sample.txt
echo "Web-format text of samples/qorvel_sample.txt: out/qorvel_sample.web.txt"

while IFS=$'\t' read -r code _; do
  sample="samples/${code%%-*}_sample.txt"
  [ -f "$sample" ] || continue
  "$qorvel" convert --from "$code" -o "out/${code}.qorvel.txt" "$sample"
  echo "$sample converted --from $code: out/${code}.qorvel.txt"
done < <("$qorvel" convert --list)

if command -v clang++-16 >/dev/null && command -v node >/dev/null; then
  web=$(web/build.sh)
  echo "Web edition (open it in a browser): $(sed -n 1p <<<"$web")"
  echo "npm package qorvel (for npm install): $(sed -n 2p <<<"$web")"
fi

if [ -x "$build/velmar/velmar" ]; then
  if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "Starting Velmar on samples/qorvel_sample.txt"
    exec "$build/velmar/velmar" samples/qorvel_sample.txt
  fi
  QT_QPA_PLATFORM=offscreen "$build/velmar/velmar" --render out/qorvel_sample.png samples/qorvel_sample.txt
  echo "Velmar's view of samples/qorvel_sample.txt (no display here): out/qorvel_sample.png"
fi
