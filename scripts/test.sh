#!/usr/bin/env bash
# Builds Torvane with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test headless.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTORVANE_SANITIZE=ON -DTORVANE_TESTS=ON
cmake --build build/test -j "$(nproc)"
cd build/test
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)"
