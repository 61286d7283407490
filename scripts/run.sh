#!/usr/bin/env bash
# Installs what is missing, builds Quire, then builds the sample book, shows what is in it
# and opens it.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
quire_install_packages
quire_build -DQUIRE_BUILD_TESTS=OFF -DQUIRE_BUILD_BENCH=OFF

pack="$QUIRE_BUILD/tools/quire-pack"
book="$QUIRE_BUILD/sample-book"
if [ ! -x "$pack" ] || [ ! -d "$QUIRE_ROOT/examples/sample-book" ]; then
  echo "Built $QUIRE_BUILD/quire"
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

"$pack" build "$QUIRE_ROOT/examples/sample-book" --reader "$QUIRE_BUILD/quire" \
  "${extension[@]}" -o "$book"
"$pack" list "$book"
echo
# Until the window exists the reader opens the book headless: it extracts it, loads its
# extensions, says what it found and cleans up.
echo "Opening $book:"
"$book"
