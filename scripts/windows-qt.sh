#!/usr/bin/env bash
# Builds the static Qt for Windows that velmar.exe, orlenta.exe and
# kestrum.exe link: Debian's own qt6-base source (the version of the Linux
# build's Qt), cross-built with Debian's mingw-w64 and Debian's host Qt tools
# (moc, rcc, uic of the same version). Only Core, Gui, Widgets, PrintSupport,
# the Windows platform plugin and style: no network, sql, dbus, opengl,
# examples or tests. Installed into a cache folder outside the repository,
# keyed by Qt's version and this script's options, and reused when present.
#   scripts/windows-qt.sh          prints the install folder (the last line)
# QORVEL_CACHE (default ~/.cache/qorvel) holds the cache. A second run
# started while one builds the same entry waits for it and then uses its
# result (scripts/cache-lock.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/cache-lock.sh

version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools 2>/dev/null || true)
if [ -z "$version" ]; then
  scripts/deps.sh >&2
  version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools)
fi
upstream=${version%%+*}  # 6.4.2+dfsg-10 -> 6.4.2

# The options: changing any of them makes another cache entry.
features=(network sql dbus opengl vulkan testlib concurrent xml freetype icu zstd glib)
systemlibs=(zlib pcre2 harfbuzz png jpeg)
configure=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DFEATURE_static_runtime=ON
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF -DINPUT_opengl=no)
for f in "${features[@]}"; do configure+=("-DFEATURE_$f=OFF"); done
for l in "${systemlibs[@]}"; do configure+=("-DFEATURE_system_$l=OFF"); done
# Raise `recipe` when the way of building changes (the wintab shim, say):
# editing this script otherwise keeps the cache.
recipe=1
key=$(printf '%s\n' "$version" "${configure[@]}" "recipe $recipe" | sha256sum | cut -c1-12)

cache=${QORVEL_CACHE:-$HOME/.cache/qorvel}
prefix=$cache/qt-$upstream-mingw-$key
if cache_entry_ready "$prefix" windows-qt; then
  echo "$prefix"
  exit 0
fi

say() { echo "windows-qt: $*" >&2; }
start=$SECONDS
say "building Qt $upstream for Windows into $prefix (once; about 45 minutes on 2 cores)"
work=$cache/qt-build-$key
mkdir -p "$work"

# The source package, through a private apt configuration with a deb-src
# entry for the machine's own archive: the machine's apt set-up stays as it is.
if [ ! -d "$work/src" ]; then
  apt=$work/apt
  mkdir -p "$apt/sources" "$apt/lists/partial" "$apt/cache/archives/partial"
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && sed 's/^Types: deb$/Types: deb-src/' "$f" >"$apt/sources/$(basename "$f")"
  done
  if [ -f /etc/apt/sources.list ]; then
    sed -n 's/^deb \(.*\)/deb-src \1/p' /etc/apt/sources.list >"$apt/sources/list.list"
  fi
  opts=(-o Dir::Etc::sourcelist=/dev/null -o Dir::Etc::sourceparts="$apt/sources"
    -o Dir::State::Lists="$apt/lists" -o Dir::Cache="$apt/cache")
  say "fetching the source package qt6-base $version"
  apt-get "${opts[@]}" update -qq >&2
  (cd "$work" && apt-get "${opts[@]}" source -qq "qt6-base=$version" >&2)
  src=$(find "$work" -maxdepth 1 -type d -name "qt6-base-*" | head -n1)
  [ -n "$src" ] || { say "no source folder after apt-get source"; exit 1; }
  mv "$src" "$work/src"
fi

# Debian's source leaves out src/3rdparty/wintab (its licence); Wine's LGPL
# headers declare the same interface, given three macros Wine's own build
# supplies.
shim=$work/wintab
mkdir -p "$shim"
for h in wintab.h pktdef.h; do
  found=$(find /usr/include/wine -name "$h" 2>/dev/null | head -n1)
  [ -n "$found" ] || { say "$h not found: install libwine-dev (scripts/deps.sh)"; exit 1; }
  {
    echo "#pragma once"
    echo "#include <windows.h>"
    echo "#ifndef WINELIB_NAME_AW"
    echo "#ifdef UNICODE"
    echo "#define WINELIB_NAME_AW(func) func##W"
    echo "#else"
    echo "#define WINELIB_NAME_AW(func) func##A"
    echo "#endif"
    echo "#define DECL_WINELIB_TYPE_AW(type) typedef WINELIB_NAME_AW(type) type;"
    echo "#endif"
    echo "#ifndef API"
    echo "#define API WINAPI"
    echo "#endif"
    echo "#include \"$found\""
  } >"$shim/$h"
done

cat >"$work/toolchain.cmake" <<TOOLCHAIN
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_AR x86_64-w64-mingw32-gcc-ar-posix)
set(CMAKE_RANLIB x86_64-w64-mingw32-gcc-ranlib-posix)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 $prefix)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_C_FLAGS_INIT "-I$shim")
set(CMAKE_CXX_FLAGS_INIT "-I$shim")
TOOLCHAIN

build=$work/build
say "configuring"
cmake -S "$work/src" -B "$build" "${configure[@]}" \
  -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake >"$work/configure.log" 2>&1 ||
  { tail -n 40 "$work/configure.log" >&2; say "configure failed (log: $work/configure.log)"; exit 1; }
say "compiling (log: $work/build.log)"
nice cmake --build "$build" -j"$(nproc)" >"$work/build.log" 2>&1 ||
  { tail -n 40 "$work/build.log" >&2; say "build failed (log: $work/build.log)"; exit 1; }
cmake --install "$build" >"$work/install.log" 2>&1 ||
  { tail -n 20 "$work/install.log" >&2; say "install failed"; exit 1; }
touch "$prefix/.complete"
rm -rf "$work"
say "done in $(((SECONDS - start) / 60)) min $(((SECONDS - start) % 60)) s"
echo "$prefix"
