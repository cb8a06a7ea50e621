#!/usr/bin/env bash
# Fails, naming them, when a Windows program or DLL needs DLLs other than
# Windows' own, which every Windows has: anything else would have to be
# carried beside it. Reads the import table with objdump.
#   scripts/windows-dlls.sh FILE...
set -euo pipefail
system_dlls='^(advapi32|comdlg32|dwmapi|dwrite|d2d1|d3d9|d3d11|dxgi|shcore|gdi32|imm32|kernel32|msvcrt|netapi32|ole32|oleaut32|shell32|shlwapi|user32|userenv|uxtheme|version|winmm|winspool\.drv|ws2_32|wtsapi32|setupapi|authz|api-ms-win-[a-z0-9-]+|mpr|comctl32|bcrypt|crypt32|secur32|rpcrt4|ntdll)(\.dll)?$'
status=0
for file in "$@"; do
  imports=$(x86_64-w64-mingw32-objdump -p "$file" | sed -n 's/^\tDLL Name: //p' | tr '[:upper:]' '[:lower:]')
  foreign=$(grep -Ev "$system_dlls" <<<"$imports" || true)
  if [ -n "$foreign" ]; then
    echo "windows-dlls: $(basename "$file") needs DLLs that are not Windows' own: ${foreign//$'\n'/ }" >&2
    status=1
  fi
done
exit "$status"
