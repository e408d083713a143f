#!/usr/bin/env bash
# Builds the fuzz harnesses with clang's libFuzzer (AddressSanitizer and UndefinedBehavior-
# Sanitizer on) in a build folder of their own and runs each for a fixed time, two at a time,
# starting from its seed corpus in tests/fuzz/corpus/<name>/. A crash, a leak or a hang fails
# the run; the input that caused it is kept and its path printed.
#
#   tests/fuzz/run.sh [SECONDS_EACH] [BUILD_DIR]     CI: 30 s each, harnesses in held-back.txt left out
#   VELMOR_FUZZ_ALL=1 tests/fuzz/run.sh 1800         before a release: half an hour each, all of them
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
seconds=${1:-30}
build=${2:-$root/build-fuzz}
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMOR_FUZZ=ON \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" >"$build.configure.log" 2>&1 ||
  { cat "$build.configure.log"; exit 1; }

names=()
while read -r name _; do
  [ -n "$name" ] || continue
  if [ -z "${VELMOR_FUZZ_ALL:-}" ] && grep -qx "$name" "$here/held-back.txt"; then
    echo "fuzz: $name held back"
    continue
  fi
  names+=("$name")
done <"$here/harnesses.txt"
SECONDS=0
cmake --build "$build" -j"$(nproc)" --target "${names[@]/#/fuzz_}"
echo "fuzz: ${#names[@]} harnesses built in $SECONDS s"

out="$build/fuzz-out"
rm -rf "$out"
mkdir -p "$out"
run_one() {
  local name=$1 dir="$out/$1"
  mkdir -p "$dir/corpus" "$dir/artifacts"
  if "$build/fuzz_$name" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
    -artifact_prefix="$dir/artifacts/" -print_final_stats=1 \
    "$dir/corpus" "$here/corpus/$name" >"$dir/log" 2>&1; then
    echo "fuzz: $name: $(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$dir/log" | grep -o '[0-9]*$') runs, no failure"
  else
    tail -n 60 "$dir/log"
    echo "FAIL: fuzz $name; input kept as:" "$dir"/artifacts/*
    # the input in the log too, for a run whose folder is gone
    for input in "$dir"/artifacts/*; do
      [ -f "$input" ] && [ "$(stat -c %s "$input")" -le 65536 ] &&
        echo "$(basename "$input") (base64): $(base64 -w0 "$input")"
    done
    return 1
  fi
}
export -f run_one
export out build here seconds
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:symbolize=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
SECONDS=0
status=0
printf '%s\n' "${names[@]}" | xargs -P2 -I{} bash -c 'run_one "$1"' _ {} || status=$?
echo "fuzz: ran for $SECONDS s"
exit "$status"
