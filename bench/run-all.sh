#!/usr/bin/env bash
# Runs every benchmark: bench/<folder>/run.sh BUILD_DIR, in folder order.
set -euo pipefail
build_dir="${1:?build dir}"
shift || true
here="$(cd "$(dirname "$0")" && pwd)"
for s in "$here"/*/run.sh; do
  [ -x "$s" ] || continue
  [ $# -gt 0 ] && ! printf '%s\n' "$@" | grep -qx "$(basename "$(dirname "$s")")" && continue
  echo "== $(basename "$(dirname "$s")")"
  "$s" "$build_dir"
done
