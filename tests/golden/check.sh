#!/bin/bash
# Runs every command line of commands.txt with the programs of BUILD and writes, for each, its
# exit status and the checksums of its standard output and error: "record" writes expected.txt,
# "check" compares with it and names each command whose bytes changed.
#   usage: tests/golden/check.sh record|check BUILD
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
mode=$1 build=$(cd "$2" && pwd)
export PATH="$build:$PATH"
cd "$root"
out=$(mktemp)
n=0
while IFS= read -r line; do
  T=$(mktemp -d)
  export T
  o=$(mktemp) e=$(mktemp)
  bash -c "$line" >"$o" 2>"$e"
  s=$?
  echo "$s $(sha256sum <"$o" | cut -c1-16) $(sha256sum <"$e" | cut -c1-16) $line" >>"$out"
  rm -rf "$T" "$o" "$e"
  n=$((n + 1))
done <"$here/commands.txt"
if [ "$mode" = record ]; then
  mv "$out" "$here/expected.txt"
  echo "recorded $n command lines"
else
  diff <(cut -d' ' -f4- "$here/expected.txt" | paste -d'|' - <(cut -d' ' -f1-3 "$here/expected.txt")) \
    <(cut -d' ' -f4- "$out" | paste -d'|' - <(cut -d' ' -f1-3 "$out")) | grep '^>' | sed 's/^> /changed: /'
  same=$(paste -d' ' <(cut -d' ' -f1-3 "$here/expected.txt") <(cut -d' ' -f1-3 "$out") | awk '$1==$4 && $2==$5 && $3==$6' | wc -l)
  echo "$same of $n command lines print the same bytes"
  rm -f "$out"
fi
