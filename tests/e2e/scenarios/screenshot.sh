# The picture of the window in the README: run only when named, it writes
# the window with a few saved searches to $E2E_SCREENSHOT and checks that
# the pictured searches open.
# shellcheck shell=bash disable=SC2154 # the environment comes from common.sh and run_e2e.sh

scenario_screenshot() {
    [ -n "${E2E_SCREENSHOT:-}" ] || abort "set E2E_SCREENSHOT to the file to write"
    start_main_window
    click_on 'location row 1'
    x key ctrl+a
    type_search 'road bike'
    x key Return
    pick_location chi
    type_search 'futon'
    x key Return
    click_on 'Load Example'
    click_on 'filter box'
    x key ctrl+a BackSpace
    click_on 'location row 2'
    x key shift+Down shift+Down
    type_search 'kayak'
    save_screenshot "$E2E_SCREENSHOT"
    click_on 'Open All'
    check_opened "the pictured searches open in order" \
        "$(url_for road%20bike%20site%3Adenver.listora.org)" \
        "$(url_for road%20bike%20site%3Aboston.listora.org)" \
        "$(url_for road%20bike%20site%3Aaustin.listora.org)" \
        "$(url_for road%20bike%20site%3Achicago.listora.org)" \
        "$(url_for futon%20site%3Achicago.listora.org)" \
        "$(url_for lawnmower%20site%3Aboston.listora.org)"
}
