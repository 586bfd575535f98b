#!/usr/bin/env bash
# The sandbox tool refuses a prefix with a drive that maps the host's root, and changes nothing.
set -u
sandbox=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

mkdir -p "$dir/prefix/dosdevices"
ln -s ../drive_c "$dir/prefix/dosdevices/c:"
ln -s / "$dir/prefix/dosdevices/z:"
before=$(cd "$dir" && find . -printf '%p %y %l\n' | sort)

status=0
for cmd in create start run; do
    out=$("$sandbox" "$cmd" "$dir" /bin/true 2>&1) && { echo "'$cmd' accepted a prefix that maps /"; status=1; }
    grep -q "refusing" <<<"$out" || { echo "'$cmd' did not say why: $out"; status=1; }
done
echo "message: $out"

after=$(cd "$dir" && find . -printf '%p %y %l\n' | sort)
[ "$before" = "$after" ] || { echo "the sandbox folder changed:"; diff <(echo "$before") <(echo "$after"); status=1; }
exit $status
