#!/usr/bin/env bash
# Runs one GUI test program with its own X server (Xvfb) and its own session bus, on which
# the accessibility bus starts when the reader and the test ask for it. The bus starts
# inside the X server's session so that the accessibility services it starts can send
# key presses and clicks to that display.
set -euo pipefail
for tool in Xvfb dbus-run-session; do
  command -v "$tool" >/dev/null || { echo "GUI tests need $tool (bash scripts/setup.sh installs it)" >&2; exit 1; }
done
# The accessibility bindings come with the system's Python, which a version manager on
# PATH may hide.
python=python3
for candidate in /usr/bin/python3 python3; do
  if "$candidate" -c 'import pyatspi' 2>/dev/null; then
    python=$candidate
    break
  fi
done

# Xvfb picks a free display number itself and writes it to the pipe once it accepts
# connections, so tests running side by side never race for one.
work=$(mktemp -d)
xvfb_pid=
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
read -r -t 30 number <"$work/display" || { echo "Xvfb did not start:" >&2; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=":$number"
unset NO_AT_BRIDGE WAYLAND_DISPLAY
export GDK_BACKEND=x11
dbus-run-session -- "$python" "$@"
