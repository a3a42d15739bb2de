#!/usr/bin/env bash
# Measures how Torvane survives faults and kills, and writes the figures into README.md's
# "Reliability" section (between its <!-- reliability:begin --> and <!-- reliability:end -->
# markers):
#   - the fault sweep (tests/program/fault_sweep_test.cpp): per command, the kinds of file fault
#     injected, the runs and the runs after which everything was intact;
#   - the crash run (tests/program/crash_run_test.cpp): per kind of long write, the SIGKILLs tried
#     and the files found whole after them;
#   - the fuzzers: executions and crashes per fuzzer, read from docs/reliability-fuzz.md, which
#     scripts/fuzz.sh writes. The fuzzers are not run unless asked:
#
#   scripts/reliability.sh [--fuzz [MINUTES]] [--no-tests]
#
# --no-tests rewrites the section from the figures of the last run, without running the tests.
# The tests are built as scripts/test.sh builds them, in build/test (AddressSanitizer and
# UndefinedBehaviorSanitizer on); their raw figures go to build/test/reliability.tsv.
set -euo pipefail
cd "$(dirname "$0")/.."

fuzz_minutes=""
run_tests=1
while [ $# -gt 0 ]; do
  case "$1" in
    --fuzz)
      fuzz_minutes=10
      if [ $# -gt 1 ] && [[ "$2" =~ ^[0-9]+$ ]]; then
        fuzz_minutes=$2
        shift
      fi
      ;;
    --no-tests) run_tests="" ;;
    *)
      echo "usage: scripts/reliability.sh [--fuzz [MINUTES]] [--no-tests]" >&2
      exit 2
      ;;
  esac
  shift
done

if [ -n "$fuzz_minutes" ]; then
  bash scripts/fuzz.sh "$fuzz_minutes"
  cp build/fuzz/summary.md docs/reliability-fuzz.md
fi

figures="$PWD/build/test/reliability.tsv"
if [ -n "$run_tests" ]; then
  bash scripts/install-deps.sh
  cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTORVANE_SANITIZE=ON -DTORVANE_TESTS=ON \
    >/dev/null
  cmake --build build/test -j "$(nproc)" --target program_tests crash_run_tests

  rm -f "$figures"
  (
    cd build/test
    TORVANE_RELIABILITY_OUT="$figures" QT_QPA_PLATFORM=offscreen \
      ctest --output-on-failure -j "$(nproc)" -R 'FaultSweepTest|CrashRunTest'
  )
fi
[ -s "$figures" ] || { echo "no figures were written to $figures" >&2; exit 1; }

section=$(mktemp)
trap 'rm -f "$section"' EXIT
{
  echo "Measured on $(date -u -r "$figures" +%Y-%m-%d) at commit $(git rev-parse --short HEAD 2>/dev/null || echo unknown)."
  echo
  echo "Faults injected below the engine, each on the 1st, 2nd, … file call of its kind until the"
  echo "command meets none; a run is intact when every check after it passed:"
  echo
  echo "| Command | Fault kinds met | Runs | Intact |"
  echo "|---|---:|---:|---:|"
  awk -F'\t' '$1 != "crash" {
      if (!($1 in runs)) { order[n++] = $1 }
      kinds[$1] += ($3 > 0); runs[$1] += $3; intact[$1] += $4; all_runs += $3; all_intact += $4
    }
    END {
      for (i = 0; i < n; i++) print order[i] "\t" kinds[order[i]] "\t" runs[order[i]] "\t" intact[order[i]]
      print "~total\t" "\t" all_runs "\t" all_intact
    }' "$figures" | LC_ALL=C sort -t$'\t' -k1,1 |
    awk -F'\t' '{ if ($1 == "~total") print "| **all commands** | | **" $3 "** | **" $4 "** |";
                  else print "| " $1 " | " $2 " | " $3 " | " $4 " |" }'
  echo
  echo "The program killed with SIGKILL at moments drawn evenly over the work's duration, each time"
  echo "on a fresh copy of the file; a file is whole when it passes the integrity check and holds"
  echo "all it held before or all the work makes of it (for the backup: every file under a backup's"
  echo "name is a byte-for-byte copy):"
  echo
  echo "| Work | Kill points | Files whole |"
  echo "|---|---:|---:|"
  awk -F'\t' '$1 == "crash" { print "| " $2 " | " $3 " | " $4 " |" }' "$figures" | LC_ALL=C sort
  echo
  echo "Fuzzing ($(sed -n 's/^Written by `\(scripts\/fuzz.sh[^`]*\)` on \([0-9-]*\).*/`\1` on \2/p' \
    docs/reliability-fuzz.md | head -n 1), from [docs/reliability-fuzz.md](docs/reliability-fuzz.md)):"
  echo
  echo "| Fuzzer | Executions | Crashes |"
  echo "|---|---:|---:|"
  # The summary's rows: | name | time | executions | per second | edges | corpus | crashes | result |
  awk -F'|' 'NF >= 9 && $2 !~ /Fuzzer|---/ {
      gsub(/ /, "", $2); gsub(/ /, "", $4); gsub(/ /, "", $8)
      print "| " $2 " | " $4 " | " $8 " |"
    }' docs/reliability-fuzz.md
} >"$section"

awk -v section="$section" '
  /<!-- reliability:begin -->/ { print; while ((getline line < section) > 0) print line; skip = 1; next }
  /<!-- reliability:end -->/ { skip = 0 }
  !skip { print }
' README.md >README.md.new
grep -q '<!-- reliability:begin -->' README.md.new || { rm README.md.new; echo "README.md has no reliability markers" >&2; exit 1; }
mv README.md.new README.md
echo "README.md's Reliability section rewritten from $figures"
