#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks that the result is a
# working desktop program: files in place, a valid desktop entry, and the
# installed program, started through PREFIX/bin, finding the installed
# list.txt (a missing or broken one shows "Application Error" before the
# main window).
#   check_install.sh BUILD_DIR
#   check_install.sh --after-run SOURCE_DIR BUILD_DIR
# The second builds BUILD_DIR by scripts/run's own steps, then runs the
# README's install command on it (and the checks below), and the README's
# benchmark commands, as a newcomer reads them.
set -u
after_run=false
[ "$1" = --after-run ] && { after_run=true; source_dir=$2; shift 2; }
build=$1
work=$(mktemp -d)
xvfb_pid=
app_pid=
cleanup() {
    [ -n "$app_pid" ] && kill -KILL "$app_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
failed=0
passed=0
check() { # description, command...
    local what=$1
    shift
    if "$@"; then passed=$((passed + 1)); else echo "FAIL: $what" >&2; failed=$((failed + 1)); fi
}

prefix=$work/prefix
# The README's line with this build for build/ and `prefix` for its prefix.
readme_command() { # pattern
    grep -m 1 -e "$1" "$source_dir/README.md" | sed -E -e 's/ +#.*//' -e "s#(^| )build(/| |\$)#\1$build\2#g" \
        -e "s#/usr/local#$prefix#"
}
if $after_run; then
    QUILLMOOR_BUILD_DIR=$build "$source_dir/scripts/run" --build-only >"$work/run.log" 2>&1 \
        || { cat "$work/run.log" >&2; echo "FAIL: scripts/run --build-only" >&2; exit 1; }
    install=$(readme_command '^cmake --install build')
    (cd "$source_dir" && eval "$install") >/dev/null || { echo "FAIL: $install" >&2; exit 1; }
    # One short benchmark stands for the rest: the commands are what is tested.
    bench=$(readme_command '^scripts/install-deps bench')
    bench="$bench && $(readme_command '^cmake --build build --target filter_bench')"
    bench="$bench --benchmark_filter=ReadAndSplit/1000/0 --benchmark_repetitions=1"
    check "README's benchmark commands after scripts/run: $bench" \
        bash -c "cd '$source_dir' && $bench >'$work/bench.log' 2>&1 && grep -q ReadAndSplit '$work/bench.log' \
            || { cat '$work/bench.log' >&2; false; }"
else
    cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "FAIL: cmake --install" >&2; exit 1; }
fi
check "program in lib/quillmoor" test -x "$prefix/lib/quillmoor/quillmoor"
check "list.txt beside it" test -s "$prefix/lib/quillmoor/list.txt"
check "bin/quillmoor leads to it" test "$(readlink -f "$prefix/bin/quillmoor")" = "$(readlink -f "$prefix/lib/quillmoor/quillmoor")"
for size in 32 48 128 256; do
    check "icon ${size}x${size}" test -s "$prefix/share/icons/hicolor/${size}x${size}/apps/quillmoor.png"
done
# desktop-file-validate fails only on errors; its hints count too.
check "desktop entry valid" test -z "$(desktop-file-validate "$prefix/share/applications/quillmoor.desktop" 2>&1)"
check "AppStream metainfo" test -s "$prefix/share/metainfo/example.marrowfen.quillmoor.metainfo.xml"
check "manual page" test -s "$prefix/share/man/man1/quillmoor.1.gz"
check "copyright and changelog" test -s "$prefix/share/doc/quillmoor/copyright" -a -s "$prefix/share/doc/quillmoor/changelog.gz"

# Start the installed program from somewhere else, through the link.
# -noreset: otherwise the server resets whenever its last client leaves, as
# each xdotool poll below does, and a program connecting just then fails.
exec 3< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp -noreset 2>/dev/null)
xvfb_pid=$!
read -r -t 20 display <&3 || { echo "FAIL: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$display QT_QPA_PLATFORM=xcb HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run
# No desktop session: nothing on a session bus may answer.
export DBUS_SESSION_BUS_ADDRESS=unix:path=$work/no-session-bus
mkdir -p "$HOME" "$XDG_CONFIG_HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
mkdir -p "$work/bin" && printf '#!/bin/sh\nexit 0\n' >"$work/bin/xdg-open" && chmod +x "$work/bin/xdg-open"
(cd / && PATH=$work/bin:$PATH exec "$prefix/bin/quillmoor") &
app_pid=$!
window=
for _ in $(seq 100); do
    [ -n "$(xdotool search --name '^Application Error$' 2>/dev/null)" ] && break
    window=$(xdotool search --onlyvisible --name '^Quillmoor$' 2>/dev/null | head -n 1)
    [ -n "$window" ] && break
    sleep 0.2
done
check "installed program shows its window without a report" test -n "$window"
kill -TERM "$app_pid"
status=1
for _ in $(seq 75); do
    if ! kill -0 "$app_pid" 2>/dev/null; then wait "$app_pid"; status=$?; break; fi
    sleep 0.2
done
app_pid=
check "installed program ends cleanly on SIGTERM" test "$status" -eq 0
check "saved searches written on the way out" test -f "$XDG_CONFIG_HOME/Marrowfen.ini"

echo "Install: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
