# Shared by every end-to-end scenario: limits, reporting, the window's
# layout, a fresh environment per scenario (display, application folder,
# stand-in browser launcher), and the helpers that drive the program and
# check what it handed to the launcher. Sourced by run_e2e.sh; defines
# functions and settings only.
# shellcheck shell=bash disable=SC2034,SC2154 # settings the scenarios read; the run's own come from run_e2e.sh

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

# ---------------------------------------------------------------- the window's layout

# The window has a fixed layout, so every place a scenario clicks or points
# at is named here once, in the window's client area.
SCREEN_SIZE=(1024 768)
WINDOW_SIZE=(536 652)
declare -A PLACE=(
    # Controls.
    [filter box]='300 39'
    [search box]='250 279'
    [Add Search]='268 325'
    [Open Selected]='136 563'
    [Open All]='400 563'
    [Delete Selected]='136 597'
    [Clear All]='400 597'
    [Load Example]='268 631'
    # Shown only while pages wait for the browser.
    [Stop Opening]='430 531'
    # Places that are not controls.
    [label]='60 38'
    [window background]='4 300'
    [frame Create New Listora Search]='14 200'
    [frame Search For This Text]='30 290'
    [location list]='300 200'
    [header of the location list]='200 68'
    [scroll bar of the location list]='504 150'
    [saved-search list]='300 450'
    [header of the saved-search list]='200 366'
    [scroll bar of the saved-search list]='520 450'
)
BUTTONS=('Add Search' 'Open Selected' 'Open All' 'Delete Selected' 'Clear All' 'Load Example')
# List rows are a line of text high (14 to 16 px) below a header of about
# 18 px: a pitch of 15 px hits the middle third of each of the first few
# rows either way. "location row N" and "saved-search row N" count from 1.
LOCATION_ROW_1=(200 84)
SAVED_SEARCH_ROW_1=(200 382)
ROW_PITCH=15
# A screen position away from the window, where the pointer changes nothing.
OFF_WINDOW=(1000 740)

# locate PLACE: sets px and py to the position of a place named above.
locate() {
    local first
    case $1 in
        'location row '[1-9]*) first=("${LOCATION_ROW_1[@]}") ;;
        'saved-search row '[1-9]*) first=("${SAVED_SEARCH_ROW_1[@]}") ;;
        *)
            [ -n "${PLACE[$1]+set}" ] || abort "no place '$1' in the layout table"
            read -r px py <<<"${PLACE[$1]}"
            return 0
            ;;
    esac
    px=${first[0]}
    py=$((first[1] + ROW_PITCH * (${1##* } - 1)))
}

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
    Xvfb -displayfd 3 -screen 0 "${SCREEN_SIZE[0]}x${SCREEN_SIZE[1]}x24" -nolisten tcp -noreset 3>"$dfile" \
        >"$work/xvfb.log" 2>&1 &
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

# Writes a stand-in launcher (xdg-open unless FILE is given) whose body
# comes from standard input. The home
# page that a start may open is taken and dropped first, so that a launcher
# which logs or takes its time sees only the pages a scenario asked for.
write_launcher() { # [file]
    local file=${1:-$work/bin/xdg-open}
    { printf '#!/bin/sh\n[ "$1" = %s ] && exit 0\n' "'$HOME_PAGE'"; cat; } >"$file"
    chmod +x "$file"
}

# The stand-in browser launcher. Each argument goes on its own line, tagged
# with the process id: the program starts one launcher after the other, so
# sorting by id restores the order of the calls even when two launchers
# finish writing in the other order. Each line is one write to a file opened
# for appending, so concurrent launchers never mix lines.
write_recording_launcher() {
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
    write_recording_launcher

    export HOME=$work/home
    export XDG_CONFIG_HOME=$work/config
    export XDG_RUNTIME_DIR=$work/runtime
    export PATH=$work/bin:$PATH
    export QT_QPA_PLATFORM=xcb
    # No desktop session: no session bus to reach, no desktop to ask.
    export DBUS_SESSION_BUS_ADDRESS=unix:path=$work/no-session-bus
    unset WAYLAND_DISPLAY XDG_CURRENT_DESKTOP XDG_SESSION_TYPE DESKTOP_SESSION \
        KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID BROWSER DEFAULT_BROWSER QT_QPA_PLATFORMTHEME 2>/dev/null
    export QT_ACCESSIBILITY=0
    settings=$XDG_CONFIG_HOME/Marrowfen.ini
    start_display
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
    # APP_PATH, when set, is the program's PATH: what it may find there.
    # APP_STDERR=gone sends standard error into a pipe whose reader has
    # ended, as "quillmoor 2>&1 | head" leaves it.
    if [ "${APP_STDERR:-}" = gone ]; then
        (cd "$work" && PATH=${APP_PATH:-$PATH} exec "$app/quillmoor" </dev/null 2>&1 >"$log" | true) &
    else
        (cd "$work" && PATH=${APP_PATH:-$PATH} exec "$app/quillmoor" </dev/null >"$log" 2>&1) &
    fi
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

move_to() { # place
    locate "$1"
    x mousemove --window "$win" "$px" "$py"
}

click_on() { # place [mouse-button]
    locate "$1"
    x mousemove --window "$win" "$px" "$py" click "${2:-1}"
}

# Narrows the location list to TEXT and selects its first row.
pick_location() { # filter-text
    click_on 'filter box'
    x key ctrl+a BackSpace
    x type --delay 15 -- "$1"
    click_on 'location row 1'
}

type_search() { # text
    click_on 'search box'
    x type --delay 15 -- "$1"
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

# Answers the question asked before many pages open at once with KEY.
answer_question() { # key
    wait_window 'Open Pages' || { fail "no question before the pages opened"; return 1; }
    x windowfocus --sync "$found"
    x key "$1"
    wait_no_window 'Open Pages' || fail "the question stayed open after $1"
    x windowfocus --sync "$win"
}

save_screenshot() { # path
    local out=$1
    # Let the last keystrokes be drawn.
    sleep "$SETTLE"
    x mousemove "${OFF_WINDOW[@]}"
    sleep 0.3
    if timeout 30 /usr/bin/import -window "$win" "$out.tmp.png" && mv -f -- "$out.tmp.png" "$out"; then
        echo "  screenshot written to $out"
    else
        fail "could not write the screenshot $out"
        rm -f -- "$out.tmp.png"
    fi
}

# ---------------------------------------------------------------- what reached the launcher

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
    click_on 'Load Example'
    click_on 'Open All'
    check_opened "$1" "${ENGINE}lawnmower%20site%3Aboston.listora.org"
}

url_for() { # percent-encoded query
    printf '%s%s' "$ENGINE" "$1"
}
