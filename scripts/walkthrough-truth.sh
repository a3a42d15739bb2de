#!/usr/bin/env bash
# Tries, as a new user would in a real X window under Xvfb, the situations in which the program
# must tell the truth about the file: a disk that fills up before COMMIT (on a small file system of
# its own, so it needs root for `mount`), another program's lock held for a moment and held for
# long, and an edit the engine refuses. Every outcome is checked in the file with the sqlite3
# command-line tool. Keeps docs/screenshots/truth-*.png.
shots=truth
source "$(dirname "$0")/walkthrough-support.sh"

small=$work/small
mkdir -p "$small"
if ! mount -t tmpfs -o size=160k tmpfs "$small" 2>/dev/null; then
  echo "a small file system cannot be mounted here (not root?): nothing tried" >&2
  exit 1
fi
trap 'kill "${program:-0}" 2>/dev/null || true; kill "${xvfb:-0}" 2>/dev/null || true;
      sleep 0.5; umount "$small" 2>/dev/null || true; rm -rf "$work"' EXIT
cp "$db" "$small/demo.sdb"
db=$small/demo.sdb

start_program "$db"
# Re-arms the exit trap start_program replaced, so the small file system is taken down too.
trap 'kill "$program" 2>/dev/null || true; kill "$xvfb" 2>/dev/null || true;
      sleep 0.5; umount "$small" 2>/dev/null || true; rm -rf "$work"' EXIT

# Types `text` into the grid cell at (x, y) as a user does: a double click, the text, Return. (Plain
# letters: the X test keyboard loses the first of a run of Chinese characters now and then.)
edit_cell() {
  xdotool mousemove "$1" "$2" click --repeat 2 --delay 80 1; sleep 0.5
  xdotool key ctrl+a; xdotool type --delay 40 "$3"; xdotool key Return; sleep "${4:-0.8}"
}
other_menu() { click 198 58; click 222 "$1" 1; }   # 其它操作 > 开始事务 104, 提交事务 126

click 136 192 1                                     # table 商品

# 1. A write lock another program holds for a second (reading goes on meanwhile): the edit waits for it and is written.
(echo "BEGIN IMMEDIATE;"; sleep 1; echo "COMMIT;") | sqlite3 "$db" &
locker=$!
sleep 0.3
edit_cell 430 219 "red apple" 2
expect "SELECT 名称 FROM 商品 WHERE 编号 = 1;" "red apple"
wait "$locker"

# 2. A lock held for longer than the wait: the edit fails with the engine's reason after five
#    seconds, and the cell shows the stored value again.
(echo "BEGIN IMMEDIATE;"; sleep 9; echo "COMMIT;") | sqlite3 "$db" &
locker=$!
sleep 0.3
edit_cell 430 239 "banana" 6
shot 1-locked                                       # "database is locked"
ok
expect "SELECT 名称 FROM 商品 WHERE 编号 = 2;" "香蕉"
wait "$locker"

# 3. A transaction whose COMMIT meets a full disk.
other_menu 104; ok                                  # 开始事务
edit_cell 430 259 "$(printf 'watermelon%.0s' {1..300})" 3
dd if=/dev/zero of="$small/filler" bs=1k 2>/dev/null || true   # the disk is now full
other_menu 126                                      # 提交事务
shot 2-full-disk-commit                             # what became of the transaction
ok
rm -f "$small/filler"
expect "SELECT 名称 FROM 商品 WHERE 编号 = 3;" "西瓜"
expect "PRAGMA integrity_check;" "ok"
shot 3-after                                        # the grid and the log afterwards
echo "every situation ended with the file as the program said"
