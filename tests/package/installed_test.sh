#!/usr/bin/env bash
# The packages as a user gets them. Installs the .debs cpack made, then, in a
# folder of its own with nothing of the source or build tree on any path:
# builds the outside C program tests/capi/convert_pieces.c on the installed
# libqorvel with pkg-config and with CMake's find_package, and the example of
# qorvel(3), and compares what they write with the installed qorvel's
# conversions and layout on random inputs and the samples; runs the Python
# example of docs/library.md and the module against the same outputs with
# Debian's python3; checks what the library exports. Last it purges the
# packages and checks that nothing is left behind.
#
#   tests/package/installed_test.sh [DEB_DIR]    (default build/release)
#
# Needs root (sudo otherwise). The random inputs come from a seed it prints;
# QORVEL_TEST_SEED=N repeats them.
set -euo pipefail
cd "$(dirname "$0")/../.."
src=$PWD
debdir=$(realpath "${1:-build/release}")
fail() { echo "installed_test: $*" >&2; exit 1; }

packages=(qorvel libqorvel1 libqorvel-dev python3-qorvel)
debs=()
for p in "${packages[@]}"; do
  deb=$(compgen -G "$debdir/${p}_*.deb") || fail "no ${p}_*.deb in $debdir"
  debs+=("$deb")
done
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
apt_get() {  # quiet unless it fails; waits while another apt-get runs
  local log
  log=$(DEBIAN_FRONTEND=noninteractive $SUDO apt-get -y -qq -o DPkg::Lock::Timeout=600 "$@" 2>&1) ||
    fail "apt-get $1 failed:"$'\n'"$log"
}
# --reinstall: a package of the same version left from an earlier run is
# replaced by this build's.
apt_get install --reinstall "${debs[@]}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
unset QORVEL_LIBRARY LD_LIBRARY_PATH PYTHONPATH PYTHONHOME PKG_CONFIG_PATH CMAKE_PREFIX_PATH
export PATH=/usr/sbin:/usr/bin:/sbin:/bin
qorvel=/usr/bin/qorvel
seed=${QORVEL_TEST_SEED:-$((RANDOM * 32768 + RANDOM))}
echo "installed_test: seed $seed"

# Inputs: the samples; nothing; random bytes (no NUL, so that the paste codes
# read them to the end) over the CLI's 1 MB chunks; slices of the samples
# with random bytes between them, so that real units meet at every kind of
# boundary; the samples with a NUL in the middle.
mkdir in out
cp "$src"/samples/*.txt in/
/usr/bin/python3 - "$seed" <<'EOF'
import pathlib, random, sys
rng = random.Random(int(sys.argv[1]))
samples = [p.read_bytes() for p in sorted(pathlib.Path("in").glob("*.txt"))]
noise = lambda n: rng.randbytes(n).replace(b"\0", b"\x01")
mixed = bytearray()
while len(mixed) < 1_000_000:
    s = rng.choice(samples)
    a = rng.randrange(len(s))
    mixed += s[a:a + rng.randrange(1, 4096)] + noise(rng.choice((0, 0, 1, 2, 7)))
whole = b"".join(samples)
at = rng.randrange(len(whole))
files = {"empty": b"", "random": noise(1_200_000), "mixed": bytes(mixed), "nul": whole[:at] + b"\0" + whole[at:]}
for name, data in files.items():
    pathlib.Path("in", name).write_bytes(data)
EOF
inputs=(in/*)

# The library a program gets is the installed one, and nothing else of ours.
lib=$(dpkg -L libqorvel1 | grep '/libqorvel\.so\.1$') || fail "libqorvel1 has no libqorvel.so.1"
readelf -d "$lib" | grep 'Library soname: \[libqorvel\.so\.1\]' >/dev/null || fail "$lib: SONAME is not libqorvel.so.1"
# (With a merged /usr the tools may name /lib for /usr/lib.)
resolves_to_lib() { [ -n "$1" ] && [ "$(realpath "$1")" = "$(realpath "$lib")" ]; }
resolves_to_lib "$(ldconfig -p | awk '$1 == "libqorvel.so.1" { print $NF; exit }')" ||
  fail "the dynamic linker's cache lacks $lib"
extra=$(nm -D --defined-only "$lib" | awk '!($2 == "A" && $3 ~ /^QORVEL_1(\.[0-9]+)?$/) && $3 !~ /^qorvel_[a-z0-9_]+@@QORVEL_1(\.[0-9]+)?$/')
[ -z "$extra" ] || fail "$lib exports more than qorvel_* under QORVEL_1:"$'\n'"$extra"
missing=$(comm -23 <("$src/scripts/qorvel-api.sh" functions /usr/include/qorvel.h) \
                   <(nm -D --defined-only "$lib" | awk '{sub(/@.*/, "", $3); print $3}' | sort -u))
[ -z "$missing" ] || fail "qorvel.h declares functions $lib does not export: $missing"

# The outside program, through pkg-config, through CMake, and qorvel(3)'s
# example as the page prints it.
cc_flags=(-std=c99 -Wall -Wextra -Wpedantic -Werror)
cp "$src/tests/capi/convert_pieces.c" .
# shellcheck disable=SC2046  # pkg-config's words are separate flags
cc "${cc_flags[@]}" -o convert_pieces convert_pieces.c $(pkg-config --cflags --libs qorvel)
zcat /usr/share/man/man3/qorvel.3.gz | sed -n '/^\.SH EXAMPLES/,$p' | awk '/^\.EE/ { exit } p { print } /^\.EX/ { p = 1 }' \
  | sed 's/\\-/-/g; s/\\e/\\/g' >example.c
# docs/library.md shows the same program as the man page, and bench/library.sh times it.
awk '/^A C program on it/ { p = 1 } p && /^```$/ { exit } p == 2 { print } p && /^```c$/ { p = 2 }' \
  "$src/docs/library.md" >docs.c
cmp -s example.c "$src/capi/examples/convert.c" || fail "qorvel(3)'s example differs from capi/examples/convert.c"
cmp -s docs.c "$src/capi/examples/convert.c" || fail "docs/library.md's C example differs from capi/examples/convert.c"
# shellcheck disable=SC2046
cc "${cc_flags[@]}" -o example example.c $(pkg-config --cflags --libs qorvel)
mkdir cmake
cp convert_pieces.c cmake/
cat >cmake/CMakeLists.txt <<'EOF'
cmake_minimum_required(VERSION 3.16)
project(outside C)
find_package(Qorvel 1 REQUIRED)
add_executable(convert_pieces convert_pieces.c)
target_link_libraries(convert_pieces PRIVATE Qorvel::qorvel)
EOF
cmake -S cmake -B cmake/build -G Ninja >/dev/null
cmake --build cmake/build >/dev/null
for program in convert_pieces example cmake/build/convert_pieces; do
  resolves_to_lib "$(ldd "$program" | awk '$1 == "libqorvel.so.1" { print $3 }')" ||
    fail "$program is not linked with $lib"
done

diff <(./convert_pieces --list | cut -f1) <("$qorvel" convert --list | cut -f1) >/dev/null ||
  fail "the library's codes differ from qorvel convert --list"
mapfile -t codes < <(./convert_pieces --list | cut -f1)
[ "${#codes[@]}" -gt 0 ] || fail "the library lists no codes"

same() {  # EXPECTED INPUT COMMAND...: the command's output from INPUT is EXPECTED
  local expected=$1 input=$2
  shift 2
  "$@" <"$input" >got || fail "$* < $input failed (seed $seed)"
  cmp -s got "$expected" || fail "$* < $input differs from $expected (seed $seed)"
}
runs=0
for code in "${codes[@]}"; do
  for input in "${inputs[@]}"; do
    expected=out/$code.${input#in/}
    "$qorvel" convert --from "$code" -o "$expected" "$input" 2>/dev/null
    for s in 1 2 3; do
      same "$expected" "$input" ./convert_pieces "$code" $((seed + s))
      runs=$((runs + 1))
    done
  done
  same "out/$code.mixed" in/mixed ./example "$code"
  same "out/$code.mixed" in/mixed cmake/build/convert_pieces "$code" "$seed"
done
heights=(500 1 $((seed % 3000)) 4294967295)
for height in "${heights[@]}"; do
  for input in "${inputs[@]}"; do
    expected=out/layout-$height.${input#in/}
    "$qorvel" layout --line-height "$height" -o "$expected" "$input"
    same "$expected" "$input" ./convert_pieces layout "$seed" "$height"
  done
done
echo "installed_test: C, through pkg-config: ${#codes[@]} codes x ${#inputs[@]} inputs x 3 seeds in random pieces" \
     "($runs runs) and the layout at ${#heights[@]} line heights give the bytes of $qorvel;" \
     "so do qorvel(3)'s example and the CMake build (find_package(Qorvel))"

# Python: docs/library.md's example (which checks itself against the one-call form)
# and the module against the CLI's outputs, whole and in random pieces.
cp "$src/python/example.py" .
/usr/bin/python3 example.py in/mengkeli_sample.txt example.out >/dev/null
cmp -s example.out out/mengkeli.mengkeli_sample.txt || fail "python3 example.py differs from qorvel convert"
/usr/bin/python3 - "$seed" "${heights[@]}" <<'EOF'
import pathlib, random, sys
import qorvel
assert qorvel.__file__ == "/usr/lib/python3/dist-packages/qorvel/__init__.py", qorvel.__file__
rng = random.Random(int(sys.argv[1]))
out = pathlib.Path("out")
for name in sorted(p.name for p in pathlib.Path("in").iterdir()):
    data = pathlib.Path("in", name).read_bytes()
    for code, _, _ in qorvel.codes():
        want = (out / f"{code}.{name}").read_bytes()
        assert qorvel.convert(code, data) == want, (code, name)
        with qorvel.Converter(code) as conv:
            parts, at = [], 0
            while at < len(data):
                n = rng.choice((1, 3, 4096, 1 << 20))
                parts.append(conv.feed(data[at:at + n]))
                at += n
            parts.append(conv.finish())
        assert b"".join(parts) == want, (code, name, "in pieces")
    for height in map(int, sys.argv[2:]):
        assert qorvel.layout(data, height) == (out / f"layout-{height}.{name}").read_bytes(), (height, name)
print(f"installed_test: Python {sys.version.split()[0]}, {qorvel.__file__}: example.py, and every code"
      " whole and in random pieces and the layout, give the bytes of /usr/bin/qorvel")
EOF

# Removed, the packages leave nothing: no byte code Python compiled, no
# library in the dynamic linker's cache.
apt_get purge "${packages[@]}"
[ ! -e /usr/lib/python3/dist-packages/qorvel ] || fail "purging python3-qorvel left /usr/lib/python3/dist-packages/qorvel"
if ldconfig -p | grep libqorvel >/dev/null; then fail "the dynamic linker's cache still has libqorvel after purging"; fi
echo "installed_test: the packages install, work from outside and purge clean"
