# Closing while pages wait: the window goes and the program ends at once,
# and what waited still reaches the launcher in order, one at a time; a
# signal's close that cannot save says so on standard error and ends.
# shellcheck shell=bash disable=SC2154 # the environment comes from common.sh and run_e2e.sh

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# Sends SIGTERM and waits for the program to end; sets exit_status and
# took_ms, the time from the signal to the end.
term_and_time() {
    local start end=$((SECONDS + EXIT_TIMEOUT))
    start=$(now_ms)
    kill -TERM "$app_pid"
    exit_status="still running after ${EXIT_TIMEOUT}s"
    while ((SECONDS <= end)); do
        if ! is_running "$app_pid"; then
            took_ms=$(($(now_ms) - start))
            wait "$app_pid"
            exit_status=$?
            return
        fi
        sleep 0.02
    done
    took_ms=never
}

# Writes to FILE a launcher that notes when it starts and ends, and writes
# to both of its outputs, which must reach no terminal.
write_timing_launcher() { # file times
    write_launcher "$1" <<EOF
PATH=/usr/bin:/bin
printf 'start %s %s\n' "\$(date +%s%N)" "\$1" >>'$2'
echo "launcher noise on stdout"
echo "launcher noise on stderr" >&2
sleep 0.1
printf 'end %s %s\n' "\$(date +%s%N)" "\$1" >>'$2'
EOF
}

# Open All of COUNT pages, a close by SIGTERM after the fifth: the program
# ends at once, and every page still reaches the launcher that logs to
# TIMES, in order, one at a time, quietly. WHAT names the case.
close_during_open_all() { # count times what
    local count=$1 times=$2 what=$3 i expected=() searches=
    : >"$times"
    for ((i = 1; i <= count; i++)); do
        searches+=$(printf 'page%02d|' "$i")
        expected+=("$(url_for "$(printf 'page%02d' "$i")")")
    done
    printf '[Quillmoor]\nSearches=%s\n' "$searches" >"$settings"
    start_main_window
    click_on 'Open All'
    ((count <= 20)) || answer_question Return
    local end=$((SECONDS + OPEN_TIMEOUT))
    while ((SECONDS <= end)) && [ "$(grep -c '^end ' "$times")" -lt 5 ]; do sleep 0.02; done
    # As after an upgrade while the window was open: the program's file is
    # gone, and the pages are still handed over.
    rm -f -- "$app/quillmoor"
    term_and_time
    cp -- "$program" "$app/quillmoor"
    check_eq "$what: exit status of a close during Open All" 0 "$exit_status"
    if [ "$took_ms" != never ] && ((took_ms < 1000)); then
        pass "$what: the program ended ${took_ms} ms after the signal, with $(grep -c '^end ' "$times") pages taken"
    else
        fail "$what: the program took ${took_ms} ms to end after the signal"
    fi
    end=$((SECONDS + 30))
    while ((SECONDS <= end)) && [ "$(grep -c '^end ' "$times")" -lt "$count" ]; do sleep 0.1; done
    check_eq "$what: all $count pages reach the launcher in list order across the close" \
        "$(printf '%s\n' "${expected[@]}")" "$(awk '$1 == "start" { print $3 }' "$times")"
    # Appends land in the order they happen: each start must be followed by
    # the end of the same page before the next start.
    check_eq "$what: no two launchers ran at once" "" \
        "$(awk '$1 == "start" { if (running != "") print "overlap: " $3 " while " running; running = $3 }
                $1 == "end" { running = "" }' "$times")"
    check_eq "$what: nothing the launchers wrote reached the program's output" "" "$(grep noise "$log")"
    echo "  note: pages after the close: $(awk '$1 == "start" { n++; if (n == 6) a = $2 } END { printf "%.1f s for %d", ($2 - a) / 1e9, n - 5 }' "$times")"
}

scenario_close() {
    write_timing_launcher "$work/bin/xdg-open" "$work/times.log"
    close_during_open_all 60 "$work/times.log" "xdg-open"

    # No xdg-open anywhere: the browser $BROWSER names takes its place, in
    # the window and after the close alike.
    rm -f -- "$work/bin/xdg-open"
    write_timing_launcher "$work/browser" "$work/browser.log"
    BROWSER=$work/browser APP_PATH=$work/bin close_during_open_all 12 "$work/browser.log" "\$BROWSER"

    # A save that fails during a signal's close (the settings path is a
    # folder now): the report goes to standard error, nobody waits for OK,
    # and the status says it failed.
    rm -f -- "$settings"
    start_main_window
    mkdir -- "$settings"
    term_and_time
    check_eq "the settings folder is left as it was" "" "$(ls -A -- "$settings")"
    if [ "$took_ms" != never ] && ((took_ms < 1000)) && [ "$exit_status" != 0 ]; then
        pass "a signal's close with a failing save ended in ${took_ms} ms with status $exit_status"
    else
        fail "a signal's close with a failing save: status $exit_status after ${took_ms} ms"
    fi
    check_eq "the report of the failed save is on standard error, in full" \
        "in Quillfind2021/08/31.Form1.Form_QueryUnload at line 106|Please email screenshot of this message to support@marrowfen.example" \
        "$(grep -E '^in Quillfind|^Please email' "$log" | paste -sd '|')"
    check_eq "the list shown is kept in a rescue file beside it" yes "$([ -f "$settings.rescued" ] && echo yes)"
    rmdir -- "$settings"
    rm -f -- "$settings.rescued"
    scenario_close_display_lost
}

# Last, as the display is gone after it: the X server goes away (it died, or
# the ssh link carrying it dropped). What the session added is saved, and
# the pages still waiting are handed over, even when nobody reads the
# program's standard error any more.
scenario_close_display_lost() {
    local times=$work/lost.log i expected=() searches=
    write_timing_launcher "$work/bin/xdg-open" "$times"
    : >"$times"
    for ((i = 1; i <= 6; i++)); do
        searches+=$(printf 'page%02d|' "$i")
        expected+=("$(url_for "$(printf 'page%02d' "$i")")")
    done
    expected+=("$(url_for new%20site%3Adenver.listora.org)")
    printf '[Quillmoor]\nSearches=%s\n' "$searches" >"$settings"
    APP_STDERR=gone start_main_window
    click_on 'location row 1'
    type_search new
    click_on 'Add Search'
    click_on 'Open All'
    local end=$((SECONDS + OPEN_TIMEOUT))
    while ((SECONDS <= end)) && [ "$(grep -c '^end ' "$times")" -lt 2 ]; do sleep 0.02; done
    kill -TERM "$xvfb_pid"
    end=$((SECONDS + EXIT_TIMEOUT))
    while ((SECONDS <= end)) && is_running "$app_pid"; do sleep 0.05; done
    check_eq "the program ended with its display" "" "$(is_running "$app_pid" && echo "still running")"
    check_eq "the search added before the display went is saved" \
        "Searches=${searches}new site:denver.listora.org|" "$(grep '^Searches=' "$settings")"
    end=$((SECONDS + 30))
    while ((SECONDS <= end)) && [ "$(grep -c '^end ' "$times")" -lt 7 ]; do sleep 0.1; done
    check_eq "the pages waiting when the display went still reach the launcher, in order" \
        "$(printf '%s\n' "${expected[@]}")" "$(awk '$1 == "start" { print $3 }' "$times")"
}
