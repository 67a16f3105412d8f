#!/usr/bin/env bash
# Builds Brushwright in Release and measures it: the benchmarks, then whole-process timings of
# brushwright-convert (start-up, brush and world output, a level of 30,000 textures) beside cat/dd
# of the same bytes, which libraries a run loads, then the window against the command line.
# BRUSHWRIGHT_BENCH_WINDOW=0 leaves the window out.
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD=${BRUSHWRIGHT_BENCH_BUILD:-build-release}
CORPUS=${BRUSHWRIGHT_CORPUS:-../shared/corpus}
# Runs per timing; the best one is kept, as the others only add the noise of other processes.
RUNS=${BRUSHWRIGHT_BENCH_RUNS:-3}
# Runs of the start-up timing: it is short, so more runs are needed to see through the noise.
STARTUP_RUNS=${BRUSHWRIGHT_BENCH_STARTUP_RUNS:-40}
WINDOW=${BRUSHWRIGHT_BENCH_WINDOW:-1}

targets=(bench_numbers bench_readers bench_run bench_world bench_packages generate-level
  brushwright-convert)
window_switch=-DBRUSHWRIGHT_WINDOW=OFF
if [ "$WINDOW" = 1 ]; then
  targets+=(bench_window brushwright)
  window_switch=-DBRUSHWRIGHT_WINDOW=ON
fi
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release "$window_switch" >/dev/null
cmake --build "$BUILD" -j "$(nproc)" --target "${targets[@]}"
CONVERT=$BUILD/src/cli/brushwright-convert
WINDOW_PROGRAM=$BUILD/src/window/brushwright

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

echo "== machine"
echo "$(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)," \
  "$(free -g | awk '/Mem:/ {print $2}') GB, load $(cut -d' ' -f1-3 /proc/loadavg)"

echo "== benchmarks (in-process; bytes per second of T3D input)"
"$BUILD"/bench/bench_numbers
"$BUILD"/bench/bench_readers
# Whole runs: CPU time, best (min), mean and median of $RUNS repetitions.
"$BUILD"/bench/bench_run --benchmark_repetitions="$RUNS" --benchmark_report_aggregates_only=true
"$BUILD"/bench/bench_world
# Unreal packages: a 300-package folder indexed (tables only), textures decoded.
"$BUILD"/bench/bench_packages

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

# best_and_mean N CMD...: the shortest and the mean wall time in milliseconds of N runs of CMD.
best_and_mean() {
  local runs=$1 start end
  shift
  for ((i = 0; i < runs; i++)); do
    start=$EPOCHREALTIME
    "$@" >/dev/null 2>&1
    end=$EPOCHREALTIME
    echo "$start $end"
  done | awk '{ t = ($2 - $1) * 1000; s += t; if (NR == 1 || t < b) b = t }
              END { printf "best %.1f ms, mean %.1f ms", b, s / NR }'
}

read_input() { cat "$1" >/dev/null; }
write_bytes() { dd if=/dev/zero of="$WORK/dd.out" bs=1M count="$1" iflag=count_bytes status=none; }
# Missing textures are reported on stderr even with -q; the timing does not need them.
convert() { "$CONVERT" -q --report --output-dir "$WORK/out" "$@" 2>/dev/null; }

convert_world() { "$CONVERT" -q --report --world --output-dir "$WORK/out" "$1" 2>/dev/null; }

# Peak resident memory in MB of one conversion of $1, with the further switches after it.
peak_mb() {
  local input=$1
  shift
  /usr/bin/time -o "$WORK/peak" -f "%M" "$CONVERT" -q --report --output-dir "$WORK/out" "$@" \
    "$input" >/dev/null 2>&1
  tail -1 "$WORK/peak" | awk '{printf "%.0f", $1 / 1024}'
}

# Libraries of the GUI toolkit (wxWidgets, GTK) that a conversion with these arguments into an
# empty output folder loads, counted from the dynamic linker's own log.
gui_libraries() {
  rm -f "$WORK"/out/*
  LD_DEBUG=files "$CONVERT" -q --output-dir "$WORK/out" "$@" 2>&1 >/dev/null |
    grep -oE 'file=[^ ]*(libwx_|libgtk-)[^ ]*' | sort -u | wc -l
}

largest_corpus=$(ls -S "$CORPUS"/*.t3d | head -1)
echo "== brushwright-convert as a whole process (geometry, MTL and report; best of $RUNS)"
mkdir -p "$WORK/levels" "$WORK/out"
for variant_size in standard:1000 standard:4000 standard:32000 untextured:4000 untextured:32000 \
  actors:4000 actors:32000 rooms:4000 rooms:32000; do
  "$BUILD"/bench/generate-level --variant "${variant_size%%:*}" --faces "${variant_size##*:}" \
    "$WORK/levels/${variant_size%%:*}-${variant_size##*:}.t3d"
done
# 30,000 faces of as many textures, and a 10,000-file search folder holding ten of their images.
mkdir -p "$WORK/many-textures"
"$BUILD"/bench/generate-level --variant textures --faces 30000 --texture-tree "$WORK/tree" \
  "$WORK/many-textures/textures-30000.t3d"
echo "start-up alone (--version, $STARTUP_RUNS runs): $(best_and_mean "$STARTUP_RUNS" "$CONVERT" --version)"
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

echo "== world output as a whole process (geometry, MTL and report; best of $RUNS)"
echo "(brush+sub: the brush output with --subtractive, which takes the brushes the world takes)"
printf "%-26s %8s %8s %8s %9s %11s %9s\n" level "in MB" "out MB" "peak MB" "world s" "brush+sub s" \
  "brush s"
for input in "$CORPUS"/*.t3d "$WORK"/levels/rooms-*.t3d; do
  rm -f "$WORK"/out/*
  convert_world "$input" || { echo "$(basename "$input"): world conversion failed"; continue; }
  out_bytes=$(cat "$WORK"/out/* | wc -c)
  printf "%-26s %8.2f %8.2f %8s %9s %11s %9s\n" "$(basename "$input")" \
    "$(awk -v b="$(wc -c <"$input")" 'BEGIN { print b / 1e6 }')" \
    "$(awk -v b="$out_bytes" 'BEGIN { print b / 1e6 }')" "$(peak_mb "$input" --world)" \
    "$(best_of convert_world "$input")" "$(best_of convert --subtractive "$input")" \
    "$(best_of convert "$input")"
done

echo "== 30,000 textures (best of $RUNS): no search folder, and --copy-textures over 10,000 files"
textures=$WORK/many-textures/textures-30000.t3d
copy_textures() {
  rm -f "$WORK"/out/*
  "$CONVERT" -q --output-dir "$WORK/out" --copy-textures "$WORK/tree" "$textures" 2>/dev/null
}
no_search() { "$CONVERT" -q --output-dir "$WORK/out" "$textures" 2>/dev/null; }
echo "no search folder: $(best_of no_search) s, peak $(peak_mb "$textures") MB"
echo "--copy-textures:  $(best_of copy_textures) s, images copied: $(ls "$WORK"/out/*.BMP | wc -l)"

echo "== GUI toolkit libraries loaded (LD_DEBUG=files)"
echo "brushwright-convert needs at start: $(ldd "$CONVERT" | grep -cE 'libwx_|libgtk-' || true)"
echo "run decoding no image ($(basename "$largest_corpus")): $(gui_libraries "$largest_corpus")"
echo "run decoding ten images (copying textures): $(gui_libraries --copy-textures "$WORK/tree" \
  "$textures")"

[ "$WINDOW" = 1 ] || exit 0
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
window() { "$WINDOW_PROGRAM" --autorun "\$1" --output "$WORK/out/window.obj"; }
convert() { "$CONVERT" -q --report --output-dir "$WORK/out" "\$1"; }
echo "window, $(basename "$largest"):  \$(best_of window "$largest") s"
echo "window, $(basename "$smallest") (its start-up): \$(best_of window "$smallest") s"
echo "command line, $(basename "$largest"): \$(best_of convert "$largest") s"
EOF
env -u XDG_CONFIG_HOME HOME="$WORK/home" xvfb-run -a -s "-screen 0 1280x1024x24" bash "$WORK/window.sh"
echo "== runs in-process: the window's Go command against the headless run (wall time)"
env -u XDG_CONFIG_HOME HOME="$WORK/home" xvfb-run -a -s "-screen 0 1280x1024x24" "$BUILD"/bench/bench_window
