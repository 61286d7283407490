#!/usr/bin/env bash
# Installs what is missing, builds Quire, then builds the sample book, shows what is in it
# and opens it in its window. Without a display (a server, a container) the book runs
# under Xvfb instead and a screenshot of its window is saved in the build folder.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
quire_install_packages
quire_build -DQUIRE_BUILD_TESTS=OFF -DQUIRE_BUILD_BENCH=OFF

pack="$QUIRE_BUILD/tools/quire-pack"
book="$QUIRE_BUILD/sample-book"
if [ ! -x "$pack" ] || [ ! -d "$QUIRE_ROOT/examples/sample-book" ]; then
  echo "Built $QUIRE_BUILD/quire and $QUIRE_BUILD/quire-reader"
  exit 0
fi

# The example extension goes into the book when it was built; the book works without it.
extension=()
for lib in "$QUIRE_BUILD/examples/extension/__pxa__example.so" \
           "$QUIRE_BUILD/examples/__pxa__example.so"; do
  if [ -f "$lib" ]; then
    extension=(--add "$lib")
    break
  fi
done
[ ${#extension[@]} -gt 0 ] || echo "Note: the example extension was not built; the book goes without it."

# quire-pack takes the stripped reader made for books, quire-reader, beside it.
"$pack" build "$QUIRE_ROOT/examples/sample-book" "${extension[@]}" -o "$book"
"$pack" list "$book"
echo
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  shot="$QUIRE_BUILD/sample-book.png"
  echo "No display here (DISPLAY and WAYLAND_DISPLAY are not set): running the book under"
  echo "Xvfb and taking a screenshot of its window instead."
  bash "$QUIRE_ROOT/scripts/screenshot.sh" "$book" "$shot"
  echo "Screenshot: $shot"
  exit 0
fi
echo "Opening $book"
exec "$book"
