#!/usr/bin/env bash
# Renders each of Torvane's windows in a real X window under Xvfb and saves a picture of it in
# docs/screenshots/: the main window (as created, and with example content on each page of the field
# panel), the SQL dialog (with and without its template list), the table designer and the
# insert-record dialog (each page). Builds the preview program in build/shots first.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" != "--inside" ]; then
  bash scripts/install-deps.sh
  cmake -S . -B build/shots -G Ninja -DCMAKE_BUILD_TYPE=Release -DTORVANE_TESTS=OFF >/dev/null
  cmake --build build/shots --target ui_preview -j "$(nproc)"
  mkdir -p docs/screenshots
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" --inside
fi

preview="$PWD/build/shots/src/ui/ui_preview"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# shoot NAME ARGS...: shows the window, waits until it is on screen, photographs it.
shoot() {
  local name="$1"
  shift
  "$preview" "$@" >"$work/id" 2>"$work/err" &
  local pid=$!
  local id=""
  for _ in $(seq 1 100); do
    id="$(head -n 1 "$work/id" 2>/dev/null || true)"
    [ -n "$id" ] && break
    sleep 0.1
  done
  if [ -z "$id" ]; then
    kill "$pid" 2>/dev/null || true
    echo "ui_preview $* showed no window:" >&2
    cat "$work/err" >&2
    exit 1
  fi
  sleep 1  # let it paint
  import -window "$id" "docs/screenshots/$name.png"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  echo "docs/screenshots/$name.png"
}

shoot main main
shoot main_start main --start
shoot main_integer main --page 1
shoot main_decimal main --page 2
shoot main_bytes main --page 3
shoot sql sql
shoot sql_templates sql --templates
shoot designer designer
shoot insert insert
shoot insert_integer insert --page 1
shoot insert_decimal insert --page 2
shoot insert_bytes insert --page 3
