#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS seconds on
# a copy of its seed corpus (the repository's corpus is never written to).
# Prints each target's execution count; exits non-zero when the build fails
# or a fuzzer finds a crash, leak, sanitizer report or time-out.
#
#   tests/fuzz/run.sh BUILD_DIR SECONDS
#
# A crashing input is left in BUILD_DIR/fuzz/<target>/artifacts/; replay it
# with BUILD_DIR/tests/fuzz/<target> FILE.
set -uo pipefail

if [ $# -ne 2 ]; then
    echo "usage: $0 BUILD_DIR SECONDS" >&2
    exit 2
fi
BUILD_DIR=$1
SECONDS_EACH=$2
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
FUZZ_SRC=$ROOT/tests/fuzz
TARGETS=(fuzz_value fuzz_response fuzz_request)
JOBS=$(nproc 2>/dev/null || echo 2)

CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DAXOCOMM_FUZZ=ON -DAXOCOMM_BUILD_TESTS=OFF -DAXOCOMM_BUILD_TOOLS=OFF -DAXOCOMM_BUILD_BENCH=OFF \
    || exit 1
cmake --build "$BUILD_DIR" -j "$JOBS" --target "${TARGETS[@]}" || exit 1

dictionaryOf() {
    case $1 in
        fuzz_value) cat "$FUZZ_SRC/xmlrpc.dict" ;;
        *) cat "$FUZZ_SRC/xmlrpc.dict" "$FUZZ_SRC/http.dict" ;;
    esac
}

status=0
for target in "${TARGETS[@]}"; do
    work=$BUILD_DIR/fuzz/$target
    rm -rf "$work"
    mkdir -p "$work/corpus" "$work/artifacts"
    cp "$FUZZ_SRC/corpus/$target/"* "$work/corpus/"
    dictionaryOf "$target" > "$work/dictionary"

    # Inputs up to 16 KiB: room for values nested past the depth limit.
    ASAN_OPTIONS=detect_leaks=1 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        "$BUILD_DIR/tests/fuzz/$target" "$work/corpus" \
        -max_total_time="$SECONDS_EACH" -print_final_stats=1 -max_len=16384 -timeout=10 -rss_limit_mb=2048 \
        -dict="$work/dictionary" -artifact_prefix="$work/artifacts/" > "$work/log" 2>&1
    rc=$?
    executions=$(grep -E '^stat::number_of_executed_units:' "$work/log" | tail -n 1 | awk '{print $2}')
    echo "$target: ${executions:-?} executions in ${SECONDS_EACH} s"
    if [ $rc -ne 0 ] || ls "$work/artifacts/"* > /dev/null 2>&1; then
        echo "$target: FAILED (exit $rc); log $work/log, inputs in $work/artifacts/" >&2
        grep -E -A 30 '^==[0-9]+==|runtime error|deadly signal|Test unit written' "$work/log" | head -n 60 >&2
        status=1
    fi
done
exit $status
