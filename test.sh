#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer, fuzzes every converter and the layout for a
# short bounded time (FUZZ_SECONDS, default 20 per code and for the layout),
# runs every test through ctest, checks the .deb with lintian, and runs
# qorvel under faults.
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
# The installer, built with NSIS, installed and uninstalled under Wine.
"$OLDPWD/tests/windows/installer_test.sh"

# The Debian package: release build, cpack and lintian.
cd "$OLDPWD" && scripts/check-deb.sh

# qorvel under faults (strace, address-space limits), on the release build:
# the sanitizers' reservations leave no room for such limits.
tests/cli/fault_test.sh build/release/cli/qorvel
