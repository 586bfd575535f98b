#!/usr/bin/env bash
# Fails when the program imports a DLL outside the system's own set.
set -euo pipefail
objdump=$1
exe=$2

allowed='^(kernel32|user32|gdi32|comctl32|shell32|shlwapi|advapi32|ole32|psapi|wininet|msvcrt|ucrtbase|api-ms-win-crt-[a-z0-9-]+)\.dll$'

headers=$("$objdump" -p "$exe")
grep -q 'PE32+' <<<"$headers" || { echo "$exe is not a PE32+ (x64) program"; exit 1; }
grep -q 'Subsystem.*Windows GUI' <<<"$headers" || { echo "$exe is not a GUI program"; exit 1; }

dlls=$(sed -n 's/^\s*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z')
[ -n "$dlls" ] || { echo "no imports found in $exe"; exit 1; }
bad=0
for dll in $dlls; do
    if [[ "$dll" =~ $allowed ]]; then
        echo "ok: $dll"
    else
        echo "not a system DLL: $dll"
        bad=1
    fi
done
exit $bad
