#!/usr/bin/env bash
# Builds the libFuzzer binaries with clang into build-fuzz and runs each fuzzer for SECONDS
# (all at once), keeping new crash inputs in fuzz/crashes/<target>/. Each fuzzer runs in fork mode
# and goes on after a finding, so one run collects every crash, timeout and memory blow-up.
# Usage: fuzz/run-fuzzers.sh SECONDS [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:?usage: fuzz/run-fuzzers.sh SECONDS [TARGET...]}"
shift
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(number_value t3d_readers conversion_run world_run package_reader \
  texture_decoders package_level static_mesh)
# A slow input counts as a finding: hangs and quadratic blow-ups show up as timeouts.
per_input_timeout=10
# Large enough for a level with a few thousand polygon lines, small enough to keep runs fast.
max_len=65536

scripts/install-deps.sh fuzz
# The sanitizers of BRUSHWRIGHT_SANITIZE, but with pointer overflows recoverable so that the
# suppressions file can pass over one in a library header; every other finding still stops.
cmake -S . -B build-fuzz -G Ninja \
  -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer \
-fno-sanitize-recover=undefined -fsanitize-recover=pointer-overflow" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DBRUSHWRIGHT_SANITIZE=OFF -DBRUSHWRIGHT_LIBFUZZER=ON \
  -DBRUSHWRIGHT_BENCH=OFF -DBRUSHWRIGHT_WINDOW=OFF >/dev/null
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:suppressions=$PWD/fuzz/ubsan-suppressions.txt"
cmake --build build-fuzz --target "${targets[@]/%/_fuzzer}"

pids=()
for target in "${targets[@]}"; do
  corpus="build-fuzz/corpus/${target}"
  crashes="fuzz/crashes/${target}"
  mkdir -p "${corpus}" "${crashes}"
  # The working corpus grows in build-fuzz; only the committed seeds start it.
  (cd build-fuzz && "./fuzz/${target}_fuzzer" \
      -max_total_time="${seconds}" -timeout="${per_input_timeout}" -max_len="${max_len}" \
      -rss_limit_mb=2048 -print_final_stats=1 \
      -fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 \
      -artifact_prefix="../${crashes}/" \
      "corpus/${target}" "../fuzz/seeds/${target}" \
      > "fuzz-${target}.log" 2>&1) &
  pids+=($!)
done
status=0
for pid in "${pids[@]}"; do wait "${pid}" || status=1; done
for target in "${targets[@]}"; do
  echo "== ${target}"
  grep -E '^#[0-9]+: cov' "build-fuzz/fuzz-${target}.log" | tail -1 || true
  grep -E '(crash|timeout|oom|leak)-[0-9a-f]+' -o "build-fuzz/fuzz-${target}.log" | sort -u || true
done
exit "${status}"
