#!/usr/bin/env bash
# Maximizes the main window on a 1600x900 screen, as a user does, in a real X window under Xvfb with
# a small window manager (jwm): the window shows a table of long texts, empty texts and NULLs (made
# by the sqlite3 tool, so UTF-8) and is maximized with the window manager's key, Alt+F10. Then the
# SQL console is made as large as the screen (jwm offers no maximizing for dialog windows). Checks
# with xdotool that each then fills the screen above the window manager's tray and that the main
# window's designed size is its smallest. Keeps docs/screenshots/maximized-long-text.png.
bash "$(dirname "$0")/install-deps.sh" jwm
shots=maximized
screen=1600x900x24
window_manager=jwm
source "$(dirname "$0")/walkthrough-support.sh"

fail() { echo "FAILED: $1" >&2; exit 1; }
# The size of window $1 as "WIDTHxHEIGHT".
size_of() { xdotool getwindowgeometry "$1" | sed -n 's/^ *Geometry: //p'; }
# Fails unless window $1 (called $2) nearly fills the screen: the tray and the title bar aside.
expect_fills_screen() {
  local size width height
  size=$(size_of "$1")
  width=${size%x*}
  height=${size#*x}
  [ "$width" -ge 1590 ] && [ "$height" -ge 820 ] || fail "$2 is $size after maximizing"
  echo "ok: $2 is $size on a 1600x900 screen"
}

# A paragraph and a table of articles: long texts, one of megabytes, empty texts and NULLs.
articles=$work/文章.sdb
paragraph='这是一段很长的正文，用来查看表格的列宽，以及窗口最大化以后各个控件的位置。'
sqlite3 "$articles" <<SQL
CREATE TABLE 文章 (编号 INTEGER PRIMARY KEY, 标题 TEXT, 作者 TEXT, 正文 TEXT, 备注 TEXT);
INSERT INTO 文章 (标题, 作者, 正文, 备注) VALUES
  ('窗口可以最大化', '张三', replace(hex(zeroblob(200)), '00', '$paragraph'), NULL),
  ('列宽按内容决定，最宽三百像素', '李四', replace(hex(zeroblob(100000)), '00', '$paragraph'), ''),
  ('空值与空文本', NULL, '作者是空值（NULL），备注是空文本', ''),
  ('短文', '王五', '短', NULL);
WITH RECURSIVE n(i) AS (SELECT 5 UNION ALL SELECT i + 1 FROM n WHERE i < 40)
INSERT INTO 文章 (标题, 作者, 正文, 备注)
  SELECT '第' || i || '篇', CASE WHEN i % 3 = 0 THEN NULL ELSE '作者' || i END,
         substr(replace(hex(zeroblob(20)), '00', '$paragraph'), 1, 10 + i * 7),
         CASE i % 4 WHEN 0 THEN NULL WHEN 1 THEN '' ELSE '备注' || i END
  FROM n;
SQL
echo "ok: 文章 holds $(sqlite3 "$articles" "SELECT count(*), max(length(正文)), \
  sum(作者 IS NULL) + sum(备注 IS NULL), sum(备注 = '') FROM 文章;" |
  awk -F'|' '{print $1 " rows, a text of " $2 " characters, " $3 " NULLs, " $4 " empty texts"}')"

start_program --table 文章 "$articles"
main=$(xdotool search --sync --onlyvisible --name '^Torvane' | head -n 1)
[ -n "$main" ] || fail "no main window"
designed=$(size_of "$main")
echo "ok: the main window starts at its designed size, $designed"

xdotool windowactivate --sync "$main" key alt+F10
sleep 2
expect_fills_screen "$main" "the main window"
xdotool mousemove 800 450
sleep 1
shot long-text
# A palette of 128 colours keeps the picture a fifth of its size, with no visible change.
convert "$out/$shots-long-text.png" -dither None -colors 128 "PNG8:$out/$shots-long-text.png"

# Back to its size, and then smaller than designed it does not get.
xdotool key alt+F10
sleep 1
[ "$(size_of "$main")" = "$designed" ] || fail "the main window came back as $(size_of "$main")"
xdotool windowsize --sync "$main" 300 200 || true
sleep 1
[ "$(size_of "$main")" = "$designed" ] || fail "the main window went below $designed: $(size_of "$main")"
echo "ok: the main window stays at least $designed"

# The SQL console grows to the screen's size too.
xdotool key ctrl+e
console=$(xdotool search --sync --onlyvisible --name '^执行SQL语句$' | head -n 1)
[ -n "$console" ] || fail "no SQL console"
xdotool windowmove --sync "$console" 0 0 windowsize --sync "$console" 1592 844
sleep 1.5
expect_fills_screen "$console" "the SQL console"
import -window root "$work/console-large.png"
[ -z "${keep_console:-}" ] || cp "$work/console-large.png" "$keep_console"
