#!/bin/sh
# Builds the benchmarks in Release and prints the medians the performance targets are judged on.
# REPS (default 5) sets the repetitions; extra arguments go to every benchmark run.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
src=$(dirname "$here")
build=${BUILD_DIR:-$src/build-bench}
reps=${REPS:-5}

cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DHENON_TESTS=OFF -DHENON_BENCH=ON >/dev/null
ninja -C "$build" -j2 henon_bench >/dev/null

# A full-HD screen on the offscreen platform; the surface window is sized to fill it.
export QT_QPA_PLATFORM="offscreen:configfile=$here/offscreen.json"
bench="$build/bench/henon_bench"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

load=$(cut -d' ' -f1-3 /proc/loadavg)
"$bench" --benchmark_filter='^BM_(OrbitBare|OrbitDrawn|OrbitNullSurface|BareStep|Histo)' \
  --benchmark_repetitions="$reps" --benchmark_enable_random_interleaving=true \
  --benchmark_display_aggregates_only=true \
  --benchmark_out="$out/speed.json" --benchmark_out_format=json "$@" \
  >/dev/null 2>"$out/speed.err" || { cat "$out/speed.err" >&2; exit 1; }

# Peak memory needs a fresh process per orbit length.
for n in 10000 100000000; do
  /usr/bin/time -v "$bench" --benchmark_filter="^BM_OrbitPeakRss/$n/" \
    --benchmark_out="$out/rss_$n.json" --benchmark_out_format=json "$@" \
    >/dev/null 2>"$out/time_$n.txt"
done

/usr/bin/python3 - "$out" "$load" <<'PY'
import json, re, statistics, sys

out = sys.argv[1]
with open(f"{out}/speed.json") as f:
    rows = json.load(f)["benchmarks"]
runs = {}
for r in rows:
    if r["run_type"] == "iteration":
        runs.setdefault(r["run_name"], []).append(r["ns_per_step"])
med = {k: statistics.median(v) for k, v in runs.items()}
low = {k: min(v) for k, v in runs.items()}
reps = {len(v) for v in runs.values()}

print(f"CPU ns per step, median of {max(reps)} repetitions (fastest repetition in brackets)")
print(f"load average at the start: {sys.argv[2]} (other work on the machine skews the figures)")
print("\norbit, default parameters, 1920x1080 offscreen screen")
ok = True
for n in (10_000_000, 100_000_000):
    bare = med[f"BM_OrbitBare/{n}"]
    drawn = med[f"BM_OrbitDrawn/{n}"]
    null = med[f"BM_OrbitNullSurface/{n}"]
    ratio = drawn / bare
    ok &= ratio <= 1.15
    fast = low[f"BM_OrbitDrawn/{n}"] / low[f"BM_OrbitBare/{n}"]
    print(f"  N={n:>11,}  bare {bare:6.2f}  staged only {null:6.2f}  drawn {drawn:6.2f}"
          f"  drawn/bare {ratio:.3f} [{fast:.3f}] (target <= 1.15)")

n = 10_000_000
dirty = med[f"BM_OrbitBareDirty/{n}"]
print(f"  N={n:>11,}  bare, AVX upper state left dirty by Qt: {dirty:6.2f}"
      f" ({dirty / med[f'BM_OrbitBare/{n}']:.2f}x the clean bare step)")

print("\npeak resident memory, orbit drawn on the Qt surface, fresh process each")
rss = {}
for n in (10_000, 100_000_000):
    with open(f"{out}/rss_{n}.json") as f:
        kib = json.load(f)["benchmarks"][0]["peak_rss_kib"]
    with open(f"{out}/time_{n}.txt") as f:
        timed = int(re.search(r"Maximum resident set size \(kbytes\): (\d+)", f.read()).group(1))
    rss[n] = kib
    print(f"  N={n:>11,}  getrusage {kib / 1024:7.2f} MiB   time -v {timed / 1024:7.2f} MiB")
diff = (rss[100_000_000] - rss[10_000]) / 1024
ok &= abs(diff) <= 4
print(f"  difference {diff:+.2f} MiB (target within 4 MiB)")

print("\nhistogram, N=10,000,000, both coordinates binned")
step = med["BM_BareStep"]
print(f"  bare map step {step:6.2f} [{low['BM_BareStep']:.2f}]")
for m, target in ((100, 5), (10_000, None), (1_000_000, 30)):
    h = med[f"BM_Histo/{m}"]
    ratio = h / step
    goal = f" (target <= {target})" if target else ""
    if target:
        ok &= ratio <= target
    fast = low[f"BM_Histo/{m}"] / low["BM_BareStep"]
    print(f"  m={m:>9,}  {h:7.2f}  ratio {ratio:5.1f} [{fast:.1f}]{goal}")

print("\nall targets met" if ok else "\nSOME TARGETS MISSED")
PY
