#!/usr/bin/env bash
# Runs the many-drives test in a sandbox of its own with 26 drives, then takes the sandbox down.
set -u
sandbox=$1
dir=$2
program=$3
export SANDBOX_EXTRA_DRIVES="b f g h i j k l m n o p q r s t u v w x y z"
"$sandbox" start "$dir" || exit 1
"$sandbox" run "$dir" "$program"
status=$?
"$sandbox" stop "$dir"
exit $status
