#!/bin/sh
# The figures of doc/reference.md's Speed section, measured side by side: ROUNDS rounds of the
# benchmarks interleaved (the scalar loop, the batch with the vector tanh and with the library's,
# eil51 under Euler, the clock), then the survey's wall time against the plain loop of the same
# 20,000 runs. Run it on an idle machine; it prints one line per figure and round.
#   usage: bench/speed.sh BUILD_DIR [ROUNDS]
set -eu
build=$1 rounds=${2:-4}
for r in $(seq 1 "$rounds"); do
  "$build/nuv-bench" --benchmark_repetitions=1 \
    --benchmark_filter='BM_BareLoop$|BM_BatchLoop$|BM_BatchLoopLibraryTanh|BM_Eil51' \
    --benchmark_format=csv 2>/dev/null |
    awk -F, -v r="$r" 'NR > 1 && $1 !~ /^"?name/ {
      gsub(/"/, "", $1); printf "round %s: %-28s %12.1f %s per iteration", r, $1, $4, $5
      for (k = 6; k <= NF; k++) if ($k != "") printf "  %s", $k
      printf "\n" }'
  # The clock apart: a CSV holds one set of counters.
  "$build/nuv-bench" --benchmark_filter=BM_Clock --benchmark_format=csv 2>/dev/null |
    awk -F, -v r="$r" '/BM_Clock/ { printf "round %s: the clock as it runs, %.2f GHz\n", r, $NF }'
  start=$(date +%s.%N)
  "$build/nuv-survey" --jobs 1 --seeds 1:20000 1 1 1 >/dev/null
  end=$(date +%s.%N)
  plain=$("$build/nuv-bench" --benchmark_filter='BM_BareLoop/iterations:20000' \
    --benchmark_format=csv 2>/dev/null | awk -F, 'NR > 1 && $1 ~ /20000/ { print $3 * $2 / 1e9 }')
  echo "round $r: nuv-survey --jobs 1 --seeds 1:20000 1 1 1: $(echo "$end - $start" | bc) s; the plain loop of the same runs: $plain s"
done
