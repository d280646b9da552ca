#!/usr/bin/env bash
# Times our copy, move and delete engine beside cp, cp -r, mv and rm -rf in
# the same run, on the same data (warm page cache for both sides).
#   bench/fileops/run.sh BUILD_DIR
# Data goes to /work/benchdata (or $ZX_BENCH_DIR) and /dev/shm; all removed at the end.
set -euo pipefail
build_dir="${1:?build dir}"
bin="$build_dir/bench/fileops/fileops_bench"
[ -x "$bin" ] || { echo "build the benchmarks target first: $bin" >&2; exit 1; }
base="${ZX_BENCH_DIR:-/work/benchdata}"
[ -d "$(dirname "$base")" ] || base=/tmp/zx-benchdata
work="$base/fileops.$$"
other=/dev/shm/zx-fileops-bench.$$
runs="${ZX_BENCH_RUNS:-5}"
mkdir -p "$work" "$other"
trap 'rm -rf "$work" "$other"' EXIT

now() { date +%s.%N; }
# pair PREP OURS... -- THEIRS...: runs both $runs times, alternating, each
# after an untimed PREP; prints "best_ours best_theirs".
pair() {
  local prep="$1"; shift
  local ours=() theirs=()
  while [ "$1" != "--" ]; do ours+=("$1"); shift; done
  shift
  theirs=("$@")
  local bo="" bt="" t0 t1 t
  for _ in $(seq "$runs"); do
    for side in theirs ours; do
      eval "$prep"
      sync
      t0=$(now)
      if [ $side = ours ]; then "${ours[@]}"; else "${theirs[@]}"; fi
      t1=$(now)
      t=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.4f", b - a }')
      if [ $side = ours ]; then
        if [ -z "$bo" ] || awk -v t="$t" -v b="$bo" 'BEGIN { exit !(t < b) }'; then bo=$t; fi
      else
        if [ -z "$bt" ] || awk -v t="$t" -v b="$bt" 'BEGIN { exit !(t < b) }'; then bt=$t; fi
      fi
    done
  done
  echo "$bo $bt"
}
report() {  # name ours theirs tool
  awk -v n="$1" -v o="$2" -v t="$3" -v tool="$4" \
    'BEGIN { printf "%-36s ours %7.3f s   %-6s %7.3f s   ratio %.2f\n", n, o, tool, t, o / t }'
}

echo "fileops: data in $work and $other, best of $runs runs"
head -c $((1024*1024*1024)) /dev/urandom > "$work/big.bin"
mkdir -p "$work/tree"
for d in $(seq -w 0 99); do
  mkdir -p "$work/tree/d$d"
  for f in $(seq -w 0 99); do head -c 4096 /dev/urandom > "$work/tree/d$d/f$f"; done
done
cat "$work/big.bin" > /dev/null

mkdir -p "$work/out"
# Start-up of a separate program (Qt libraries, event loop, worker thread)
# is in every figure of ours below; this line shows its size.
echo x > "$work/tiny"
read -r s_us s_cp < <(pair 'rm -rf "$work/out"; mkdir -p "$work/out"' "$bin" copy "$work/tiny" "$work/out" -- cp "$work/tiny" "$work/out/")
report "start-up: copy a 2-byte file" "$s_us" "$s_cp" "cp"
read -r t_us t_cp < <(pair 'rm -rf "$work/out"; mkdir -p "$work/out"' "$bin" copy "$work/big.bin" "$work/out" -- cp "$work/big.bin" "$work/out/")
cmp -s "$work/big.bin" "$work/out/big.bin" || { echo "1 GiB copy differs" >&2; exit 1; }
report "copy one 1 GiB file" "$t_us" "$t_cp" "cp"
# The same less each program's own start-up (the start-up line): the
# copying alone, like with like.
report "  the same, net of start-up" "$(awk -v a="$t_us" -v b="$s_us" 'BEGIN { print a - b }')" \
  "$(awk -v a="$t_cp" -v b="$s_cp" 'BEGIN { print a - b }')" "cp"
rm -rf "$work/out"

read -r t_us t_cp < <(pair 'rm -rf "$work/out"; mkdir -p "$work/out"' "$bin" copy "$work/tree" "$work/out" -- cp -r "$work/tree" "$work/out/")
diff -r "$work/tree" "$work/out/tree" > /dev/null || { echo "tree copy differs" >&2; exit 1; }
report "copy 10,000 x 4 KiB in 100 dirs" "$t_us" "$t_cp" "cp -r"
rm -rf "$work/out"

# The same into tmpfs: without the disk's inode allocation (slow for a while
# after many deletions on ext4), this shows the engine's own cost.
read -r t_us t_cp < <(pair 'rm -rf "$other/out"; mkdir -p "$other/out"' "$bin" copy "$work/tree" "$other/out" -- cp -r "$work/tree" "$other/out/")
diff -r "$work/tree" "$other/out/tree" > /dev/null || { echo "tree copy to tmpfs differs" >&2; exit 1; }
report "copy that tree to tmpfs" "$t_us" "$t_cp" "cp -r"
rm -rf "$other/out"

read -r t_us t_rm < <(pair 'rm -rf "$work/del"; cp -r "$work/tree" "$work/del"' "$bin" delete "$work/del" -- rm -rf "$work/del")
[ ! -e "$work/del" ] || { echo "tree not deleted" >&2; exit 1; }
report "delete that tree" "$t_us" "$t_rm" "rm -rf"

read -r t_us t_mv < <(pair 'rm -rf "$work/mv" "$other/mv"; cp -r "$work/tree" "$work/mv"' "$bin" move "$work/mv" "$other" -- mv "$work/mv" "$other/")
report "move that tree to tmpfs" "$t_us" "$t_mv" "mv"
rm -rf "$work/mv"
"$bin" move "$work/tree" "$other"
[ ! -e "$work/tree" ] && [ -d "$other/tree/d99" ] || { echo "move incomplete" >&2; exit 1; }
