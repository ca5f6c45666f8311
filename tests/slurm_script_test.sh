#!/bin/sh
# scripts/slurm-survey's jobs, without Slurm: a stand-in sbatch on PATH records each submission's
# options and runs its --wrap line with sh at once (each task of an array in turn), its output
# into --output's file as Slurm names it (%a the task, %j the job, %% a %). Results folders and
# survey paths that a shell or Slurm would misread (quotes, $(...), -, -v, %, spaces) must give
# every shard, log and the merged summary in the folder named, the summary the single process's,
# and run nothing they spell. A merge that fails leaves no summary.txt, nor a temporary file.
#   usage: slurm_script_test.sh NUV_SURVEY SLURM_SURVEY_SCRIPT
set -u
survey=$1 script=$2
case "$script" in /*) ;; *) script=$(pwd)/$script ;; esac
dir=$(mktemp -d /tmp/nuv-slurm-script-XXXXXX)
trap 'rm -rf "$dir"' EXIT
failed=0 passed=0
fail() { echo "FAILED: $1"; failed=$((failed + 1)); }

# The stand-in sbatch.
mkdir "$dir/bin"
cat >"$dir/bin/sbatch" <<'STUB'
#!/bin/sh
# Slurm's names in --output: %% a percent sign, %a the task, %j and %A the job, %x the job's name.
expand() {
  printf '%s' "$1" | awk -v a="$2" -v j="$3" -v x="$4" '{
    out = ""; n = length($0)
    for (i = 1; i <= n; i++) {
      c = substr($0, i, 1)
      if (c == "%" && i < n) {
        d = substr($0, ++i, 1)
        out = out (d == "%" ? "%" : d == "a" ? a : d == "j" || d == "A" ? j : d == "x" ? x : "%" d)
      } else out = out c
    }
    printf "%s", out }'
}
job=$(( $(cat "$STUB_LOG.count" 2>/dev/null || echo 100) + 1 ))
echo $job >"$STUB_LOG.count"
tasks=0-0 name=job output=slurm-%j.out wrap=""
for option in "$@"; do
  printf '%s\n' "$option" >>"$STUB_LOG"
  case "$option" in
  --array=*) tasks=${option#--array=} ;;
  --job-name=*) name=${option#--job-name=} ;;
  --output=*) output=${option#--output=} ;;
  --wrap=*) wrap=${option#--wrap=} ;;
  esac
done
first=${tasks%-*} last=${tasks#*-}
task=$first
while [ "$task" -le "$last" ]; do
  out=$(expand "$output" "$task" "$job" "$name")
  (cd "$STUB_WORK" && SLURM_ARRAY_TASK_ID=$task SLURM_JOB_ID=$job sh -c "$wrap") >"$out" 2>&1
  task=$((task + 1))
done
echo "$job;cluster"
STUB
chmod +x "$dir/bin/sbatch"
export PATH="$dir/bin:$PATH" STUB_LOG="$dir/sbatch.log" STUB_WORK="$dir/work"
mkdir "$dir/work" "$dir/cwd"

plan="--seeds 1:60 1 1 0.5:1.5:0.5"
# shellcheck disable=SC2086
"$survey" --jobs 1 $plan >"$dir/whole.txt" || { echo "FAILED: the survey alone"; exit 1; }

# The survey through the script into folder $1 (as typed, from $dir/cwd), by the survey at $2.
check() {
  folder=$1 path=$2
  rm -f "$dir/PWNED" "$dir/work/PWNED" "$dir/cwd/PWNED" "$STUB_LOG"
  # shellcheck disable=SC2086
  if ! out=$(cd "$dir/cwd" && sh "$script" --survey "$path" 3 "$folder" $plan 2>&1); then
    fail "folder '$folder', survey '$path': the script failed: $out"
    return
  fi
  if [ -e "$dir/PWNED" ] || [ -e "$dir/work/PWNED" ] || [ -e "$dir/cwd/PWNED" ]; then
    fail "folder '$folder', survey '$path': a job ran what the name spells"
  fi
  at=$dir/cwd/$folder
  for f in shard-0.csv shard-1.csv shard-2.csv shard-0.log shard-2.log merge.log summary.txt; do
    [ -f "$at/$f" ] || fail "folder '$folder', survey '$path': no $f in the folder"
  done
  if ! cmp -s "$dir/whole.txt" "$at/summary.txt"; then
    fail "folder '$folder', survey '$path': the summary is not the single process's"
    head -5 "$at/merge.log" "$at/shard-0.log" 2>/dev/null
  fi
  for f in "$at"/.summary*; do [ -e "$f" ] && fail "folder '$folder': a temporary summary is left"; done
  passed=$((passed + 1))
}

mkdir -p "$dir/cwd/o'brien \$(touch PWNED)" "$dir/cwd/-x"
ln -s "$survey" "$dir/cwd/o'brien \$(touch PWNED)/nuv-survey"
ln -s "$survey" "$dir/cwd/-x/nuv-survey"
# shellcheck disable=SC2016 # the names are meant as typed
for folder in plain "r'\$(touch PWNED)'" "o'brien" - -v "100%j %a %%" "two  words" '$HOME' '*' \
  "r\"\`touch PWNED\`\""; do
  check "$folder" "$survey"
done
check "o'brien" "o'brien \$(touch PWNED)/nuv-survey"
check "results" "-x/nuv-survey"
check "x'y" "$dir/cwd/o'brien \$(touch PWNED)/nuv-survey"
# A merge that fails: the summary is not written at all, and nothing temporary is left.
cat >"$dir/failing-merge" <<FAKE
#!/bin/sh
case "\$1" in --merge) echo "no merge" >&2; exit 1 ;; esac
exec '$survey' "\$@"
FAKE
chmod +x "$dir/failing-merge"
# shellcheck disable=SC2086
(cd "$dir/cwd" && sh "$script" --survey "$dir/failing-merge" 2 failing $plan >/dev/null 2>&1)
[ -e "$dir/cwd/failing/summary.txt" ] && fail "a failed merge left a summary.txt"
for f in "$dir/cwd/failing"/.summary*; do [ -e "$f" ] && fail "a failed merge left a temporary file"; done
# Nothing was made in the working folder but the 15 folders named.
made=$(find "$dir/cwd" -mindepth 1 -maxdepth 1 | wc -l)
[ "$made" = 15 ] || fail "$made files or folders made where the script ran, not 15"
grep -q "no merge" "$dir/cwd/failing/merge.log" || fail "the failed merge's message is not in merge.log"
[ $failed = 0 ] && passed=$((passed + 1))

echo "$passed passed, $failed failed"
[ $failed = 0 ]
