#!/usr/bin/env bash
# The Debian package, installed into a scratch root: the window's first start
# from the read-only tree with a fresh home creates the user's drawing file
# from the installed history, the command line finds it without --db, and
# nothing is written into the installed tree.
#
# usage: test_installed.sh CPACK BUILD_DIR
set -euo pipefail
cpack=$1
build=$2

fail() { echo "FAIL: $*" >&2; exit 1; }

# /tmp: an unprivileged user must be able to reach the tree (see below).
scratch=$(mktemp -d /tmp/rz-package-XXXXXX)
cleanup() { chmod -R u+w "$scratch" 2>/dev/null || true; rm -rf "$scratch"; }
trap cleanup EXIT
chmod 755 "$scratch"

# ---- the package, built from the current build
"$cpack" --config "$build/CPackConfig.cmake" -B "$scratch/pkg" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log" >&2; fail "cpack"; }
debs=("$scratch"/pkg/ruvuzevodare_*_amd64.deb)
[ -f "${debs[0]}" ] || fail "no ruvuzevodare_VERSION_amd64.deb in $(ls "$scratch/pkg")"
deb=${debs[0]}
echo "package: $(basename "$deb") (built in ${SECONDS} s)"

# Dependencies come from the binaries (dpkg-shlibdeps).
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for lib in libc6 libstdc++6 libqt6widgets6 libqt6core6; do
  grep -q "\b$lib\b" <<<"$depends" || fail "Depends lacks $lib"
done

contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/bin/RuvuZevodare ./usr/bin/ruvuzevodare-cli ./usr/bin/ruvuzevodare-server \
         ./usr/share/ruvuzevodare/history/megamillions.csv ./usr/share/ruvuzevodare/land/Mega_en.txt \
         ./usr/share/ruvuzevodare/yippee.wav \
         ./usr/share/applications/example.quendral.RuvuZevodare.desktop \
         ./usr/share/icons/hicolor/scalable/apps/example.quendral.RuvuZevodare.svg \
         ./usr/share/icons/hicolor/256x256/apps/example.quendral.RuvuZevodare.png \
         ./usr/share/metainfo/example.quendral.RuvuZevodare.metainfo.xml \
         ./usr/share/man/man1/ruvuzevodare-cli.1 ./usr/share/man/man1/ruvuzevodare-server.1 \
         ./usr/share/man/man1/RuvuZevodare.1 ./usr/lib/systemd/system/ruvuzevodare-server.service; do
  grep -qxF "$f" <<<"$contents" || fail "the package lacks $f"
done
# The user's drawing file never ships.
! grep -q "Ruvuzevodare.dat" <<<"$contents" || fail "the package carries a drawing file"

# ---- install into a scratch root, read-only
root=$scratch/root
dpkg -x "$deb" "$root"
chmod -R a-w "$root"
snapshot() { (cd "$root" && find . -printf '%p %y %s %T@ %m\n' | LC_ALL=C sort); }
before=$(snapshot)

# ---- the data server's unit runs the program the package holds
unit=$root/usr/lib/systemd/system/ruvuzevodare-server.service
exec_start=$(sed -n 's/^ExecStart=//p' "$unit")
program=${exec_start%% *}
[ "$program" = /usr/bin/ruvuzevodare-server ] || fail "the unit's ExecStart runs \"$program\""
[ -f "$root$program" ] && [ -x "$root$program" ] || fail "the unit runs $program, which the package does not hold"
if command -v systemd-analyze >/dev/null; then
  # Verified as installed, against the unpacked tree: the program it runs is the tree's
  # (systemd-analyze --root would need a whole system in the tree) and the manual page
  # it names is looked up in the tree when man is there.
  mkdir "$scratch/unit"
  sed "s|^ExecStart=$program |ExecStart=$root$program |" "$unit" >"$scratch/unit/ruvuzevodare-server.service"
  man_check=--man=no
  command -v man >/dev/null && man_check=--man=yes
  if verify=$(MANPATH="$root/usr/share/man" systemd-analyze verify "$man_check" \
              "$scratch/unit/ruvuzevodare-server.service" 2>&1); then
    [ -z "$verify" ] || { echo "$verify" >&2; fail "systemd-analyze verify warned about the unit"; }
    echo "unit: $program, verified ($man_check)"
  elif grep -q "Failed to initialize manager\|Failed to setup" <<<"$verify"; then
    echo "unit: $program (systemd-analyze cannot run here: $verify)"
  else
    echo "$verify" >&2
    fail "systemd-analyze verify refused the unit"
  fi
fi

# ---- the manual pages: the command line's lists every command it has
page=$root/usr/share/man/man1/ruvuzevodare-cli.1
commands=$("$root/usr/bin/ruvuzevodare-cli" --help | sed -n 's/^  \([a-z][a-z-]*\).*/\1/p')
[ -n "$commands" ] || fail "ruvuzevodare-cli --help lists no command"
for c in $commands; do
  grep -q "^\.B $(sed 's/-/\\\\-/g' <<<"$c")\( \|$\)" "$page" || fail "ruvuzevodare-cli(1) lacks the command $c"
done
grep -q "^\.TH RUVUZEVODARE 1 " "$root/usr/share/man/man1/RuvuZevodare.1" || fail "RuvuZevodare(1) has no title line"
echo "manual pages: $(wc -w <<<"$commands") commands"

home=$scratch/home
mkdir -p "$home"
# Root may write anywhere, whatever the permission bits say: the installed
# programs run as an unprivileged user then, as a user of the machine would.
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
  chown -R 65534:65534 "$home"
fi
run() {
  env -i PATH=/usr/bin:/bin HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_CACHE_HOME="$home/.cache" \
      XDG_RUNTIME_DIR="$home/run" QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 "${as_user[@]}" "$@"
}
"${as_user[@]}" mkdir -m 700 "$home/run"

# ---- the command line before the window's first start makes the drawing file as the window does
cli_home=$scratch/cli-home
mkdir -p "$cli_home/run"
chmod 700 "$cli_home/run"
[ "$(id -u)" -ne 0 ] || chown -R 65534:65534 "$cli_home"
cli_file="$cli_home/.local/share/Quendral/RuvuZevodare/Ruvuzevodare.dat"
first=$(env -i PATH=/usr/bin:/bin HOME="$cli_home" XDG_RUNTIME_DIR="$cli_home/run" LANG=C.UTF-8 "${as_user[@]}" \
        "$root/usr/bin/ruvuzevodare-cli" lookup --date 2019-10-22 2>"$scratch/cli-first.err") ||
  { cat "$scratch/cli-first.err" >&2; fail "the command line before the first start"; }
[ -f "$cli_file" ] || fail "the command line made no drawing file"
grep -q "22\.10\.19" <<<"$first" || fail "the first lookup found not the drawing of 22.10.2019: $first"
grep -q "Ziehungen aus den mitgelieferten Daten geladen" "$scratch/cli-first.err" ||
  { cat "$scratch/cli-first.err" >&2; fail "the command line did not say that it made the drawing file"; }
echo "command line first: $cli_file ($(( $(stat -c %s "$cli_file") / 32 )) drawings)"

# ---- the first start of the window
expected="$home/.local/share/Quendral/RuvuZevodare/Ruvuzevodare.dat"
[ ! -e "$expected" ] || fail "the drawing file exists before the first start"
out=$(run timeout 60 "$root/usr/bin/RuvuZevodare" --quit-after-start 2>"$scratch/window.err") ||
  { cat "$scratch/window.err" >&2; fail "the installed window did not start"; }
[ "$out" = "$expected" ] || fail "the window uses \"$out\", expected \"$expected\""
[ -f "$expected" ] || fail "the first start created no drawing file"
size=$(stat -c %s "$expected")
# The installed history holds more than a thousand drawings of 32 bytes.
[ "$size" -gt 32000 ] && [ $((size % 32)) -eq 0 ] || fail "drawing file of $size bytes"
echo "first start: $expected ($((size / 32)) drawings)"

# ---- the command line finds it without --db
where=$(run "$root/usr/bin/ruvuzevodare-cli" where) || fail "ruvuzevodare-cli where"
grep -qxF "layout: installed" <<<"$where" || fail "not installed: $where"
grep -qxF "drawing file: $expected" <<<"$where" || fail "another drawing file: $where"
grep -qxF "data folder: $root/usr/share/ruvuzevodare/" <<<"$where" || fail "another data folder: $where"
# --lang 2 reads the installed English language files (stderr says when they are missing).
without=$(run "$root/usr/bin/ruvuzevodare-cli" lookup --date 2019-10-22 --lang 2 2>"$scratch/cli.err") ||
  { cat "$scratch/cli.err" >&2; fail "lookup without --db"; }
[ ! -s "$scratch/cli.err" ] || { cat "$scratch/cli.err" >&2; fail "lookup without --db complained"; }
with=$(run "$root/usr/bin/ruvuzevodare-cli" lookup --db "$expected" --date 2019-10-22 --lang 2) || fail "lookup --db"
[ -n "$without" ] && [ "$without" = "$with" ] || fail "lookup without --db: \"$without\", with: \"$with\""
grep -q "22\.10\.19" <<<"$without" || fail "lookup found not the drawing of 22.10.2019: $without"

# A second start keeps the user's file.
cp "$expected" "$scratch/first.dat"
run timeout 60 "$root/usr/bin/RuvuZevodare" --quit-after-start >/dev/null 2>&1 || fail "second start"
cmp -s "$expected" "$scratch/first.dat" || fail "the second start changed the drawing file"

# ---- nothing was written into the installed tree
after=$(snapshot)
if [ "$before" != "$after" ]; then
  diff <(echo "$before") <(echo "$after") >&2 || true
  fail "the installed tree changed"
fi
echo "ok"
