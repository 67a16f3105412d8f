#!/usr/bin/env bash
# Builds Brushwright in Release and measures it: the benchmarks, then whole-process timings of
# brushwright-convert beside cat/dd of the same bytes, then the window against the command line.
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD=${BRUSHWRIGHT_BENCH_BUILD:-build-release}
CORPUS=${BRUSHWRIGHT_CORPUS:-../shared/corpus}
# Runs per timing; the best one is kept, as the others only add the noise of other processes.
RUNS=${BRUSHWRIGHT_BENCH_RUNS:-3}

cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD" -j "$(nproc)" --target bench_numbers bench_readers bench_run bench_window \
  generate-level brushwright-convert brushwright
CONVERT=$BUILD/src/cli/brushwright-convert
WINDOW=$BUILD/src/window/brushwright

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

echo "== machine"
echo "$(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)," \
  "$(free -g | awk '/Mem:/ {print $2}') GB, load $(cut -d' ' -f1-3 /proc/loadavg)"

echo "== benchmarks (in-process; bytes per second of T3D input)"
"$BUILD"/bench/bench_numbers
"$BUILD"/bench/bench_readers
"$BUILD"/bench/bench_run

# best_of CMD...: the shortest wall time in seconds of $RUNS runs of CMD.
best_of() {
  local best="" start end
  for ((i = 0; i < RUNS; i++)); do
    start=$EPOCHREALTIME
    "$@" >/dev/null 2>&1
    end=$EPOCHREALTIME
    best=$(awk -v b="$best" -v s="$start" -v e="$end" \
      'BEGIN { t = e - s; if (b == "" || t < b) printf "%.4f", t; else print b }')
  done
  echo "$best"
}

read_input() { cat "$1" >/dev/null; }
write_bytes() { dd if=/dev/zero of="$WORK/dd.out" bs=1M count="$1" iflag=count_bytes status=none; }
# Missing textures are reported on stderr even with -q; the timing does not need them.
convert() { "$CONVERT" -q --report --output-dir "$WORK/out" "$1" 2>/dev/null; }

# Peak resident memory in MB of one conversion of $1.
peak_mb() {
  /usr/bin/time -o "$WORK/peak" -f "%M" "$CONVERT" -q --report --output-dir "$WORK/out" "$1" \
    >/dev/null 2>&1
  tail -1 "$WORK/peak" | awk '{printf "%.0f", $1 / 1024}'
}

echo "== brushwright-convert as a whole process (geometry, MTL and report; best of $RUNS)"
mkdir -p "$WORK/levels" "$WORK/out"
for variant_size in standard:1000 standard:4000 standard:32000 untextured:4000 untextured:32000 \
  actors:4000 actors:32000; do
  "$BUILD"/bench/generate-level --variant "${variant_size%%:*}" --faces "${variant_size##*:}" \
    "$WORK/levels/${variant_size%%:*}-${variant_size##*:}.t3d"
done
echo "start-up alone (--version): $(best_of "$CONVERT" --version) s"
printf "%-26s %8s %8s %8s %9s %9s %7s %8s\n" level "in MB" "out MB" "peak MB" "convert s" \
  "cat+dd s" ratio "MB/s"
for input in "$CORPUS"/*.t3d "$WORK"/levels/*.t3d; do
  rm -f "$WORK"/out/*
  convert "$input" || { echo "$(basename "$input"): conversion failed"; continue; }
  out_bytes=$(cat "$WORK"/out/* | wc -c)
  in_bytes=$(wc -c <"$input")
  t_convert=$(best_of convert "$input")
  t_io=$(awk -v a="$(best_of read_input "$input")" -v b="$(best_of write_bytes "$out_bytes")" \
    'BEGIN { printf "%.4f", a + b }')
  printf "%-26s %8.2f %8.2f %8s %9s %9s %7.2f %8.1f\n" "$(basename "$input")" \
    "$(awk -v b="$in_bytes" 'BEGIN { print b / 1e6 }')" \
    "$(awk -v b="$out_bytes" 'BEGIN { print b / 1e6 }')" "$(peak_mb "$input")" \
    "$t_convert" "$t_io" "$(awk -v c="$t_convert" -v i="$t_io" 'BEGIN { print c / i }')" \
    "$(awk -v b="$in_bytes" -v c="$t_convert" 'BEGIN { print b / 1e6 / c }')"
done

echo "== the window under Xvfb against the command line"
largest=$(ls -S "$CORPUS"/*.t3d | head -1)
smallest=$(ls -Sr "$CORPUS"/*.t3d | head -1)
# The window reads its switches from its settings file: geometry and report on, no copying, as
# the command line runs above.
mkdir -p "$WORK/home/.config/Brushwright"
cat >"$WORK/home/.config/Brushwright/Brushwright.ini" <<EOF
[Brushwright]
ListBMtypeOut=BMP
CheckReport=1
CheckDoGeometry=1
CheckSearchCopy=0
EOF
cat >"$WORK/window.sh" <<EOF
set -euo pipefail
$(declare -f best_of)
RUNS=$RUNS
window() { "$WINDOW" --autorun "\$1" --output "$WORK/out/window.obj"; }
convert() { "$CONVERT" -q --report --output-dir "$WORK/out" "\$1"; }
echo "window, $(basename "$largest"):  \$(best_of window "$largest") s"
echo "window, $(basename "$smallest") (its start-up): \$(best_of window "$smallest") s"
echo "command line, $(basename "$largest"): \$(best_of convert "$largest") s"
EOF
env -u XDG_CONFIG_HOME HOME="$WORK/home" xvfb-run -a -s "-screen 0 1280x1024x24" bash "$WORK/window.sh"
echo "== runs in-process: the window's Go command against the headless run (wall time)"
env -u XDG_CONFIG_HOME HOME="$WORK/home" xvfb-run -a -s "-screen 0 1280x1024x24" "$BUILD"/bench/bench_window
