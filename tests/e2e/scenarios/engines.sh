# Where searches open: the engine and age the settings file holds, and Open
# All putting the cities searched for the same text on one page, turned on
# from the saved-search list's menu and kept over a restart.
# shellcheck shell=bash disable=SC2154 # the environment comes from common.sh and run_e2e.sh

scenario_engines() {
    printf '[Quillmoor]\r\nEngine=Bing\r\nPagesFrom=Week\r\n' >"$settings"
    start_main_window
    local city
    for city in den bos aus; do
        pick_location "$city"
        type_search bike
        x key Return
    done
    pick_location chi
    type_search sofa
    x key Return
    # The menu from the keyboard; its access keys: C turns on One Page for
    # Several Cities, A is Open All.
    click_on 'saved-search row 1'
    x key shift+F10
    sleep 0.5
    x key c
    x key shift+F10
    sleep 0.5
    x key a
    local bing='https://www.bing.com/search?q=' week='&filters=ex1%3A%22ez2%22'
    check_opened "Open All in Bing, pages from the past week, the three bike searches on one page" \
        "${bing}bike%20%28site%3Adenver.listora.org%20OR%20site%3Aboston.listora.org%20OR%20site%3Aaustin.listora.org%29$week" \
        "${bing}sofa%20site%3Achicago.listora.org$week"

    kill -TERM "$app_pid"
    wait_exit
    check_eq "exit status after SIGTERM" 0 "$exit_status"
    check_eq "the choice kept beside the searches" "CombineCities=true" "$(grep -o 'CombineCities=[a-z]*' "$settings")"

    # After a restart Open Selected still opens the one entry.
    start_main_window
    click_on 'saved-search row 2'
    click_on 'Open Selected'
    check_opened "Open Selected after a restart: one city, same engine and age" \
        "${bing}bike%20site%3Aboston.listora.org$week"
}
