#!/usr/bin/env bash
# The processor time of an instance of plovik.exe that waits for its turn:
# one instance holds the turn (a copy of the Wine test program named
# plovik.exe, in its instance mode, holding the wait mutex for 30 seconds),
# a real plovik.exe started with "/a /t" waits for it, and the processor
# time of the waiting process and of the Wine server is read from /proc
# before and after 10 seconds of waiting. (Under Wine the system calls of a
# polling loop run in the Wine server, so both count.)
#
# Usage: bench/waiting-cpu.sh
# Needs a built build/windows-x64 (plovik.exe and plovik_wintests.exe) with
# its Wine prefix set up, as scripts/test leaves it.
set -uo pipefail

cd "$(dirname "$0")/.."
ROOT=$(pwd)
BUILD="$ROOT/build/windows-x64"
export WINEPREFIX="${WINEPREFIX:-$BUILD/wineprefix}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
MEASURE_S=10
HOLD_MS=30000

for file in plovik.exe plovik_wintests.exe; do
  [ -f "$BUILD/$file" ] || { echo "build windows-x64 first ($file is missing)" >&2; exit 1; }
done

if [ "${PLOVIK_CPU_RUN:-}" != 1 ]; then
  exec xvfb-run -a env PLOVIK_CPU_RUN=1 "$0" "$@"
fi

WORK=$(mktemp -d "${TMPDIR:-/tmp}/plovik-cpu.XXXXXX")
trap 'wineserver -k >/dev/null 2>&1; rm -rf "$WORK"' EXIT
winpath() { printf 'Z:%s' "${1//\//\\}"; }

mkdir -p "$WORK/holder" "$WORK/source"
cp "$BUILD/plovik_wintests.exe" "$WORK/holder/plovik.exe"
printf 'some data\r\n' >"$WORK/source/file.txt"
wineserver -p >/dev/null 2>&1 </dev/null

# CPU ticks (user + system) of a process.
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null || echo 0; }

wine "$WORK/holder/plovik.exe" --instance-child turn "$(winpath "$WORK/turn.txt")" "$HOLD_MS" \
  >/dev/null 2>&1 &
sleep 3
wine "$BUILD/plovik.exe" "$(winpath "$WORK/source")" \
  "$(winpath "$WORK/backup")" /a /t >/dev/null 2>&1 &
sleep 3

# The waiting program: the Wine process whose command line names the real
# plovik.exe (not the holder's copy).
WAITING=""
for pid in $(pgrep -f 'plovik\.exe'); do
  cmd=$(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null)
  case $cmd in
    *holder*|*instance-child*) ;;
    *windows-x64*plovik.exe*|*windows-x64\\plovik.exe*) WAITING=$pid ;;
  esac
done
# The Wine server of this prefix (other prefixes may have servers of their
# own).
SERVER=""
for pid in $(pgrep wineserver); do
  tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && SERVER=$pid
done
[ -n "$WAITING" ] && [ -n "$SERVER" ] || { echo "did not find the processes" >&2; exit 1; }

HZ=$(getconf CLK_TCK)
w0=$(ticks "$WAITING"); s0=$(ticks "$SERVER")
sleep "$MEASURE_S"
w1=$(ticks "$WAITING"); s1=$(ticks "$SERVER")
STILL_WAITING=yes
[ -e "$WORK/backup" ] && STILL_WAITING=no

awk -v w=$((w1 - w0)) -v s=$((s1 - s0)) -v hz="$HZ" -v t="$MEASURE_S" 'BEGIN {
  printf "Processor time over %d s of waiting for the turn:\n", t
  printf "  the waiting plovik.exe:  %.2f s (%.1f %% of one core)\n", w / hz, 100 * w / hz / t
  printf "  the Wine server:         %.2f s (%.1f %% of one core)\n", s / hz, 100 * s / hz / t
}'
echo "  still waiting at the end of the measurement: $STILL_WAITING"
wait
[ -f "$WORK/backup/file.txt" ] && echo "  after the turn came, the waiting instance made its update"
