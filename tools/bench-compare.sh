#!/usr/bin/env bash
# Compares the benchmarks of two builds on this machine: old and new run
# alternately, each pinned to one core, for several rounds, and the median of
# the per-round ratios (new / old) is printed for each workload. The machine
# is shared, so only ratios from the same run mean anything.
#
#   tools/bench-compare.sh OLD_BENCH_DIR NEW_BENCH_DIR [ROUNDS] [ZEXDOC_COUNT] [MACHINE_COUNT]
#
# A bench folder holds bench_zexdoc and bench_machine (a build's bench/), and
# may hold bench_render: when both do, the frame's picture is compared too
# (old time / new time, so that above 1 is faster here as well).
set -euo pipefail
old=${1:?old bench folder}
new=${2:?new bench folder}
rounds=${3:-5}
zexdoc_count=${4:-500000000}
machine_count=${5:-300000000}
core=${TESSEL_BENCH_CORE:-1}

# figure PROGRAM COUNT: the program's instructions per second, in millions.
figure() { taskset -c "$core" "$1" "$2" | sed -n 's/^ *instructions\/s *\([0-9.]*\) M$/\1/p'; }

# frame_times PROGRAM: microseconds for a text and a graphics frame.
frame_times() { taskset -c "$core" "$1" | sed -n 's/^ *\(text\|graphics\) frame *\([0-9.]*\) us.*$/\2/p' | tr '\n' ' '; }

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

benches=(zexdoc machine)
[ -x "$old/bench_render" ] && [ -x "$new/bench_render" ] && benches+=(text graphics)

declare -A ratios
for ((round = 1; round <= rounds; ++round)); do
    for bench in zexdoc machine; do
        count=$zexdoc_count
        [ "$bench" = machine ] && count=$machine_count
        a=$(figure "$old/bench_$bench" "$count")
        b=$(figure "$new/bench_$bench" "$count")
        ratio=$(awk -v a="$a" -v b="$b" 'BEGIN { printf "%.4f", b / a }')
        ratios[$bench]+="$ratio "
        echo "round $round $bench: old $a M/s, new $b M/s, ratio $ratio"
    done
    if [ ${#benches[@]} -gt 2 ]; then
        read -r old_text old_graphics <<<"$(frame_times "$old/bench_render")"
        read -r new_text new_graphics <<<"$(frame_times "$new/bench_render")"
        for mode in text graphics; do
            a_name=old_$mode b_name=new_$mode
            ratio=$(awk -v a="${!a_name}" -v b="${!b_name}" 'BEGIN { printf "%.4f", a / b }')
            ratios[$mode]+="$ratio "
            echo "round $round $mode frame: old ${!a_name} us, new ${!b_name} us, ratio $ratio"
        done
    fi
done
for bench in "${benches[@]}"; do
    echo "median ratio $bench: $(tr ' ' '\n' <<<"${ratios[$bench]}" | grep . | median)"
done
