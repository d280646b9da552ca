#!/usr/bin/env bash
# File search: names over 100,000 files beside find -iname, text over 20,000
# files (200 MB) beside grep -rli. Usage: bench/search/run.sh BUILD_DIR
set -euo pipefail
build="${1:?build dir}"
bin="$build/bench/search/bench_search"
[ -x "$bin" ] || cmake --build "$build" --target bench_search -j2 >/dev/null
base="${BENCH_TMP:-/tmp}"
work="$(mktemp -d "$base/zx-bench-search-XXXXXX")"
trap 'rm -rf "$work"' EXIT
python3 - "$work" <<'PY'
import os, random, sys
root = sys.argv[1]
# 100,000 empty files in 1,000 directories.
for d in range(1000):
    p = os.path.join(root, "names", "d%03d" % (d // 100), "e%03d" % d)
    os.makedirs(p)
    for f in range(100):
        open(os.path.join(p, "f%03d%02d.txt" % (d, f)), "wb").close()
# 20,000 text files of 10,000 bytes (200 MB); 1 in 100 holds the needle.
rng = random.Random(7)
words = [bytes(rng.choice(b"abcdefghijklmnopqrstuvwxyz ") for _ in range(2000)) for _ in range(64)]
for d in range(200):
    p = os.path.join(root, "text", "t%03d" % d)
    os.makedirs(p)
    for f in range(100):
        data = bytearray()
        while len(data) < 10000:
            data += words[rng.randrange(64)] + b"\n"
        data = data[:10000]
        if (d * 100 + f) % 100 == 37:
            pos = rng.randrange(0, 9980)
            data[pos:pos + 12] = b"ZarvexNeedle"
        with open(os.path.join(p, "doc%05d.txt" % (d * 100 + f)), "wb") as fh:
            fh.write(data)
PY
echo "-- name search, 100,000 files, pattern *77.TXT"
"$bin" names "$work/names" '*77.TXT' 3
echo "-- text search, 20,000 files of 10,000 bytes, text zarvexneedle"
"$bin" text "$work/text" zarvexneedle 3
