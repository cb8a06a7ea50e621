#!/usr/bin/env bash
# Builds the release tree as run.sh does, packs it with cpack into the four
# packages (qorvel, libqorvel1, libqorvel-dev, python3-qorvel) and has
# lintian check each: any error (E:) or warning (W:) fails, and so do a
# package too many or missing, a changelog whose latest entry is not the
# packages' version, and a symbols file that differs from what the library
# exports. Leaves the .debs in build/release.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

# The package carries the web edition under /usr/share/qorvel/web: the page is
# built first (the toolchain is among the packages deps.sh installs).
web/build.sh >/dev/null

# The prefix is the one the packages install under, which qorvel.pc names.
build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQORVEL_TESTS=OFF -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null

# Packages left from an earlier version must not be the ones checked.
rm -f "$build"/*.deb
if ! log=$(cd "$build" && cpack 2>&1); then
  printf '%s\n' "$log" >&2
  echo "check-deb: cpack failed" >&2
  exit 1
fi
packages=(qorvel libqorvel1 libqorvel-dev python3-qorvel)
made=$(cd "$build" && ls -- *.deb | sed 's/_.*//' | sort)
if [ "$made" != "$(printf '%s\n' "${packages[@]}" | sort)" ]; then
  echo "check-deb: cpack made ${made//$'\n'/ }, not ${packages[*]} (a file installed without a component?)" >&2
  exit 1
fi
debs=()
for p in "${packages[@]}"; do debs+=("$(echo "$build/${p}_"*.deb)"); done
if ! dpkg-deb -c "${debs[0]}" | grep '/usr/share/qorvel/web/index.html$' >/dev/null; then
  echo "check-deb: ${debs[0]} does not carry the web edition" >&2
  exit 1
fi

# lintian's own exit status is kept for lintian failing to run; the tags
# are judged here, warnings included.
if ! report=$(lintian --fail-on none "${debs[@]}" 2>&1); then
  printf '%s\n' "$report" >&2
  echo "check-deb: lintian did not run" >&2
  exit 1
fi
report=$(grep -v '^running with root privileges' <<<"$report" || true)
if [ -n "$report" ]; then printf '%s\n' "$report"; fi
if grep -q '^[EW]:' <<<"$report"; then
  echo "check-deb: lintian reports errors or warnings" >&2
  exit 1
fi

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
version=$(dpkg-deb --field "${debs[0]}" Version)
for i in "${!packages[@]}"; do
  p=${packages[$i]}
  dpkg-deb --extract "${debs[$i]}" "$unpacked/$p"
  # lintian does not compare the changelog with the package's version. Every
  # package carries the changelog of the one source, named qorvel.
  latest=$(gzip -dc "$unpacked/$p/usr/share/doc/$p/changelog.gz" | sed -n 1p)
  if [[ $(dpkg-deb --field "${debs[$i]}" Version) != "$version" || $latest != "qorvel ($version) "* ]]; then
    echo "check-deb: $p's changelog starts with \"$latest\", not an entry for $version" >&2
    exit 1
  fi
done

# A function added to the library needs its line in the symbols file (with
# the version that brought it), or programs built on it would ask too
# little of libqorvel1; dpkg-shlibdeps does not check this.
lib=$(find "$unpacked/libqorvel1" -name 'libqorvel.so.*.*.*')
if ! differences=$(diff <(nm -D --defined-only "$lib" | awk '{ sub(/@@/, "@", $3); print ($2 == "A" ? $3 "@" $3 : $3) }' | sort) \
                        <(awk '/^ / { print $1 }' packaging/libqorvel1.symbols | sort)); then
  printf '%s\n' "$differences" >&2
  echo "check-deb: packaging/libqorvel1.symbols differs from what the library exports (< exported, > listed)" >&2
  exit 1
fi
echo "check-deb: ${packages[*]} $version are clean"
