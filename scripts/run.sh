#!/usr/bin/env bash
# Builds the program in Release and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build/release" -DCMAKE_BUILD_TYPE=Release -DPA_BUILD_TESTS=OFF >/dev/null
cmake --build "$root/build/release" -j"$(nproc)"
exec "$root/build/release/src/app/pa-coverage" "$@"
