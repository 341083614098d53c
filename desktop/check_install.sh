#!/bin/sh
# Installs the build into a temporary DESTDIR, validates the desktop entry and the AppStream
# file as a desktop and a software centre would read them, and starts the program through the
# desktop entry's command line with a HOME whose path holds a space.
#   check_install.sh BUILD_DIR APP_ID
set -u
build=$1
id=$2
tmp=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

root=$tmp/root
DESTDIR=$root cmake --install "$build" --prefix /usr/local >"$tmp/install.log" 2>&1 ||
    { cat "$tmp/install.log"; fail "cmake --install"; }
prefix=$root/usr/local
share=$prefix/share

for f in bin/kalumbrixtor bin/kalumbrixtor-start; do
    [ -x "$prefix/$f" ] || fail "$f is not installed as a program"
done
# The program loads its learning-history module from lib/kalumbrixtor beside its bin folder.
[ -s "$prefix/lib/kalumbrixtor/libkalumbrixtor-lernverlauf.so" ] || fail "the history module is missing"
for f in applications/$id.desktop metainfo/$id.metainfo.xml icons/hicolor/scalable/apps/$id.svg \
         icons/hicolor/32x32/apps/$id.png icons/hicolor/64x64/apps/$id.png \
         icons/hicolor/256x256/apps/$id.png; do
    [ -s "$share/$f" ] || fail "$f is missing"
done
for size in 32 64 256; do
    file "$share/icons/hicolor/${size}x${size}/apps/$id.png" | grep -q "$size x $size" ||
        fail "the icon in ${size}x${size} has another size"
done

# Both validators print nothing but their verdict when a file is clean; any remark fails.
out=$(desktop-file-validate "$share/applications/$id.desktop" 2>&1) || fail "desktop-file-validate: $out"
[ -z "$out" ] || fail "desktop-file-validate: $out"
for target in "validate --no-net --pedantic $share/metainfo/$id.metainfo.xml" \
              "validate-tree --no-net --pedantic $prefix"; do
    out=$(appstreamcli $target 2>&1) || fail "appstreamcli $target: $out"
    echo "$out" | grep -q '^✔ Validation was successful.$' && [ "$(echo "$out" | wc -l)" -eq 1 ] ||
        fail "appstreamcli $target: $out"
done

# The menu runs the Exec line: the data folder is created and holds the best lists, and nothing
# lands in the folder the menu happened to start from.
exec_line=$(sed -n 's/^Exec=//p' "$share/applications/$id.desktop")
home="$tmp/home of a teacher"
mkdir -p "$home" "$tmp/elsewhere"
cd "$tmp/elsewhere" || fail "cd"
HOME=$home PATH=$prefix/bin:$PATH sh -c "exec $exec_line" >"$tmp/run.log" 2>&1 &
pid=$!
data=$home/Kalumbrixtor
i=0
while [ ! -e "$data/W16.bli" ] && [ $i -lt 150 ] && kill -0 "$pid" 2>/dev/null; do
    sleep 0.1
    i=$((i + 1))
done
for n in $(seq 1 16); do
    [ -f "$data/W$n.bli" ] || { cat "$tmp/run.log"; fail "W$n.bli was not created in $data"; }
done
[ -z "$(ls -A "$tmp/elsewhere")" ] || fail "files were created outside the data folder"
kill "$pid"
wait "$pid" 2>/dev/null
pid=

# A data folder that cannot be created is reported, and the program is not started elsewhere.
touch "$tmp/not-a-folder"
if HOME=$tmp/not-a-folder PATH=$prefix/bin:$PATH sh -c "$exec_line" >"$tmp/run.log" 2>&1; then
    fail "the launcher went on without its data folder"
fi
grep -q "Kalumbrixtor" "$tmp/run.log" || fail "the launcher gave no message: $(cat "$tmp/run.log")"
echo "install check passed"
