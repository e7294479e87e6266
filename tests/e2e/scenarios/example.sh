# The example search, deleting with the button and the Delete key, Open
# Selected, and Clear All.
# shellcheck shell=bash disable=SC2154 # the environment comes from common.sh and run_e2e.sh

scenario_example() {
    start_main_window
    click_on 'Load Example'
    click_on 'Load Example'
    click_on 'Open All'
    local lawnmower
    lawnmower=$(url_for lawnmower%20site%3Aboston.listora.org)
    check_opened "Open All after loading the example twice" "$lawnmower" "$lawnmower"

    click_on 'saved-search row 2'
    click_on 'Delete Selected'
    # Nothing else became selected: a second press removes nothing.
    click_on 'Delete Selected'
    close_report "a second Delete Selected reports that no search is selected"
    click_on 'Open All'
    check_opened "Open All after deleting one of them with the button" "$lawnmower"

    # Two different entries show that the selected one goes, not simply the
    # first or the last.
    pick_location chi
    type_search bike
    x key Return
    click_on 'saved-search row 2'
    click_on 'Open Selected'
    check_opened "Open Selected opens the selected entry only" \
        "$(url_for bike%20site%3Achicago.listora.org)"
    click_on 'saved-search row 1'
    x key Delete
    x key Delete
    close_report "a second Delete key reports that no search is selected"
    click_on 'Open All'
    check_opened "Open All after deleting the first entry with the Delete key" \
        "$(url_for bike%20site%3Achicago.listora.org)"

    click_on 'Clear All'
    click_on 'Open All'
    check_nothing_opened "Open All after Clear All opens nothing (then one example)"
}
