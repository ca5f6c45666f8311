#!/bin/sh
# The module's build lists every header its sources include: clang, with the module's own
# flags, names each file a source includes (lab/include's stand-ins too), and each must be among
# what the build of nuv.wasm depends on, or an edit of it would leave the page's module stale.
#   usage: depends.sh CLANG SOURCES DEPENDS FLAGS...
# SOURCES and DEPENDS are CMake lists (separated by ';'); FLAGS are the module's -I and -isystem.
clang=$1 sources=$2 depends=$3
shift 3
listed=$(printf '%s\n' "$depends" | tr ';' '\n' | xargs -r realpath -m) || exit 1
old_ifs=$IFS
IFS=';'
rules=
for source in $sources; do
  rules="$rules $("$clang" --target=wasm32 -std=c++17 -ffreestanding -nostdlib "$@" -M "$source")" ||
    exit 1
done
IFS=$old_ifs
# Each header named in the rules, but for the compiler's own (its stddef.h and stdint.h).
own=$(realpath -m "$("$clang" -print-resource-dir)")
included=$(printf '%s\n' "$rules" | tr ' \\' '\n\n' | grep '\.h$' | xargs -r realpath -m |
  grep -v "^$own/" | sort -u)
count=0 missing=0
for header in $included; do
  count=$((count + 1))
  if ! printf '%s\n' "$listed" | grep -qxF "$header"; then
    echo "nuv.wasm is not rebuilt when $header changes: list it in lab/CMakeLists.txt"
    missing=$((missing + 1))
  fi
done
if [ "$count" -eq 0 ]; then
  echo "clang named no header: the check checked nothing"
  exit 1
fi
echo "$count headers included, $missing not listed"
[ "$missing" -eq 0 ]
