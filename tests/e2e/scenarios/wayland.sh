# Under a Wayland compositor, with no X display at all: the program runs as
# a Wayland client, and a SIGTERM or the compositor's end closes it within a
# second with its searches saved.
# shellcheck shell=bash disable=SC2154 # the environment comes from common.sh and run_e2e.sh

# The stored list has empty entries, which a save leaves out. Waits for the
# first frame, which the program's side of the protocol shows in its output.
start_wayland_client() {
    printf '[Quillmoor]\nSearches=|bike site:boston.listora.org||\n' >"$settings"
    # In a sanitizer build: Qt's Wayland plugin leaves its protocol objects,
    # and the graphics driver it loads, to the end of the process; that is
    # no leak of the program's (the X11 scenarios look for those). Memory
    # errors still count.
    ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 WAYLAND_DEBUG=client start_program
    local end=$((SECONDS + WINDOW_TIMEOUT))
    until grep -q 'wl_surface@[0-9]*\.attach(wl_buffer@' "$log"; do
        abort_if_ended "without showing its window"
        ((SECONDS <= end)) || abort "no window drawn within ${WINDOW_TIMEOUT}s"
        sleep 0.1
    done
}

check_ended() { # what
    local start=$EPOCHREALTIME ms
    wait_exit
    ms=$(awk "BEGIN { printf \"%d\", ($EPOCHREALTIME - $start) * 1000 }")
    echo "  note: ended ${ms} ms after $1, status $exit_status"
    check_eq "$1 ends the program within a second" yes "$( ((ms <= 1000)) && echo yes)"
    check_eq "searches saved at $1" "$(printf '[Quillmoor]\nSearches=bike site:boston.listora.org|')" "$(saved_value)"
}

scenario_wayland() {
    unset DISPLAY
    export WAYLAND_DISPLAY=quillmoor-e2e QT_QPA_PLATFORM=wayland
    weston --backend=headless-backend.so --socket="$WAYLAND_DISPLAY" --idle-time=0 >"$work/weston.log" 2>&1 &
    local weston_pid=$! i
    pids+=("$weston_pid")
    for ((i = 0; i < 100; i++)); do [ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] && break; sleep 0.1; done
    start_wayland_client
    kill -TERM "$app_pid"
    check_ended SIGTERM
    start_wayland_client
    kill -TERM "$weston_pid"
    check_ended "the compositor's end"
}
