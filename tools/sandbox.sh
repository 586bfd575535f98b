#!/usr/bin/env bash
# The simulated Windows PC: a hermetic Wine prefix with its own drives, display and web browser.
#
#   sandbox.sh create DIR        make DIR/prefix (once) and configure it
#   sandbox.sh start DIR         create if needed, start Xvfb and a persistent wineserver
#   sandbox.sh run DIR PROG ...  run a Windows program in the sandbox (the test emulator)
#   sandbox.sh stop DIR          stop the wineserver and Xvfb
#   sandbox.sh env DIR           print the environment that programs of the sandbox run with
#
# Layout of DIR:
#   prefix/            the Wine prefix; C: is prefix/drive_c
#   drives/d, e, a     D: (fixed), E: and A: (removable)
#   prefix/drive_c/sandbox/browser.log   every address that the web browser was asked to open
#   display, xvfb.pid  the Xvfb of this sandbox
#
# With SANDBOX_DISPLAY set (such as :0), programs show on that display instead of an Xvfb.
# SANDBOX_EXTRA_DRIVES (letters such as "f g h") adds fixed drives when the sandbox is made.
#
# No drive of the sandbox maps the host's file system: Wine's default Z: (the host's root) is
# removed, and a prefix in which any drive points outside DIR is refused, not repaired.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

die() {
    echo "sandbox: $*" >&2
    exit 1
}

usage() {
    sed -n '2,9p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//' >&2
    exit 2
}

[ $# -ge 2 ] || usage
cmd=$1
dir=$2
shift 2
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
prefix=$dir/prefix

export WINEPREFIX=$prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY all_proxy ALL_PROXY no_proxy

# Refuses a prefix in which a drive maps anything outside the sandbox folder (above all "/").
check_drives() {
    local dev target
    [ -d "$prefix/dosdevices" ] || return 0
    for dev in "$prefix"/dosdevices/?: "$prefix"/dosdevices/?::; do
        [ -L "$dev" ] || continue
        target=$(readlink -f "$dev" || true)
        case "$target" in
            "$dir" | "$dir"/*) ;;
            *)
                die "refusing the prefix $prefix: drive $(basename "$dev") maps $target, outside the sandbox." \
                    "Remove $dir and let the sandbox make a new one."
                ;;
        esac
    done
}

write_reg() {
    # regedit reads UTF-16 with a byte-order mark, which carries the Chinese font names.
    local file=$prefix/drive_c/sandbox/sandbox.reg
    {
        printf 'Windows Registry Editor Version 5.00\r\n\r\n'
        printf '[HKEY_LOCAL_MACHINE\\Software\\Wine\\Drives]\r\n'
        printf '"a:"="floppy"\r\n"e:"="floppy"\r\n"d:"="hd"\r\n\r\n'
        printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
        printf '"宋体"="WenQuanYi Zen Hei"\r\n"SimSun"="WenQuanYi Zen Hei"\r\n"NSimSun"="WenQuanYi Zen Hei"\r\n\r\n'
        printf '[HKEY_CURRENT_USER\\Software\\Wine\\WineBrowser]\r\n'
        printf '"Browsers"="%s"\r\n\r\n' "$dir/browser-recorder"
        # Wine draws the window frames itself: there is no window manager on the Xvfb.
        printf '[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n'
        printf '"Managed"="N"\r\n\r\n'
        printf '[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\r\n'
        printf '"ShowCrashDialog"=dword:00000000\r\n\r\n'
        # A debugger that does not exist: a crashing program then ends at once with its exception
        # code. (Without a Debugger value Wine starts winedbg, which may end it with 0.)
        printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug]\r\n'
        printf '"Debugger"="C:\\\\windows\\\\system32\\\\no-debugger.exe %%ld %%ld"\r\n"Auto"="1"\r\n\r\n'
    } | iconv -f UTF-8 -t UTF-16 >"$file"
    wine regedit /S 'C:\sandbox\sandbox.reg' >/dev/null 2>&1
}

create() {
    check_drives
    [ -f "$dir/ready" ] && return 0
    [ -e "$prefix" ] && die "refusing $prefix: it exists but was never finished. Remove $dir and try again."

    command -v wine >/dev/null || die "wine is not installed (run tools/setup.sh)"
    wineboot -i >/dev/null 2>&1 || die "wineboot failed for $prefix"
    wineserver -w
    rm -f "$prefix"/dosdevices/z: "$prefix"/dosdevices/z::

    mkdir -p "$dir/drives/d" "$dir/drives/e" "$dir/drives/a" "$prefix/drive_c/sandbox"
    ln -sfn ../../drives/d "$prefix/dosdevices/d:"
    ln -sfn ../../drives/e "$prefix/dosdevices/e:"
    ln -sfn ../../drives/a "$prefix/dosdevices/a:"
    local letter
    for letter in ${SANDBOX_EXTRA_DRIVES:-}; do
        case "$letter" in
            [b-z]) ;;
            *) die "SANDBOX_EXTRA_DRIVES takes drive letters b to z, not '$letter'" ;;
        esac
        [ -e "$prefix/dosdevices/$letter:" ] && continue
        mkdir -p "$dir/drives/$letter"
        ln -sfn "../../drives/$letter" "$prefix/dosdevices/$letter:"
    done
    check_drives

    # The web browser: a recorder that appends each address it is given to a log.
    cat >"$dir/browser-recorder" <<EOF
#!/bin/sh
printf '%s\n' "\$1" >>"$prefix/drive_c/sandbox/browser.log"
EOF
    chmod +x "$dir/browser-recorder"

    write_reg
    # The mount manager reads the drive list and types only when the wineserver starts again.
    wineserver -k || true
    wineserver -w || true
    touch "$dir/ready"
}

xvfb_running() {
    [ -f "$dir/xvfb.pid" ] && kill -0 "$(cat "$dir/xvfb.pid")" 2>/dev/null
}

start() {
    create
    if [ -n "${SANDBOX_DISPLAY:-}" ]; then
        echo "$SANDBOX_DISPLAY" >"$dir/display"
    elif ! xvfb_running; then
        rm -f "$dir/display"
        exec 3>"$dir/display.fd"
        Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset </dev/null >/dev/null 2>&1 9>&- &
        echo $! >"$dir/xvfb.pid"
        exec 3>&-
        for _ in $(seq 100); do
            [ -s "$dir/display.fd" ] && break
            sleep 0.1
        done
        [ -s "$dir/display.fd" ] || die "Xvfb did not start"
        echo ":$(tr -d '\n' <"$dir/display.fd")" >"$dir/display"
    fi
    export DISPLAY
    DISPLAY=$(cat "$dir/display")
    if ! wineserver -p </dev/null >/dev/null 2>&1 9>&-; then
        return 0  # already running, and so are Wine's own services and desktop
    fi
    # Wine's services and its desktop process start with the first program and outlive it.
    # Start them here, away from the output of whoever called us (ctest waits for its pipes to
    # close, and would wait for them too).
    wine rundll32.exe user32.dll,GetDesktopWindow </dev/null >/dev/null 2>&1 9>&- || true
}

stop() {
    wineserver -k 2>/dev/null || true
    if xvfb_running; then
        kill "$(cat "$dir/xvfb.pid")" 2>/dev/null || true
    fi
    rm -f "$dir/xvfb.pid" "$dir/display" "$dir/display.fd"
}

# Starting is serialised, since ctest may start several programs at once.
locked_start() {
    exec 9>"$dir/lock"
    flock 9
    start
    flock -u 9
    exec 9>&-
}

# Checked before anything is written into the sandbox folder.
check_drives

case "$cmd" in
    create)
        exec 9>"$dir/lock"
        flock 9
        create
        ;;
    start) locked_start ;;
    stop) stop ;;
    env)
        locked_start
        echo "WINEPREFIX=$WINEPREFIX DISPLAY=$DISPLAY WINEDEBUG=$WINEDEBUG"
        ;;
    run)
        [ $# -ge 1 ] || usage
        locked_start
        # No standard input; a program that hangs is ended after TIMEOUT seconds.
        exec timeout --kill-after=5 "${SANDBOX_TIMEOUT:-300}" wine "$@" </dev/null
        ;;
    *) usage ;;
esac
