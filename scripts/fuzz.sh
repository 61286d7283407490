#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer, UndefinedBehaviorSanitizer) and
# runs each for SECONDS (default 60), one after another, starting from the seeds in
# fuzz/corpus and the corpus earlier runs grew in the build folder. Prints one line per
# target: executions per second, edges covered, corpus size and whether it found
# anything. A finding leaves its input as crash-*, leak-*, timeout-* or oom-* in
# build-fuzz/findings/<target>/ and makes the script fail.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
QUIRE_PACKAGES+=(clang libclang-rt-dev)
quire_install_packages

seconds=${1:-60}
shift || true
build=${QUIRE_FUZZ_BUILD:-$QUIRE_ROOT/build-fuzz}
all_targets=(container unpack expression link_commands script variables ini pack navigation
             search_text)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all_targets[@]}")

CC=${CC_FUZZ:-clang} CXX=${CXX_FUZZ:-clang++} cmake -S "$QUIRE_ROOT" -B "$build" -G Ninja \
  -DQUIRE_FUZZ=ON -DQUIRE_BUILD_TESTS=OFF -DQUIRE_BUILD_BENCH=OFF -DQUIRE_WERROR=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
nice -n "${QUIRE_NICE:-10}" cmake --build "$build" -j "$(nproc)" --target quire_fuzzers

# Where each target's committed seeds are: quire-pack reads the same books as the reader.
seeds_of() {
  case "$1" in
    pack) echo "$QUIRE_ROOT/fuzz/corpus/container" ;;
    *) echo "$QUIRE_ROOT/fuzz/corpus/$1" ;;
  esac
}
dict_of() {
  case "$1" in
    pack) echo "$QUIRE_ROOT/fuzz/dict/container.dict" ;;
    *) echo "$QUIRE_ROOT/fuzz/dict/$1.dict" ;;
  esac
}

export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
failed=0
printf '%-14s %9s %11s %7s %7s  %s\n' target seconds exec/s edges corpus result
for t in "${targets[@]}"; do
  work="$build/corpus/$t"
  findings="$build/findings/$t"
  log="$build/logs/$t.log"
  mkdir -p "$work" "$findings" "$(dirname "$log")"
  args=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536
        -print_final_stats=1 -artifact_prefix="$findings/")
  dict=$(dict_of "$t")
  [ -f "$dict" ] && args+=(-dict="$dict")
  seeds=$(seeds_of "$t")
  [ -d "$seeds" ] || seeds=
  status=0
  nice -n "${QUIRE_NICE:-10}" "$build/fuzz/${t}_fuzzer" "${args[@]}" "$work" $seeds \
    >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  edges=$( (grep -ao 'cov: [0-9]*' "$log" || true) | tail -1 | cut -d' ' -f2)
  corpus=$(find "$work" -type f | wc -l)
  if [ "$status" -eq 0 ]; then
    result="ok, ${runs:-0} runs"
  else
    result="FINDING (exit $status), see $log"
    failed=1
  fi
  printf '%-14s %9s %11s %7s %7s  %s\n' "$t" "$seconds" "${speed:-?}" "${edges:-?}" "$corpus" "$result"
done
exit $failed
