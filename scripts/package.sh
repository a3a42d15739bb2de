#!/usr/bin/env bash
# Makes the Debian package of Torvane: a Release build in build/package, installed under /usr by
# CPack into torvane_<version>_<arch>.deb, whose dependencies come from the libraries the program
# links. Prints the package's path. Installs the Debian packages it needs when they are missing.
set -euo pipefail
cd "$(dirname "$0")/.."
# dpkg-dev computes the dependencies (dpkg-shlibdeps), which needs file to find the programs.
bash scripts/install-deps.sh dpkg-dev file
cmake -S . -B build/package -G Ninja -DCMAKE_BUILD_TYPE=Release -DTORVANE_TESTS=OFF \
  -DTORVANE_SANITIZE=OFF -DTORVANE_BENCH=OFF
cmake --build build/package -j "$(nproc)"
rm -f build/package/*.deb
(cd build/package && cpack -G DEB)
deb=$(ls -1 "$PWD"/build/package/*.deb)
echo
echo "Package: $deb"
