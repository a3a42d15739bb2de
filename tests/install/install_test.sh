#!/usr/bin/env bash
# Installs a build into a scratch prefix whose name holds a space and checks what an install is:
# every file at its place and nothing else, the desktop entry, the MIME package, the AppStream
# description and the manual page as the desktop's own tools see them, the Debian package's
# description in the build, and the installed program at work: its backups under the user's data
# folder, nothing written into the install, no per-user desktop entry in front of the installed
# one. A copy of the program outside an install then shows that the installed MIME package and
# icon are the ones the program itself registers.
#
#   install_test.sh BUILD_DIR SOURCE_DIR
set -uo pipefail

build=$1
source=$2
export LC_ALL=C.UTF-8
export QT_QPA_PLATFORM=offscreen

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix="$tmp/pre fix"
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
check() {  # check DESCRIPTION COMMAND...: fails with DESCRIPTION when COMMAND fails
  local what=$1
  shift
  "$@" || fail "$what"
}

# ---- The install ---------------------------------------------------------------------------------
if ! cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1; then
  cat "$tmp/install.log" >&2
  echo "FAIL: cmake --install into \"$prefix\"" >&2
  exit 1
fi

sizes=(16 24 32 48 64 128 256)
appstream_id=io.github.torvane.Torvane
expected=(
  bin/torvane
  share/torvane/SQL模板.txt
  share/torvane/ZuveviRE.ico
  share/applications/torvane.desktop
  share/mime/packages/torvane-database.xml
  share/metainfo/$appstream_id.metainfo.xml
  share/man/man1/torvane.1
  share/doc/torvane/README.md
)
for n in "${sizes[@]}"; do expected+=("share/icons/hicolor/${n}x${n}/apps/torvane.png"); done
# The README's pictures go with it, at the places its relative links name.
mapfile -t pictures < <(grep -oE 'docs/screenshots/[A-Za-z0-9_.-]+\.(png|jpg|gif|svg)' \
                          "$source/README.md" | sort -u)
[ ${#pictures[@]} -gt 0 ] || fail "the README shows no pictures to install"
for p in "${pictures[@]}"; do expected+=("share/doc/torvane/$p"); done

(cd "$prefix" && find . -type f -printf '%P\n' | sort) >"$tmp/installed.txt"
printf '%s\n' "${expected[@]}" | sort -u >"$tmp/expected.txt"
if ! diff -u "$tmp/expected.txt" "$tmp/installed.txt" >"$tmp/layout.diff"; then
  cat "$tmp/layout.diff" >&2
  fail "the installed files differ from the expected layout (- missing, + unexpected)"
fi
[ -z "$(cd "$prefix" && find . -type l)" ] || fail "the install holds symbolic links"

check "bin/torvane is not executable" test -x "$prefix/bin/torvane"
check "the installed template file differs from the build's" \
  cmp -s "$prefix/share/torvane/SQL模板.txt" "$build/src/program/SQL模板.txt"
check "the installed README differs from the source's" \
  cmp -s "$prefix/share/doc/torvane/README.md" "$source/README.md"
for p in "${pictures[@]}"; do
  check "README picture $p differs from the source's" \
    cmp -s "$prefix/share/doc/torvane/$p" "$source/$p"
done

# The icon file: 1078 bytes, a Windows icon of two images (32x32 and 16x16).
ico="$prefix/share/torvane/ZuveviRE.ico"
check "ZuveviRE.ico is not 1078 bytes" test "$(stat -c %s "$ico")" -eq 1078
ico_head=$(od -An -tx1 -N24 "$ico" | tr -d ' \n')
check "ZuveviRE.ico does not start as an icon of two images, 32x32 then 16x16" \
  test "${ico_head:0:16}-${ico_head:44:4}" = "0000010002002020-1010"

# The PNG icons: a picture of its folder's size, with alpha, not blank.
for n in "${sizes[@]}"; do
  png="$prefix/share/icons/hicolor/${n}x${n}/apps/torvane.png"
  check "${n}x${n} icon: not an RGBA PNG of ${n}x${n} pixels" python3 - "$png" "$n" <<'EOF'
import struct, sys, zlib
data = open(sys.argv[1], "rb").read()
size = int(sys.argv[2])
assert data[:8] == b"\x89PNG\r\n\x1a\n"
width, height, depth, colour = struct.unpack(">IIBB", data[16:26])
assert (width, height) == (size, size), (width, height)
assert colour == 6 and depth == 8, (colour, depth)
# Decode the rows (filters undone) and require both transparent and opaque pixels.
idat, at = b"", 8
while at < len(data):
    length, kind = struct.unpack(">I4s", data[at:at + 8])
    if kind == b"IDAT":
        idat += data[at + 8:at + 8 + length]
    at += 12 + length
raw, stride, rows, prev = zlib.decompress(idat), size * 4, [], bytearray(size * 4)
for y in range(size):
    f, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
    for i in range(stride):
        a = line[i - 4] if i >= 4 else 0
        b = prev[i]
        c = prev[i - 4] if i >= 4 else 0
        if f == 1: line[i] = (line[i] + a) & 255
        elif f == 2: line[i] = (line[i] + b) & 255
        elif f == 3: line[i] = (line[i] + (a + b) // 2) & 255
        elif f == 4:
            p = a + b - c
            pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
            line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
    rows.append(line)
    prev = line
alpha = [row[i] for row in rows for i in range(3, stride, 4)]
assert 0 in alpha and 255 in alpha
EOF
done

# ---- Desktop entry and MIME package --------------------------------------------------------------
desktop="$prefix/share/applications/torvane.desktop"
if ! desktop-file-validate "$desktop" >"$tmp/desktop.log" 2>&1 || [ -s "$tmp/desktop.log" ]; then
  cat "$tmp/desktop.log" >&2
  fail "desktop-file-validate does not accept torvane.desktop"
fi
for line in "Exec=torvane %f" "Icon=torvane" "MimeType=application/x-torvane-database;" \
            "Categories=Development;Database;" "Type=Application"; do
  check "torvane.desktop lacks the line \"$line\"" grep -qxF "$line" "$desktop"
done
check "torvane.desktop has no Chinese name" grep -q '^Name\[zh_CN\]=' "$desktop"
check "torvane.desktop has no Chinese comment" grep -q '^Comment\[zh_CN\]=' "$desktop"

# The desktop's databases, built from a copy of the install, open "*.sdb" files with Torvane.
cp -r "$prefix/share/mime" "$prefix/share/applications" "$tmp/"
update-mime-database "$tmp/mime" >"$tmp/mime.log" 2>&1 ||
  fail "update-mime-database fails on the installed MIME package: $(cat "$tmp/mime.log")"
check "the MIME database does not give *.sdb the type application/x-torvane-database" \
  grep -qE '^[0-9]+:application/x-torvane-database:\*\.sdb$' "$tmp/mime/globs2"
update-desktop-database "$tmp/applications" >"$tmp/applications.log" 2>&1 ||
  fail "update-desktop-database fails on the installed entry: $(cat "$tmp/applications.log")"
check "the desktop database does not open application/x-torvane-database with torvane.desktop" \
  grep -qxF 'application/x-torvane-database=torvane.desktop;' "$tmp/applications/mimeinfo.cache"

# ---- AppStream -----------------------------------------------------------------------------------
metainfo="$prefix/share/metainfo/$appstream_id.metainfo.xml"
if ! appstreamcli validate --no-net "$metainfo" >"$tmp/appstream.log" 2>&1 ||
   grep -qE '^(E|W): ' "$tmp/appstream.log"; then
  cat "$tmp/appstream.log" >&2
  fail "appstreamcli does not validate the metainfo file cleanly"
fi
for text in "<id>$appstream_id</id>" '<launchable type="desktop-id">torvane.desktop</launchable>' \
            '<mediatype>application/x-torvane-database</mediatype>' '<content_rating' \
            '<metadata_license>' '<project_license>' '<screenshot type="default">'; do
  check "the metainfo file lacks $text" grep -qF "$text" "$metainfo"
done
# Its screenshots are pictures the README shows.
while read -r shot; do
  printf '%s\n' "${pictures[@]}" | grep -qxF "docs/screenshots/$shot" ||
    fail "metainfo screenshot $shot is not a picture of the README"
done < <(grep -oE '<image>[^<]*</image>' "$metainfo" | sed -E 's#.*/([^/<]+)</image>#\1#')

# ---- Manual page ---------------------------------------------------------------------------------
manpage="$prefix/share/man/man1/torvane.1"
groff -k -man -Tutf8 -ww -z "$manpage" >"$tmp/groff.log" 2>&1
if [ $? -ne 0 ] || [ -s "$tmp/groff.log" ]; then
  cat "$tmp/groff.log" >&2
  fail "groff warns about the manual page"
fi
MANWIDTH=80 man --warnings -E UTF-8 -l "$manpage" >"$tmp/man.txt" 2>"$tmp/man.log"
if [ $? -ne 0 ] || [ -s "$tmp/man.log" ]; then
  cat "$tmp/man.log" >&2
  fail "man warns about the manual page"
fi
for text in NAME SYNOPSIS OPTIONS FILES ENVIRONMENT "torvane [--table NAME] [FILE]" "--help" \
            "--version" "-t, --table NAME" "Ctrl+N" "Ctrl+O" "Ctrl+W" "F5" "Ctrl+E" \
            "XDG_DATA_HOME/torvane/数据库备份" "SQL模板.txt" "XDG_CONFIG_HOME"; do
  check "the rendered manual page lacks \"$text\"" grep -qF -- "$text" "$tmp/man.txt"
done

# ---- The Debian package's description ------------------------------------------------------------
cpack_config="$build/CPackConfig.cmake"
if [ -f "$cpack_config" ]; then
  for text in 'set(CPACK_GENERATOR "DEB")' 'set(CPACK_DEBIAN_FILE_NAME "DEB-DEFAULT")' \
              'set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS "ON")' 'set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")' \
              'set(CPACK_DEBIAN_PACKAGE_MAINTAINER ' 'set(CPACK_DEBIAN_PACKAGE_SECTION ' \
              'fonts-wqy-microhei'; do
    check "CPackConfig.cmake lacks $text" grep -qF "$text" "$cpack_config"
  done
else
  fail "the build has no CPackConfig.cmake"
fi

# ---- The installed program at work ---------------------------------------------------------------
source "$(dirname "$0")/run_until.sh"

mkdir -p "$tmp/home" "$tmp/work"
db="$tmp/work/商品 db.sdb"
sqlite3 "$db" "CREATE TABLE 商品 (id INTEGER PRIMARY KEY, 名称 TEXT, 价格 REAL);
               INSERT INTO 商品 (名称, 价格) VALUES ('苹果', 3.5), ('梨', 2.25);
               CREATE VIEW 贵的 AS SELECT * FROM 商品 WHERE 价格 > 3;"
cp "$db" "$tmp/work/original.sdb"

data="$tmp/data"
config="$tmp/config"
backups="$data/torvane/数据库备份"
(cd "$prefix" && find . -printf '%P %y %s %m %T@\n' | sort) >"$tmp/prefix-before.txt"
run_until "$backups" "$prefix/bin/torvane" "$db"
(cd "$prefix" && find . -printf '%P %y %s %m %T@\n' | sort) >"$tmp/prefix-after.txt"

if ! diff -u "$tmp/prefix-before.txt" "$tmp/prefix-after.txt" >"$tmp/prefix.diff"; then
  cat "$tmp/prefix.diff" >&2
  fail "the installed program wrote into its install"
fi
mapfile -t copies < <(find "$backups" -type f 2>/dev/null)
if [ ${#copies[@]} -ne 1 ]; then
  fail "expected one backup under \$XDG_DATA_HOME/torvane/数据库备份, found ${#copies[@]}"
else
  case "$(basename "${copies[0]}")" in
    "商品 db.sdb"*) ;;
    *) fail "the backup's name does not begin with the database's: ${copies[0]}" ;;
  esac
  check "the backup differs from the database" cmp -s "${copies[0]}" "$tmp/work/original.sdb"
fi
check "the database changed by being opened" cmp -s "$db" "$tmp/work/original.sdb"
[ ! -e "$data/applications/torvane.desktop" ] ||
  fail "the installed program wrote a per-user desktop entry in front of the installed one"
[ ! -e "$data/torvane/ZuveviRE.ico" ] ||
  fail "the installed program wrote an icon of its own although the install holds one"
check "the registration names no installed icon" \
  grep -qF "$prefix/share/torvane/ZuveviRE.ico" "$config/torvane/registry.txt"
check "the registration names no installed program" \
  grep -qF "$prefix/bin/torvane %1" "$config/torvane/registry.txt"

# ---- A copy outside an install -------------------------------------------------------------------
# Run from a folder that is no install, the program registers itself for the user: the installed
# MIME package must be the very one it writes, the installed icon file the one it writes beside
# itself, and the installed desktop entry must claim the same type.
portable="$tmp/port able"
mkdir -p "$portable"
cp "$prefix/bin/torvane" "$portable/"
data="$tmp/portable-data"
config="$tmp/portable-config"
run_until "$data/applications/torvane.desktop" "$portable/torvane"
check "the installed MIME package differs from the one the program registers" \
  cmp -s "$prefix/share/mime/packages/torvane-database.xml" "$data/mime/packages/torvane-database.xml"
check "the installed icon file differs from the one the program writes beside itself" \
  cmp -s "$ico" "$portable/ZuveviRE.ico"
check "the installed desktop entry claims another MIME type than the program registers" \
  test "$(grep '^MimeType=' "$desktop")" = \
       "$(grep '^MimeType=' "$data/applications/torvane.desktop" 2>/dev/null)"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "install layout: all checks passed"
