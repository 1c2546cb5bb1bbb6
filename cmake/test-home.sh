#!/bin/sh
# Runs a test command with a fresh HOME and XDG configuration folders of its own,
# removed afterwards, so nothing it writes reaches the real home. The command's
# exit status is kept.
home=$(mktemp -d "${TMPDIR:-/tmp}/dtu-test-home-XXXXXX") || exit 1
trap 'rm -rf "$home"' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
export HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_CACHE_HOME="$home/.cache" \
       XDG_DATA_HOME="$home/.local/share"
"$@"
