#!/usr/bin/env bash
# Opens databases whose texts come from elsewhere, as a new user would, in a real X window under
# Xvfb: one the sqlite3 command-line tool made (UTF-8 text, a Chinese file name) is shown, edited
# and written as UTF-8; its text mode is switched to GBK and back from the 其它操作 menu without
# touching the file; then a copy of the demonstration database (GBK) is opened with 打开数据库 and
# must come out byte-identical. Checks every byte with the sqlite3 tool, cmp and the saved operation
# log. Keeps docs/screenshots/text-*.png.
shots=text
source "$(dirname "$0")/walkthrough-support.sh"

# UTF-8 bytes of a text, as sqlite3's hex() writes them.
utf8_hex() { printf '%s' "$1" | xxd -p | tr -d '\n' | tr a-f A-F; }
# GBK bytes of a text, likewise.
gbk_hex() { printf '%s' "$1" | iconv -f UTF-8 -t GB18030 | xxd -p | tr -d '\n' | tr a-f A-F; }
fail() { echo "FAILED: $1" >&2; exit 1; }
same_as_demo() {
  cmp "$db" build/shots/demo.sdb || fail "the GBK database changed ($1)"
  echo "ok: the GBK database is byte-identical to the demonstration database ($1)"
}
# Waits up to ten seconds for the program to end by itself.
wait_exit() {
  local i
  for i in $(seq 20); do kill -0 "$program" 2>/dev/null || return 0; sleep 0.5; done
  fail "the program did not end after 退出"
}

# A database as the sqlite3 tool writes it from a UTF-8 terminal.
udb=$work/学生名册.sdb
sqlite3 "$udb" <<'SQL'
CREATE TABLE 学生 (学号 INTEGER, 姓名 TEXT, 专业 TEXT);
INSERT INTO 学生 VALUES (1, '张三', '计算机科学'), (2, '李四', '数学'), (3, '赵六', '物理学'),
  (4, '孙七', '化学');
CREATE VIEW 数学系学生 AS SELECT 学号, 姓名 FROM 学生 WHERE 专业 = '数学';
SQL
expect_utf8 "$udb" "SELECT hex(姓名) FROM 学生 WHERE 学号 = 2;" "$(utf8_hex 李四)"
others="SELECT 学号, hex(姓名), hex(专业) FROM 学生 WHERE 学号 <> 2;"
others_before=$(query_utf8 "$udb" "$others")

start_program "$udb"

# The main window sits at (50, 50); the points below are its controls' places.
click 136 175 1.5                      # table 学生
shot 1-utf8                            # tree and grid in Chinese, the log's open line names UTF-8
xdotool mousemove 420 239 click --repeat 2 1; sleep 0.5   # double-click 姓名 of record 2 (李四)
xdotool key ctrl+a; xdotool type --delay 60 "王五"; xdotool key Return; sleep 1
expect_utf8 "$udb" "SELECT 姓名, hex(姓名) FROM 学生 WHERE 学号 = 2;" "王五|$(utf8_hex 王五)"
expect_utf8 "$udb" "$others" "$others_before"
[ "$(utf8_hex 王五)" != "$(gbk_hex 王五)" ] || fail "王五 is the same in GBK and UTF-8"
echo "ok: the bytes written are not GBK's $(gbk_hex 王五)"
click 197 58 0.8                       # menu 其它操作, its last item the text mode
shot 2-menu
click 250 240 1; xdotool key alt+y; sleep 1.5   # 文本编码：UTF-8... → GBK (是)
shot 4-read-as-gbk                     # the same bytes read as GBK: other characters
click 197 58 0.8; click 250 240 1; xdotool key alt+y; sleep 1.5   # back to UTF-8 (是)
expect_utf8 "$udb" "SELECT 学号, hex(姓名), hex(专业) FROM 学生 WHERE 学号 = 2;" \
  "2|$(utf8_hex 王五)|$(utf8_hex 数学)"
expect_utf8 "$udb" "$others" "$others_before"
expect_utf8 "$udb" "SELECT group_concat(type || ':' || name, ' ') FROM sqlite_master;" \
  "table:学生 view:数学系学生"

# The demonstration database, written by a GBK program: opened with 打开数据库 in the same run.
click 169 88 1.5; xdotool type --delay 20 "$db"; xdotool key Return; sleep 2
click 136 192 1.5                      # table 商品
shot 3-gbk                             # unchanged, the log's open line names GBK
same_as_demo "while open"
click 246 88 1                         # toolbar 关闭数据库
same_as_demo "after closing"

click 173 529 1.5                      # 存到文件... of the operation log
xdotool type --delay 20 "$work/log.txt"; xdotool key Return; sleep 1.5; ok
[ -s "$work/log.txt" ] || fail "the operation log was not saved"
iconv -f GB18030 -t UTF-8 "$work/log.txt" | tr -d '\r' >"$work/log-utf8.txt"
for line in "打开数据库：$udb（文本编码：UTF-8）" "已修改 姓名 字段值：王五" \
  "数据库文本编码改为：GBK" "数据库文本编码改为：UTF-8" "打开数据库：$db（文本编码：GBK）"; do
  grep -qxF "$line" "$work/log-utf8.txt" || fail "the log has no line '$line'"
  echo "ok: the log says '$line'"
done

click 78 58 0.5; click 96 172 0       # 数据库 > 退出
wait_exit
echo "ok: the program ended"
same_as_demo "after the program ended"
expect_utf8 "$udb" "SELECT 学号, hex(姓名) FROM 学生 WHERE 学号 = 2;" "2|$(utf8_hex 王五)"
expect_utf8 "$udb" "$others" "$others_before"
echo "UTF-8 text was read and written as UTF-8, and the GBK database was left as it was"
