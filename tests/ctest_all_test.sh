#!/bin/sh
# scripts/ctest-all on a small project of its own: a test that passes, two that are skipped
# (status 77, one of them saying why after other output, one giving no reason) and, in a second
# run, one that fails. The skipped tests are named with their reasons after ctest's report, and
# the script ends with ctest's status.
#   usage: ctest_all_test.sh CTEST_ALL_SCRIPT
set -u
script=$1
{ command -v cmake && command -v ctest; } >/dev/null 2>&1 ||
  { echo "skipped: no cmake or ctest"; exit 77; }
dir=$(mktemp -d /tmp/nuv-ctest-all-XXXXXX)
trap 'rm -rf "$dir"' EXIT
failed=0
fail() { echo "FAILED: $1"; failed=$((failed + 1)); }

project() {
  mkdir -p "$dir/$1"
  cat >"$dir/$1/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.16)
project(t NONE)
enable_testing()
add_test(NAME Fine.Passes COMMAND sh -c "echo skipped: not really")
add_test(NAME Tool.Missing COMMAND sh -c "echo looking; echo 'skipped: no frobnicator (Debian: frob)'; exit 77")
add_test(NAME Quiet.Skip COMMAND sh -c "exit 77")
set_tests_properties(Tool.Missing Quiet.Skip PROPERTIES SKIP_RETURN_CODE 77)
$2
CMAKE
  cmake -S "$dir/$1" -B "$dir/$1/build" >/dev/null 2>&1 || fail "cmake could not set up $1"
}

project good ""
out=$(sh "$script" "$dir/good/build" 2>&1)
status=$?
[ $status = 0 ] || fail "status $status with nothing failed"
echo "$out" | grep -qx "2 tests skipped:" || fail "no count of the skipped tests in:
$out"
echo "$out" | grep -qxF "  Tool.Missing: no frobnicator (Debian: frob)" || fail "no reason for Tool.Missing in:
$out"
echo "$out" | grep -qxF "  Quiet.Skip: (it gave no reason)" || fail "Quiet.Skip not named in:
$out"
echo "$out" | grep -q "Fine.Passes:" && fail "a test that passed is named as skipped"

project bad 'add_test(NAME Broken.Fails COMMAND sh -c "echo broken; exit 3")'
out=$(sh "$script" "$dir/bad/build" 2>&1)
status=$?
[ $status = 8 ] || fail "status $status with a test failed, not ctest's 8"
echo "$out" | grep -q "^broken$" || fail "the failing test's output is not shown"
echo "$out" | grep -qxF "  Tool.Missing: no frobnicator (Debian: frob)" || fail "no reason after a failure"

[ $failed = 0 ] && echo "ctest-all: skipped tests named with their reasons, ctest's status kept"
[ $failed = 0 ]
