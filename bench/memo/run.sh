#!/usr/bin/env bash
# Editor benchmarks: our RTF reader and writer beside unrtf --text on the same
# 10 MB document, and our encodings beside iconv on the same 100 MB text.
#   bench/memo/run.sh BUILD_DIR
set -euo pipefail
build="${1:?build dir}"
bin="$build/bench/memo"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Wall-clock and CPU (user + system) milliseconds of a command; on a shared
# machine the CPU time is the fairer figure.
timed() {
  local out
  out=$( { TIMEFORMAT='%R %U %S'; time "$@" >/dev/null 2>&1; } 2>&1 | tail -n 1 )
  awk -v t="$out" 'BEGIN { split(t, a, " "); printf "wall %6.0f ms  cpu %6.0f ms", a[1] * 1000, (a[2] + a[3]) * 1000 }'
}

echo "-- RTF: 10 MB written by a word processor (its body repeated)"
"$bin/bench_memo_rtf" --make "$work/big.rtf" 10
"$bin/bench_memo_rtf" "$work/big.rtf"
if command -v unrtf >/dev/null; then
  echo "unrtf --text (same file):                      $(timed unrtf --text "$work/big.rtf")"
  echo "unrtf --html (same file):                      $(timed unrtf --html "$work/big.rtf")"
else
  echo "unrtf is not installed"
fi

echo "-- Encodings: 100 MB of text"
"$bin/bench_memo_encoding" 100 "$work/text.utf8"
size=$(stat -c %s "$work/text.utf8")
iconv -f UTF-8 -t UTF-16LE "$work/text.utf8" >"$work/text.utf16"
# iconv figures with MB/s by wall and by CPU time, over the same MB of text.
rate() {
  awk -v b="$size" -v t="$1" 'BEGIN { split(t, a, " "); mb = b / 1048576;
    printf "cpu %6.0f ms %5.0f MB/s  (wall %6.0f ms)", a[5], mb / (a[5] / 1000), a[2] }'
}
best() {  # best of three
  local r b=""
  for _ in 1 2 3; do
    r=$(timed "$@")
    if [ -z "$b" ] || [ "$(echo "$r" | awk '{print $5}')" -lt "$(echo "$b" | awk '{print $5}')" ]; then b="$r"; fi
  done
  echo "$b"
}
echo "iconv UTF-8 -> UTF-16LE (same text)          $(rate "$(best iconv -f UTF-8 -t UTF-16LE "$work/text.utf8")")"
echo "iconv UTF-16LE -> UTF-8 (same text)          $(rate "$(best iconv -f UTF-16LE -t UTF-8 "$work/text.utf16")")"
echo "iconv UTF-8 -> WINDOWS-1252 (same text)      $(rate "$(best iconv -f UTF-8 -t WINDOWS-1252 "$work/text.utf8")")"
