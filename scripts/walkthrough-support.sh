# Sourced by the walkthrough scripts: builds the program, puts a copy of the demonstration database
# into a temporary folder ($work, $db), and gives the steps they share. Set `shots` (the prefix of
# the screenshots in docs/screenshots/) before sourcing, then call start_program.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash scripts/install-deps.sh
cmake -S . -B build/shots -G Ninja -DCMAKE_BUILD_TYPE=Release -DTORVANE_TESTS=OFF >/dev/null
cmake --build build/shots --target torvane demo_database sql_template_file -j "$(nproc)" >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
db=$work/demo.sdb
cp build/shots/demo.sdb "$db"
out=docs/screenshots
mkdir -p "$out"

# Starts Xvfb and the program with the given arguments ($db unless there are any); both are stopped
# and $work removed when the script ends. The screen is $screen (1024x768x24 unless set); with
# $window_manager set, that program runs first and decorates and places the windows.
start_program() {
  [ $# -gt 0 ] || set -- "$db"
  local n=$((90 + RANDOM % 100))
  # Another run may have a display of that number already.
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  local display=:$n
  Xvfb "$display" -screen 0 "${screen:-1024x768x24}" >/dev/null 2>&1 &
  xvfb=$!
  export DISPLAY=$display
  sleep 1
  wm=""
  if [ -n "${window_manager:-}" ]; then
    "$window_manager" >"$work/wm.log" 2>&1 &
    wm=$!
    sleep 1
  fi
  XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" \
    build/shots/src/program/torvane "$@" >"$work/torvane.log" 2>&1 &
  program=$!
  trap 'kill "$program" 2>/dev/null || true; [ -z "$wm" ] || kill "$wm" 2>/dev/null || true;
        kill "$xvfb" 2>/dev/null || true; rm -rf "$work"' EXIT
  sleep 3
}

shot() { import -window root "$out/$shots-$1.png"; echo "$out/$shots-$1.png"; }
click() { xdotool mousemove "$1" "$2" click 1; sleep "${3:-0.5}"; }
ok() { xdotool key Return; sleep 0.5; }
# A query on the file; names and texts in it are Chinese, so it goes in as GBK and comes back.
query() { echo "$1" | iconv -f UTF-8 -t GB18030 | sqlite3 "$db" | iconv -f GB18030 -t UTF-8; }
expect() {
  local got; got=$(query "$1")
  if [ "$got" != "$2" ]; then echo "FAILED: $1 gave '$got', expected '$2'" >&2; exit 1; fi
  echo "ok: $1 -> $2"
}
# The same on a file whose texts are UTF-8 (one the sqlite3 tool made): the query goes in as it is.
query_utf8() { echo "$2" | sqlite3 "$1"; }
expect_utf8() {
  local got; got=$(query_utf8 "$1" "$2")
  if [ "$got" != "$3" ]; then echo "FAILED: $2 gave '$got', expected '$3'" >&2; exit 1; fi
  echo "ok: $2 -> $3"
}
