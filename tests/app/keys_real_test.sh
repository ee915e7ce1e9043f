#!/bin/bash
# The window's keys in the real program under a window manager (Xvfb + openbox), typed with
# xdotool: PageDown/Home page the preview from the title field, End stays in the field, F1 opens
# the help window and Esc closes it, End on the preview shows the whole text's last page as
# lumira-cli beside the program draws it, Ctrl+Q closes the program, which saves its settings.
#   keys_real_test.sh LUMIRA DATA_FOLDER [SCREENSHOT_FOLDER]
# Exits 77 (skipped) when Xvfb, openbox, xdotool or ImageMagick's import are missing.
lumira=$1
data=$2
shots=${3:-}
. "$(dirname "$0")/desktop.sh"
begin_real_test Xvfb openbox xdotool import
start_desktop || { echo "FAIL: no display could be started"; exit 1; }

# A portable program folder with a small phone, and a text of many pages.
app="$work/app"
mkdir -p "$app"
cp "$lumira" "$app/lumira"
cp "$data/sample" "$data/iface.dat" "$data/velmar.dat" "$app/" 2>/dev/null
printf '[Small]\r\nWidth=128\r\nHeight=96\r\n' >"$app/profiles.ini"
printf '[Global]\r\nModel=0\r\n' >"$app/config.ini"
for i in $(seq 3000); do printf 'line %d\r\n' "$i"; done >"$work/long.txt"
places "$app" e_caption

"$app/lumira" "$work/long.txt" >"$work/out.log" 2>&1 &
program=$!
pids+=("$program")
main=$(window "Lumira generator")
[ -n "$main" ] || { echo "FAIL: the window did not open"; cat "$work/out.log"; exit 1; }
sleep 1.5

# The preview's pixels (its place in the window's client area).
preview() { import -window "$main" -crop 128x96+396+68 +repage "$work/$1.png" 2>/dev/null; md5sum <"$work/$1.png"; }
shot() { [ -n "$shots" ] && import -window root "$shots/$1.png" 2>/dev/null; }

xdotool windowactivate --sync "$main" 2>/dev/null
# The title field: click into it, then the keys.
xdotool mousemove --window "$main" $(centre e_caption) click 1
sleep 0.3
first=$(preview first)
xdotool key --window "$main" Next
sleep 0.5
second=$(preview second)
[ "$first" != "$second" ] || fail "PageDown in the title field did not page the preview"
shot keys-pagedown
xdotool key End
sleep 0.4
[ "$(preview end-in-field)" = "$second" ] || fail "End in the title field paged the preview"
xdotool key Prior
sleep 0.4
[ "$(preview back)" != "$second" ] || fail "PageUp from the title field did not page back"
# Home on the preview: the first page again.
xdotool key Next Next
sleep 0.4
xdotool mousemove --window "$main" 450 110 click 1
sleep 0.3
xdotool key Home
sleep 0.4
[ "$(preview home)" = "$first" ] || fail "Home on the preview did not show the first page"
# End on the preview: the last page of the whole text (far past what a first read of it holds).
xdotool key End
sleep 0.6
preview end >/dev/null
shot keys-end
cli="$(dirname "$lumira")/lumira-cli"
if [ -x "$cli" ]; then
    "$cli" --app-dir "$app" --preview 100% --png "$work/cli-end.png" "$work/long.txt" >"$work/cli.log" 2>&1 || fail "lumira-cli --preview failed: $(cat "$work/cli.log")"
    differing=$(compare -metric AE "$work/end.png" "$work/cli-end.png" null: 2>&1)
    [ "$differing" = "0" ] || fail "End did not show the last page as lumira-cli draws it ($differing pixels differ)"
fi
xdotool key Home
sleep 0.4

xdotool key F1
help=$(window "Справка")
[ -n "$help" ] || fail "F1 did not open the help window"
shot keys-f1-help
xdotool key Escape
sleep 0.5
xdotool search --onlyvisible --name "^Справка$" >/dev/null 2>&1 && fail "Esc did not close the help window"

xdotool windowactivate --sync "$main" 2>/dev/null
xdotool key ctrl+q
for _ in $(seq 50); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
kill -0 "$program" 2>/dev/null && fail "Ctrl+Q did not close the program"
grep -q "long.txt" "$app/config.ini" || fail "the close did not save the settings (the text in hand)"

[ "$failures" -eq 0 ] && echo "PASS" && exit 0
echo "$failures check(s) failed"
exit 1
