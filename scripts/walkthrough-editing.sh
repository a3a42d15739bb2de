#!/usr/bin/env bash
# Edits records and objects as a new user would, in a real X window under Xvfb, and checks every
# result in the database file with the sqlite3 command-line tool: a PNG written into a BLOB field,
# previewed and exported back byte for byte; Chinese text and an integer beyond 2^53 written from
# the field panel; a record inserted with the insert dialog and deleted again; a table renamed and
# dropped; a view renamed, redefined and dropped. Keeps docs/screenshots/editing-*.png.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build/shots -G Ninja -DCMAKE_BUILD_TYPE=Release -DTORVANE_TESTS=OFF >/dev/null
cmake --build build/shots --target torvane demo_database sql_template_file -j "$(nproc)" >/dev/null

work=$(mktemp -d)
db=$work/demo.sdb
cp build/shots/demo.sdb "$db"
convert -size 120x80 gradient:red-blue -fill white -draw "circle 60,40 60,20" "$work/picture.png"
out=docs/screenshots
mkdir -p "$out"

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
sleep 1
XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" build/shots/src/shell/torvane "$db" \
  >"$work/torvane.log" 2>&1 &
program=$!
stop() { kill "$program" 2>/dev/null || true; kill "$xvfb" 2>/dev/null || true; }
trap 'stop; rm -rf "$work"' EXIT
sleep 3

shot() { import -window root "$out/editing-$1.png"; echo "$out/editing-$1.png"; }
click() { xdotool mousemove "$1" "$2" click 1; sleep "${3:-0.5}"; }
# Answers a file dialog with a path.
choose() { sleep 1.2; xdotool type --delay 20 "$1"; xdotool key Return; sleep 1; }
ok() { xdotool key Return; sleep 0.5; }
# A query on the file; names and texts in it are Chinese, so it goes in as GBK and comes back.
query() { echo "$1" | iconv -f UTF-8 -t GB18030 | sqlite3 "$db" | iconv -f GB18030 -t UTF-8; }
expect() {
  local got; got=$(query "$1")
  if [ "$got" != "$2" ]; then echo "FAILED: $1 gave '$got', expected '$2'" >&2; exit 1; fi
  echo "ok: $1 -> $2"
}

# The main window sits at (50, 50); the points below are its controls' places.
click 136 192 1                        # table 商品
click 550 279; click 753 231           # field 图片 of record 4, page 字节集型
click 773 304; choose "$work/picture.png"; ok
shot 1-picture                         # the picture written and previewed
click 753 281; choose "$work/exported.png"; ok
cmp "$work/picture.png" "$work/exported.png" && echo "ok: the exported picture is byte-identical"
expect "SELECT length(图片), hex(substr(图片, 1, 4)) FROM 商品 WHERE 编号 = 4;" "$(stat -c %s "$work/picture.png")|89504E47"

click 612 299; click 705 231           # field 备注 of record 5, page 文本型
click 740 330; xdotool type --delay 60 "新鲜面包"; click 786 456; ok
click 490 299; click 753 251           # field 价格 of record 5, page 整数型
click 753 280; xdotool key ctrl+a; xdotool type --delay 40 "9007199254740993"; click 784 329; ok
expect "SELECT 备注, hex(备注), typeof(价格), 价格 FROM 商品 WHERE 编号 = 5;" \
  "新鲜面包|D0C2CFCAC3E6B0FC|integer|9007199254740993"

click 116 58; click 163 192 1          # 表 > 插入记录...
click 330 249; click 575 330; xdotool type --delay 60 "哈密瓜"; click 650 438; ok
click 330 269; click 593 213; click 545 262; xdotool type --delay 40 "8.5"; click 576 311; ok
click 330 289; click 648 213; click 633 262; choose "$work/picture.png"; ok
shot 2-insert                          # the insert dialog with its picture assigned
click 561 499; ok
expect "SELECT 编号, 名称, typeof(价格), 价格, length(图片), quote(备注) FROM 商品 WHERE 编号 > 12;" \
  "13|哈密瓜|real|8.5|$(stat -c %s "$work/picture.png")|NULL"
click 430 459; click 116 58; click 170 214; click 414 362; ok   # delete record 13 (是)
expect "SELECT count(*), max(编号) FROM 商品;" "12|12"

click 136 175 1; click 116 58; click 165 124     # 表 > 修改表名称 on 客户
xdotool key ctrl+a; xdotool type --delay 60 "顾客"; xdotool key Return; sleep 1; ok
click 147 243 1; click 147 58; click 195 124     # 视图 > 修改视图名称 on 销售汇总
xdotool key ctrl+a; xdotool type --delay 60 "销售统计"; xdotool key Return; sleep 1; ok
click 554 88                                     # toolbar 修改视图
xdotool key ctrl+a; xdotool type --delay 50 "SELECT 名称, 价格 FROM 商品 WHERE 价格 > 10"
xdotool key Return; sleep 1; ok
shot 3-view                                      # the view redefined and shown
expect "SELECT name, sql FROM sqlite_master WHERE type = 'view';" \
  "销售统计|CREATE VIEW 销售统计 AS SELECT 名称, 价格 FROM 商品 WHERE 价格 > 10"
expect "SELECT count(*) FROM 顾客;" "10"
click 620 88; xdotool key alt+y; sleep 0.8; ok   # toolbar 删除视图 (是)
click 136 175 1; click 424 88; xdotool key alt+y; sleep 0.8; ok   # toolbar 删除表 on 顾客 (是)
expect "SELECT group_concat(type || ':' || name, ' ') FROM sqlite_master;" "table:商品 table:销售记录"
echo "every edit reached the database file"
