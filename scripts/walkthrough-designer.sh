#!/usr/bin/env bash
# Designs tables as a new user would, in a real X window under Xvfb: creates a table with a field of
# every type in the designer, fills a few rows and adds an index, a trigger and a referencing table
# with foreign-key enforcement on (through the SQL console), then alters the table in the designer
# (a field renamed, one retyped, one deleted, one added) and checks with the sqlite3 command-line
# tool that every value is where it belongs, the index and the trigger that still apply are there and
# the referencing table's rows are intact. Keeps docs/screenshots/designer-*.png.
shots=designer
source "$(dirname "$0")/walkthrough-support.sh"

start_program

# Types into a cell of the designer's grid (x of the column, y of the row) and commits it.
cell() { click "$1" "$2" 0.2; xdotool key ctrl+a; xdotool type --delay 40 "$3"; xdotool key Return; sleep 0.3; }
# The console: runs `$1` as statements.
console() {
  click 703 88 1.2
  click 580 300 0.2; xdotool type --delay 60 "$1"
  click 420 458 0.2; click 629 514 1; ok; click 725 514 0.8
}

# The main window sits at (50, 50), the designer at (255, 147); columns 名称 358, 类型 474, 长度 574;
# field rows from y = 182, 24 pixels apart.
click 318 88 1.2                                  # toolbar 新建表
row=182
for field in "编号|主键（自增字段）|" "名称|文本型|20" "价格|小数型|" "照片|字节集型|" "数量|整数型|"; do
  IFS='|' read -r name type length <<<"$field"
  cell 358 $row "$name"; cell 474 $row "$type"
  [ -n "$length" ] && cell 574 $row "$length"
  click 358 $row 0.2; xdotool key Down; sleep 0.3
  row=$((row + 24))
done
click 358 230 0.5                                 # leaving the blank last row upward removes it
shot new
click 697 489 0.8; xdotool type --delay 50 "库存"; xdotool key Return; sleep 0.8; ok
expect "SELECT sql FROM sqlite_master WHERE name = '库存';" \
  "CREATE TABLE 库存 (编号 INTEGER PRIMARY KEY, 名称 TEXT(20), 价格 NUMERIC, 照片 BLOB, 数量 INTEGER)"

console "PRAGMA foreign_keys = ON; INSERT INTO 库存 VALUES (NULL, '螺丝', 0.5, x'00FF', 100), (NULL, '螺母', 0.3, NULL, 200), (NULL, '垫片', 0.1, NULL, 300); CREATE INDEX 库存_数量 ON 库存(数量); CREATE TABLE 日志(内容); CREATE TRIGGER 库存_新增 AFTER INSERT ON 库存 BEGIN INSERT INTO 日志 VALUES (new.编号); END; CREATE TABLE 出库(库存编号 REFERENCES 库存(编号) ON DELETE CASCADE, 件数); INSERT INTO 出库 VALUES (1, 5), (3, 7)"

expect "SELECT group_concat(名称, ',') FROM 库存;" "螺丝,螺母,垫片"
expect "SELECT group_concat(库存编号 || ':' || 件数, ' ') FROM 出库;" "1:5 3:7"

# The tables in the tree: 出库, 客户, 库存, 日志, 商品, 销售记录.
click 136 209 0.6; click 370 88 1.2              # 库存, toolbar 修改表
cell 358 206 "品名"                                # rename 名称
click 474 230 0.2; click 474 230 0.2; xdotool key ctrl+a; xdotool type --delay 40 "文本型"; xdotool key Return; sleep 0.3
click 358 254 0.3; click 697 223 0.7; xdotool key alt+y; sleep 0.5   # delete 照片
click 358 254 0.3; xdotool key Down; sleep 0.4; xdotool type --delay 40 "备注"; xdotool key Return; sleep 0.4
shot alter
click 697 489 1.5; ok
expect "SELECT sql FROM sqlite_master WHERE name = '库存';" \
  "CREATE TABLE 库存 (编号 INTEGER PRIMARY KEY, 品名 TEXT(20), 价格 TEXT, 数量 INTEGER, 备注)"
expect "SELECT group_concat(编号 || ':' || 品名 || ':' || 价格 || ':' || 数量 || ':' || ifnull(备注, '-'), ' ') FROM 库存;" \
  "1:螺丝:0.5:100:- 2:螺母:0.3:200:- 3:垫片:0.1:300:-"
expect "SELECT group_concat(name, ',') FROM (SELECT name FROM sqlite_master WHERE tbl_name = '库存' AND type != 'table' ORDER BY name);" \
  "库存_数量,库存_新增"
expect "SELECT group_concat(库存编号 || ':' || 件数, ' ') FROM 出库;" "1:5 3:7"
expect "SELECT count(*) FROM sqlite_master WHERE name LIKE '__temp%';" "0"
echo "the designer kept every value where it belongs"
