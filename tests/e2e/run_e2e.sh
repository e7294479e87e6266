#!/usr/bin/env bash
# End-to-end checks of Quillmoor: the real executable on its own Xvfb,
# driven with xdotool the way a user would drive it.
#
#   run_e2e.sh [--probe CURSOR_PROBE] QUILLMOOR_EXECUTABLE [SCENARIO...]
#
# Scenarios: window searches example broken sigterm pointer queue nearby cp1252 utf16 (the default is
# all of them), and "screenshot", which runs only when named and writes a
# picture of the window with a few saved searches to $E2E_SCREENSHOT.
#
# Every scenario gets a fresh Xvfb, a fresh application folder holding a copy
# of the executable (the program finds its files beside the real executable,
# so a symlink would not do), its own HOME and configuration folder, and a
# stand-in for xdg-open that records the addresses it is given instead of
# starting a browser. No network, window manager or desktop session is used.
#
# Exit status: 0 when every check passed, 1 when one failed, 77 when a tool
# the checks need is missing.
# shellcheck disable=SC2317 # all runs from main(); the exit after it hides that
set -u
set -o pipefail

usage() {
    echo "usage: $0 [--probe CURSOR_PROBE] QUILLMOOR_EXECUTABLE [SCENARIO...]" >&2
    exit 2
}

probe=${QUILLMOOR_CURSOR_PROBE:-}
while [ $# -gt 0 ]; do
    case $1 in
        --probe) [ $# -ge 2 ] || usage; probe=$2; shift 2 ;;
        --) shift; break ;;
        -*) usage ;;
        *) break ;;
    esac
done
[ $# -ge 1 ] || usage
program=$(readlink -m -- "$1")
if [ -n "$probe" ]; then probe=$(readlink -m -- "$probe"); fi
shift
all_scenarios=(window searches example broken sigterm pointer queue nearby cp1252 utf16)
if [ $# -gt 0 ]; then scenarios=("$@"); else scenarios=("${all_scenarios[@]}"); fi

here=$(cd "$(dirname -- "${BASH_SOURCE[0]}")" && pwd)
started=$(date +%s)

# Generous limits: a sanitizer build starts several times slower.
WINDOW_TIMEOUT=${E2E_WINDOW_TIMEOUT:-20}
OPEN_TIMEOUT=${E2E_OPEN_TIMEOUT:-10}
EXIT_TIMEOUT=${E2E_EXIT_TIMEOUT:-15}
# How long to keep watching for an extra browser call after the expected
# ones have arrived, and for a pointer change that must not happen.
SETTLE=${E2E_SETTLE:-0.7}
POINTER_TIMEOUT=${E2E_POINTER_TIMEOUT:-5}
# A scenario still running after this long is stopped and counted as failed,
# well before a test runner would kill the whole run without any cleanup.
SCENARIO_DEADLINE=${E2E_SCENARIO_DEADLINE:-120}

# The program, once in a hundred starts, also opens its home page; that call
# is not part of any check here.
HOME_PAGE='https://marrowfen.example/'
ENGINE='https://www.google.com/search?q='
pid_max=$(cat /proc/sys/kernel/pid_max 2>/dev/null || echo 4194304)

# ---------------------------------------------------------------- tools

missing=()
for tool in Xvfb xdotool xprop timeout ps; do
    command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "E2E: skipped, missing: ${missing[*]}" >&2
    exit 77
fi
if [ ! -x "$program" ]; then
    echo "E2E: $program is not an executable file" >&2
    exit 2
fi

top=$(mktemp -d "${TMPDIR:-/tmp}/quillmoor-e2e.XXXXXX") || exit 2
results=$top/results
: >"$results"

cleanup_top() {
    rm -rf -- "$top"
}
scenario_pid='' watchdog=''
trap cleanup_top EXIT
interrupted() {
    # The running scenario cleans up after itself when told to stop.
    if [ -n "$scenario_pid" ]; then
        kill -TERM "$scenario_pid" 2>/dev/null
        wait "$scenario_pid" 2>/dev/null
    fi
    if [ -n "$watchdog" ]; then
        kill -TERM "$watchdog" 2>/dev/null
        wait "$watchdog" 2>/dev/null
    fi
    echo "E2E: interrupted by $1 after $(grep -cx pass "$results") passed, $(grep -cx fail "$results") failed"
    exit "$2"
}
trap 'interrupted SIGINT 130' INT
trap 'interrupted SIGTERM 143' TERM


# ---------------------------------------------------------------- reporting

scenario=
pass() {
    echo "  ok   $*"
    echo pass >>"$results"
}
fail() {
    echo "  FAIL [$scenario] $*"
    echo fail >>"$results"
}
# check_eq WHAT EXPECTED SEEN
check_eq() {
    if [ "$2" == "$3" ]; then
        pass "$1"
    else
        fail "$1"
        printf '       expected: %s\n' "$(printf '%s' "$2" | sed '2,$s/^/                 /')"
        printf '       seen:     %s\n' "$(printf '%s' "$3" | sed '2,$s/^/                 /')"
    fi
}
# A fault that makes the rest of the scenario meaningless.
abort() {
    fail "$*"
    echo "       (rest of scenario '$scenario' skipped)"
    if [ -n "${log:-}" ] && [ -s "$log" ]; then
        echo "       program output:"
        sed 's/^/         /' "$log" | tail -n 20
    fi
    exit 1
}

# ---------------------------------------------------------------- per-scenario environment

# Everything below runs inside the subshell of one scenario.
work='' app='' log='' app_pid='' xvfb_pid='' win='' found=''
pids=()

# True while PID runs; a child that ended but was not waited for yet (a
# zombie) still answers kill -0, so look at its state instead.
is_running() { # pid
    local state
    state=$(ps -o stat= -p "$1" 2>/dev/null) || return 1
    [ -n "$state" ] && [ "${state:0:1}" != Z ]
}

stop_pid() {
    local pid=$1 i
    if is_running "$pid"; then
        kill -TERM "$pid" 2>/dev/null
        for ((i = 0; i < 50; i++)); do
            is_running "$pid" || break
            sleep 0.1
        done
        is_running "$pid" && kill -KILL "$pid" 2>/dev/null
    fi
    wait "$pid" 2>/dev/null
    return 0
}

cleanup_scenario() {
    local i
    # Programs first, the display last, so nothing loses its server.
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        stop_pid "${pids[i]}"
    done
    # In a sanitizer build a memory fault may not change anything on the
    # screen; its report in the program's output fails the scenario.
    local program_log
    for program_log in "$work"/program.*.log; do
        [ -f "$program_log" ] || continue
        if grep -qE 'ERROR: (Address|Leak|Thread|Memory)Sanitizer|runtime error:' "$program_log"; then
            fail "sanitizer report in the program's output:"
            grep -m 1 -A 14 -E 'ERROR: (Address|Leak|Thread|Memory)Sanitizer|runtime error:' "$program_log" |
                sed 's/^/         /'
        fi
    done
    [ -n "$work" ] && rm -rf -- "$work"
}

start_display() {
    local dfile=$work/display i
    : >"$dfile"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$dfile" >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    pids+=("$xvfb_pid")
    for ((i = 0; i < 100; i++)); do
        if [ -s "$dfile" ] && [ "$(tail -c 1 "$dfile" | od -An -c | tr -d ' ')" == '\n' ]; then
            DISPLAY=:$(head -n 1 "$dfile")
            export DISPLAY
            return 0
        fi
        is_running "$xvfb_pid" || break
        sleep 0.1
    done
    abort "Xvfb did not start: $(tail -n 3 "$work/xvfb.log" | tr '\n' ' ')"
}

# Lines CR LF, as the program's own file is written.
write_list() { # file line...
    local file=$1 line
    shift
    : >"$file"
    for line in "$@"; do printf '%s\r\n' "$line" >>"$file"; done
}

setup() {
    work=$(mktemp -d "$top/$scenario.XXXXXX") || exit 1
    app=$work/app
    mkdir -p "$app" "$work/home" "$work/config" "$work/runtime" "$work/bin"
    chmod 700 "$work/runtime"
    cp -- "$program" "$app/quillmoor" || abort "could not copy $program"
    write_list "$app/list.txt" \
        'http://denver.listora.org/,Denver,Colorado' \
        'http://boston.listora.org/,Boston,Massachusetts' \
        'http://austin.listora.org/,Austin,Texas' \
        'http://chicago.listora.org/,Chicago,Illinois'

    # The stand-in browser launcher. Each argument goes on its own line,
    # tagged with the process id: the program starts one launcher after the
    # other, so sorting by id restores the order of the calls even when two
    # launchers finish writing in the other order. Each line is one write to
    # a file opened for appending, so concurrent launchers never mix lines.
    opened=$work/opened.log
    calls=$work/calls.log
    : >"$opened"
    : >"$calls"
    cat >"$work/bin/xdg-open" <<EOF
#!/bin/sh
for argument in "\$@"; do
    printf '%s\t%s\n' "\$\$" "\$argument" >>'$opened'
done
printf '%s\t%s\n' "\$\$" "\$#" >>'$calls'
EOF
    chmod +x "$work/bin/xdg-open"

    export HOME=$work/home
    export XDG_CONFIG_HOME=$work/config
    export XDG_RUNTIME_DIR=$work/runtime
    export PATH=$work/bin:$PATH
    export QT_QPA_PLATFORM=xcb
    # No desktop session: no session bus to reach, no desktop to ask.
    export DBUS_SESSION_BUS_ADDRESS=unix:path=$work/no-session-bus
    unset WAYLAND_DISPLAY XDG_CURRENT_DESKTOP XDG_SESSION_TYPE DESKTOP_SESSION \
        KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID BROWSER QT_QPA_PLATFORMTHEME 2>/dev/null
    export QT_ACCESSIBILITY=0
    settings=$XDG_CONFIG_HOME/Marrowfen.ini
    start_display
}

run_scenario() {
    scenario=$1
    echo "== $scenario"
    if ! declare -F "scenario_$scenario" >/dev/null; then
        fail "no such scenario (known: ${all_scenarios[*]} screenshot)"
        return
    fi
    local failures_before status
    failures_before=$(grep -cx fail "$results")
    # In the background, so that a signal to this script is handled at once
    # rather than after the scenario.
    (
        trap cleanup_scenario EXIT
        trap 'exit 143' TERM
        setup
        "scenario_$scenario"
        exit 0
    ) &
    scenario_pid=$!
    (
        sleep "$SCENARIO_DEADLINE" &
        sleeper=$!
        trap 'kill "$sleeper" 2>/dev/null; exit 0' TERM
        wait "$sleeper" || exit 0
        echo "  note: scenario '$scenario' still running after ${SCENARIO_DEADLINE}s; stopping it"
        kill -TERM "$scenario_pid" 2>/dev/null
    ) &
    watchdog=$!
    wait "$scenario_pid"
    status=$?
    scenario_pid=''
    kill -TERM "$watchdog" 2>/dev/null
    wait "$watchdog" 2>/dev/null
    watchdog=''
    # A scenario that ended early without saying why (a shell error, a
    # signal) must not count as a pass.
    if [ "$status" -ne 0 ] && [ "$(grep -cx fail "$results")" -eq "$failures_before" ]; then
        fail "the scenario ended unexpectedly with status $status"
    fi
}

# ---------------------------------------------------------------- driving the program

# Every X client gets a time limit, so a wedged display fails a check
# instead of hanging the run.
x() {
    timeout 15 xdotool "$@"
    local status=$?
    ((status == 124)) && echo "  note: 'xdotool $*' gave no answer within 15 s" >&2
    return "$status"
}

# Aborts the scenario when the program has ended; WHAT says what it did
# not do first.
abort_if_ended() { # what
    is_running "$app_pid" && return 0
    wait "$app_pid"
    abort "the program ended with status $? $1"
}

start_program() {
    log=$work/program.$((${#pids[@]})).log
    (cd "$work" && exec "$app/quillmoor" </dev/null >"$log" 2>&1) &
    app_pid=$!
    pids+=("$app_pid")
}

visible_windows() { # caption
    x search --onlyvisible --name "^$1\$" 2>/dev/null
}

# wait_window CAPTION: sets found to the visible window with that caption.
wait_window() {
    local end=$((SECONDS + WINDOW_TIMEOUT))
    found=
    while ((SECONDS <= end)); do
        found=$(visible_windows "$1" | head -n 1)
        [ -n "$found" ] && return 0
        # A program that died will show nothing.
        if [ -n "$app_pid" ] && ! is_running "$app_pid"; then
            return 1
        fi
        sleep 0.1
    done
    return 1
}

wait_no_window() { # caption
    local end=$((SECONDS + WINDOW_TIMEOUT))
    while ((SECONDS <= end)); do
        [ -z "$(visible_windows "$1")" ] && return 0
        sleep 0.1
    done
    return 1
}

start_main_window() {
    start_program
    if ! wait_window Quillmoor; then
        abort_if_ended "without showing its window"
        abort "no visible window 'Quillmoor' within ${WINDOW_TIMEOUT}s"
    fi
    win=$found
    x windowfocus --sync "$win"
}

# Window-relative places, in the window's client area. List rows are a line
# of text high (14 to 16 px) below a header of about 18 px: a pitch of 15 px
# hits the middle third of each of the first few rows either way.
FILTER=(300 39)
SEARCH_BOX=(250 279)
ADD_SEARCH=(268 325)
OPEN_SELECTED=(136 563)
OPEN_ALL=(400 563)
DELETE_SELECTED=(136 597)
CLEAR_ALL=(400 597)
LOAD_EXAMPLE=(268 631)
click_location_row() { click 200 $((84 + 15 * ($1 - 1))); }
click_search_row() { click 200 $((382 + 15 * ($1 - 1))); }

click() { # x y
    x mousemove --window "$win" "$1" "$2" click 1
}

# Narrows the location list to TEXT and selects its first row.
pick_location() { # filter-text
    click "${FILTER[@]}"
    x key ctrl+a BackSpace
    x type --delay 15 -- "$1"
    click_location_row 1
}

type_search() { # text
    click "${SEARCH_BOX[@]}"
    x type --delay 15 -- "$1"
}

# The addresses the stand-in received, in the order the program asked.
# Process ids count up to pid_max and start again from the bottom; ids far
# below the others are taken as having come after such a wrap.
opened_addresses() {
    awk -F '\t' -v max="$pid_max" '
        { pid[NR] = $1; line[NR] = $0; if (NR == 1 || $1 > top) top = $1 }
        END {
            for (i = 1; i <= NR; i++) {
                key = pid[i]
                if (top - key > max / 2) key += max
                printf "%012d\t%06d\t%s\n", key, i, line[i]
            }
        }' "$opened" | sort | cut -f4- | grep -vxF "$HOME_PAGE"
}

forget_opened() {
    : >"$opened"
    : >"$calls"
}

# Waits until at least COUNT addresses arrived, then a little longer for any
# that should not come.
wait_opened() { # count
    local end=$((SECONDS + OPEN_TIMEOUT))
    while ((SECONDS <= end)); do
        [ "$(opened_addresses | wc -l)" -ge "$1" ] && break
        sleep 0.1
    done
    sleep "$SETTLE"
}

# check_opened WHAT ADDRESS... : exactly these, in this order, one argument
# per call.
check_opened() {
    local what=$1 expected
    shift
    wait_opened $#
    expected=$(printf '%s\n' "$@")
    [ $# -eq 0 ] && expected=
    local seen
    seen=$(opened_addresses)
    check_eq "$what" "$expected" "$seen"
    if [ "$seen" != "$expected" ] && [ -n "$(visible_windows 'Application Error')" ]; then
        echo "       (an 'Application Error' report is open and holds up the program)"
    fi
    local odd
    odd=$(cut -f2 "$calls" | grep -vx 1 | head -n 1)
    if [ -n "$odd" ]; then
        fail "$what: the launcher was called with $odd arguments instead of one"
    fi
    forget_opened
}

# Pressing Open All after a list is known to be empty cannot show when the
# program is done; a later action that does open something can. Clicks are
# handled in order, so once the example search arrives, anything the earlier
# click would have opened has been started too.
check_nothing_opened() { # what
    click "${LOAD_EXAMPLE[@]}"
    click "${OPEN_ALL[@]}"
    check_opened "$1" "${ENGINE}lawnmower%20site%3Aboston.listora.org"
}

url_for() { # percent-encoded query
    printf '%s%s' "$ENGINE" "$1"
}

# ---------------------------------------------------------------- scenarios

scenario_window() {
    start_main_window
    check_eq "caption" "Quillmoor" "$(x getwindowname "$win")"
    local geometry size position hints
    geometry=$(x getwindowgeometry "$win")
    size=$(sed -n 's/^ *Geometry: *//p' <<<"$geometry")
    position=$(sed -n 's/^ *Position: *\([0-9]*,[0-9]*\).*/\1/p' <<<"$geometry")
    check_eq "client size" "536x652" "$size"
    # Centred on the 1024x768 screen: (1024-536)/2, (768-652)/2.
    check_eq "position (centred)" "244,58" "$position"
    hints=$(timeout 15 xprop -id "$win" WM_NORMAL_HINTS)
    check_eq "minimum size hint (not resizable)" "536 by 652" \
        "$(sed -n 's/.*minimum size: *//p' <<<"$hints")"
    check_eq "maximum size hint (not resizable)" "536 by 652" \
        "$(sed -n 's/.*maximum size: *//p' <<<"$hints")"
    check_eq "no error report with a good location file" "" "$(visible_windows 'Application Error')"
}

scenario_searches() {
    start_main_window
    # The keyboard starts in the filter box: type without clicking. Boston
    # is not the first line of the file, so only a working filter puts it in
    # the first row.
    x type --delay 15 -- bos
    click_location_row 1
    type_search bike
    click "${ADD_SEARCH[@]}"
    # Typed into the same box again: had adding not emptied it, the second
    # address would show the first text too.
    pick_location chi
    type_search bike
    x key Return
    click "${OPEN_ALL[@]}"
    check_opened "Open All after two searches (Add Search button, then Return)" \
        "$(url_for bike%20site%3Aboston.listora.org)" \
        "$(url_for bike%20site%3Achicago.listora.org)"

    # Text a shell would act on must reach the launcher as one encoded
    # argument and never be run. Harmless commands only: each would leave a
    # file behind in the program's working folder. (Letters outside ASCII
    # are checked through the saved searches: xdotool types them by
    # remapping a key for a moment, which a busy program may miss.)
    click "${CLEAR_ALL[@]}"
    # shellcheck disable=SC2016 # literal on purpose
    type_search '"; touch pwned-a; " $(touch pwned-b) `touch pwned-c` & touch pwned-d 100% ~'
    x key Return
    click "${OPEN_ALL[@]}"
    check_opened "search text with shell syntax, percent-encoded" \
        "$(url_for '%22%3B%20touch%20pwned-a%3B%20%22%20%24%28touch%20pwned-b%29%20%60touch%20pwned-c%60%20%26%20touch%20pwned-d%20100%25%20~%20site%3Achicago.listora.org')"
    check_eq "no command from the search text ran" "" \
        "$(find "$work" "$HOME" -name 'pwned-*' 2>/dev/null)"
}

scenario_nearby() {
    # The shipped list with its positions, in a locale that measures in
    # kilometres.
    cp -- "$here/../../data/list.txt" "$app/list.txt" || abort "no shipped list.txt"
    export LC_ALL=C.UTF-8
    start_main_window
    x type --delay 15 -- "boston, mass"
    x mousemove --window "$win" 200 84 click 3
    sleep 0.5
    # The third entry: "Select Cities Within 200 km of Boston, Massachusetts".
    x key Down Down Down Return
    type_search bike
    x key Return
    click "${OPEN_ALL[@]}"
    local host expected=()
    for host in hartford newhaven newlondon portlandme boston hyannis lowell pittsfield springfieldma worcester \
        concord manchesternh nashua portsmouth newport providence brattleboro; do
        expected+=("$(url_for "bike%20site%3A$host.listora.org")")
    done
    check_opened "the cities within 200 km of Boston, one search each in list order" "${expected[@]}"

    # The menu key opens the menu of the current city.
    click "${CLEAR_ALL[@]}"
    pick_location worcester
    x key Menu
    sleep 0.5
    x key Down Down Return
    type_search bike
    x key Return
    click "${OPEN_ALL[@]}"
    expected=()
    for host in hartford boston lowell springfieldma worcester manchesternh nashua newport providence brattleboro; do
        expected+=("$(url_for "bike%20site%3A$host.listora.org")")
    done
    check_opened "the menu key, then the cities within 100 km of Worcester" "${expected[@]}"
}

# Expects an error report, and closes it with Return.
close_report() { # what
    if wait_window 'Application Error'; then
        pass "$1"
        x windowfocus --sync "$found"
        x key Return
        wait_no_window 'Application Error' || fail "a report stayed open after Return"
        x windowfocus --sync "$win"
    else
        fail "$1: no report"
    fi
}

scenario_example() {
    start_main_window
    click "${LOAD_EXAMPLE[@]}"
    click "${LOAD_EXAMPLE[@]}"
    click "${OPEN_ALL[@]}"
    local lawnmower
    lawnmower=$(url_for lawnmower%20site%3Aboston.listora.org)
    check_opened "Open All after loading the example twice" "$lawnmower" "$lawnmower"

    click_search_row 2
    click "${DELETE_SELECTED[@]}"
    # Nothing else became selected: a second press removes nothing.
    click "${DELETE_SELECTED[@]}"
    close_report "a second Delete Selected reports that no search is selected"
    click "${OPEN_ALL[@]}"
    check_opened "Open All after deleting one of them with the button" "$lawnmower"

    # Two different entries show that the selected one goes, not simply the
    # first or the last.
    pick_location chi
    type_search bike
    x key Return
    click_search_row 2
    click "${OPEN_SELECTED[@]}"
    check_opened "Open Selected opens the selected entry only" \
        "$(url_for bike%20site%3Achicago.listora.org)"
    click_search_row 1
    x key Delete
    x key Delete
    close_report "a second Delete key reports that no search is selected"
    click "${OPEN_ALL[@]}"
    check_opened "Open All after deleting the first entry with the Delete key" \
        "$(url_for bike%20site%3Achicago.listora.org)"

    click "${CLEAR_ALL[@]}"
    click "${OPEN_ALL[@]}"
    check_nothing_opened "Open All after Clear All opens nothing (then one example)"
}

scenario_broken() {
    write_list "$app/list.txt" \
        'http://boston.listora.org/,Boston,Massachusetts' \
        'http://chicago.listora.org/,Chicago,Illinois' \
        '' \
        'http://denver.listora.org/,Denver,Colorado'
    start_program
    # The report comes first; a main window without one is a failure at once.
    local end=$((SECONDS + WINDOW_TIMEOUT)) main=''
    found=''
    while ((SECONDS <= end)) && is_running "$app_pid"; do
        found=$(visible_windows 'Application Error' | head -n 1)
        main=$(visible_windows Quillmoor)
        [ -n "$found" ] || [ -n "$main" ] && break
        sleep 0.1
    done
    if [ -z "$found" ]; then
        abort_if_ended "without a report for a blank line in list.txt"
        abort "no window 'Application Error' for a blank line in list.txt${main:+ (the main window showed instead)}"
    fi
    pass "error report shown for a blank line"
    check_eq "main window not shown while the report waits" "" "$(visible_windows Quillmoor)"
    x windowfocus --sync "$found"
    x key Return
    wait_no_window 'Application Error' || fail "the report did not close on Return"
    wait_window Quillmoor || abort "no main window after the report was closed"
    pass "main window shown after the report"
    win=$found
    x windowfocus --sync "$win"

    # Rows 1 and 2 hold the lines before the fault.
    click_location_row 1
    type_search bike
    click "${ADD_SEARCH[@]}"
    click_location_row 2
    type_search bike
    click "${ADD_SEARCH[@]}"
    # Denver, after the blank line, must not be listed: with nothing to
    # select, adding is refused with a report.
    pick_location den
    type_search kayak
    click "${ADD_SEARCH[@]}"
    close_report "adding with no location to select is refused with a report"
    click "${OPEN_ALL[@]}"
    check_opened "the lines before the blank line are listed, the one after is not" \
        "$(url_for bike%20site%3Aboston.listora.org)" \
        "$(url_for bike%20site%3Achicago.listora.org)"
}

# Waits for the program to end; sets exit_status to its status, or to
# "still running".
wait_exit() {
    local end=$((SECONDS + EXIT_TIMEOUT))
    exit_status="still running after ${EXIT_TIMEOUT}s"
    while ((SECONDS <= end)); do
        if ! is_running "$app_pid"; then
            wait "$app_pid"
            exit_status=$?
            return
        fi
        sleep 0.1
    done
}

saved_value() {
    # The whole file, so a stray section or key shows in a failure too.
    cat "$settings" 2>/dev/null || echo "(no file $settings)"
}

scenario_sigterm() {
    start_main_window
    pick_location bos
    type_search bike
    x key Return
    click "${LOAD_EXAMPLE[@]}"
    # The signal does not queue behind the clicks; seeing both searches
    # opened shows they were all handled.
    click "${OPEN_ALL[@]}"
    check_opened "Open All before the signal" \
        "$(url_for bike%20site%3Aboston.listora.org)" \
        "$(url_for lawnmower%20site%3Aboston.listora.org)"
    kill -TERM "$app_pid"
    wait_exit
    check_eq "exit status after SIGTERM" 0 "$exit_status"
    check_eq "saved searches, each followed by |" \
        "$(printf '[Quillmoor]\nSearches=bike site:boston.listora.org|lawnmower site:boston.listora.org|')" \
        "$(saved_value)"

    start_main_window
    click "${OPEN_ALL[@]}"
    check_opened "Open All after a restart hands over the saved searches in order" \
        "$(url_for bike%20site%3Aboston.listora.org)" \
        "$(url_for lawnmower%20site%3Aboston.listora.org)"

    # Entries holding the separator, the escape character, or what an INI
    # file reads in its own way must come back as they were typed.
    pick_location chi
    type_search 'a|b 100%7C'
    x key Return
    type_search 'red, blue; #1 = x\y'
    x key Return
    click "${OPEN_ALL[@]}"
    wait_opened 4
    forget_opened
    kill -TERM "$app_pid"
    wait_exit
    check_eq "exit status after the second SIGTERM" 0 "$exit_status"
    start_main_window
    click "${OPEN_ALL[@]}"
    check_opened "searches with | % , ; # = \\ survive a restart unchanged" \
        "$(url_for bike%20site%3Aboston.listora.org)" \
        "$(url_for lawnmower%20site%3Aboston.listora.org)" \
        "$(url_for a%7Cb%20100%257C%20site%3Achicago.listora.org)" \
        "$(url_for red%2C%20blue%3B%20%231%20%3D%20x%5Cy%20site%3Achicago.listora.org)"

    # Text outside ASCII, as a saved list written in UTF-8 holds it: opened
    # as UTF-8 bytes, percent-encoded, and written back unchanged.
    stop_pid "$app_pid"
    printf '[Quillmoor]\nSearches=caf\xc3\xa9 \xe6\x9d\xb1\xe4\xba\xac site:austin.listora.org|\n' >"$settings"
    local utf8
    utf8=$(url_for caf%C3%A9%20%E6%9D%B1%E4%BA%AC%20site%3Aaustin.listora.org)
    start_main_window
    click "${OPEN_ALL[@]}"
    check_opened "a saved search with letters outside ASCII opens encoded as UTF-8" "$utf8"
    kill -TERM "$app_pid"
    wait_exit
    check_eq "exit status after the third SIGTERM" 0 "$exit_status"
    start_main_window
    click "${OPEN_ALL[@]}"
    check_opened "letters outside ASCII survive being saved again" "$utf8"
}

# ---- many cities, one launcher at a time

scenario_queue() {
    write_list "$app/list.txt" \
        'http://boston.listora.org/,Boston,Massachusetts' \
        'http://houston.listora.org/,Houston,Texas' \
        'http://austin.listora.org/,Austin,Texas' \
        'http://chicago.listora.org/,Chicago,Illinois' \
        'http://dallas.listora.org/,Dallas,Texas' \
        'http://elpaso.listora.org/,El Paso,Texas' \
        'http://sanantonio.listora.org/,San Antonio,Texas'
    # A launcher that takes its time, a different time for each address, and
    # writes its address down only when done: one started before the one
    # before it had finished would show out of order.
    local taken=$work/taken.log
    cat >"$work/bin/xdg-open" <<EOF
#!/bin/sh
sleep 0.\$(( \${#1} % 4 + 5 ))
printf '%s\\n' "\$1" >>'$taken'
EOF
    start_main_window
    click "${FILTER[@]}"
    x type --delay 15 -- texas
    click_location_row 1
    x key ctrl+a
    type_search bike
    click "${ADD_SEARCH[@]}"
    click "${OPEN_ALL[@]}"
    # While the pages are handed over the window answers: the filter
    # rebuilds the list (so no city is picked), and Add Search says so.
    type_search kayak
    click "${FILTER[@]}"
    x type --delay 15 -- q
    click "${ADD_SEARCH[@]}"
    if wait_window 'Application Error'; then
        local so_far
        so_far=$(cat -- "$taken" 2>/dev/null | wc -l)
        if ((so_far < 5)); then
            pass "the window answered while pages were still being handed over ($so_far of 5 taken)"
        else
            fail "the window answered only after every page was handed over"
        fi
        x windowfocus --sync "$found"
        x key Return
        wait_no_window 'Application Error' || fail "the report did not close on Return"
    else
        fail "no report for Add Search with no city left to pick"
    fi
    local end=$((SECONDS + OPEN_TIMEOUT))
    while ((SECONDS <= end)) && [ "$(cat -- "$taken" 2>/dev/null | wc -l)" -lt 5 ]; do sleep 0.1; done
    check_eq "Ctrl+A on the Texas cities, Add Search, Open All: every page in list order" \
        "$(printf '%s\n' "$(url_for bike%20site%3Ahouston.listora.org)" "$(url_for bike%20site%3Aaustin.listora.org)" \
            "$(url_for bike%20site%3Adallas.listora.org)" "$(url_for bike%20site%3Aelpaso.listora.org)" \
            "$(url_for bike%20site%3Asanantonio.listora.org)")" \
        "$(cat "$taken" 2>/dev/null)"

    # A launcher that always fails: one report for the whole of Open All.
    cat >"$work/bin/xdg-open" <<EOF
#!/bin/sh
echo "xdg-open: no method available for opening '\$1'" >&2
exit 3
EOF
    x windowfocus --sync "$win"
    click "${OPEN_ALL[@]}"
    if wait_window 'Application Error'; then
        sleep 1
        check_eq "one report for five pages the launcher refused" 1 "$(visible_windows 'Application Error' | wc -l)"
        x windowfocus --sync "$found"
        x key Return
        wait_no_window 'Application Error' || fail "the report did not close on Return"
        sleep "$SETTLE"
        check_eq "no second report after the first was closed" "" "$(visible_windows 'Application Error')"
    else
        fail "no report when the launcher refused every page"
    fi
}

# ---- pointer

probe_cursor() {
    # serial changes with every new cursor; the rest describes the image.
    timeout 15 "$probe" | sed 's/^serial=[0-9]* //'
}

# Moves the pointer and waits until the shown cursor satisfies TEST against
# REF ("same" or "differs"); prints the cursor seen last.
pointer_after_move() { # x y same|differs ref
    local end=$((SECONDS + POINTER_TIMEOUT)) seen
    x mousemove --window "$win" "$1" "$2"
    while :; do
        seen=$(probe_cursor)
        case $3 in
            same) [ "$seen" == "$4" ] && break ;;
            differs) [ "$seen" != "$4" ] && break ;;
        esac
        ((SECONDS > end)) && break
        sleep 0.1
    done
    echo "$seen"
}

# For a control that must leave the cursor alone there is no change to wait
# for, so give the program a moment and then look.
pointer_after_quiet_move() { # x y
    x mousemove --window "$win" "$1" "$2"
    sleep "$SETTLE"
    probe_cursor
}

hand_checks() { # expected-hand-description-or-empty
    local arrow hand seen place
    local -A buttons=([Add Search]="${ADD_SEARCH[*]}" [Open Selected]="${OPEN_SELECTED[*]}"
        [Open All]="${OPEN_ALL[*]}" [Delete Selected]="${DELETE_SELECTED[*]}"
        [Clear All]="${CLEAR_ALL[*]}" [Load Example]="${LOAD_EXAMPLE[*]}")
    local -A plain=([window background]="4 300" [frame Create New Listora Search]="14 200"
        [frame Search For This Text]="30 290" [location list]="300 200" [saved-search list]="300 450"
        [header of the location list]="200 68" [scroll bar of the location list]="504 150"
        [header of the saved-search list]="200 366" [scroll bar of the saved-search list]="520 450")

    x mousemove --window "$win" 4 300
    sleep "$SETTLE"
    arrow=$(probe_cursor)
    hand=$(pointer_after_move "${OPEN_ALL[@]}" differs "$arrow")
    if [ "$hand" == "$arrow" ]; then
        # Without a hand to tell apart, the checks below would prove nothing.
        fail "pointer over Open All: expected a hand, still the arrow ($arrow)"
        return
    else
        pass "pointer over Open All differs from the arrow"
    fi
    if [ -n "$1" ]; then
        check_eq "pointer over a button is the image from HAND-M.CUR" "$1" \
            "$(sed 's/ checksum=[0-9a-f]*//; s/ name=.*//' <<<"$hand")"
    fi

    for place in "${!plain[@]}"; do
        # From a button each time, so a change is needed to pass.
        pointer_after_move "${OPEN_ALL[@]}" same "$hand" >/dev/null
        # shellcheck disable=SC2086
        seen=$(pointer_after_move ${plain[$place]} same "$arrow")
        check_eq "pointer over the $place after a button is the arrow" "$arrow" "$seen"
    done
    for place in "${!buttons[@]}"; do
        pointer_after_move 4 300 same "$arrow" >/dev/null
        # shellcheck disable=SC2086
        seen=$(pointer_after_move ${buttons[$place]} same "$hand")
        check_eq "pointer over $place is the hand" "$hand" "$seen"
    done

    # The label keeps whatever the pointer was.
    pointer_after_move "${CLEAR_ALL[@]}" same "$hand" >/dev/null
    check_eq "pointer over the label after a button stays the hand" "$hand" "$(pointer_after_quiet_move 60 38)"
    pointer_after_move 300 450 same "$arrow" >/dev/null
    check_eq "pointer over the label after a list stays the arrow" "$arrow" "$(pointer_after_quiet_move 60 38)"

    # The text boxes show their own text cursor, so what they leave behind
    # shows only once the pointer moves on to the label, which changes
    # nothing itself.
    local box
    for box in "filter box:${FILTER[*]}" "search box:${SEARCH_BOX[*]}"; do
        pointer_after_move "${ADD_SEARCH[@]}" same "$hand" >/dev/null
        # shellcheck disable=SC2086
        pointer_after_quiet_move ${box#*:} >/dev/null
        check_eq "pointer over the label after button, then ${box%%:*}, stays the hand" \
            "$hand" "$(pointer_after_quiet_move 60 38)"
    done
}

scenario_pointer() {
    # The probe given, or one built here from its source.
    if [ -z "$probe" ]; then
        probe=$work/cursor_probe
        cc -O2 -o "$probe" "$here/cursor_probe.c" -lXfixes -lX11 2>"$work/probe-build.log" ||
            abort "no cursor probe given, and it could not be built: $(head -n 3 "$work/probe-build.log")"
    fi
    [ -x "$probe" ] || abort "the cursor probe $probe is not an executable file"
    # Both lists long enough for a scroll bar.
    local lines=() searches='' i
    for ((i = 1; i <= 30; i++)); do
        lines+=("http://city$i.listora.org/,City $i,")
        searches+="bike site:city$i.listora.org|"
    done
    write_list "$app/list.txt" "${lines[@]}"
    printf '[Quillmoor]\nSearches=%s\n' "$searches" >"$settings"
    echo "  -- without HAND-M.CUR"
    start_main_window
    hand_checks ""
    stop_pid "$app_pid"

    echo "  -- with HAND-M.CUR (32x32, hot spot 5,9, one colour)"
    write_cursor_file "$app/HAND-M.CUR" 5 9 '\x40\xc0\x20\xff'
    start_main_window
    hand_checks "width=32 height=32 xhot=5 yhot=9 centre=ff20c040"
    check_eq "no error report for a valid HAND-M.CUR" "" "$(visible_windows 'Application Error')"
}

# A Windows cursor file: directory with type 2 and one 32x32 entry carrying
# the hot spot, then a 32-bit bitmap of one colour (BGRA bytes) and its
# all-clear mask.
write_cursor_file() { # path hot-x hot-y bgra-escapes
    local out=$1 hx=$2 hy=$3 pixel=$4 i
    # shellcheck disable=SC2059 # the format is the byte being written
    le16() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $((($1 >> 8) & 255)))"; }
    le32() { le16 $(($1 & 65535)); le16 $((($1 >> 16) & 65535)); }
    {
        le16 0; le16 2; le16 1
        printf '\x20\x20\x00\x00'; le16 "$hx"; le16 "$hy"; le32 $((40 + 4096 + 128)); le32 22
        le32 40; le32 32; le32 64; le16 1; le16 32; le32 0; le32 $((4096 + 128)); le32 0; le32 0; le32 0; le32 0
        # shellcheck disable=SC2059
        for ((i = 0; i < 1024; i++)); do printf "$pixel"; done
        for ((i = 0; i < 128; i++)); do printf '\x00'; done
    } >"$out"
}

# ---- documentation picture

# A list.txt as a Windows editor saves it, in its Western code page or as
# "Unicode": the names read right, the filter finds them by the text either
# side of their accents, and a search built on one opens its city.
encoded_list() { # iconv-encoding [mark]
    {
        [ -n "${2:-}" ] && printf '%b' "$2"
        printf '%s\r\n' 'http://zurich.listora.org/,Zürich,€ Region' \
            'http://montreal.listora.org/,Montréal,Québec' 'http://paris.listora.org/,Paris,' |
            iconv -f UTF-8 -t "$1"
    } >"$app/list.txt" || abort "could not write a $1 list.txt"
}

check_encoded_list() {
    start_main_window
    x type --delay 15 -- 'al, qu'
    click_location_row 1
    type_search bike
    x key Return
    if [ -n "${E2E_SCREENSHOT:-}" ]; then
        click "${FILTER[@]}"
        x key ctrl+a BackSpace
        save_screenshot "$E2E_SCREENSHOT"
    fi
    click "${OPEN_ALL[@]}"
    check_opened "a search on the city of a $scenario list.txt" "$(url_for bike%20site%3Amontreal.listora.org)"
}

scenario_cp1252() {
    encoded_list WINDOWS-1252
    check_encoded_list
}

scenario_utf16() {
    encoded_list UTF-16LE '\xff\xfe'
    check_encoded_list
}

save_screenshot() { # path
    local out=$1
    # Let the last keystrokes be drawn.
    sleep "$SETTLE"
    x mousemove 1000 740
    sleep 0.3
    if timeout 30 /usr/bin/import -window "$win" "$out.tmp.png" && mv -f -- "$out.tmp.png" "$out"; then
        echo "  screenshot written to $out"
    else
        fail "could not write the screenshot $out"
        rm -f -- "$out.tmp.png"
    fi
}

scenario_screenshot() {
    [ -n "${E2E_SCREENSHOT:-}" ] || abort "set E2E_SCREENSHOT to the file to write"
    start_main_window
    click_location_row 1
    x key ctrl+a
    type_search 'road bike'
    x key Return
    pick_location chi
    type_search 'futon'
    x key Return
    click "${LOAD_EXAMPLE[@]}"
    click "${FILTER[@]}"
    x key ctrl+a BackSpace
    click_location_row 2
    x key shift+Down shift+Down
    type_search 'kayak'
    save_screenshot "$E2E_SCREENSHOT"
    click "${OPEN_ALL[@]}"
    check_opened "the pictured searches open in order" \
        "$(url_for road%20bike%20site%3Adenver.listora.org)" \
        "$(url_for road%20bike%20site%3Aboston.listora.org)" \
        "$(url_for road%20bike%20site%3Aaustin.listora.org)" \
        "$(url_for road%20bike%20site%3Achicago.listora.org)" \
        "$(url_for futon%20site%3Achicago.listora.org)" \
        "$(url_for lawnmower%20site%3Aboston.listora.org)"
}

# ---------------------------------------------------------------- main

main() {
    local s passed failed
    for s in "${scenarios[@]}"; do
        run_scenario "$s"
    done
    passed=$(grep -cx pass "$results")
    failed=$(grep -cx fail "$results")
    echo "($(($(date +%s) - started)) s)"
    echo "E2E: $passed passed, $failed failed"
    [ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
}

# On one line, and the script read to its end before anything runs for
# long, so that editing this file during a run cannot change what runs.
main; exit $?
