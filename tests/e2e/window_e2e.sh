#!/usr/bin/env bash
# Starts the real wendrix window on a virtual X display, checks its size, that its
# three picture boxes start white and are filled by Enter ("Draw It"), and that
# File > Exit asks about the unsaved curve and closes it.
# Usage: window_e2e.sh <wendrix binary> <work folder>
# Runs itself again under xvfb-run when no display is set.
set -euo pipefail

binary=$1
work=$2
if [ -z "${WENDRIX_E2E_DISPLAY:-}" ]; then
  exec env WENDRIX_E2E_DISPLAY=1 xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
mkdir -p "$work"
unset QT_QPA_PLATFORM
# The recent files and the window's place are kept apart from the user's.
export XDG_CONFIG_HOME="$work/config"
rm -rf "$XDG_CONFIG_HOME"

failures=0
check() {  # check <description> <command...>
  local what=$1
  shift
  if "$@"; then
    echo "ok: $what"
  else
    echo "FAILED: $what"
    failures=$((failures + 1))
  fi
}

"$binary" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT

# The main window is the program's mapped top-level window named "Wendrix" (its own
# title is empty; the application's name stands in its place).
window=
for _ in $(seq 1 100); do
  for id in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
    if xprop -id "$id" _NET_WM_NAME | grep -q '= "Wendrix"$'; then window=$id; fi
  done
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "FAILED: no Wendrix window appeared"; exit 1; }
sleep 1  # let the first paint reach the screen

info=$(xwininfo -id "$window")
field() { echo "$info" | sed -n "s/^ *$1: *//p"; }
left=$(field 'Absolute upper-left X')
top=$(field 'Absolute upper-left Y')
width=$(field Width)
height=$(field Height)
echo "window $window at $left,$top size ${width}x$height"

import -window root "$work/shot.png"
# The client area is 724 x 634 pixels between the menu bar and the status bar; its top
# is found as the first white pixel of the main view's middle column.
pixels=$(convert "$work/shot.png" -crop "1x120+$((left + 207))+$top" +repage -depth 8 txt:-)
column=$(awk -F'[,:]' '/#FFFFFF/ {print $2; exit}' <<<"$pixels")
menu=$((column - 8))
check "window width is 724" test "$width" -eq 724
check "menu bar height $menu is plausible" test "$menu" -ge 15 -a "$menu" -le 60
white() {  # white <left> <top> <width> <height>: every pixel of that client rectangle
  local x=$((left + $1)) y=$((top + menu + $2))
  [ "$(convert "$work/shot.png" -crop "$3x$4+$x+$y" +repage -format '%[fx:minima.r*minima.g*minima.b]' info:)" = 1 ]
}
check "ConvexHullBox is white" white 7 8 400 400
check "MaxwellBox is white" white 414 7 300 300
check "BitangBox is white" white 417 319 300 300
face_not_white() { ! white 0 0 724 7; }
check "the form's face above the boxes is not white" face_not_white

# Enter presses "Draw It": the default curve fills the three boxes.
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
xdotool key Return
drawn() {
  import -window root "$work/shot.png"
  ! white 7 8 400 400 && ! white 414 7 300 300 && ! white 417 319 300 300
}
for _ in $(seq 1 60); do
  drawn && break
  sleep 0.5
done
check "Draw It fills the three boxes" drawn
cp "$work/shot.png" "$work/drawn.png"

# File > Exit from the keyboard: Alt+F opens the menu, Up wraps to its last item.
xdotool key alt+f
sleep 0.5
xdotool key Up Return
# The drawn default curve is not saved: the question is answered with Discard.
sleep 1
xdotool key alt+d
status=running
for _ in $(seq 1 100); do
  if ! kill -0 "$pid" 2>/dev/null; then
    status=exited
    break
  fi
  sleep 0.1
done
check "File > Exit ends the program" test "$status" = exited
if [ "$status" = exited ]; then
  code=0
  wait "$pid" || code=$?
  check "the program exits with status 0" test "$code" -eq 0
fi

[ "$failures" -eq 0 ]
