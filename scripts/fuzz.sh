#!/usr/bin/env bash
# Builds the fuzzers (the "fuzz" preset of CMakePresets.json: clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer, into build/fuzz) and runs each for MINUTES minutes (default 10),
# starting from its committed corpus fuzz/corpus/<name>. Prints a Markdown table of the runs and
# writes it to build/fuzz/summary.md, from which docs/reliability-fuzz.md is copied.
#
#   scripts/fuzz.sh [MINUTES]
#
# Each fuzzer runs as one process with one worker. FUZZ_PARALLEL=2 runs two fuzzers at a time
# (never more); FUZZ_ONLY="codec pictures" runs only those. New corpus entries go to
# build/fuzz/corpus/<name>, inputs that broke a promise or crashed to
# build/fuzz/artifacts/<name>/<run>/, each fuzzer's output to build/fuzz/logs/<name>.log.
# Installs clang and libFuzzer's runtime (Debian's libclang-rt-dev) when they are missing.
set -euo pipefail
cd "$(dirname "$0")/.."

minutes=${1:-10}
parallel=${FUZZ_PARALLEL:-1}
if ! [[ "$minutes" =~ ^[0-9]+$ ]] || [ "$minutes" -lt 1 ]; then
  echo "usage: scripts/fuzz.sh [MINUTES]" >&2
  exit 2
fi
[ "$parallel" -gt 2 ] && parallel=2

bash scripts/install-deps.sh clang libclang-rt-dev
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

all=(codec sql_statements sql_templates definitions sql_name pictures)
read -r -a fuzzers <<<"${FUZZ_ONLY:-${all[*]}}"
# The fuzzers that read SQL text get its words.
declare -A dictionary=([sql_statements]=1 [definitions]=1 [sql_name]=1)

out=build/fuzz
run=$(date -u +%Y%m%d-%H%M%S)
mkdir -p "$out/logs"

run_one() {
  local name=$1
  local corpus="$out/corpus/$name" artifacts="$out/artifacts/$name/$run"
  mkdir -p "$corpus" "$artifacts"
  local args=(-max_total_time=$((minutes * 60)) -timeout=10 -rss_limit_mb=2048 -max_len=4096
              -print_final_stats=1 "-artifact_prefix=$artifacts/")
  [ -n "${dictionary[$name]:-}" ] && args+=("-dict=fuzz/sql.dict")
  local start end status=0
  start=$(date +%s)
  UBSAN_OPTIONS=print_stacktrace=1 "$out/fuzz/fuzz_$name" "${args[@]}" "$corpus" "fuzz/corpus/$name" \
    >"$out/logs/$name.log" 2>&1 || status=$?
  end=$(date +%s)
  echo "$status $((end - start))" >"$out/logs/$name.result"
}

running=0
for name in "${fuzzers[@]}"; do
  echo "Fuzzing $name for $minutes minute(s)"
  run_one "$name" &
  running=$((running + 1))
  if [ "$running" -ge "$parallel" ]; then
    wait -n || true
    running=$((running - 1))
  fi
done
wait || true

# The last value libFuzzer printed for `key` in a fuzzer's log.
last_stat() { grep -o "$2: *[0-9]*" "$1" | tail -n 1 | grep -o '[0-9]*$' || true; }

summary="$out/summary.md"
{
  echo "# Fuzzing summary"
  echo
  echo "Written by \`scripts/fuzz.sh $minutes\` on $(date -u +%Y-%m-%d) at commit" \
    "$(git rev-parse --short HEAD 2>/dev/null || echo unknown), built with" \
    "$(clang++ --version | head -n 1 | sed 's/ *(.*//'). Each fuzzer ran for up to $minutes" \
    "minute(s) as one process, AddressSanitizer and UndefinedBehaviorSanitizer on, from its corpus" \
    "in \`fuzz/corpus/\`; a run stops at its first crash or broken promise."
  echo
  echo "| Fuzzer | Time (s) | Executions | Executions/s | Coverage (edges) | Corpus | Crashes | Result |"
  echo "|---|---:|---:|---:|---:|---:|---:|---|"
  for name in "${fuzzers[@]}"; do
    log="$out/logs/$name.log"
    read -r status seconds <"$out/logs/$name.result"
    executions=$(last_stat "$log" "stat::number_of_executed_units")
    speed=$(last_stat "$log" "stat::average_exec_per_sec")
    coverage=$(last_stat "$log" "cov")
    corpus=$(find "$out/corpus/$name" -type f | wc -l)
    crashes=$(find "$out/artifacts/$name/$run" -type f | wc -l)
    if [ "$status" -eq 0 ] && [ "$crashes" -eq 0 ]; then
      result="no crash"
    else
      first=$(find "$out/artifacts/$name/$run" -type f | head -n 1)
      result="exit $status${first:+, \`${first#"$out/"}\`}"
    fi
    echo "| $name | $seconds | ${executions:-?} | ${speed:-?} | ${coverage:-?} | $corpus | $crashes | $result |"
  done
} >"$summary"
echo
cat "$summary"
echo
echo "Summary: $summary"
