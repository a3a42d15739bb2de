#!/usr/bin/env bash
# Checks the sources' formatting, builds Torvane with AddressSanitizer and UndefinedBehaviorSanitizer
# and runs every test headless.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# Every C++ file as the repository's .clang-format lays it out; `clang-format -i FILE` mends one.
if [ -d .git ] || git rev-parse --git-dir >/dev/null 2>&1; then
  git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
else
  find src tests bench tools dist -name '*.cpp' -o -name '*.h' | xargs clang-format --dry-run --Werror
fi
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTORVANE_SANITIZE=ON -DTORVANE_TESTS=ON
cmake --build build/test -j "$(nproc)"
cd build/test
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)"
