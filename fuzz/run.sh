#!/bin/sh
# Runs each named fuzz target for a bounded time: run.sh BUILD_DIR SECONDS TARGET...
# New inputs go to BUILD_DIR/corpus/TARGET (the seeds in fuzz/corpus/TARGET are read, never
# written); a finding (sanitizer report, crash, an input running over 5 s or over 2 GB) is
# written to BUILD_DIR/findings and fails the run.
set -u
build=$1
seconds=$2
shift 2
passed=0
failed=0
for target in "$@"; do
    corpus=$build/corpus/$target
    mkdir -p "$corpus" "$build/findings"
    # A real face to start from; kept out of the repository for its size.
    if [ "$target" = font_files ]; then cp -n /usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf "$corpus/" 2>/dev/null; fi
    log=$build/fuzz-$target.log
    echo "== $target, $seconds s (log: $log)"
    if "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 \
        -artifact_prefix="$build/findings/$target-" "$corpus" "fuzz/corpus/$target" >"$log" 2>&1; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "finding in $target:"
        tail -n 60 "$log"
    fi
    grep -E '^(#[0-9]+\s+DONE|Done )' "$log" | tail -n 2
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
