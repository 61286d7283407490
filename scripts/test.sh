#!/usr/bin/env bash
# Installs what is missing, builds everything and runs all tests.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
quire_install_packages
quire_build -DQUIRE_BUILD_TESTS=ON -DQUIRE_BUILD_BENCH=ON
cd "$QUIRE_BUILD"
ctest --output-on-failure -j "$(nproc)" --timeout 300
