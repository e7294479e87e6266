# The context menu of a city: one search for each city within a distance,
# from the mouse and from the menu key.
# shellcheck shell=bash disable=SC2154 # the environment comes from common.sh and run_e2e.sh

scenario_nearby() {
    # The shipped list with its positions, in a locale that measures in
    # kilometres.
    cp -- "$here/../../data/list.txt" "$app/list.txt" || abort "no shipped list.txt"
    export LC_ALL=C.UTF-8
    start_main_window
    x type --delay 15 -- "boston, mass"
    click_on 'location row 1' 3
    sleep 0.5
    # The third entry: "Select Cities Within 200 km of Boston, Massachusetts".
    x key Down Down Down Return
    type_search bike
    x key Return
    click_on 'Open All'
    local host expected=()
    for host in hartford newhaven newlondon portlandme boston hyannis lowell pittsfield springfieldma worcester \
        concord manchesternh nashua portsmouth newport providence brattleboro; do
        expected+=("$(url_for "bike%20site%3A$host.listora.org")")
    done
    check_opened "the cities within 200 km of Boston, one search each in list order" "${expected[@]}"

    # The menu key opens the menu of the current city.
    click_on 'Clear All'
    pick_location worcester
    x key Menu
    sleep 0.5
    x key Down Down Return
    type_search bike
    x key Return
    click_on 'Open All'
    expected=()
    for host in hartford boston lowell springfieldma worcester manchesternh nashua newport providence brattleboro; do
        expected+=("$(url_for "bike%20site%3A$host.listora.org")")
    done
    check_opened "the menu key, then the cities within 100 km of Worcester" "${expected[@]}"
}
