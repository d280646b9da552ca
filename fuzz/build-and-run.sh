#!/usr/bin/env bash
# Builds the libFuzzer targets of the editor's readers with clang
# (-fsanitize=fuzzer,address,undefined) and runs each for a given time.
# Not part of the normal build.
#
#   fuzz/build-and-run.sh [SECONDS_PER_TARGET] [TARGET...]
#
# Targets: rtf_fuzzer calc_fuzzer plaintext_fuzzer (default: all).
# FUZZ_BUILD_DIR (default /work/build-memo-fuzz) holds the binaries, the
# growing corpora and any crash files; the seed corpora in fuzz/corpus are
# never written to.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
src="$(cd "$here/.." && pwd)/src"
seconds="${1:-120}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(rtf_fuzzer calc_fuzzer plaintext_fuzzer)
out="${FUZZ_BUILD_DIR:-/work/build-memo-fuzz}"
mkdir -p "$out"

CXX="${CXX:-clang++}"
flags=(-std=c++20 -g -O1 -fPIC -fno-omit-frame-pointer
       -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
       -DQT_NO_KEYWORDS -DQT_USE_QSTRINGBUILDER -I"$src")
read -r -a qtflags <<<"$(pkg-config --cflags --libs Qt6Gui)"

declare -A sources=(
  [rtf_fuzzer]="$src/memo/rtfreader.cpp $src/memo/rtfwriter.cpp $src/memo/utf8.cpp"
  [calc_fuzzer]="$src/memo/calcexpr.cpp"
  [plaintext_fuzzer]="$src/memo/utf8.cpp"
)
declare -A options=(
  [rtf_fuzzer]="-max_len=65536 -dict=$here/rtf.dict"
  [calc_fuzzer]="-max_len=512 -dict=$here/calc.dict"
  [plaintext_fuzzer]="-max_len=16384"
)

for t in "${targets[@]}"; do
  echo "== building $t"
  # shellcheck disable=SC2086
  "$CXX" "${flags[@]}" "$here/$t.cpp" ${sources[$t]} "${qtflags[@]}" -o "$out/$t"
done

for t in "${targets[@]}"; do
  name="${t%_fuzzer}"
  corpus="$out/corpus-$name"
  mkdir -p "$corpus" "$out/artifacts-$name"
  echo "== running $t for ${seconds}s"
  # libFuzzer writes its job log (fuzz-0.log) into the working directory.
  cd "$out"
  # shellcheck disable=SC2086
  QT_QPA_PLATFORM=offscreen "$out/$t" "$corpus" "$here/corpus/$name" \
    -max_total_time="$seconds" -jobs=1 -workers=1 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$out/artifacts-$name/" -print_final_stats=1 ${options[$t]} \
    2>&1 | tail -n 25 || echo "== $t stopped with a finding: see $out/artifacts-$name"
done
