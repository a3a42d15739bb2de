#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Torvane need, when any is missing.
# Works as root or through sudo; does nothing when every package is already there. Further package
# names given as arguments are installed too (scripts/package.sh passes what packaging needs,
# scripts/fuzz.sh clang and libFuzzer's runtime).
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config clang-format
  qt6-base-dev qt6-translations-l10n libgl-dev libsqlite3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-wqy-microhei
  xvfb xauth imagemagick xdotool sqlite3 python3
  desktop-file-utils appstream groff-base man-db shared-mime-info dpkg-dev file
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then sudo_cmd=(sudo); else
    echo "These packages are missing and there is no root access to install them: ${missing[*]}" >&2
    exit 1
  fi
fi
echo "Installing: ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
