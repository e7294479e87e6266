#!/usr/bin/env bash
# End-to-end checks of Quillmoor: the real executable on its own Xvfb,
# driven with xdotool the way a user would drive it.
#
#   run_e2e.sh [--probe CURSOR_PROBE] QUILLMOOR_EXECUTABLE [SCENARIO...]
#
# Scenarios: window searches example broken sigterm pointer queue close nearby cp1252 utf16 engines edits
# (the default is all of them), and "screenshot", which runs only when named and writes a
# picture of the window with a few saved searches to $E2E_SCREENSHOT.
#
# Every scenario gets a fresh Xvfb, a fresh application folder holding a copy
# of the executable (the program finds its files beside the real executable,
# so a symlink would not do), its own HOME and configuration folder, and a
# stand-in for xdg-open that records the addresses it is given instead of
# starting a browser. No network, window manager or desktop session is used.
#
# This file runs the scenarios; common.sh holds what they share (the window's
# layout among it), and scenarios/ one file per subject.
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
all_scenarios=(window searches example broken sigterm pointer queue close nearby cp1252 utf16 engines edits)
if [ $# -gt 0 ]; then scenarios=("$@"); else scenarios=("${all_scenarios[@]}"); fi

here=$(cd "$(dirname -- "${BASH_SOURCE[0]}")" && pwd)
started=$(date +%s)

# Each sourced file is read whole before any of it runs, and all of them
# before main, so editing one during a run cannot change what runs.
# shellcheck source=common.sh
source "$here/common.sh" || exit 2
for subject in "$here"/scenarios/*.sh; do
    # shellcheck source=/dev/null
    source "$subject" || exit 2
done

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

# ---------------------------------------------------------------- running

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

# On one line, and this script read to its end before anything runs for
# long, so that editing it during a run cannot change what runs.
main; exit $?
