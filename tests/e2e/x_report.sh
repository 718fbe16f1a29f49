#!/usr/bin/env bash
# Runs the built program on a private X server the way a user does: clicks "РАСЧИТАТЬ" and then
# the menu item "Печать в файл" at their places on the screen, confirms the closing box with
# Enter and reads the report the program wrote into its working folder.
# Usage: x_report.sh <path to pa-coverage>. Exit 77 (skipped) when Xvfb or xdotool is missing.
set -euo pipefail

program=${1:?usage: x_report.sh <path to pa-coverage>}
skip=77
for tool in Xvfb xdotool iconv; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed (scripts/setup.sh installs it)"
        exit $skip
    fi
done

# Layout of the window, in logical pixels (twips / 15): the client area below the menu bar is
# 602 x 543; "РАСЧИТАТЬ" (Command1) lies at 8,144 in the frame Frame2 at 136,328, 113 x 49.
client_height=543
button_left=$((136 + 8))
button_top=$((328 + 144))
button_width=113
button_height=49
timeout_s=30

work=$(mktemp -d)
xvfb_pid=
program_pid=
cleanup() {
    local status=$?
    if [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; then
        kill "$program_pid" 2>/dev/null || true
        wait "$program_pid" 2>/dev/null || true
    fi
    if [ -n "$xvfb_pid" ] && kill -0 "$xvfb_pid" 2>/dev/null; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

fail() {
    echo "FAIL: $*"
    if [ -s "$work/program.log" ]; then
        echo "--- program output ---"
        cat "$work/program.log"
    fi
    exit 1
}

# Waits until the command succeeds, at most timeout_s seconds.
wait_for() {
    local what=$1
    shift
    local deadline=$((SECONDS + timeout_s))
    until "$@"; do
        [ $SECONDS -lt $deadline ] || fail "timed out waiting for $what"
        sleep 0.1
    done
}

# A free display of our own: the server writes its number to the descriptor once it listens.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
wait_for "Xvfb to listen" test -s "$work/display"
export DISPLAY=":$(head -n1 "$work/display")"
echo "Xvfb on $DISPLAY"

mkdir "$work/folder"
(
    cd "$work/folder"
    # The program must draw on the X server, whatever platform the test suite chose.
    exec env QT_QPA_PLATFORM=xcb LANG=C.UTF-8 LC_ALL=C.UTF-8 "$program"
) >"$work/program.log" 2>&1 &
program_pid=$!

program_window() {
    xdotool search --all --onlyvisible --pid "$program_pid" --name '^Расчет эффективной' 2>/dev/null |
        head -n1
}
window=
find_window() {
    kill -0 "$program_pid" 2>/dev/null || fail "the program ended at start-up"
    window=$(program_window)
    [ -n "$window" ]
}
wait_for "the main window" find_window
eval "$(xdotool getwindowgeometry --shell "$window")"
echo "main window $window at $X,$Y, $WIDTH x $HEIGHT"
menu_height=$((HEIGHT - client_height))
[ "$menu_height" -gt 10 ] && [ "$menu_height" -lt 60 ] ||
    fail "window height $HEIGHT leaves no room for a menu bar above the $client_height px client"
# Let the window finish its first paint before the first click.
sleep 0.5

click_at() {
    xdotool mousemove --sync "$1" "$2" click 1
}

boxes() {
    xdotool search --all --onlyvisible --pid "$program_pid" --name '^Расчет громкоговорителей$' \
        2>/dev/null || true
}

# "РАСЧИТАТЬ": the worked example calculates without a box.
click_at $((X + button_left + button_width / 2)) $((Y + menu_height + button_top + button_height / 2))
sleep 0.5
[ -z "$(boxes)" ] || fail "the calculation of the start example showed a message box"

# "Печать в файл", the first item at the left of the menu bar.
click_at $((X + 30)) $((Y + menu_height / 2))
box=
find_box() {
    kill -0 "$program_pid" 2>/dev/null || fail "the program ended after the menu click"
    box=$(boxes | head -n1)
    [ -n "$box" ]
}
wait_for "the confirmation box" find_box
[ -f "$work/folder/Расчет.txt" ] || fail "the confirmation came but there is no Расчет.txt"
xdotool windowfocus --sync "$box"
xdotool key --clearmodifiers Return
no_box() { [ -z "$(boxes)" ]; }
wait_for "Enter to close the confirmation box" no_box
kill -0 "$program_pid" 2>/dev/null || fail "the program ended when the box closed"

ls -A "$work/folder"
[ "$(ls -A "$work/folder")" = "Расчет.txt" ] || fail "the folder holds more than the report"
report=$(iconv -f CP1251 -t UTF-8 "$work/folder/Расчет.txt") ||
    fail "the report is not Windows-1251 text"
printf '%s\n' "$report"
expect_line() {
    grep -qxF "$1"$'\r' <<<"$report" || fail "the report lacks the line: $1"
}
expect_line $'Общее звуковое давление:\t- 94 дБ'
expect_line $'Эффективная дальность:\t- 6 м'
expect_line $'Озвучиваемая площадь \t- 8 кв.м'
expect_line 'Необходимое кол-во громкоговорителей: - 5 Шт'
[ "$(wc -l <"$work/folder/Расчет.txt")" -eq 26 ] || fail "the report is not 26 lines long"
echo "PASS: the report written through the X server carries 94, 6, 8 and 5"
