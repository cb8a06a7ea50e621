#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer, fuzzes every converter, the layout and the
# UTF-8 edge for a short bounded time (FUZZ_SECONDS, default 20 per code and
# for each other target), runs every test through ctest, checks the .debs
# with lintian, installs and tries them, and runs qorvel under faults.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh

build=build/test
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQORVEL_SANITIZE=ON >/dev/null
cmake --build "$build" -j"$(nproc)"

fuzz/run.sh "${FUZZ_SECONDS:-20}"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
cd "$build"
ctest --output-on-failure -j"$(nproc)"

# The web edition in headless Chromium, against qorvel and ICU.
"$OLDPWD/web/tests/run.sh" "$PWD/cli/qorvel"

# qorvel.exe, cross-built with mingw-w64, under Wine against the Linux build.
"$OLDPWD/scripts/windows-test.sh" "$PWD/cli/qorvel"
# The desktop programs' code page 936 on Windows (Wine's table) against ICU's.
"$OLDPWD/scripts/windows-cp936-check.sh"
# Velmar, Orlenta and Kestrum for Windows, against a static Qt built once into
# a cache outside the repository (scripts/windows-qt.sh, about 50 minutes the
# first time): installed by qorvel-setup.exe and driven as a user drives
# them under Wine on Xvfb; then the installer's install, update and
# uninstall with them.
"$OLDPWD/scripts/windows-programs.sh" >/dev/null
"$OLDPWD/tests/windows/gui_test.sh" "$OLDPWD/out/windows"
"$OLDPWD/tests/windows/installer_test.sh" "$OLDPWD/out/windows"

# The Debian packages: release build, cpack and lintian; then installed on
# this machine and used from outside as a user would, and purged.
cd "$OLDPWD" && scripts/check-deb.sh
tests/package/installed_test.sh build/release

# qorvel under faults (strace, address-space limits), on the release build:
# the sanitizers' reservations leave no room for such limits.
tests/cli/fault_test.sh build/release/cli/qorvel
