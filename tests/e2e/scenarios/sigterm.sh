# SIGTERM: the program ends cleanly and writes its saved searches, which a
# restart hands back unchanged, whatever characters they hold.
# shellcheck shell=bash disable=SC2154 # the environment comes from common.sh and run_e2e.sh

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
    # The whole file, so a stray section or key shows in a failure too;
    # only the list's version, new at each save, is left out, and the times
    # searches were opened read T.
    sed -e '/^SearchesVersion=[0-9a-f]\{16\}\.[0-9.a-f]*\r\?$/d' -e '/^SearchesOpened=/s/\([=|]\)[0-9][0-9]* /\1T /g' \
        "$settings" 2>/dev/null || echo "(no file $settings)"
}

scenario_sigterm() {
    start_main_window
    pick_location bos
    type_search bike
    x key Return
    click_on 'Load Example'
    # The signal does not queue behind the clicks; seeing both searches
    # opened shows they were all handled.
    click_on 'Open All'
    check_opened "Open All before the signal" \
        "$(url_for bike%20site%3Aboston.listora.org)" \
        "$(url_for lawnmower%20site%3Aboston.listora.org)"
    kill -TERM "$app_pid"
    wait_exit
    check_eq "exit status after SIGTERM" 0 "$exit_status"
    check_eq "saved searches, each followed by |" \
        "$(printf '[Quillmoor]\nSearchesOpened=T bike site:boston.listora.org|T lawnmower site:boston.listora.org|\nSearches=bike site:boston.listora.org|lawnmower site:boston.listora.org|')" \
        "$(saved_value)"

    start_main_window
    click_on 'Open All'
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
    click_on 'Open All'
    wait_opened 4
    forget_opened
    kill -TERM "$app_pid"
    wait_exit
    check_eq "exit status after the second SIGTERM" 0 "$exit_status"
    start_main_window
    click_on 'Open All'
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
    click_on 'Open All'
    check_opened "a saved search with letters outside ASCII opens encoded as UTF-8" "$utf8"
    kill -TERM "$app_pid"
    wait_exit
    check_eq "exit status after the third SIGTERM" 0 "$exit_status"
    start_main_window
    click_on 'Open All'
    check_opened "letters outside ASCII survive being saved again" "$utf8"
}
