#!/bin/sh
# The programs' command lines: each answers --help (usage on standard output) and
# --version on the terminal, without a display and without a window; one that opens
# a window, started where no display is set or none can be reached, says so on
# standard error and exits with status 1 (not an abort).
#   command_line_test.sh VERSION PROGRAM[:window]...
set -u
version=$1
shift
tmp=$(mktemp -d /tmp/command-line-XXXXXX)
trap 'rm -rf "$tmp"' EXIT
failed=0
fail() { echo "FAIL $*"; sed 's/^/  | /' "$tmp/out" "$tmp/err"; failed=1; }

# Runs a program with DISPLAY set to $1 (empty: unset) and no other display, with a
# generous bound; leaves its status in rc.
run() {
  display=$1
  shift
  if [ -n "$display" ]; then
    env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY="$display" timeout 60 "$@" >"$tmp/out" 2>"$tmp/err"
  else
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 60 "$@" >"$tmp/out" 2>"$tmp/err"
  fi
  rc=$?
}

for program in "$@"; do
  path=${program%:window}
  name=$(basename "$path")
  for option in --help -h; do
    run "" "$path" "$option"
    [ $rc -eq 0 ] && grep -qi "^usage: $name" "$tmp/out" || fail "$name $option: status $rc"
  done
  run "" "$path" --version
  [ $rc -eq 0 ] && [ "$(cat "$tmp/out")" = "$name $version" ] || fail "$name --version: status $rc"
  if [ "$program" != "$path" ]; then
    # No display set, and one that no server answers.
    for display in "" ":65000"; do
      run "$display" "$path"
      [ $rc -eq 1 ] && grep -q "^$name: cannot open a window" "$tmp/err" ||
        fail "$name without a display (DISPLAY='$display'): status $rc"
    done
  fi
done
[ $failed -eq 0 ] && echo "command lines: all answers as expected"
exit $failed
