# A location file with a blank line: a report before the main window, and
# only the lines before the fault listed.
# shellcheck shell=bash disable=SC2154 # the environment comes from common.sh and run_e2e.sh

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
    click_on 'location row 1'
    type_search bike
    click_on 'Add Search'
    click_on 'location row 2'
    type_search bike
    click_on 'Add Search'
    # Denver, after the blank line, must not be listed: with nothing to
    # select, adding is refused with a report.
    pick_location den
    type_search kayak
    click_on 'Add Search'
    close_report "adding with no location to select is refused with a report"
    click_on 'Open All'
    check_opened "the lines before the blank line are listed, the one after is not" \
        "$(url_for bike%20site%3Aboston.listora.org)" \
        "$(url_for bike%20site%3Achicago.listora.org)"
}
