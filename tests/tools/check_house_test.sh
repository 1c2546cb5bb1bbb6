#!/bin/sh
# scripts/check-house: which catch-all handlers it refuses and which it lets be.
#   check_house_test.sh SOURCE_DIR
set -u
check="$1/scripts/check-house"
tmp=$(mktemp -d /tmp/check-house-XXXXXX)
trap 'rm -rf "$tmp"' EXIT
failed=0

# expect WANT NAME CODE: WANT is "refused" or "allowed".
expect() {
  printf '%s\n' "$3" >"$tmp/$2.cpp"
  if python3 "$check" "$tmp/$2.cpp" >"$tmp/out" 2>&1; then got=allowed; else got=refused; fi
  if [ "$got" != "$1" ]; then
    echo "FAIL $2: $got, expected $1"; cat "$tmp/out"; failed=1
  fi
}

expect refused reset_rethrow   'void f() { try { g(); } catch (...) { FBusy = false; throw; } }'
expect refused nested_reset    'void f() {
  try { g(); } catch (...) {
    if (FOpen) { Close(); }
    throw ;
  }
}'
expect refused bare_rethrow    'void f() { try { g(); } catch(  ...  ) { throw; } }'
expect allowed boundary        'void f() { try { g(); } catch (...) { HandleControlException(this); } }'
expect allowed dropped         'void f() { try { g(); } catch (...) { /* nothing to tell: throw; */ } }'
expect allowed typed_rethrow   'void f() { try { g(); } catch (const EStreamError&) { Undo(); throw; } }'
expect allowed wraps           'void f() { try { g(); } catch (...) { throw EReadError("x"); } }'
expect allowed in_a_literal    'const char* s = "catch (...) { reset(); throw; }";'
expect allowed in_a_comment    '// catch (...) { reset(); throw; }'

# The line of the handler is reported.
printf 'void f() {\n  try {\n    g();\n  } catch (...) {\n    r();\n    throw;\n  }\n}\n' >"$tmp/line.cpp"
python3 "$check" "$tmp/line.cpp" 2>/dev/null | grep -q "line.cpp:4:" || { echo "FAIL line: not reported at line 4"; failed=1; }

[ $failed -eq 0 ] && echo "check-house: all cases as expected"
exit $failed
