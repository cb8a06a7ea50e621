#!/usr/bin/env bash
# Builds the release tree as run.sh does, packs it into the .deb with cpack
# and has lintian check the package: any error (E:) or warning (W:) fails,
# and so does a changelog whose latest entry is not the package's version.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

# The package carries the web edition under /usr/share/qorvel/web: the page is
# built first (the toolchain is among the packages deps.sh installs).
web/build.sh >/dev/null

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQORVEL_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null

# A package left from an earlier version must not be the one checked.
rm -f "$build"/qorvel_*.deb
if ! log=$(cd "$build" && cpack 2>&1); then
  printf '%s\n' "$log" >&2
  echo "check-deb: cpack failed" >&2
  exit 1
fi
debs=("$build"/qorvel_*.deb)
if [ "${#debs[@]}" -ne 1 ] || [ ! -f "${debs[0]}" ]; then
  echo "check-deb: cpack did not make exactly one qorvel_*.deb in $build" >&2
  exit 1
fi
deb=${debs[0]}
if ! dpkg-deb -c "$deb" | grep -q '/usr/share/qorvel/web/index.html$'; then
  echo "check-deb: $deb does not carry the web edition" >&2
  exit 1
fi

# lintian's own exit status is kept for lintian failing to run; the tags
# are judged here, warnings included.
if ! report=$(lintian --fail-on none "$deb" 2>&1); then
  printf '%s\n' "$report" >&2
  echo "check-deb: lintian did not run" >&2
  exit 1
fi
report=$(grep -v '^running with root privileges' <<<"$report" || true)
if [ -n "$report" ]; then printf '%s\n' "$report"; fi
if grep -q '^[EW]:' <<<"$report"; then
  echo "check-deb: lintian reports errors or warnings on $deb" >&2
  exit 1
fi

# lintian does not compare the changelog with the package's version.
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb --extract "$deb" "$unpacked"
version=$(dpkg-deb --field "$deb" Version)
latest=$(gzip -dc "$unpacked/usr/share/doc/qorvel/changelog.gz" | sed -n 1p)
if [[ $latest != "qorvel ($version) "* ]]; then
  echo "check-deb: packaging/changelog starts with \"$latest\", not an entry for $version" >&2
  exit 1
fi
echo "check-deb: $deb is clean"
