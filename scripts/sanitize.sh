#!/usr/bin/env bash
# Builds the unit tests with AddressSanitizer and UndefinedBehaviorSanitizer in their own
# build folder and runs them all; a sanitizer report (leaks included) fails the run.
#   scripts/sanitize.sh [ctest arguments...]     e.g. scripts/sanitize.sh -R Container
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
quire_install_packages

build=${QUIRE_SANITIZE_BUILD:-$QUIRE_ROOT/build-sanitize}
# -O1 keeps the instrumented suite quick to build and run; every UB report is fatal.
# Warnings are left to the ordinary build: instrumentation makes the compiler's flow
# analysis report things that are not there.
flags="-O1 -g -fno-omit-frame-pointer -fsanitize=address,undefined -fno-sanitize-recover=all"
cmake -S "$QUIRE_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Sanitize \
  -DQUIRE_WERROR=OFF -DQUIRE_BUILD_BENCH=OFF \
  "-DCMAKE_C_FLAGS_SANITIZE=$flags" "-DCMAKE_CXX_FLAGS_SANITIZE=$flags" \
  "-DCMAKE_EXE_LINKER_FLAGS_SANITIZE=-fsanitize=address,undefined" \
  "-DCMAKE_SHARED_LINKER_FLAGS_SANITIZE=-fsanitize=address,undefined" \
  "-DCMAKE_MODULE_LINKER_FLAGS_SANITIZE=-fsanitize=address,undefined" >/dev/null
nice -n "${QUIRE_NICE:-10}" cmake --build "$build" -j "$(nproc)"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:check_initialization_order=1:strict_init_order=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd "$build"
# Window tests drive GTK and WebKit, whose own caches look like leaks; the unit tests of
# every layer run here.
ctest --output-on-failure -j "$(nproc)" --timeout 600 -LE gui "$@"
