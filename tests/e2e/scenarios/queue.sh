# Many cities at once: the pages go to the launcher one at a time and in
# list order while the window keeps answering, a launcher that refuses
# every page gives one report, and Stop Opening stops a long Open All.
# shellcheck shell=bash disable=SC2154 # the environment comes from common.sh and run_e2e.sh

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
    write_launcher <<EOF
sleep 0.\$(( \${#1} % 4 + 5 ))
printf '%s\\n' "\$1" >>'$taken'
EOF
    start_main_window
    click_on 'filter box'
    x type --delay 15 -- texas
    click_on 'location row 1'
    x key ctrl+a
    type_search bike
    click_on 'Add Search'
    # A double-click: the second press finds the pages waiting, and each
    # opens once.
    locate 'Open All'
    x mousemove --window "$win" "$px" "$py" click --repeat 2 --delay 120 1
    # While the pages are handed over the window answers: the filter
    # rebuilds the list (so no city is picked), and Add Search says so.
    type_search kayak
    click_on 'filter box'
    x type --delay 15 -- q
    click_on 'Add Search'
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
    sleep 1 # a page queued twice would come within a launcher's time
    check_eq "Ctrl+A on the Texas cities, Add Search, Open All twice: every page once, in list order" \
        "$(printf '%s\n' "$(url_for bike%20site%3Ahouston.listora.org)" "$(url_for bike%20site%3Aaustin.listora.org)" \
            "$(url_for bike%20site%3Adallas.listora.org)" "$(url_for bike%20site%3Aelpaso.listora.org)" \
            "$(url_for bike%20site%3Asanantonio.listora.org)")" \
        "$(cat "$taken" 2>/dev/null)"

    # A launcher that always fails: one report for the whole of Open All.
    write_launcher <<EOF
echo "xdg-open: no method available for opening '\$1'" >&2
exit 3
EOF
    x windowfocus --sync "$win"
    click_on 'Open All'
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
    stop_pid "$app_pid"
    stop_a_long_open_all
}

# Thirty pages are asked about first: Escape opens none. Answered, they
# wait: the title counts them, and the button beside the progress stops
# the rest; nothing opens after it.
stop_a_long_open_all() {
    local taken=$work/stopped.log searches='' i title stopped_at
    for ((i = 1; i <= 30; i++)); do searches+="page$i|"; done
    printf '[Quillmoor]\nSearches=%s\n' "$searches" >"$settings"
    write_launcher <<EOF
sleep 0.3
printf '%s\\n' "\$1" >>'$taken'
EOF
    start_main_window
    click_on 'Open All'
    answer_question Escape
    sleep "$SETTLE"
    check_eq "Escape on the question before 30 pages opens none" 0 "$(cat -- "$taken" 2>/dev/null | wc -l)"
    click_on 'Open All'
    answer_question Return
    sleep 1
    title=$(x getwindowname "$win")
    if [[ $title =~ ^Quillmoor\ –\ [1-9][0-9]?\ of\ 30$ ]]; then
        pass "while 30 pages wait the title counts them: $title"
    else
        fail "the title while 30 pages wait: '$title'"
    fi
    click_on 'Stop Opening'
    sleep 0.6 # the launcher running at the click may finish
    stopped_at=$(cat -- "$taken" 2>/dev/null | wc -l)
    check_eq "the title after Stop Opening" Quillmoor "$(x getwindowname "$win")"
    sleep 1.5
    if ((stopped_at < 30)); then
        check_eq "nothing opens after Stop Opening" "$stopped_at" "$(wc -l <"$taken")"
    else
        fail "Stop Opening stopped nothing"
    fi
}
