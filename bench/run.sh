#!/bin/sh
# Runs every benchmark program in a build directory, then prints a short report: for each
# operation our time divided by the limit's and by the fastest peer's.
#
# Usage: sh bench/run.sh <build dir>        (configure with -DVANTOR_BENCH=ON)
#
# Naming convention for benchmarks, so that the report can pair them:
#
#     BM_<Family>/<contender>/<size>          e.g. BM_Fill/ours/640x480
#
#   contender  "ours" (or "vantor"): this project's code
#              "ours_<part>": a part of our operation measured on its own (e.g. ours_rows),
#              reported on its own line, never counted as a peer
#              "ours_against_<peer>": ours and the peer run in turn in one benchmark, which
#              reports the peer's time in a counter "<peer>_ms" and ours over it in "x_<peer>"
#              "memset" or "memcpy": the limit, the plain memory operation on the same bytes
#              anything else ("sdl", "pixman", "sdl_blit", ...): a peer
#   size       free text without "/", e.g. 640x480, 19x19, 10x20-24x20
#
# Results are paired by family and size. Times are CPU time per iteration, except for
# benchmarks timed by the wall clock (names ending "/manual_time" or "/real_time", such as
# whole processes run from the benchmark): there the CPU time is only the parent's, so the
# real time is compared, and each peer program gets a line of its own. A ratio below 1
# against a peer means ours is faster. Extra arguments after the build directory go to
# every benchmark program (e.g. --benchmark_min_time=0.2); with --benchmark_repetitions=N
# each benchmark's median is reported.
set -eu

build=${1:?usage: sh bench/run.sh <build dir> [benchmark options]}
shift
results=$(mktemp -d)
trap 'rm -rf "$results"' EXIT

found=0
for program in "$build"/*_bench; do
    [ -x "$program" ] || continue
    found=1
    name=$(basename "$program")
    echo "== $name"
    "$program" --benchmark_out="$results/$name.json" --benchmark_out_format=json "$@"
done
[ "$found" = 1 ] || { echo "no *_bench programs in $build" >&2; exit 1; }

python3 - "$results"/*.json <<'REPORT'
import json, sys

SCALE = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}
OURS = {"ours", "vantor"}
LIMITS = {"memset", "memcpy"}
WALL_CLOCK = {"manual_time", "real_time"}

def is_ours(contender):
    return contender in OURS or contender.startswith("ours_")

rows = {}
medians = {}
processes = set()
pairs = {}  # (family, size, contender) of an "ours_against_<peer>" run: (peer, peer ns, ratio)
for path in sys.argv[1:]:
    with open(path) as f:
        text = f.read()
    # A program whose benchmarks a filter left out writes nothing.
    if text.strip():
        for bench in json.loads(text)["benchmarks"]:
            # With repetitions, the median of a benchmark's runs stands for it.
            aggregate = bench.get("run_type", "iteration") == "aggregate"
            if aggregate and bench.get("aggregate_name") != "median":
                continue
            parts = bench["run_name" if aggregate else "name"].split("/")
            wall_clock = parts[-1] in WALL_CLOCK
            if wall_clock:
                parts = parts[:-1]
            if len(parts) < 3:
                continue
            family, contender, size = parts[0], parts[1], "/".join(parts[2:])
            time = bench["real_time"] if wall_clock else bench["cpu_time"]
            ns = time * SCALE[bench.get("time_unit", "ns")]
            (medians if aggregate else rows).setdefault((family, size), {})[contender] = ns
            peer = contender[len("ours_against_"):] if contender.startswith("ours_against_") else ""
            if peer and f"x_{peer}" in bench and (aggregate or (family, size, contender) not in pairs):
                pairs[(family, size, contender)] = (peer, bench[f"{peer}_ms"] * 1e6, bench[f"x_{peer}"])
            if wall_clock:
                processes.add((family, size))
for key, times in medians.items():
    rows.setdefault(key, {}).update(times)

def show(ns):
    if ns >= 1e6:
        return f"{ns / 1e6:.2f}ms"
    return f"{ns / 1000:.2f}us" if ns >= 1000 else f"{ns:.0f}ns"

print()
print(f"{'operation':<44} {'ours':>10} {'limit':>18} {'x limit':>8} {'fastest peer':>22} {'x peer':>7}")
for (family, size), times in rows.items():
    limit = next(((c, times[c]) for c in LIMITS if c in times), None)
    peers = [(t, c) for c, t in times.items() if not is_ours(c) and c not in LIMITS]
    # A whole process is set beside every peer program; an operation beside the fastest.
    compared = (sorted(peers) if (family, size) in processes else [min(peers)]) if peers else [None]
    for contender in sorted((c for c in times if is_ours(c)), key=lambda c: c.startswith("ours_")):
        ours = times[contender]
        label = family + " " + size + ("" if contender in OURS else f" ({contender[5:]})")
        limit_text = f"{limit[0]} {show(limit[1])}" if limit else "-"
        limit_ratio = f"{ours / limit[1]:.2f}" if limit else "-"
        for peer in compared:
            peer_text = f"{peer[1]} {show(peer[0])}" if peer else "-"
            peer_ratio = f"{ours / peer[0]:.2f}" if peer else "-"
            if (family, size, contender) in pairs:
                name, peer_ns, ratio = pairs[(family, size, contender)]
                peer_text, peer_ratio = f"{name} {show(peer_ns)}", f"{ratio:.2f}"
            print(f"{label:<44} {show(ours):>10} {limit_text:>18} {limit_ratio:>8} {peer_text:>22} {peer_ratio:>7}")
REPORT
