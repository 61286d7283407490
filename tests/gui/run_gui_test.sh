#!/usr/bin/env bash
# Runs one GUI test program with its own X server (Xvfb) and its own session bus, on which
# the accessibility bus starts when the reader and the test ask for it.
set -euo pipefail
for tool in xvfb-run dbus-run-session; do
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
unset NO_AT_BRIDGE
export GDK_BACKEND=x11
exec dbus-run-session -- xvfb-run -a -s "-screen 0 1280x1024x24" "$python" "$@"
