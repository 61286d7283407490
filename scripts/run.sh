#!/usr/bin/env bash
# Installs what is missing, builds Quire, then builds the sample book and shows what is in it.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
quire_install_packages
quire_build -DQUIRE_BUILD_TESTS=OFF -DQUIRE_BUILD_BENCH=OFF
if [ -x "$QUIRE_BUILD/tools/quire-pack" ] && [ -d "$QUIRE_ROOT/examples/sample-book" ]; then
  "$QUIRE_BUILD/tools/quire-pack" build "$QUIRE_ROOT/examples/sample-book" \
    --reader "$QUIRE_BUILD/quire" -o "$QUIRE_BUILD/sample-book"
  "$QUIRE_BUILD/tools/quire-pack" list "$QUIRE_BUILD/sample-book"
else
  echo "Built $QUIRE_BUILD/quire"
fi
