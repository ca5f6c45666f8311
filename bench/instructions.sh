#!/usr/bin/env bash
# Instructions of a 20,000-seed survey with --jobs 1 (parent and worker together) against the
# bare loop of initialize plus 50 sweeps over the same seeds, counted by callgrind.
# Usage: bench/instructions.sh [BUILD_DIR]   (takes a few minutes)
set -euo pipefail
build=${1:-build}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

total() { # sum of "Collected" over all processes of a callgrind log
  awk '/Collected :/ { s += $NF } END { printf "%.0f\n", s }' "$1"
}
valgrind --tool=callgrind --callgrind-out-file="$out/survey.%p" \
  "$build/nuv-survey" --jobs 1 --seeds 1:20000 1 1 1 >/dev/null 2>"$out/survey.log"
valgrind --tool=callgrind --callgrind-out-file="$out/bare.%p" \
  "$build/nuv-bench" --benchmark_filter='BM_BareLoop/iterations:20000$' >/dev/null 2>"$out/bare.log"
survey=$(total "$out/survey.log") bare=$(total "$out/bare.log")
awk -v s="$survey" -v b="$bare" 'BEGIN { printf "survey %.0f, bare loop %.0f, ratio %.4f\n", s, b, s / b }'
