#!/usr/bin/env bash
# Builds the benchmarks, runs them and prints a short summary with the machine they ran on.
# Usage: bench/run.sh [--release] [--busy]
#   --release  the native-release preset (an optimised build without debug information) instead of
#              native; JSON results land in build/<preset>/bench/results/
#   --busy     a second process keeps one core busy for the whole run, as on a machine that
#              is doing something else
# About 2 minutes.
set -euo pipefail
cd "$(dirname "$0")/.."

preset=native busy=
for option in "$@"; do
    case $option in
        --release) preset=native-release ;;
        --busy) busy=1 ;;
        *) echo "usage: $0 [--release] [--busy]" >&2; exit 2 ;;
    esac
done

cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target bench_lookup bench_store bench_gc bench_load_save bench_collect \
    bench_item_selection bench_verify

if [ -n "$busy" ]; then
    sh -c 'while :; do :; done' &
    spinner=$!
    trap 'kill "$spinner" 2>/dev/null' EXIT
fi
thp=$(sed -n 's/.*\[\(.*\)\].*/\1/p' /sys/kernel/mm/transparent_hugepage/enabled 2>/dev/null || echo unknown)
machine="$(nproc) cores, pages of $(getconf PAGESIZE) bytes, transparent huge pages: $thp,
preset $preset${busy:+, a second process busy on one core}"

bin=build/$preset/bench
out=$bin/results
mkdir -p "$out"

run() {  # name min_time [extra arguments]
    local name=$1 min_time=$2; shift 2
    echo "== $name"
    "$bin/$name" --benchmark_min_time="$min_time" --benchmark_out="$out/$name.json" \
        --benchmark_out_format=json "$@" | grep -E "_median|^Benchmark|^-" || true
}

run bench_lookup 0.2
run bench_store 0.2
# The same fill with glibc keeping freed memory: separates the library's work from the page
# faults of a heap that was given back to the system between iterations.
echo "== bench_store, heap kept"
GLIBC_TUNABLES=glibc.malloc.trim_threshold=4000000000:glibc.malloc.mmap_threshold=4000000000 \
    "$bin/bench_store" --benchmark_filter=BM_StoreNewChannels --benchmark_min_time=0.2 \
    --benchmark_out="$out/bench_store_warm.json" --benchmark_out_format=json | grep -E "_median" || true
run bench_gc 0.5
run bench_load_save 0.5
run bench_collect 0.5
run bench_item_selection 0.2
run bench_verify 0.2

load=$(cut -d' ' -f1-3 /proc/loadavg)
python3 - "$out" "$machine, load average $load" <<'PY'
import json, sys, os
out = sys.argv[1]
print("\n" + sys.argv[2])
def medians(name):
    with open(os.path.join(out, name + ".json")) as f:
        runs = json.load(f)["benchmarks"]
    return {r["run_name"]: r for r in runs if r.get("aggregate_name") == "median"}

def ns(r):
    scale = {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}[r["time_unit"]]
    return r["real_time"] * scale

print("\nSummary (medians of 5 repetitions)")
look = medians("bench_lookup")
print(f"{'channels':>10} {'by number ns':>14} {'by name ns':>12} {'8-byte name ns':>15}   target < 100 ns at 1 M")
for n in (1000, 100000, 1000000):
    print(f"{n:>10} {ns(look[f'BM_LookupByNumber/channels:{n}/repeats:5']):>14.1f}"
          f" {ns(look[f'BM_LookupByName/channels:{n}/repeats:5']):>12.1f}"
          f" {ns(look[f'BM_LookupByShortName/channels:{n}/repeats:5']):>15.1f}")

store, warm = medians("bench_store"), medians("bench_store_warm")
print(f"\n{'channels':>10} {'add ns/ch':>10} {'add ns/ch, heap kept':>21} {'replace ns':>11}")
for n in (1000, 100000, 1000000):
    key = f"BM_StoreNewChannels/channels:{n}/repeats:5"
    print(f"{n:>10} {store[key]['per_channel'] * 1e9:>10.1f} {warm[key]['per_channel'] * 1e9:>21.1f}"
          f" {ns(store[f'BM_StoreReplaceItemId/channels:{n}/repeats:5']):>11.1f}")

gc = medians("bench_gc")["BM_CleanUpCycle/channels:100000/repeats:5"]
print(f"\nclean-up cycle, 100 k channels: {ns(gc) / 1e6:.1f} ms ({gc['per_channel'] * 1e9:.0f} ns per channel)")

io = medians("bench_load_save")
t = {k.split("/")[0]: ns(v) / 1e6 for k, v in io.items()}
print(f"\n{'':>6} {'library ms':>11} {'baseline ms':>12} {'ratio':>6}   target: load <= 2x")
for what in ("Load", "Save"):
    lib, base = t[f"BM_{what}"], t[f"BM_{what}Baseline"]
    print(f"{what.lower():>6} {lib:>11.1f} {base:>12.1f} {lib / base:>6.2f}")

with open(os.path.join(out, "bench_load_save.json")) as f:
    memory = [r for r in json.load(f)["benchmarks"] if r["run_name"].startswith("BM_LoadedProjectMemory")][0]
print(f"loaded project, 1 M channels: {memory['peak_bytes_per_channel']:.0f} bytes per channel at the peak,"
      f" {memory['heap_bytes_per_channel']:.0f} kept on the heap")

with open(os.path.join(out, "bench_collect.json")) as f:
    c = json.load(f)["benchmarks"][0]
print(f"\ncollect_item_ids, 100 000 leaves in 1 000 branches: {c['items_per_second'] / 1e6:.2f} M items/s,"
      f" {c['calls_per_item']:.2f} browse calls per item")
add = medians("bench_item_selection")
for key, r in add.items():
    if key.startswith("BM_AddBranch/leaves:100000"):
        again = "already listed" if "again:1" in key else "new rows"
        print(f"item selection, >> on a branch of 100 000 leaves ({again}): {ns(r) / 1e6:.0f} ms   target < 2 s")
PY
