#!/usr/bin/env bash
# Checks the formatting, builds with warnings as errors and runs the whole suite headless, then again under
# AddressSanitizer and UndefinedBehaviorSanitizer, then runs each fuzzer for a bounded time;
# clang-tidy checks src/ after the first build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

run_suite() {
    local dir=$1
    shift
    cmake -S "$root" -B "$dir" -DPA_WERROR=ON "$@" >/dev/null
    cmake --build "$dir" -j"$jobs"
    ctest --test-dir "$dir" --output-on-failure --no-tests=error -j"$jobs"
}

# Every source file as .clang-format lays it out; a drifted file fails the run.
echo "clang-format check"
(cd "$root" && git ls-files '*.cpp' '*.h' '*.c' | xargs clang-format --dry-run --Werror)

run_suite "$root/build/test" -DCMAKE_BUILD_TYPE=RelWithDebInfo

# Static analysis on the same compile commands; any finding fails the run.
echo "clang-tidy on src/"
(cd "$root" && git ls-files 'src/*.cpp' | xargs -P"$jobs" -n4 clang-tidy -p "$root/build/test" --quiet 2>&1) |
    { grep -vE '^[0-9]+ warnings? generated\.$' || true; }
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
    run_suite "$root/build/sanitize" -DCMAKE_BUILD_TYPE=Debug -DPA_SANITIZE=ON

# One fuzzer at a time: each already keeps a core busy for its whole run.
CC=clang CXX=clang++ cmake -S "$root" -B "$root/build/fuzz" -DPA_WERROR=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPA_FUZZ=ON >/dev/null
cmake --build "$root/build/fuzz" -j"$jobs"
ctest --test-dir "$root/build/fuzz" --output-on-failure --no-tests=error -L fuzz
