#!/usr/bin/env bash
# What the library promises, read where it is written, for the checks that
# hold a build to it:
#   scripts/qorvel-api.sh functions [HEADER]   the functions qorvel.h (or
#                                               HEADER) declares, sorted
#   scripts/qorvel-api.sh version              the suite's version, x.y.z, from
#                                               project() in CMakeLists.txt
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
case "${1:-}" in
  functions)
    names=$(sed -n 's/^QORVEL_API [^(]*[ *]\(qorvel_[a-z0-9_]*\)(.*/\1/p' "${2:-$root/capi/qorvel.h}" | sort)
    [ -n "$names" ] || { echo "qorvel-api: no QORVEL_API functions in ${2:-capi/qorvel.h}" >&2; exit 1; }
    echo "$names"
    ;;
  version)
    version=$(sed -n 's/^project(Qorvel VERSION \([0-9]*\.[0-9]*\.[0-9]*\)[ )].*/\1/p' "$root/CMakeLists.txt")
    [ -n "$version" ] || { echo "qorvel-api: no project(Qorvel VERSION x.y.z) in CMakeLists.txt" >&2; exit 1; }
    echo "$version"
    ;;
  *)
    echo "usage: scripts/qorvel-api.sh functions [HEADER] | version" >&2
    exit 2
    ;;
esac
