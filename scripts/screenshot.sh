#!/usr/bin/env bash
# Opens BOOK on the current X display (or a private Xvfb when there is none), waits until
# its first page has loaded (its start-up message box shows; a book without one gets 20
# seconds) and the screen stops changing,
# saves a picture of the screen to SHOT and closes the book again (as its close button
# would). Used by run.sh when there is no display of the user's own to show the book on.
#
#   bash scripts/screenshot.sh BOOK SHOT
set -euo pipefail
book=$1
shot=$2
deadline=$((SECONDS + 60))

# Without a display of its own the script starts a private Xvfb; Xvfb picks a free display
# number itself, so this never lands on another program's virtual screen.
work=$(mktemp -d)
xvfb_pid=
pid=
cleanup() {
  [ -n "$pid" ] && kill -TERM "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  mkfifo "$work/display"
  Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  read -r -t 30 number <"$work/display" || { echo "Xvfb did not start" >&2; exit 1; }
  export DISPLAY=":$number"
fi
unset WAYLAND_DISPLAY

"$book" &
pid=$!

# The frame is the reader's first window with the book's title; the start-up message box,
# its second, shows once the first page has finished loading. (Untitled windows such as
# the splash are named after the program.)
windows() {
  xwininfo -root -tree 2>/dev/null | grep '": ("quire" "Pagora E-Book Class")' |
    grep -vc '^ *0x[0-9a-f]* "quire":' || true
}
page_deadline=$((SECONDS + 20))
until [ "$(windows)" -ge 2 ]; do
  kill -0 "$pid" 2>/dev/null || { echo "the book ended before its window showed" >&2; exit 1; }
  [ $SECONDS -lt $deadline ] || { echo "the window did not show in time" >&2; exit 1; }
  if [ $SECONDS -ge $page_deadline ] && [ "$(windows)" -ge 1 ]; then
    break
  fi
  sleep 0.2
done
# Then the page: wait until two pictures taken a moment apart are the same.
previous=
while :; do
  import -window root "$shot"
  current=$(md5sum <"$shot")
  [ "$current" = "$previous" ] && break
  previous=$current
  [ $SECONDS -lt $deadline ] || break
  sleep 0.5
done
kill -TERM "$pid"
wait "$pid" || true
pid=
