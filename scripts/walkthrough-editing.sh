#!/usr/bin/env bash
# Edits records and objects as a new user would, in a real X window under Xvfb, and checks every
# result in the database file with the sqlite3 command-line tool: a PNG written into a BLOB field,
# previewed and exported back byte for byte; Chinese text and an integer beyond 2^53 written from
# the field panel; a record inserted with the insert dialog and deleted again; a table renamed and
# dropped; a view renamed, redefined and dropped. Keeps docs/screenshots/editing-*.png.
shots=editing
source "$(dirname "$0")/walkthrough-support.sh"

convert -size 120x80 gradient:red-blue -fill white -draw "circle 60,40 60,20" "$work/picture.png"

start_program

# Answers a file dialog with a path.
choose() { sleep 1.2; xdotool type --delay 20 "$1"; xdotool key Return; sleep 1; }

# The main window sits at (50, 50); the points below are its controls' places.
click 136 192 1                        # table 商品
click 550 279; click 753 231           # field 图片 of record 4, page 字节集型
click 773 304; choose "$work/picture.png"; ok
shot 1-picture                         # the picture written and previewed
click 753 281; choose "$work/exported.png"; ok
cmp "$work/picture.png" "$work/exported.png" && echo "ok: the exported picture is byte-identical"
expect "SELECT length(图片), hex(substr(图片, 1, 4)) FROM 商品 WHERE 编号 = 4;" "$(stat -c %s "$work/picture.png")|89504E47"

# Chooses item $2 (from 0) of the field panel's combo box at ($1, y): from its first item down.
pick() { click "$1" "$3"; xdotool key Home; for ((i = 0; i < $2; i++)); do xdotool key Down; done
  xdotool key Return; sleep 0.5; }
# The grid keeps the written cell in view, scrolled to the wide picture column: the panel's own
# lists choose the record and the field from here on.
pick 785 4 159; pick 753 4 203; click 705 231   # field 备注 of record 5, page 文本型
click 740 330; xdotool type --delay 60 "新鲜面包"; click 786 456; ok
pick 753 2 203; click 753 251          # field 价格 of record 5, page 整数型
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
