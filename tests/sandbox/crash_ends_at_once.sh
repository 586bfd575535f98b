#!/usr/bin/env bash
# A program that crashes in the sandbox ends at once with its exception code (an access
# violation, 0xC0000005, reads 5 through Wine's 8-bit exit codes), and no debugger or crash
# dialog keeps it.
set -u
sandbox=$1
dir=$2
program=$3
out=$(SANDBOX_TIMEOUT=30 "$sandbox" run "$dir" "$program" 2>&1)
status=$?
grep -q 'crashing on purpose' <<<"$out" || { echo "the program did not run: $out"; exit 1; }
[ "$status" -eq 5 ] || { echo "exit code $status, expected 5 (access violation)"; exit 1; }
echo "ended with exit code $status"
