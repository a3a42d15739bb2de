#!/usr/bin/env bash
# Builds the benchmarks in Release without sanitizers, makes the benchmark databases once (the
# 10-million-row file takes a while the first time) and runs every benchmark: the database layer's,
# the browse inside the main window, a console query's result in the main window, the table
# designer's rebuild, what keeping a database's texts in UTF-8 costs, huge values, then the open. Extra
# arguments go to Google Benchmark (every program), e.g. --benchmark_filter=query.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/bench"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTORVANE_SANITIZE=OFF \
  -DTORVANE_TESTS=OFF -DTORVANE_BENCH=ON > /dev/null
cmake --build "$build" --target make_bench_db db_bench browse_window_bench query_grid_bench \
  rebuild_bench text_mode_bench huge_value_bench open_bench -j "$(nproc)"
"$build/bench/make_bench_db" "$build/data"
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'),"\
" $(awk '/MemTotal/ {printf "%.0f GB", $2 / 1048576}' /proc/meminfo), $(uname -sr)"
"$build/bench/db_bench" --data="$build/data" --benchmark_color=false "$@"
# The same browse inside the main window on the offscreen platform; no display is needed.
QT_QPA_PLATFORM=offscreen "$build/bench/browse_window_bench" --data="$build/data" \
  --benchmark_color=false "$@"
# A console query's whole result in the main window, against the raw engine's pass of it.
QT_QPA_PLATFORM=offscreen "$build/bench/query_grid_bench" --data="$build/data" \
  --benchmark_color=false "$@"
# The table designer's rebuild of a million-row table, against the raw engine's same statements.
"$build/bench/rebuild_bench" --data="$build/data" --benchmark_color=false "$@"
# A UTF-8 table's browse in UTF-8 mode against GBK mode, and the open with the text mode told
# from the database's texts against the open without it.
QT_QPA_PLATFORM=offscreen "$build/bench/text_mode_bench" --data="$build/data" \
  --benchmark_color=false "$@"
# A table of 200 MB BLOBs against one of 1 KB BLOBs: the browse and the field panel's load, against
# the raw engine's whole read (its files, 1.2 GB, are made in the data folder the first time).
QT_QPA_PLATFORM=offscreen "$build/bench/huge_value_bench" --data="$build/data" \
  --benchmark_color=false "$@"
# The open: the backup copy of a 1 GiB file against `cp` of it, and the open of a file of 10,000
# tables in the main window, step by step.
QT_QPA_PLATFORM=offscreen "$build/bench/open_bench" --data="$build/data" --benchmark_color=false "$@"
