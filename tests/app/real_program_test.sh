#!/usr/bin/env bash
# The real program in a person's hands: the built binary started from a program folder of its own
# on a display of its own (Xvfb, with openbox as window manager) and driven with real key and mouse
# events (xdotool). It guards the seams between the tested core and the program: start-up failures,
# Esc, the font chooser, dropping a file, a file named at start or handed over by a second start, a
# screen too small for the window.
#   real_program_test.sh LUMIRA DRAG_SOURCE DATA_FOLDER
# Exits 77 (skipped) when Xvfb, openbox or xdotool are missing.
set -u
lumira=$1
drag_source=$2
data=$3

# ---- A desktop of our own ----
. "$(dirname "$0")/desktop.sh"
begin_real_test Xvfb openbox xdotool xwininfo
if ! start_desktop; then
    echo "FAIL: no display could be started"
    exit 1
fi

# ---- Helpers ----

# new_folder NAME: a program folder with the program and the files beside it.
new_folder() {
    local dir="$work/$1"
    mkdir -p "$dir"
    cp "$lumira" "$data/sample" "$data/iface.dat" "$data/profiles.ini" "$dir/"
    echo "$dir"
}

# start DIR [VAR=value...]: starts the program of DIR; its pid in $app, its output in DIR.out.
start() {
    local dir=$1
    shift
    (cd "$dir" && exec env "$@" ./lumira >"$dir.out" 2>&1) &
    app=$!
    pids+=("$app")
}

# gone NAME: true once no visible window has that name (waits up to 5 s).
gone() {
    for _ in $(seq 50); do
        [ -z "$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null)" ] && return 0
        sleep 0.1
    done
    return 1
}

# ended PID: waits up to 10 s for the process to end; its exit status in $status.
ended() {
    for _ in $(seq 100); do
        if ! kill -0 "$1" 2>/dev/null; then
            wait "$1"
            status=$?
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# shown PID TEST N: waits up to 5 s until the number of the program's visible windows passes
# [ number TEST N ].
shown() {
    for _ in $(seq 50); do
        [ "$(xdotool search --onlyvisible --pid "$1" 2>/dev/null | wc -l)" "$2" "$3" ] && return 0
        sleep 0.1
    done
    return 1
}

# popup PID: the program shows one window more than its main window (waits up to 5 s).
popup() { shown "$1" -ge 2; }

# closed PID: the program shows its main window alone again (waits up to 5 s).
closed() { shown "$1" -le 1; }

# settled ID: waits (up to 5 s) until the window has kept its place and size for a moment: the
# window manager may still move a window that has just appeared, and a click would miss.
settled() {
    local last="" now
    for _ in $(seq 25); do
        now=$(xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left|^  Width:|^  Height:/ {printf "%s ", $NF}')
        [ -n "$now" ] && [ "$now" = "$last" ] && return 0
        last=$now
        sleep 0.2
    done
    return 0
}

# idle PID: waits (up to 10 s) until the program's window thread has waited for events in three
# looks in a row: its start is over and a click will be answered.
idle() {
    local quiet=0 wchan
    for _ in $(seq 200); do
        wchan=$(cat "/proc/$1/wchan" 2>/dev/null)
        case $wchan in
            *poll*|*select*) quiet=$((quiet + 1)) ;;
            *) quiet=0 ;;
        esac
        [ "$quiet" -ge 3 ] && return 0
        sleep 0.05
    done
    return 1
}

# said FILE LINE: waits up to 10 s until FILE holds a line starting with LINE.
said() {
    for _ in $(seq 100); do
        grep -q "^$2" "$1" 2>/dev/null && return 0
        sleep 0.1
    done
    return 1
}

# client ID: sets cx, cy, cw, ch to the window's client area on the screen.
client() {
    eval "$(xwininfo -id "$1" | awk '/Absolute upper-left X/ {print "cx=" $4} /Absolute upper-left Y/ {print "cy=" $4}
                                     /^  Width:/ {print "cw=" $2} /^  Height:/ {print "ch=" $2}')"
}

# click ID X Y: a click at a point of the window's client area.
click() {
    client "$1"
    xdotool mousemove --sync $((cx + $2)) $((cy + $3)) click 1
}

# key ID KEY...: keys pressed with window ID active.
key() {
    local id=$1
    shift
    xdotool windowactivate --sync "$id" >/dev/null 2>&1
    xdotool key --clearmodifiers "$@"
}

# shot NAME: a screenshot into $LUMIRA_SHOTS when that is set (for a person to look at).
shot() {
    [ -n "${LUMIRA_SHOTS:-}" ] && command -v import >/dev/null && import -window root "$LUMIRA_SHOTS/$1.png"
    return 0
}

# ini FILE KEY: a value of config.ini.
ini() {
    tr -d '\r' <"$1" | sed -n "s/^$2=//p" | head -1
}

# drop FILE ID: drags FILE from the drag source onto the window ID of the program $app.
drop() {
    "$drag_source" "$1" >"$work/drag.out" 2>&1 &
    local source_pid=$!
    pids+=("$source_pid")
    local source
    source=$(window "drag source")
    [ -n "$source" ] && settled "$source"
    idle "$app" || fail "the window did not finish its start"
    client "$source"
    xdotool mousemove --sync $((cx + 20)) $((cy + 20)) mousedown 1
    said "$work/drag.out" dragging || fail "the drag did not start"
    client "$2"
    # The window answers each move in turn; let go only once it has taken the file, moving on
    # a little while it has not (a busy machine may answer the first moves late).
    local step
    for step in $(seq 40); do
        xdotool mousemove --sync $((cx + 100 + step % 8 * 10)) $((cy + 200 + step % 8 * 5))
        [ "$step" -ge 6 ] && grep -q "^accepted" "$work/drag.out" && break
        sleep 0.1
    done
    xdotool mouseup 1
    said "$work/drag.out" "drag ended: copied" || fail "the drop was not taken: $(cat "$work/drag.out")"
    idle "$app"
    kill "$source_pid" 2>/dev/null
}

# main_window [WHAT]: sets main to the program's window once it has settled; when none opened,
# counts a failure ("WHAT: the main window did not open") and returns 1.
main_window() {
    main=$(window "Lumira generator")
    [ -n "$main" ] && settled "$main" && return 0
    fail "${1:+$1: }the main window did not open: $(cat "$dir.out")"
    return 1
}

# hover ID X Y: rests the pointer on a point of the window's client area until a tooltip shows.
hover() {
    client "$1"
    xdotool mousemove $((cx + $2 - 3)) $((cy + $3 - 3)) sleep 0.2 mousemove $((cx + $2)) $((cy + $3))
    sleep 1.5
}

# Where the controls that the checks below click or point at stand (the same in every folder).
places "$(new_folder places)" e_model b_font b_ok e_caption createStatus

# ---- A start-up failure shows its box; closing the box ends the program with 0 ----
dir=$(new_folder nosample)
rm "$dir/sample"
start "$dir"
box=$(window "Lumira generator")
if [ -z "$box" ]; then
    fail "no error box for a missing sample: $(cat "$dir.out")"
else
    settled "$box"
    shot startup-failure
    kill -0 "$app" 2>/dev/null || fail "the program did not wait for the error box to be closed"
    key "$box" Return
    if ! ended "$app"; then
        fail "the program did not end once its error box was closed"
    else
        [ "$status" -eq 0 ] || fail "start-up failure: exit status $status, expected 0: $(cat "$dir.out")"
    fi
fi

# ---- Esc on an open list closes the list only; Esc on the window closes the program ----
dir=$(new_folder esc)
start "$dir"
if main_window; then
    settled "$main"
    idle "$app" || fail "the window did not finish its start"
    click "$main" $(centre e_model)   # the phone list
    popup "$app" || fail "the phone list did not open"
    shot esc-list-open
    key "$main" Escape
    closed "$app" || fail "Esc did not close the open phone list"
    if ! kill -0 "$app" 2>/dev/null; then
        fail "Esc on the open phone list ended the program"
    else
        key "$main" Escape
        if ! ended "$app"; then
            fail "Esc on the window did not close it"
        else
            [ "$status" -eq 0 ] || fail "closing with Esc: exit status $status"
            [ -f "$dir/config.ini" ] || fail "closing with Esc did not write config.ini"
        fi
    fi
fi

# ---- The font chooser opens on the confirmed bold font; Enter keeps it, Esc cancels it all ----
dir=$(new_folder font)
printf '[Font]\r\nName=Tahoma\r\nSize=9\r\nBold=1\r\n' >"$dir/config.ini"
start "$dir"
if main_window; then
    click "$main" $(centre b_font)   # "Шрифт"
    chooser=$(window "Шрифт")
    if [ -z "$chooser" ]; then
        fail "the font chooser did not open"
    else
        key "$chooser" Escape
        gone "Шрифт" || fail "Esc in the font chooser did not close it"
        click "$main" $(centre b_font)
        chooser=$(window "Шрифт")
        # Tab into the style list, whose Enter is the font part's own; it answers OK for the whole
        # chooser.
        key "$chooser" Tab
        shot font-chooser
        key "$chooser" Return
        gone "Шрифт" || fail "Enter in the font chooser did not confirm it"
    fi
    key "$main" Escape
    ended "$app" || fail "the program did not close after the font chooser"
    [ "$(ini "$dir/config.ini" Bold)" = 1 ] || fail "the font chooser confirmed unchanged lost bold"
    [ "$(ini "$dir/config.ini" Name)" = Tahoma ] || fail "the font chooser confirmed unchanged changed the face"
    [ "$(ini "$dir/config.ini" Size)" = 9 ] || fail "the font chooser confirmed unchanged changed the size"
fi

# ---- A text file dropped onto the window is chosen ----
dir=$(new_folder drop)
mkdir -p "$work/books"
printf 'Text dropped onto the window.\r\n' >"$work/books/dropped.txt"
start "$dir"
if main_window; then
    drop "$work/books/dropped.txt" "$main"
    key "$main" Escape
    ended "$app" || fail "the program did not close after the drop"
    [ "$(ini "$dir/config.ini" OpenDir)" = "$work/books/" ] ||
        fail "the dropped file was not chosen (OpenDir is '$(ini "$dir/config.ini" OpenDir)')"
fi

# ---- lumira FILE opens FILE; a second start hands its file over and ends, without a box ----
dir=$(new_folder handover)
mkdir -p "$work/books"
printf 'The first text.\r\n' >"$work/books/first.txt"
printf 'The second text.\r\n' >"$work/books/second.txt"
(cd "$dir" && exec ./lumira "$work/books/first.txt" >"$dir.out" 2>&1) &
app=$!
pids+=("$app")
if main_window "lumira FILE"; then
    sleep 0.5
    shot handover-first
    # Another window in front, then a second start from another folder with a relative name.
    "$drag_source" "$work/books/first.txt" >/dev/null 2>&1 &
    other=$!
    pids+=("$other")
    [ -n "$(window "drag source")" ] || fail "the other window did not open"
    (cd "$work/books" && exec "$dir/lumira" second.txt >"$dir.second.out" 2>&1) &
    second=$!
    pids+=("$second")
    if ! ended "$second"; then
        fail "the second start did not end (an error box?)"
        kill "$second" 2>/dev/null
    else
        [ "$status" -eq 0 ] || fail "the second start: exit status $status: $(cat "$dir.second.out")"
    fi
    sleep 1
    shot handover-second
    [ "$(xdotool search --onlyvisible --pid "$app" 2>/dev/null | wc -l)" -eq 1 ] ||
        fail "the first copy shows more than its window after the hand-over"
    [ "$(xdotool getactivewindow 2>/dev/null)" = "$main" ] || fail "the first copy's window did not come forward"
    kill "$other" 2>/dev/null
    key "$main" Escape
    ended "$app" || fail "the program did not close after the hand-over"
    [ "$(ini "$dir/config.ini" File1)" = "$work/books/second.txt" ] ||
        fail "the handed file was not opened (File1 is '$(ini "$dir/config.ini" File1)')"
    [ "$(ini "$dir/config.ini" File2)" = "$work/books/first.txt" ] ||
        fail "lumira FILE did not open FILE (File2 is '$(ini "$dir/config.ini" File2)')"
    # The next start opens the last text again.
    start "$dir"
    main=$(window "Lumira generator")
    [ -n "$main" ] && settled "$main"
    key "$main" Escape
    ended "$app" || fail "the program did not close after a start with the last text"
    [ "$(ini "$dir/config.ini" File1)" = "$work/books/second.txt" ] || fail "the last text was not kept"
fi

# ---- A screen too small for the window: the window fits, paging buttons and all ----
# fits NAME WIDTH HEIGHT [VAR=value...]: starts with one phone of that screen and checks that the
# window, frame included, lies within the screen.
fits() {
    local name=$1 width=$2 height=$3
    shift 3
    local dir
    dir=$(new_folder "$name")
    printf '[Phone]\r\nWidth=%s\r\nHeight=%s\r\n' "$width" "$height" >"$dir/profiles.ini"
    printf '[Global]\r\nModel=0\r\n' >"$dir/config.ini"
    start "$dir" "$@"
    local main
    main=$(window "Lumira generator")
[ -n "$main" ] && settled "$main"
    if [ -z "$main" ]; then
        fail "$name: the main window did not open: $(cat "$dir.out")"
        return
    fi
    idle "$app"
    shot "fits-$name"
    client "$main"
    local frame screen_w screen_h
    frame=$(xprop -id "$main" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //p' | tr -d ',')
    read -r left right top bottom <<<"${frame:-0 0 0 0}"
    read -r screen_w screen_h < <(xdotool getdisplaygeometry)
    if [ $((cx - left)) -lt 0 ] || [ $((cy - top)) -lt 0 ] || [ $((cx + cw + right)) -gt "$screen_w" ] ||
        [ $((cy + ch + bottom)) -gt "$screen_h" ]; then
        fail "$name: the window ($cw x $ch at $cx,$cy, frame $frame) leaves the ${screen_w}x$screen_h screen"
    fi
    key "$main" Escape
    ended "$app" || fail "$name: the program did not close"
}
fits tall 360 700
fits scaled 240 320 QT_SCALE_FACTOR=2

# ---- The window resizes and maximises; the zoom's keys enlarge the page and are remembered ----
dir=$(new_folder resizing)
printf '[Phone]\r\nWidth=176\r\nHeight=220\r\n' >"$dir/profiles.ini"
printf '[Global]\r\nModel=0\r\n' >"$dir/config.ini"
start "$dir"
if main_window "resizing"; then
    idle "$app"
    client "$main"
    opened_w=$cw
    opened_h=$ch
    xdotool windowsize "$main" $((opened_w + 200)) $((opened_h + 150))
    settled "$main"
    client "$main"
    [ "$cw" -eq $((opened_w + 200)) ] && [ "$ch" -eq $((opened_h + 150)) ] ||
        fail "the window did not take the size asked (${cw}x$ch, asked $((opened_w + 200))x$((opened_h + 150)))"
    shot resized
    # A double click on the title bar maximises (openbox).
    xdotool mousemove --sync $((cx + cw / 2)) $((cy - 8)) click --repeat 2 --delay 80 1
    settled "$main"
    client "$main"
    read -r screen_w screen_h < <(xdotool getdisplaygeometry)
    [ "$cw" -ge $((screen_w - 20)) ] || fail "the window did not maximise (${cw}x$ch on ${screen_w}x$screen_h)"
    key "$main" ctrl+plus ctrl+plus
    idle "$app"
    shot maximised-zoom-3
    key "$main" Escape
    ended "$app" || fail "resizing: the program did not close"
    [ "$(tr -d '\r' <"$dir/config.ini" | sed -n '/^\[Preview\]/,/^\[/s/^Zoom=//p')" = 3 ] ||
        fail "the zoom chosen with Ctrl++ was not kept in config.ini"
fi

# ---- A 1280x800 desktop: a tall phone, and a phone at twice the scale ----
if LUMIRA_SCREEN=1280x800 start_desktop; then
    fits wide-tall 360 640
    fits wide-scaled 240 320 QT_SCALE_FACTOR=2
else
    fail "no 1280x800 display could be started"
fi

# ---- Settings that cannot be written: the close says so once and takes place ----
dir=$(new_folder readonly)
printf '[Global]\r\nModel=0\r\n' >"$dir/config.ini"
chmod 444 "$dir/config.ini"
start "$dir"
if main_window "readonly"; then
    key "$main" Escape
    if ! popup "$app"; then
        fail "a close with a read-only config.ini told nothing"
    else
        sleep 0.3
        shot close-readonly-config
        box=$(xdotool search --onlyvisible --pid "$app" 2>/dev/null | grep -vx "$main" | tail -1)
        key "$box" Return
        if ! ended "$app"; then
            fail "the window stayed open with a read-only config.ini"
        else
            [ "$status" -eq 0 ] || fail "closing with a read-only config.ini: exit status $status"
        fi
        [ "$(tr -d '\r' <"$dir/config.ini")" = "$(printf '[Global]\nModel=0')" ] || fail "the read-only config.ini changed"
    fi
fi

# ---- What Create tells, and a close during a build, which asks first ----
dir=$(new_folder building)
cp "$(dirname "$lumira")/velmar.dat" "$dir/"  # the reader template, built beside the program
out="$work/out"
mkdir -p "$out"
printf '[Global]\r\nModel=0\r\nSaveDir=%s/\r\n' "$out" >"$dir/config.ini"
text="$out/Очень длинное название книги.txt"
head -c 1200000 /dev/urandom | base64 -w 76 >"$text"  # letters that hardly compress: a package over 1 MB
start "$dir"
if main_window "building"; then
    hover "$main" $(centre b_ok)  # "Создать", disabled
    shot create-disabled-tooltip
    drop "$text" "$main"
    read -r left top width height <<<"$place_e_caption"
    hover "$main" $((left + width - 12)) $((top + height / 2))  # the warning sign in the title field
    shot title-warning
    click "$main" $(centre b_ok)
    save=$(window "Сохранить как")
    if [ -z "$save" ]; then
        fail "Create did not ask where to save the book"
    else
        key "$save" Return
        jar=""
        for _ in $(seq 300); do
            jar=$(ls "$out"/*.jar 2>/dev/null | head -1)
            [ -n "$jar" ] && break
            sleep 0.1
        done
        [ -n "$jar" ] || fail "no package was made"
        sleep 0.5
        hover "$main" $(centre createStatus)  # the status line
        shot status-large-note
    fi
    if [ -n "${jar:-}" ]; then
        earlier=$(md5sum <"$jar")
        # The same text, now so large that its build lasts: the same package is being replaced.
        head -c 300000000 /dev/urandom | base64 -w 76 >"$text"
        xdotool mousemove $((cx + 200)) $((cy + 20))  # onto the banner, away from the status line: its tooltip goes
        sleep 0.5
        click "$main" $(centre b_ok)
        save=$(window "Сохранить как")
        # A click while the window is still busy with the last tooltip can go unanswered: one more try.
        [ -n "$save" ] || { click "$main" $(centre b_ok); save=$(window "Сохранить как"); }
        [ -n "$save" ] || fail "the second Create did not ask where to save the book"
        key "$save" Return
        sleep 1
        key "$main" Escape
        if ! popup "$app"; then
            fail "a close during the build asked nothing"
        else
            sleep 0.3
            shot close-during-build-question
            question=$(xdotool search --onlyvisible --pid "$app" 2>/dev/null | grep -vx "$main" | tail -1)
            key "$question" Return  # "Нет", the default
            sleep 0.7
            kill -0 "$app" 2>/dev/null || fail "answering no to the question ended the program"
            [ "$(xdotool search --onlyvisible --pid "$app" 2>/dev/null | wc -l)" -eq 1 ] || fail "the question stayed up after no"
            key "$main" Escape
            if ! popup "$app"; then
                fail "the second close during the build asked nothing (did the build end too soon?)"
            else
                question=$(xdotool search --onlyvisible --pid "$app" 2>/dev/null | grep -vx "$main" | tail -1)
                key "$question" shift+Tab Return  # "Да"
                if ! ended "$app"; then
                    fail "yes to the question did not close the window"
                else
                    [ "$status" -eq 0 ] || fail "closing during the build: exit status $status"
                    [ "$(md5sum <"$jar")" = "$earlier" ] || fail "the stopped build did not keep the earlier book"
                    [ "$(ls -A "$out" | wc -l)" -eq 3 ] || fail "the stopped build left files behind: $(ls -A "$out")"
                fi
            fi
        fi
    fi
    kill "$app" 2>/dev/null
fi
rm -f "$text"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "real program: all checks passed"
