#!/bin/sh
# The installation: a fresh configure needs no GoogleTest with the tests off; the
# existing build tree installs into a temporary prefix; the installed programs run
# from there (the tool's window opens under Xvfb).
#   check_install.sh SOURCE_DIR BUILD_DIR
# Exit 77 (skipped) where xvfb-run, xwininfo or xprop is missing.
set -eu
src=$1
build=$2
command -v xvfb-run >/dev/null 2>&1 || { echo "xvfb-run not found: skipped"; exit 77; }
command -v xwininfo >/dev/null 2>&1 || { echo "xwininfo not found: skipped"; exit 77; }
command -v xprop >/dev/null 2>&1 || { echo "xprop not found: skipped"; exit 77; }

tmp=$(mktemp -d /tmp/dtu-install-XXXXXX)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# 1. Configuring as the README's install road does (no tests, no benchmarks) asks for
# no GoogleTest (a target naming it would fail the generation).
cmake -S "$src" -B "$tmp/configure" -G Ninja -DBUILD_TESTING=OFF -DBUILD_BENCH=OFF -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON \
  >"$tmp/configure.log" 2>&1 || { cat "$tmp/configure.log"; fail "configure with BUILD_TESTING=OFF"; }

# 2. Installing from the existing build tree, stripped as the README says.
prefix="$tmp/prefix with space"
cmake --install "$build" --prefix "$prefix" --strip >"$tmp/install.log" 2>&1 || { cat "$tmp/install.log"; fail "install"; }
for p in dtu-config dtusim serial-ports serial-settings gallery; do
  [ -x "$prefix/bin/$p" ] || fail "bin/$p not installed"
  ! LC_ALL=C readelf -S "$prefix/bin/$p" | grep -q -e '\.debug_info' -e '\.symtab' || fail "bin/$p is not stripped"
done
entry="$prefix/share/applications/dtu-config.desktop"
[ -f "$entry" ] || fail "no desktop entry"
grep -qx 'Name=KOV R220-4GA&B云网关&KOV PX&PY&PZ系列云PLC 配置' "$entry" || fail "desktop entry name: $(grep '^Name=' "$entry")"
grep -qx "Exec=\"$prefix/bin/dtu-config\"" "$entry" || fail "desktop entry command: $(grep '^Exec=' "$entry")"
grep -qx 'Icon=dtu-config' "$entry" || fail "desktop entry icon"
grep -qx 'StartupWMClass=dtu-config' "$entry" || fail "desktop entry window class"
icon="$prefix/share/icons/hicolor/32x32/apps/dtu-config.png"
[ -f "$icon" ] || fail "no icon"
# A PNG whose header says 32 x 32.
[ "$(od -An -tx1 -j0 -N8 "$icon" | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "icon is not a PNG"
[ "$(od -An -tx1 -j16 -N8 "$icon" | tr -d ' \n')" = 0000002000000020 ] || fail "icon is not 32x32"

# 3. The installed programs run from the installed path alone: a bare environment,
# another working folder, their own HOME.
mkdir -p "$tmp/home" "$tmp/work"
cd "$tmp/work"
run() { env -i PATH=/usr/bin:/bin HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/home/.config" LANG=C.UTF-8 "$@"; }
run "$prefix/bin/serial-ports" --help >/dev/null || fail "serial-ports --help"
run "$prefix/bin/dtusim" --help >/dev/null || fail "dtusim --help"
run QT_QPA_PLATFORM=offscreen "$prefix/bin/serial-settings" COM2 --png "$tmp/dialog.png" >/dev/null ||
  fail "serial-settings --png"
[ -s "$tmp/dialog.png" ] || fail "serial-settings drew nothing"
run QT_QPA_PLATFORM=offscreen "$prefix/bin/gallery" --png "$tmp/pages" >/dev/null || fail "gallery --png"
[ -n "$(ls "$tmp/pages"/*.png 2>/dev/null)" ] || fail "gallery drew no page"

# The tool, started as the desktop entry says, shows its main window (found by its
# title; up to a minute, a bound for a loaded machine, not a timing test).
exec_path=$(sed -n 's/^Exec="\(.*\)"$/\1/p' "$entry")
cat >"$tmp/session.sh" <<'SESSION'
"$1" >"$2/tool.log" 2>&1 &
pid=$!
i=0
while [ $i -lt 600 ]; do
  id=$(xwininfo -root -tree 2>/dev/null | grep 'PLC 配置' | awk '{print $1; exit}')
  if [ -n "$id" ]; then
    # The window's class is the program's name, which the desktop entry names, and it
    # carries the program's 32 x 32 icon.
    props=$(xprop -id "$id" WM_CLASS _NET_WM_ICON 2>&1 | head -3)
    kill $pid; wait $pid 2>/dev/null
    echo "$props" | grep -qx 'WM_CLASS(STRING) = "dtu-config", "dtu-config"' || { echo "window class: $props"; exit 1; }
    echo "$props" | grep -q '^_NET_WM_ICON(CARDINAL) = .*Icon (32 x 32)' || { echo "window icon: $props"; exit 1; }
    exit 0
  fi
  kill -0 $pid 2>/dev/null || { echo "the tool ended:"; cat "$2/tool.log"; exit 1; }
  sleep 0.1
  i=$((i + 1))
done
kill $pid
echo "no main window"; cat "$2/tool.log"; exit 1
SESSION
run QT_QPA_PLATFORM=xcb xvfb-run -a -s '-screen 0 1024x768x24' sh "$tmp/session.sh" "$exec_path" "$tmp" ||
  fail "the installed tool did not start"
echo "installed into $prefix and started from there"
