#!/usr/bin/env bash
# Runs each libFuzzer harness for a while: fuzz/run-fuzzers.sh BUILD SECONDS [HARNESS...]
#
# Each harness starts from the corpus kept in the repository (fuzz/corpus/NAME,
# read only) and writes what it finds to a scratch folder, so the repository
# never changes; `make fuzz-merge` folds new inputs into the kept corpus.
# Stops at the first finding with a non-zero status and the crash input's path.
set -uo pipefail

build=${1:?build folder}
seconds=${2:?seconds per harness}
shift 2
here=$(cd "$(dirname "$0")" && pwd)
harnesses=("$@")
if [ ${#harnesses[@]} -eq 0 ]; then
  harnesses=(ini taskfile imagedat thumbcache dib regex_parse regex_match keyfiles codepage history)
fi
scratch=${FUZZ_SCRATCH:-$build/fuzz-scratch}

for name in "${harnesses[@]}"; do
  binary=$build/fuzz/fuzz_$name
  [ -x "$binary" ] || { echo "fuzz: $binary is missing (make fuzz builds it)" >&2; exit 2; }
  mkdir -p "$scratch/$name/new" "$scratch/$name/findings"
  log=$scratch/$name/log.txt
  echo "fuzz: $name for ${seconds}s"
  # A picture header may ask for up to 768 MiB, which the reader allows: the
  # memory limit leaves room for that under the address sanitizer.
  "$binary" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=3072 -print_final_stats=1 \
    -artifact_prefix="$scratch/$name/findings/" "$scratch/$name/new" "$here/corpus/$name" >"$log" 2>&1
  status=$?
  grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | sed 's/^/  /'
  if [ $status -ne 0 ]; then
    grep -E 'ERROR|property failed|SUMMARY' "$log" | head -5 >&2
    crash=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -1)
    echo "fuzz: FINDING in $name (exit $status); input: ${crash:-see $log}; log: $log" >&2
    echo "fuzz: reproduce with $binary ${crash:-INPUT}" >&2
    exit 1
  fi
done
echo "fuzz: no findings (${#harnesses[@]} harnesses, ${seconds}s each)"
