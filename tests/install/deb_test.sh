#!/usr/bin/env bash
# Makes the Debian package from a build with CPack, lists it, checks the dependencies it worked out
# from the linked libraries, extracts it and starts the extracted program against a real database:
# it must find its shipped files beside it and make its backup under the user's data folder.
#
#   deb_test.sh BUILD_DIR
set -uo pipefail

build=$1
export LC_ALL=C.UTF-8
export QT_QPA_PLATFORM=offscreen
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
source "$(dirname "$0")/run_until.sh"

if ! (cd "$tmp" && cpack -G DEB -B "$tmp/out" --config "$build/CPackConfig.cmake") \
    >"$tmp/cpack.log" 2>&1; then
  cat "$tmp/cpack.log" >&2
  echo "FAIL: cpack -G DEB" >&2
  exit 1
fi
mapfile -t debs < <(find "$tmp/out" -maxdepth 1 -name 'torvane_*_*.deb')
if [ ${#debs[@]} -ne 1 ]; then
  echo "FAIL: expected one torvane_<version>_<arch>.deb, found ${#debs[@]}" >&2
  exit 1
fi
deb=${debs[0]}
echo "package: $(basename "$deb")"

dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./||' | sort >"$tmp/contents.txt"
for path in usr/bin/torvane usr/share/torvane/SQL模板.txt usr/share/torvane/ZuveviRE.ico \
            usr/share/applications/torvane.desktop usr/share/mime/packages/torvane-database.xml \
            usr/share/icons/hicolor/256x256/apps/torvane.png usr/share/man/man1/torvane.1 \
            usr/share/doc/torvane/README.md; do
  grep -qxF "$path" "$tmp/contents.txt" || fail "the package lacks $path"
done
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for library in libqt6widgets6 libsqlite3-0 libc6; do
  case "$depends" in
    *"$library"*) ;;
    *) fail "the package's dependencies name no $library" ;;
  esac
done

# The extracted tree is an install under usr/: the program runs from usr/bin with usr/share beside.
root="$tmp/root"
dpkg-deb -x "$deb" "$root"
db="$tmp/我的 数据库.sdb"
sqlite3 "$db" "CREATE TABLE t (a); INSERT INTO t VALUES ('x');"
data="$tmp/data"
config="$tmp/config"
backups="$data/torvane/数据库备份"
(cd "$root" && find . -printf '%P %s %T@\n' | sort) >"$tmp/before.txt"
run_until "$backups" "$root/usr/bin/torvane" "$db"
mapfile -t copies < <(find "$backups" -type f 2>/dev/null)
if [ ${#copies[@]} -ne 1 ]; then
  fail "expected one backup under \$XDG_DATA_HOME/torvane/数据库备份, found ${#copies[@]}"
else
  cmp -s "${copies[0]}" "$db" || fail "the backup differs from the database"
fi
(cd "$root" && find . -printf '%P %s %T@\n' | sort) >"$tmp/after.txt"
diff -q "$tmp/before.txt" "$tmp/after.txt" >/dev/null || fail "the program wrote into its install"
grep -qF "$root/usr/share/torvane/ZuveviRE.ico" "$config/torvane/registry.txt" ||
  fail "the registration names no installed icon"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "ok: the package lists, names its libraries, and its extracted program runs"
