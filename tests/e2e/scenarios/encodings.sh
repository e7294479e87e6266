# A list.txt as a Windows editor saves it, in its Western code page or as
# "Unicode": the names read right, the filter finds them by the text either
# side of their accents, and a search built on one opens its city.
# shellcheck shell=bash disable=SC2154 # the environment comes from common.sh and run_e2e.sh

encoded_list() { # iconv-encoding [mark]
    {
        [ -n "${2:-}" ] && printf '%b' "$2"
        printf '%s\r\n' 'http://zurich.listora.org/,Zürich,€ Region' \
            'http://montreal.listora.org/,Montréal,Québec' 'http://paris.listora.org/,Paris,' |
            iconv -f UTF-8 -t "$1"
    } >"$app/list.txt" || abort "could not write a $1 list.txt"
}

check_encoded_list() {
    start_main_window
    x type --delay 15 -- 'al, qu'
    click_on 'location row 1'
    type_search bike
    x key Return
    if [ -n "${E2E_SCREENSHOT:-}" ]; then
        click_on 'filter box'
        x key ctrl+a BackSpace
        save_screenshot "$E2E_SCREENSHOT"
    fi
    click_on 'Open All'
    check_opened "a search on the city of a $scenario list.txt" "$(url_for bike%20site%3Amontreal.listora.org)"
}

scenario_cp1252() {
    encoded_list WINDOWS-1252
    check_encoded_list
}

scenario_utf16() {
    encoded_list UTF-16LE '\xff\xfe'
    check_encoded_list
}
