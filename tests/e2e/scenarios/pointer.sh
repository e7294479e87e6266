# The pointer: a hand over every button (the program's own HAND-M.CUR when
# it is there), the arrow everywhere else, and the label leaving it as it
# was. Read back through XFixes by cursor_probe.
# shellcheck shell=bash disable=SC2154 # the environment comes from common.sh and run_e2e.sh

probe_cursor() {
    # serial changes with every new cursor; the rest describes the image.
    timeout 15 "$probe" | sed 's/^serial=[0-9]* //'
}

# Moves the pointer and waits until the shown cursor satisfies TEST against
# REF ("same" or "differs"); prints the cursor seen last.
pointer_after_move() { # place same|differs ref
    local end=$((SECONDS + POINTER_TIMEOUT)) seen
    move_to "$1"
    while :; do
        seen=$(probe_cursor)
        case $2 in
            same) [ "$seen" == "$3" ] && break ;;
            differs) [ "$seen" != "$3" ] && break ;;
        esac
        ((SECONDS > end)) && break
        sleep 0.1
    done
    echo "$seen"
}

# For a control that must leave the cursor alone there is no change to wait
# for, so give the program a moment and then look.
pointer_after_quiet_move() { # place
    move_to "$1"
    sleep "$SETTLE"
    probe_cursor
}

hand_checks() { # expected-hand-description-or-empty
    local arrow hand seen place
    local plain=('window background' 'frame Create New Listora Search' 'frame Search For This Text'
        'location list' 'saved-search list' 'header of the location list' 'scroll bar of the location list'
        'header of the saved-search list' 'scroll bar of the saved-search list')

    move_to 'window background'
    sleep "$SETTLE"
    arrow=$(probe_cursor)
    hand=$(pointer_after_move 'Open All' differs "$arrow")
    if [ "$hand" == "$arrow" ]; then
        # Without a hand to tell apart, the checks below would prove nothing.
        fail "pointer over Open All: expected a hand, still the arrow ($arrow)"
        return
    else
        pass "pointer over Open All differs from the arrow"
    fi
    if [ -n "$1" ]; then
        check_eq "pointer over a button is the image from HAND-M.CUR" "$1" \
            "$(sed 's/ checksum=[0-9a-f]*//; s/ name=.*//' <<<"$hand")"
    fi

    for place in "${plain[@]}"; do
        # From a button each time, so a change is needed to pass.
        pointer_after_move 'Open All' same "$hand" >/dev/null
        seen=$(pointer_after_move "$place" same "$arrow")
        check_eq "pointer over the $place after a button is the arrow" "$arrow" "$seen"
    done
    for place in "${BUTTONS[@]}"; do
        pointer_after_move 'window background' same "$arrow" >/dev/null
        seen=$(pointer_after_move "$place" same "$hand")
        check_eq "pointer over $place is the hand" "$hand" "$seen"
    done

    # The label keeps whatever the pointer was.
    pointer_after_move 'Clear All' same "$hand" >/dev/null
    check_eq "pointer over the label after a button stays the hand" "$hand" "$(pointer_after_quiet_move label)"
    pointer_after_move 'saved-search list' same "$arrow" >/dev/null
    check_eq "pointer over the label after a list stays the arrow" "$arrow" "$(pointer_after_quiet_move label)"

    # The text boxes show their own text cursor, so what they leave behind
    # shows only once the pointer moves on to the label, which changes
    # nothing itself.
    local box
    for box in 'filter box' 'search box'; do
        pointer_after_move 'Add Search' same "$hand" >/dev/null
        pointer_after_quiet_move "$box" >/dev/null
        check_eq "pointer over the label after button, then $box, stays the hand" \
            "$hand" "$(pointer_after_quiet_move label)"
    done
}

# A Windows cursor file: directory with type 2 and one 32x32 entry carrying
# the hot spot, then a 32-bit bitmap of one colour (BGRA bytes) and its
# all-clear mask.
write_cursor_file() { # path hot-x hot-y bgra-escapes
    local out=$1 hx=$2 hy=$3 pixel=$4 i
    # shellcheck disable=SC2059 # the format is the byte being written
    le16() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $((($1 >> 8) & 255)))"; }
    le32() { le16 $(($1 & 65535)); le16 $((($1 >> 16) & 65535)); }
    {
        le16 0; le16 2; le16 1
        printf '\x20\x20\x00\x00'; le16 "$hx"; le16 "$hy"; le32 $((40 + 4096 + 128)); le32 22
        le32 40; le32 32; le32 64; le16 1; le16 32; le32 0; le32 $((4096 + 128)); le32 0; le32 0; le32 0; le32 0
        # shellcheck disable=SC2059
        for ((i = 0; i < 1024; i++)); do printf "$pixel"; done
        for ((i = 0; i < 128; i++)); do printf '\x00'; done
    } >"$out"
}

scenario_pointer() {
    # The probe given, or one built here from its source.
    if [ -z "$probe" ]; then
        probe=$work/cursor_probe
        cc -O2 -o "$probe" "$here/cursor_probe.c" -lXfixes -lX11 2>"$work/probe-build.log" ||
            abort "no cursor probe given, and it could not be built: $(head -n 3 "$work/probe-build.log")"
    fi
    [ -x "$probe" ] || abort "the cursor probe $probe is not an executable file"
    # Both lists long enough for a scroll bar.
    local lines=() searches='' i
    for ((i = 1; i <= 30; i++)); do
        lines+=("http://city$i.listora.org/,City $i,")
        searches+="bike site:city$i.listora.org|"
    done
    write_list "$app/list.txt" "${lines[@]}"
    printf '[Quillmoor]\nSearches=%s\n' "$searches" >"$settings"
    echo "  -- without HAND-M.CUR"
    start_main_window
    hand_checks ""
    stop_pid "$app_pid"

    echo "  -- with HAND-M.CUR (32x32, hot spot 5,9, one colour)"
    write_cursor_file "$app/HAND-M.CUR" 5 9 '\x40\xc0\x20\xff'
    start_main_window
    hand_checks "width=32 height=32 xhot=5 yhot=9 centre=ff20c040"
    check_eq "no error report for a valid HAND-M.CUR" "" "$(visible_windows 'Application Error')"
}
