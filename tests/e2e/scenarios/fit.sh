# A dark colour scheme keeps every caption readable, and a screen smaller
# than the window (twice the scale on 1280x1024) still reaches every button.
# shellcheck shell=bash disable=SC2154,SC2034 # the environment comes from common.sh and run_e2e.sh, which reads SCREEN_SIZE

# contrast X Y W H: the contrast ratio, as readability guidelines count it, of
# the colour farthest from the commonest one in that part of $shot (at least
# 5 pixels of it) to that commonest one, then the commonest one's luminance.
contrast() {
    convert "$shot" -crop "${3}x${4}+${1}+${2}" -depth 8 -format %c histogram:info:- | tr ':(,)' '    ' | awk '
        function lin(c) { c /= 255; return c <= 0.04045 ? c / 12.92 : ((c + 0.055) / 1.055) ^ 2.4 }
        { n[NR] = $1; l[NR] = 0.2126 * lin($2) + 0.7152 * lin($3) + 0.0722 * lin($4) + 0.05; if ($1 > n[bg]) bg = NR }
        END { for (i in n) if (n[i] >= 5 && (r = l[i] > l[bg] ? l[i] / l[bg] : l[bg] / l[i]) > best) best = r
              printf "%.2f %.3f\n", best, l[bg] - 0.05 }'
}

scenario_fit() {
    mkdir -p "$XDG_CONFIG_HOME/qt6ct"
    printf '[Appearance]\ncustom_palette=true\ncolor_scheme_path=/usr/share/qt6ct/colors/darker.conf\nstyle=Fusion\n' \
        >"$XDG_CONFIG_HOME/qt6ct/qt6ct.conf"
    QT_QPA_PLATFORMTHEME=qt6ct start_main_window
    shot=$work/dark.png
    save_screenshot "$shot"
    local name ratio background
    for name in label "${BUTTONS[@]}"; do
        locate "$name"
        read -r ratio background < <(contrast $((px - 36)) $((py - 12)) 72 24)
        echo "  note: $name: ${ratio}:1 on a background of luminance $background"
        check_eq "$name readable on a dark background" yes \
            "$(awk "BEGIN { print ($ratio >= 4.5 && $background < 0.2 ? \"yes\" : \"no\") }")"
    done

    kill -TERM "$app_pid"
    SCREEN_SIZE=(1280 1024)
    start_display
    QT_SCALE_FACTOR=2 start_main_window
    local X Y WIDTH HEIGHT
    eval "$(x getwindowgeometry --shell "$win" | grep -E '^(X|Y|WIDTH|HEIGHT)=[0-9]+$')"
    echo "  note: at twice the scale the window is ${WIDTH}x${HEIGHT} at $X,$Y"
    check_eq "the window lies within the screen" yes \
        "$( ((X >= 0 && Y >= 0 && X + WIDTH <= 1280 && Y + HEIGHT <= 1024)) && echo yes)"
    # Tab to Load Example: it scrolls into view at the window's foot, higher
    # than designed by the part of the window that did not fit.
    x key Tab Tab Tab Tab Tab Tab
    for name in 'Load Example' 'Open All'; do
        locate "$name"
        x mousemove --window "$win" $((2 * px)) $((2 * (py - WINDOW_SIZE[1]) + HEIGHT)) click 1
    done
    check_opened "Load Example reached by Tab, then clicked where it shows" \
        "$(url_for lawnmower%20site%3Aboston.listora.org)"
}
