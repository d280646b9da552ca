#!/usr/bin/env bash
# bench/encrypt/run.sh BUILD_DIR [MiB]
# Our Blowfish CBC beside OpenSSL's (libcrypto in the same program, and the
# openssl command's own figure), and our wipe beside shred -n 1 -u.
set -euo pipefail
build_dir="${1:?build dir}"
mib="${2:-256}"
prog="$build_dir/bench/encrypt/bench_encrypt"
[ -x "$prog" ] || cmake --build "$build_dir" --target bench_encrypt -j2 >/dev/null
"$prog" "$mib" "${TMPDIR:-/tmp}"
if command -v openssl >/dev/null; then
  echo "openssl speed -evp bf-cbc (8192-byte blocks):"
  openssl speed -evp bf-cbc -provider legacy -provider default -bytes 8192 -seconds 2 2>/dev/null \
    | awk 'tolower($1) == "bf-cbc" { printf "  openssl command: %s bytes/s = %.1f MiB/s\n", $2, $2 * 1000 / 1048576 }'
fi
