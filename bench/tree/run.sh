#!/usr/bin/env bash
# Directory tree: scanning 50,000 directories beside find, loading, look-ups.
# Usage: bench/tree/run.sh BUILD_DIR
set -euo pipefail
build="${1:?build dir}"
bin="$build/bench/tree/bench_tree"
[ -x "$bin" ] || cmake --build "$build" --target bench_tree -j2 >/dev/null
base="${BENCH_TMP:-/tmp}"
work="$(mktemp -d "$base/zx-bench-tree-XXXXXX")"
trap 'rm -rf "$work"' EXIT
# 20 x 50 x 50 = 50,000 leaf directories (51,020 in all).
python3 - "$work/t" <<'PY'
import os, sys
root = sys.argv[1]
for a in range(20):
    for b in range(50):
        p = os.path.join(root, "A%02d" % a, "b%02d" % b)
        for c in range(50):
            os.makedirs(os.path.join(p, "D%d%02d" % (b % 10, c)))
PY
"$bin" "$work/t" 5
