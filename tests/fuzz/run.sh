#!/usr/bin/env bash
# Runs each fuzz target for a while, seeded with the test fixtures; fails on any finding.
# usage: run.sh FUZZ_BUILD_DIR SECONDS_PER_TARGET
set -u
if [ $# -ne 2 ]; then
    echo "usage: $0 FUZZ_BUILD_DIR SECONDS_PER_TARGET" >&2
    exit 2
fi
build=$(cd "$1" && pwd) || { echo "run.sh: no build folder $1" >&2; exit 2; }
seconds=$2
fixtures=$(cd "$(dirname "$0")/../fixtures" && pwd)
work=$(mktemp -d /tmp/fuzz-run.XXXXXX)
trap 'rm -rf "$work"' EXIT

stamp=$(date +%Y%m%d-%H%M%S)
status=0
for target in fuzz_png fuzz_3ds; do
    if [ ! -x "$build/$target" ]; then
        echo "run.sh: $build/$target is missing (configure with -DSHOW_FUZZ=ON and build it)" >&2
        exit 2
    fi
    corpus=$work/$target
    mkdir -p "$corpus"
    case $target in
        fuzz_png) cp "$fixtures"/pngsuite/*.png "$corpus"/ ;;
        fuzz_3ds) cp "$fixtures"/3ds/*.3[dD][sS] "$corpus"/ ;;
    esac
    # Findings are kept beside the build so that they outlive this run.
    artifacts=$build/fuzz-artifacts/$stamp/$target
    mkdir -p "$artifacts"
    log=$build/fuzz-artifacts/$stamp/$target.log
    "$build/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$artifacts/" "$corpus" >"$log" 2>&1
    rc=$?
    runs=$(grep -o 'Done [0-9]* runs' "$log" | tail -1)
    findings=$(find "$artifacts" -type f | wc -l)
    echo "$target: exit $rc, ${runs:-no summary}, $findings finding(s) in $artifacts (log $log)"
    if [ $rc -ne 0 ] || [ "$findings" -ne 0 ]; then status=1; fi
done
exit $status
