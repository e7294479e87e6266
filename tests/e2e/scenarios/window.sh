# The main window: caption, fixed size, centred on the screen, no report
# for a good location file.
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
    fixed="${WINDOW_SIZE[0]} by ${WINDOW_SIZE[1]}"
    check_eq "minimum size hint (not resizable)" "$fixed" "$(sed -n 's/.*minimum size: *//p' <<<"$hints")"
    check_eq "maximum size hint (not resizable)" "$fixed" "$(sed -n 's/.*maximum size: *//p' <<<"$hints")"
    check_eq "no error report with a good location file" "" "$(visible_windows 'Application Error')"
}
