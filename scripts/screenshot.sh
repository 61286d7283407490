#!/usr/bin/env bash
# Opens BOOK on the current X display, waits until its first page has loaded (its start-up
# message box shows; a book without one gets 20 seconds) and the screen stops changing,
# saves a picture of the screen to SHOT and closes the book again (as its close button
# would). Used by run.sh when there is no display of the user's own to show the book on.
set -euo pipefail
book=$1
shot=$2
deadline=$((SECONDS + 60))

"$book" &
pid=$!
trap 'kill -TERM $pid 2>/dev/null || true' EXIT

# The frame is the reader's first window; the start-up message box, its second, shows once
# the first page has finished loading.
windows() { xwininfo -root -tree 2>/dev/null | grep -c '"Pagora E-Book Class"' || true; }
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
trap - EXIT
wait "$pid" || true
