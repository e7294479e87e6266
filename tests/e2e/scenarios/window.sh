# The main window: caption, designed size, centred on the screen, no report
# for a good location file; it grows, and its size is kept.
# shellcheck shell=bash disable=SC2154 # the environment comes from common.sh and run_e2e.sh

scenario_window() {
    start_main_window
    check_eq "caption" "Quillmoor" "$(x getwindowname "$win")"
    local geometry size position hints fixed
    geometry=$(x getwindowgeometry "$win")
    size=$(sed -n 's/^ *Geometry: *//p' <<<"$geometry")
    position=$(sed -n 's/^ *Position: *\([0-9]*,[0-9]*\).*/\1/p' <<<"$geometry")
    check_eq "client size" "${WINDOW_SIZE[0]}x${WINDOW_SIZE[1]}" "$size"
    # Centred on the screen: half of what the window leaves free either way.
    check_eq "position (centred)" \
        "$(((SCREEN_SIZE[0] - WINDOW_SIZE[0]) / 2)),$(((SCREEN_SIZE[1] - WINDOW_SIZE[1]) / 2))" "$position"
    hints=$(timeout 15 xprop -id "$win" WM_NORMAL_HINTS)
    check_eq "minimum size hint (the designed size)" "${WINDOW_SIZE[0]} by ${WINDOW_SIZE[1]}" \
        "$(sed -n 's/.*minimum size: *//p' <<<"$hints")"
    check_eq "no error report with a good location file" "" "$(visible_windows 'Application Error')"
    stop_pid "$app_pid"
    window_grows
}

# shown_tip: the window of the tool tip the program shows, if any.
shown_tip() { x search --onlyvisible --pid "$app_pid" 2>/dev/null | grep -vx "$win" | head -n 1; }

# tip_width PLACE: the width of the tool tip shown over PLACE, if any. A tip
# still shown from the last place is let go first, or its width would count.
tip_width() {
    local end=$((SECONDS + 4)) tip
    while [ -n "$(shown_tip)" ] && ((SECONDS <= end)); do sleep 0.2; done
    move_to "$1"
    end=$((SECONDS + 4))
    while ((SECONDS <= end)); do
        tip=$(shown_tip)
        [ -n "$tip" ] && x getwindowgeometry "$tip" | sed -n 's/^ *Geometry: *\([0-9]*\)x.*/\1/p' && return
        sleep 0.2
    done
}

# Enlarged by 300 x 100 (past the screen's right and lower edges), the lists share the
# extra height and the buttons below follow the lower edge; the size is
# restored at the next start, moved back onto the screen.
window_grows() {
    local searches='' i long='used road bike in good condition with new tires and a bell'
    for ((i = 1; i <= 20; i++)); do searches+="page$i|"; done
    printf '[Quillmoor]\nSearches=%s site:coloradosprings.listora.org|%s\n' "$long" "$searches" >"$settings"
    start_main_window
    local long_tip short_tip
    long_tip=$(tip_width 'saved-search row 1')
    move_to 'location row 1'
    short_tip=$(tip_width 'saved-search row 2')
    echo "  note: tool tips ${long_tip:-none} px wide over the cut-off entry, ${short_tip:-none} over a short one"
    check_eq "a cut-off entry's tool tip is wider than its column (467 px), a short one's is the list's own" yes \
        "$( ((long_tip > 467 && short_tip > 0 && short_tip < 467)) && echo yes)"
    x windowsize "$win" $((WINDOW_SIZE[0] + 300)) $((WINDOW_SIZE[1] + 100))
    sleep "$SETTLE"
    # Row 12 is where Open Selected was; the list now starts 50 pixels
    # lower (5 more fit rows of 15 or 16 pixels alike), Open Selected 100.
    locate 'saved-search row 12'
    x mousemove --window "$win" "$px" $((py + 55)) click 1
    locate 'Open Selected'
    x mousemove --window "$win" "$px" $((py + 100)) click 1
    check_opened "row 12 of the enlarged list, opened by Open Selected where it followed the lower edge" \
        "$(url_for page11)"
    stop_pid "$app_pid"
    start_main_window
    check_eq "the size restored at the next start, wholly on the screen" \
        "Position: $((SCREEN_SIZE[0] - WINDOW_SIZE[0] - 300)),$((SCREEN_SIZE[1] - WINDOW_SIZE[1] - 100)) Geometry: $((WINDOW_SIZE[0] + 300))x$((WINDOW_SIZE[1] + 100))" \
        "$(x getwindowgeometry "$win" | sed -n 's/ (screen.*//; s/^ *\(Position\|Geometry\)/\1/p' | paste -sd ' ')"
}
