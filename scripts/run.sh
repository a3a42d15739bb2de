#!/usr/bin/env bash
# Builds Torvane (release) and starts it. Arguments are passed to the program; without any, the
# generated demo database is opened.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DTORVANE_TESTS=OFF
cmake --build build/release -j "$(nproc)"
if [ $# -eq 0 ] && [ -f build/release/demo.sdb ]; then
  set -- "$PWD/build/release/demo.sdb"
fi
exec build/release/src/program/torvane "$@"
