#!/usr/bin/env bash
# Measures start-up time (process start until the main window is mapped) and resident memory once
# mapped, side by side for pa-coverage, a minimal Qt 6 Widgets window of the same size (what the
# toolkit costs anyway) and xcalc (what the X server costs anyway), under a private Xvfb.
#
#   bench/startup.sh [--runs N] [--warmups N] [--settle MS] [--without-ours] [--compare NAME=PROGRAM]...
#
# --compare adds an already built program (another build of pa-coverage, say) to the same rounds,
# reported under NAME.
# Exits non-zero only when something could not be built or measured; missing the targets is
# reported, not failed, so the figures can be collected on any machine.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BENCH_BUILD_DIR:-$root/build/bench}"
tools="$build/bench-tools"
runs=15
warmups=2
settle=500
with_ours=1
compare_names=()
compare_commands=()

while [ $# -gt 0 ]; do
    case "$1" in
    --runs) runs="$2"; shift 2 ;;
    --warmups) warmups="$2"; shift 2 ;;
    --settle) settle="$2"; shift 2 ;;
    --without-ours) with_ours=0; shift ;;
    --compare)
        [[ "$2" == ?*=?* ]] || { echo "startup.sh: --compare wants NAME=PROGRAM" >&2; exit 2; }
        [ -x "${2#*=}" ] || { echo "startup.sh: ${2#*=} is not an executable" >&2; exit 2; }
        compare_names+=("${2%%=*}")
        compare_commands+=("$(realpath "${2#*=}")")
        shift 2 ;;
    -h | --help) sed -n '2,12p' "$0"; exit 0 ;;
    *) echo "startup.sh: unknown argument $1" >&2; exit 2 ;;
    esac
done

# --- what the bench needs beyond building the program -------------------------------------------
"$root/scripts/setup.sh" x11-apps libx11-dev gcc

# --- build ----------------------------------------------------------------------------------------
mkdir -p "$tools"
ours="$build/src/app/pa-coverage"
if [ "$with_ours" -eq 1 ]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DPA_BUILD_TESTS=OFF >/dev/null
    cmake --build "$build" --target pa-coverage -j2 >"$tools/build.log" 2>&1 || {
        tail -n 30 "$tools/build.log" >&2
        echo "startup.sh: pa-coverage did not build (log: $tools/build.log)" >&2
        exit 1
    }
fi
gcc -O2 -Wall -Wextra -o "$tools/mapwait" "$root/bench/mapwait.c" -lX11
# Same optimisation as the program's Release build, so the comparison is of start-up work only.
# shellcheck disable=SC2046
g++ -std=c++20 -O3 -DNDEBUG -fPIC -o "$tools/minimal_qt" "$root/bench/minimal_qt.cpp" \
    $(pkg-config --cflags --libs Qt6Widgets)

# --- private X server -----------------------------------------------------------------------------
scratch="$(mktemp -d)"
xvfb_pid=""
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT

# -displayfd lets the server take the first free display number itself, with no race against
# other servers started at the same moment.
Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1280x1024x24 \
    3>"$scratch/display" 2>"$scratch/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$scratch/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.05
done
[ -s "$scratch/display" ] || {
    cat "$scratch/xvfb.log" >&2
    echo "startup.sh: Xvfb did not start" >&2
    exit 1
}
DISPLAY=":$(head -n1 "$scratch/display")"
export DISPLAY
export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR="$scratch/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# --- measure --------------------------------------------------------------------------------------
names=()
commands=()
if [ "$with_ours" -eq 1 ]; then
    names+=(ours)
    commands+=("$ours")
fi
names+=("${compare_names[@]}" minimal-qt xcalc)
commands+=("${compare_commands[@]}" "$tools/minimal_qt" xcalc)
count=${#names[@]}

# One file of samples per program: "map_ms rss_kb WxH" per line.
for name in "${names[@]}"; do : >"$scratch/$name.samples"; done

measure() { # index, record?
    local i=$1 record=$2 line
    if ! line="$("$tools/mapwait" -s "$settle" -- "${commands[$i]}" 2>>"$scratch/programs.log")"; then
        tail -n 20 "$scratch/programs.log" >&2
        echo "startup.sh: could not measure ${names[$i]}" >&2
        exit 1
    fi
    if [ "$record" -eq 1 ]; then
        sed -E 's/^map_ms=([0-9.]+) rss_kb=([0-9]+) window=[^ ]+ size=([0-9x]+)$/\1 \2 \3/' \
            <<<"$line" >>"$scratch/${names[$i]}.samples"
    fi
}

load_before="$(cut -d' ' -f1-3 /proc/loadavg)"
echo "Display $DISPLAY; $warmups warm-up and $runs measured rounds, settle ${settle} ms"
for ((round = 0; round < warmups + runs; ++round)); do
    # Rotating the order keeps any one program from always running right after another.
    for ((k = 0; k < count; ++k)); do
        measure $(((round + k) % count)) $((round >= warmups))
    done
done

# --- report ---------------------------------------------------------------------------------------
stat() { # file, column -> "median min max"
    cut -d' ' -f"$2" "$1" | sort -g | awk '{ v[NR] = $1 }
        END { m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
              printf "%s %s %s\n", m, v[1], v[NR] }'
}

echo
echo "Machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores," \
    "$(awk '/MemTotal/ { printf "%.0f GB", $2 / 1048576 }' /proc/meminfo);" \
    "$(sed -n 's/^PRETTY_NAME="\(.*\)"$/\1/p' /etc/os-release); kernel $(uname -r); Qt $(pkg-config --modversion Qt6Widgets)"
echo "Load average before: $load_before; after: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '\n%-11s %28s   %28s   %s\n' "" "time to mapped, ms" "resident memory, MB" "window"
printf '%-11s %9s %9s %9s   %9s %9s %9s   %s\n' program median min max median min max "mapped size"
declare -A median_ms median_kb
for name in "${names[@]}"; do
    read -r tm tlo thi < <(stat "$scratch/$name.samples" 1)
    read -r km klo khi < <(stat "$scratch/$name.samples" 2)
    median_ms[$name]=$tm
    median_kb[$name]=$km
    size="$(cut -d' ' -f3 "$scratch/$name.samples" | sort -u | paste -sd,)"
    awk -v n="$name" -v a="$tm" -v b="$tlo" -v c="$thi" -v d="$km" -v e="$klo" -v f="$khi" -v s="$size" \
        'BEGIN { printf "%-11s %9.1f %9.1f %9.1f   %9.1f %9.1f %9.1f   %s\n", n, a, b, c, d/1024, e/1024, f/1024, s }'
done

echo
for name in "${names[@]}"; do
    [ "$name" = minimal-qt ] && continue
    awk -v n="$name" -v t="${median_ms[$name]}" -v t0="${median_ms[minimal-qt]}" \
        -v k="${median_kb[$name]}" -v k0="${median_kb[minimal-qt]}" \
        'BEGIN { printf "%-11s time %.2f x minimal Qt, memory %+.1f MB against minimal Qt\n", n, t / t0, (k - k0) / 1024 }'
done
if [ "$with_ours" -eq 1 ]; then
    awk -v t="${median_ms[ours]}" -v t0="${median_ms[minimal-qt]}" \
        -v k="${median_kb[ours]}" -v k0="${median_kb[minimal-qt]}" 'BEGIN {
            r = t / t0; d = (k - k0) / 1024
            printf "target      time ratio <= 1.20: %s (%.2f); memory <= +4.0 MB: %s (%+.1f MB)\n",
                r <= 1.2 ? "met" : "MISSED", r, d <= 4 ? "met" : "MISSED", d }'
fi
