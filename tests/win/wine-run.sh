#!/bin/sh
# Runs a Windows test program under Wine for CTest.
#
# Wine starts system processes of its own (services, devices, the desktop)
# that inherit the standard output and error of the program that started
# them and may outlive it. CTest reads a test's output until the pipe
# closes, so it would wait for them. Here the program writes into files that
# are copied to this script's output once it has ended.
out=$(mktemp) || exit 1
err=$(mktemp) || exit 1
"${PLOVIK_WINE:-wine}" "$@" >"$out" 2>"$err" </dev/null
status=$?
cat "$out"
cat "$err" >&2
rm -f "$out" "$err"
exit $status
