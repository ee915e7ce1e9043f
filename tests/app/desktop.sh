# Sourced by the real-program tests: what each of them sets up first, and a desktop of the test's
# own. An Xvfb display (tried from LUMIRA_DISPLAYS="FIRST LAST", 140 to 199 unless told, for
# machines shared by several people) of LUMIRA_SCREEN pixels (1024x768 unless told) with openbox
# as window manager and a session bus, as a desktop has.
#   begin_real_test TOOL...
#                   exits 77 (skipped) when a tool is missing; makes the scratch folder $work, the
#                   array pids of what to stop at the end (stopped, and $work removed, on exit),
#                   the count $failures and fail MESSAGE, which counts one and prints it.
#   window NAME     the id of the visible window of that name, waiting up to 10 s for it.
#   places DIR NAME...
#                   measures where the controls NAME stand in the window that the program folder DIR
#                   opens, as its layouts place them (offscreen, on a copy of DIR, with the tool
#                   $LUMIRA_PLACES); counts a failure when it cannot.
#   centre NAME     "X Y": the centre of a measured control in the window's client area.
#   start_desktop   needs $work (the test's scratch folder) and the array pids (what the test
#                   stops at its end: the servers started here are added); exports DISPLAY and
#                   DBUS_SESSION_BUS_ADDRESS; returns 1 when no display could be started.
begin_real_test() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool is not installed (build.sh installs it)"; exit 77; }
    done
    unset QT_QPA_PLATFORM QT_SCALE_FACTOR
    work=$(mktemp -d)
    failures=0
    pids=()
    trap end_real_test EXIT
}

end_real_test() {
    local p
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

places() {
    local dir=$1
    shift
    local copy="$work/places-copy" name left top width height
    rm -rf "$copy"
    cp -r "$dir" "$copy"
    while read -r name left top width height; do
        eval "place_$name=\"$left $top $width $height\""
    done < <("${LUMIRA_PLACES:-}" "$copy/" "$@" 2>"$work/places.err")
    rm -rf "$copy"
    for name in "$@"; do
        eval "[ -n \"\${place_$name:-}\" ]" || fail "no place measured for $name: $(cat "$work/places.err")"
    done
}

centre() {
    local rect
    eval "rect=\${place_$1:-0 0 0 0}"
    set -- $rect
    echo "$(($1 + $3 / 2)) $(($2 + $4 / 2))"
}

window() {
    local id=""
    for _ in $(seq 100); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | tail -1)
        [ -n "$id" ] && break
        sleep 0.1
    done
    echo "$id"
}

start_desktop() {
    local n xvfb display=""
    for n in $(seq ${LUMIRA_DISPLAYS:-140 199}); do
        { [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; } && continue
        Xvfb ":$n" -screen 0 "${LUMIRA_SCREEN:-1024x768}x24" -nolisten tcp >"$work/xvfb.log" 2>&1 &
        xvfb=$!
        for _ in $(seq 50); do
            DISPLAY=":$n" xdotool getdisplaygeometry >/dev/null 2>&1 && break
            kill -0 "$xvfb" 2>/dev/null || break
            sleep 0.1
        done
        # The display is ours only when its lock names our server: another run may have taken the
        # same number a moment earlier, and then our server has gone and the display answering is theirs.
        if DISPLAY=":$n" xdotool getdisplaygeometry >/dev/null 2>&1 &&
            [ "$(tr -d ' \n' <"/tmp/.X$n-lock" 2>/dev/null)" = "$xvfb" ]; then
            display=":$n"
            pids+=("$xvfb")
            break
        fi
        kill "$xvfb" 2>/dev/null
    done
    [ -n "$display" ] || return 1
    export DISPLAY=$display
    openbox >/dev/null 2>&1 &
    pids+=($!)

    # Without a session bus, the first label's text wakes the accessibility bridge, which has the
    # bus library launch a bus: it forks the program while the program's other threads run, and
    # under the address sanitizer such a child can stop for good on the allocator's lock (taken by
    # another thread at the fork), and the window with it. With no bus daemon installed, an
    # address that cannot be reached is refused at once, without a fork.
    export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus"
    if command -v dbus-daemon >/dev/null 2>&1; then
        dbus-daemon --session --nofork --print-address=3 3>"$work/bus" >/dev/null 2>&1 &
        pids+=($!)
        for _ in $(seq 50); do
            [ -s "$work/bus" ] && break
            sleep 0.1
        done
        [ -s "$work/bus" ] && DBUS_SESSION_BUS_ADDRESS=$(head -1 "$work/bus")
    fi
    # The window manager has started once it names itself on the root window.
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
        sleep 0.1
    done
    return 0
}
