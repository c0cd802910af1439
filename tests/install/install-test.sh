#!/usr/bin/env bash
# Packs the built program with CPack into a .deb, unpacks it into a temporary root and starts the installed
# program the way the desktop entry does, as an ordinary user with a fresh home folder: the learner's bank
# must appear in the home folder, the start must get as far as the day's copy of it, the bank must pass
# the bank check, and it must survive a reinstall of the package untouched.
#
#   install-test.sh <build folder>
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
pid=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    chmod -R u+w "$work" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Root writes to read-only folders: the program then runs as nobody, as a learner would.
as_learner=()
if [ "$(id -u)" = 0 ]; then as_learner=(setpriv --reuid=65534 --regid=65534 --clear-groups); fi

echo "== packing"
(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/pkg" >"$work/cpack.log" 2>&1) ||
    { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/pkg/velquar_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
depends_names=$(tr ',|' '\n\n' <<<"$depends" | sed 's/^ *//; s/[ (].*//')
# Every library the program and the tool link directly comes from a package the .deb depends on.
for program in velquar vqbank; do
    libs=$(ldd "$build/bin/$program")
    for lib in $(readelf -d "$build/bin/$program" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p'); do
        case "$lib" in ld-linux*) continue ;; esac # the loader, part of libc6
        path=$(awk -v l="$lib" '$1 == l && $2 == "=>" { print $3 }' <<<"$libs")
        [ -n "$path" ] || fail "$program: $lib not found"
        pkg=
        for candidate in "$path" "/usr$path" "$(readlink -f "$path")"; do # merged /usr: either spelling
            pkg=$(dpkg -S "$candidate" 2>/dev/null | head -1 | cut -d: -f1) && [ -n "$pkg" ] && break
        done
        [ -n "$pkg" ] || fail "$program: no package holds $path"
        grep -qFx "$pkg" <<<"$depends_names" || fail "$program links $lib of $pkg, which the package does not depend on"
    done
done
grep -qFx fonts-noto-cjk <<<"$depends_names" || fail "the package does not depend on a Chinese font"

install_package() {
    chmod -R u+w "$work/root" 2>/dev/null || true
    dpkg-deb -x "$deb" "$work/root"
    chmod -R a-w "$work/root/usr" # as a package manager leaves it: not the learner's to write
}
echo "== installing into $work/root"
mkdir -p "$work/root"
chmod 755 "$work" "$work/root"
install_package
usr=$work/root/usr
for f in lib/velquar/velquar lib/velquar/vqbank lib/velquar/data/VELQUAR01.mdb lib/velquar/pic/main.menu \
    lib/velquar/pic/mivoup.bmp lib/velquar/htm/help.htm share/applications/net.velquar.Velquar.desktop \
    share/metainfo/net.velquar.Velquar.metainfo.xml share/icons/hicolor/scalable/apps/net.velquar.Velquar.svg \
    share/icons/hicolor/48x48/apps/net.velquar.Velquar.png; do
    [ -f "$usr/$f" ] || fail "not installed: $f"
done
ls "$usr"/lib/velquar/sound/*.mid >/dev/null || fail "no tunes installed"
[ "$(readlink "$usr/bin/velquar")" = ../lib/velquar/velquar ] || fail "bin/velquar is not a link to the program"
[ "$(readlink "$usr/bin/vqbank")" = ../lib/velquar/vqbank ] || fail "bin/vqbank is not a link to the bank tool"
template_sum=$(md5sum <"$usr/lib/velquar/data/VELQUAR01.mdb")

home=$work/home
mkdir -p "$home"
chmod 777 "$home"
bank=$home/.local/share/velquar/VELQUAR01.mdb
# The command of the desktop entry, found on PATH as the desktop finds it.
exec_line=$(sed -n 's/^Exec=//p' "$usr/share/applications/net.velquar.Velquar.desktop" | sed 's/ *%[fFuU]//g')
start_program() {
    env -i HOME="$home" PATH="$usr/bin:/usr/bin:/bin" QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 \
        ASAN_OPTIONS="${ASAN_OPTIONS:-}" "${as_learner[@]}" $exec_line >"$work/run.log" 2>&1 &
    pid=$!
    for _ in $(seq 1 300); do
        [ -f "$bank" ] && break
        kill -0 "$pid" 2>/dev/null || { cat "$work/run.log"; fail "the program ended at the start"; }
        sleep 0.1
    done
    [ -f "$bank" ] || fail "no learner's bank in the home folder after 30 s"
    # The day's copy of the bank is made once the bank opened and the start's checks passed, right before
    # the main window.
    for _ in $(seq 1 300); do
        compgen -G "$(dirname "$bank")/backup/VELQUAR01-daily-*.mdb" >/dev/null && break
        kill -0 "$pid" 2>/dev/null || { cat "$work/run.log"; fail "the program ended at the start"; }
        sleep 0.1
    done
    compgen -G "$(dirname "$bank")/backup/VELQUAR01-daily-*.mdb" >/dev/null ||
        fail "the program did not get past the start (no day's copy of the bank)"
    sleep 2
    kill -0 "$pid" 2>/dev/null || { cat "$work/run.log"; fail "the program ended after making the bank"; }
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    pid=
}

echo "== first start"
start_program
inode=$(stat -c %i "$bank")
learner_uid=$(id -u)
[ "${#as_learner[@]}" -eq 0 ] || learner_uid=65534
[ "$(stat -c %u "$bank")" = "$learner_uid" ] || fail "the bank does not belong to the learner"
[ -w "$bank" ] || [ "${#as_learner[@]}" -gt 0 ] || fail "the learner cannot write the bank"
ls -A "$home/.local/share/velquar" | grep -qvx 'VELQUAR01.mdb\(-journal\)\?\|backup' && fail "stray files beside the bank"
"$usr/bin/vqbank" check "$bank" >"$work/check.log" 2>&1 || { cat "$work/check.log"; fail "the learner's bank fails the check"; }
[ "$(md5sum <"$usr/lib/velquar/data/VELQUAR01.mdb")" = "$template_sum" ] || fail "the installed template changed"
[ ! -e "$usr/lib/velquar/data/VELQUAR01.mdb-journal" ] || fail "a journal beside the installed template"

echo "== reinstall and start again"
install_package
rm -rf "$(dirname "$bank")/backup" # so that the second start has to make the day's copy again
start_program
[ "$(stat -c %i "$bank")" = "$inode" ] || fail "the learner's bank was replaced"
echo "PASS: installed, started from the desktop entry's command, bank kept in $bank"
