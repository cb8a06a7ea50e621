#!/usr/bin/env bash
# Installs the Debian packages the project builds with, only when one is
# missing (apt-get update runs only then).
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config python3 mypy
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-qpa-plugins qt6-translations-l10n libgl-dev
  libicu-dev
  clang libclang-rt-dev
  xvfb xauth fonts-wqy-zenhei time
  lintian
  clang-16 lld-16 wasi-libc libc++-16-dev-wasm32 libc++abi-16-dev-wasm32 libclang-rt-16-dev-wasm32
  nodejs chromium poppler-utils node-typescript
  mingw-w64 wine wine64 googletest zip man-db bsdextrautils strace ccache
  qt6-base-dev-tools libwine-dev nsis librsvg2-bin icoutils xdotool xclip openbox imagemagick icu-devtools x11-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

# The web edition's tests; npm may come with nodejs rather than as a package.
command -v npm >/dev/null || missing+=(npm)

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
