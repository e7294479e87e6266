#!/bin/bash
# Two computers whose config folders Syncthing keeps in step, each with a
# window of its own: round after round both add a search within a second of
# each other, and once the sync has settled every search must be in both
# settings files and in both windows. Saves that Syncthing brings together
# leave conflict copies, which the windows take in and put away; any box a
# window shows is noted (with a screenshot) and answered with Return.
#
# Needs syncthing, Xvfb, xdotool, curl, python3 and unshare (each window
# runs under a host name of its own, as on two computers, so that a lock
# file carried across is seen as another computer's). Not part of
# run_e2e.sh: a run takes about 20 s a round.
#
# usage: tests/e2e/syncthing_check.sh [PROGRAM [ROUNDS]]
# Environment: SYNC_PORT_BASE (default 22100) for the four ports used.
# Exit status 0 when every search is everywhere; the work folder (homes,
# Syncthing logs, screenshots) is kept and named when one is missing.
# shellcheck disable=SC2016 # python text in single quotes
set -u
here=$(cd "$(dirname "$0")" && pwd)
program=${1:-$here/../../build/bin/quillmoor}
rounds=${2:-10}
base=${SYNC_PORT_BASE:-22100}
work=$(mktemp -d /tmp/syncthing_check.XXXXXX)
folder=marrowfen-config
pids=()
say() { echo "$(date -u +%T) $*" | tee -a "$work/events.log"; }
finish() {
    local i
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill -TERM "${pids[i]}" 2>/dev/null; done
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do wait "${pids[i]}" 2>/dev/null; done
}
trap finish EXIT

# The program is copied, so that a rebuild during the run changes nothing.
mkdir -p "$work/app"
cp -- "$program" "$work/app/quillmoor" || exit 2
list=$(dirname "$program")/list.txt
[ -f "$list" ] || list=$here/../../data/list.txt
cp -- "$list" "$work/app/list.txt" || exit 2

# Two Syncthing instances on loopback only: no discovery, relays, NAT or
# usage reports, each knowing the other at a fixed address, and the folder
# with Syncthing's own defaults (its watcher waits 10 s).
for h in A B; do
    mkdir -p "$work/$h/home" "$work/$h/config" "$work/$h/data" "$work/$h/runtime" "$work/$h/bin"
    chmod 700 "$work/$h/runtime"
    printf '#!/bin/sh\nexit 0\n' >"$work/$h/bin/xdg-open" && chmod +x "$work/$h/bin/xdg-open"
    syncthing generate --home="$work/st$h" --no-default-folder >/dev/null 2>&1 || exit 2
done
id_A=$(syncthing serve --home="$work/stA" --device-id)
id_B=$(syncthing serve --home="$work/stB" --device-id)
configure() { # config gui listen peer-id peer-port path; prints the API key
    python3 -c '
import copy, sys, xml.etree.ElementTree as ET
conf, gui, listen, peer_id, peer_port, path, folder_id = sys.argv[1:8]
tree = ET.parse(conf); root = tree.getroot(); o = root.find("options")
root.find("gui/address").text = "127.0.0.1:" + gui
for key, value in (("listenAddress", "tcp://127.0.0.1:" + listen), ("globalAnnounceEnabled", "false"),
                   ("localAnnounceEnabled", "false"), ("relaysEnabled", "false"), ("natEnabled", "false"),
                   ("urAccepted", "-1"), ("startBrowser", "false"), ("crashReportingEnabled", "false")):
    o.find(key).text = value
peer = copy.deepcopy(root.find("defaults/device")); peer.set("id", peer_id)
peer.find("address").text = "tcp://127.0.0.1:" + peer_port; root.insert(1, peer)
shared = copy.deepcopy(root.find("defaults/folder")); shared.set("id", folder_id); shared.set("path", path)
ET.SubElement(shared, "device").set("id", peer_id); root.insert(0, shared)
tree.write(conf); print(root.find("gui/apikey").text)' "$@" "$folder"
}
key_A=$(configure "$work/stA/config.xml" $((base + 3)) $((base + 1)) "$id_B" $((base + 2)) "$work/A/config")
key_B=$(configure "$work/stB/config.xml" $((base + 4)) $((base + 2)) "$id_A" $((base + 1)) "$work/B/config")
for h in A B; do
    HOME=$work/st$h syncthing serve --home="$work/st$h" --no-browser --no-restart --no-upgrade \
        >"$work/syncthing.$h.log" 2>&1 &
    pids+=($!)
done
rest() { # A|B path
    local port=$((base + 3)) key=$key_A
    [ "$1" = B ] && port=$((base + 4)) key=$key_B
    curl -s -m 5 -H "X-API-Key: $key" "http://127.0.0.1:$port$2"
}
# In step: both folders idle with nothing to fetch, each complete for the
# other, and neither file changed for longer than the watcher waits.
in_step() {
    python3 -c '
import json, os, sys, time
try:
    a, b, ca, cb = (json.loads(x) for x in sys.argv[1:5])
    quiet = all(time.time() - os.path.getctime(f) > 12 for f in sys.argv[5:] if os.path.exists(f))
    sys.exit(0 if quiet and all(s["state"] == "idle" and s["needTotalItems"] == 0 for s in (a, b))
             and ca["completion"] == 100 and cb["completion"] == 100 else 1)
except (ValueError, KeyError):
    sys.exit(1)' "$(rest A "/rest/db/status?folder=$folder")" "$(rest B "/rest/db/status?folder=$folder")" \
        "$(rest A "/rest/db/completion?folder=$folder&device=$id_B")" \
        "$(rest B "/rest/db/completion?folder=$folder&device=$id_A")" \
        "$work/A/config/Marrowfen.ini" "$work/B/config/Marrowfen.ini"
}
wait_in_step() { # least-seconds
    local start=$SECONDS
    while ((SECONDS - start < $1)) || ! in_step; do
        answer_boxes
        ((SECONDS - start > 120)) && { say "not in step after 120 s"; return 1; }
        sleep 0.5
    done
}

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
DISPLAY=:$(head -n 1 "$work/display")
export DISPLAY QT_QPA_PLATFORM=xcb QT_ACCESSIBILITY=0
x() { timeout 15 xdotool "$@"; }
declare -A win app_pid
start_window() { # A|B x-position
    (cd "$work/$1" && exec env HOME="$work/$1/home" XDG_CONFIG_HOME="$work/$1/config" \
        XDG_DATA_HOME="$work/$1/data" XDG_RUNTIME_DIR="$work/$1/runtime" PATH="$work/$1/bin:$PATH" \
        DBUS_SESSION_BUS_ADDRESS="unix:path=$work/$1/no-bus" \
        unshare --uts sh -c "hostname computer$1 && exec '$work/app/quillmoor'" </dev/null >"$work/program.$1.log" 2>&1) &
    app_pid[$1]=$!
    pids+=($!)
    win[$1]=$(x search --sync --all --onlyvisible --pid "${app_pid[$1]}" --name '^Quillmoor$' | head -n 1)
    x windowmove "${win[$1]}" "$2" 0
}
boxes=0
answer_boxes() {
    local h w
    for h in A B; do
        for w in $(x search --onlyvisible --pid "${app_pid[$h]:-0}" 2>/dev/null); do
            [ "$w" = "${win[$h]}" ] && continue
            boxes=$((boxes + 1))
            import -window root "$work/box-$boxes.png" 2>/dev/null
            say "box $boxes in window $h, see box-$boxes.png"
            x windowfocus --sync "$w" key Return
        done
    done
}
# Places in the window, as in common.sh.
declare -A place=([filter box]='300 39' [location row 1]='200 84' [search box]='250 279' [Add Search]='268 325')
click() { # A|B place
    local at
    read -r -a at <<<"${place[$2]}"
    x windowfocus --sync "${win[$1]}" mousemove --window "${win[$1]}" "${at[0]}" "${at[1]}" click 1
}
type_search() { # A|B city text
    click "$1" 'filter box'
    x key ctrl+a BackSpace type --delay 15 -- "$2"
    click "$1" 'location row 1'
    click "$1" 'search box'
    x type --delay 15 -- "$3"
}

# Computer A starts first; its new file reaches B before B's window starts.
wait_in_step 3 || exit 1
start_window A 0
until [ -f "$work/B/config/Marrowfen.ini" ] && in_step; do sleep 0.5; done
start_window B 640
gaps=(0.2 0.5 1.0 0.3 0.8 0.4 0.6 0.9 0.2 0.7)
for ((n = 1; n <= rounds; n++)); do
    answer_boxes
    type_search A denver "a-round-$n"
    type_search B boston "b-round-$n"
    click A 'Add Search'
    sleep "${gaps[(n - 1) % 10]}"
    click B 'Add Search'
    say "round $n added"
    # The watcher's 10 s, the other side's pull, and a second to take in.
    wait_in_step 15
done
wait_in_step 5

# Each window's own list: with the sync paused and its file moved aside, the
# close writes the window's list to a new file.
for h in A B; do
    port=$((base + 3)) key=$key_A
    [ $h = B ] && port=$((base + 4)) key=$key_B
    curl -s -m 5 -X PATCH -H "X-API-Key: $key" -d '{"paused":true}' \
        "http://127.0.0.1:$port/rest/config/folders/$folder"
done
for h in A B; do mv "$work/$h/config/Marrowfen.ini" "$work/$h.file.ini"; done
for h in A B; do
    kill -TERM "${app_pid[$h]}"
    wait "${app_pid[$h]}"
    mv "$work/$h/config/Marrowfen.ini" "$work/$h.window.ini"
done
put_away=$(find "$work"/?/data/quillmoor/backups/sync-conflicts -type f 2>/dev/null | wc -l)
say "$boxes boxes answered; $put_away conflict copies put away (both homes)"
python3 -c '
import re, sys
work, rounds = sys.argv[1], int(sys.argv[2])
wanted = [f"{s}-round-{n}" for n in range(1, rounds + 1) for s in "ab"]
missing_anywhere = False
for name in ("A.file", "B.file", "A.window", "B.window"):
    searches = ""
    section = None
    for line in open(f"{work}/{name}.ini", encoding="utf-8"):
        line = line.strip()
        if line.startswith("["):
            section = line[1:line.find("]")]
        elif section == "Quillmoor" and line.startswith("Searches="):
            searches = line[len("Searches="):].strip().strip("\"")
    texts = {entry.split(" site:")[0] for entry in searches.split("|") if entry}
    missing = [w for w in wanted if w not in texts]
    missing_anywhere |= bool(missing)
    print(f"{name:9s} {len(wanted) - len(missing)} of {len(wanted)} searches" + (f", missing {missing}" if missing else ""))
sys.exit(1 if missing_anywhere else 0)' "$work" "$rounds" | tee -a "$work/events.log"
status=${PIPESTATUS[0]}
finish
trap - EXIT
if ((status == 0)); then
    rm -rf -- "$work"
else
    echo "kept: $work"
fi
exit "$status"
