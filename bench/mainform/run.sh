#!/usr/bin/env bash
# Listing, painting, re-listing and sorting of a 100,000-entry directory.
set -euo pipefail
build="${1:?build dir}"
dir="${ZX_BENCH_DIR:-/tmp/zx-bench-listing}"
"$build/bench/mainform/bench_listing" "$dir" 100000
rm -rf "$dir"
