# The saved list as the user's own: several entries opened and deleted at
# once, undone with the focus on a button, copied and pasted (also lines
# from another program, blank ones among them), moved with Alt+Down and
# given a new search text with F2, all of it kept over a restart, and
# saved as the user goes, so a kill -9 after edits loses none.
# shellcheck shell=bash disable=SC2154 # the environment comes from common.sh and run_e2e.sh

scenario_edits() {
    # Another program's clipboard: the one built beside the probe, or one
    # built here from its source.
    local clip
    clip=$(dirname -- "${probe:-.}")/clip_owner
    if [ -z "$probe" ] || [ ! -x "$clip" ]; then
        clip=$work/clip_owner
        cc -O2 -o "$clip" "$here/clip_owner.c" -lX11 2>"$work/clip-build.log" ||
            abort "no clipboard stand-in, and it could not be built: $(head -n 3 "$work/clip-build.log")"
    fi
    local searches='bike site:denver.listora.org|bike site:boston.listora.org|bike site:austin.listora.org'
    printf '[Quillmoor]\r\nSearches=%s|sofa site:chicago.listora.org|\r\n' "$searches" >"$settings"
    local den=site%3Adenver.listora.org bos=site%3Aboston.listora.org aus=site%3Aaustin.listora.org
    local chi=site%3Achicago.listora.org
    start_main_window
    click_on 'saved-search row 1'
    x keydown shift
    click_on 'saved-search row 3'
    x keyup shift
    click_on 'Open Selected'
    check_opened "Open Selected with three selected, Shift-click: all three in list order" \
        "$(url_for "bike%20$den")" "$(url_for "bike%20$bos")" "$(url_for "bike%20$aus")"

    click_on 'saved-search row 2'
    x keydown ctrl
    click_on 'saved-search row 4'
    x keyup ctrl
    click_on 'Delete Selected'
    click_on 'Open All'
    check_opened "Delete Selected with two picked by Ctrl-click removes both" \
        "$(url_for "bike%20$den")" "$(url_for "bike%20$aus")"
    # The focus is on the Open All button.
    x key ctrl+z
    click_on 'Open All'
    check_opened "Ctrl+Z with the focus on a button brings both back in place" \
        "$(url_for "bike%20$den")" "$(url_for "bike%20$bos")" "$(url_for "bike%20$aus")" "$(url_for "sofa%20$chi")"

    # Copied, and pasted after the first entry.
    click_on 'saved-search row 2'
    x keydown ctrl
    click_on 'saved-search row 4'
    x keyup ctrl
    x key ctrl+c
    click_on 'saved-search row 1'
    x key ctrl+v
    # Lines from another program, blank ones among them, after the last.
    "$clip" $'kayak site:austin.listora.org\r\n\r\n  \r\nkayak site:chicago.listora.org\r\n' >"$work/clip.out" &
    pids+=($!)
    local end=$((SECONDS + WINDOW_TIMEOUT))
    while ((SECONDS <= end)) && ! grep -qx ready "$work/clip.out" 2>/dev/null; do sleep 0.1; done
    x windowfocus --sync "$win"
    x key End ctrl+v
    # The first entry one place down, by the keyboard alone: a second click
    # where the last one was would be a double-click, which opens.
    x key Home alt+Down
    # The two bike searches now first get a longer text, each its own city.
    x key Home shift+Down F2
    if wait_window 'Edit Search Text'; then
        x windowfocus --sync "$found"
        x key End
        x type --delay 15 -- ' helmet'
        x key Return
        wait_no_window 'Edit Search Text' || fail "the search text box stayed open after Return"
        x windowfocus --sync "$win"
    else
        fail "F2 asked for no search text"
    fi
    # In the search box the keys edit its text, not the list.
    pick_location chi
    type_search tent
    x key ctrl+z ctrl+y Return

    kill -TERM "$app_pid"
    wait_exit
    check_eq "exit status after SIGTERM" 0 "$exit_status"
    start_main_window
    click_on 'Open All'
    check_opened "after a restart: copied, pasted, moved and renamed entries in their places" \
        "$(url_for "bike%20helmet%20$bos")" "$(url_for "bike%20helmet%20$den")" "$(url_for "sofa%20$chi")" \
        "$(url_for "bike%20$bos")" "$(url_for "bike%20$aus")" "$(url_for "sofa%20$chi")" \
        "$(url_for "kayak%20$aus")" "$(url_for "kayak%20$chi")" "$(url_for "tent%20$chi")"

    # Each edit is on disk about a second after it: a kill -9 four seconds
    # on, as a crash or a power cut would end the program, loses none.
    click_on 'saved-search row 1'
    click_on 'Delete Selected'
    pick_location aus
    type_search canoe
    x key Return
    sleep 4
    kill -KILL "$app_pid"
    wait "$app_pid" 2>/dev/null
    start_main_window
    click_on 'Open All'
    check_opened "after kill -9 the file holds what the window showed" \
        "$(url_for "bike%20helmet%20$den")" "$(url_for "sofa%20$chi")" "$(url_for "bike%20$bos")" \
        "$(url_for "bike%20$aus")" "$(url_for "sofa%20$chi")" "$(url_for "kayak%20$aus")" \
        "$(url_for "kayak%20$chi")" "$(url_for "tent%20$chi")" "$(url_for "canoe%20$aus")"
}
