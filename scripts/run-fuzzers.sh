#!/usr/bin/env bash
# Runs every fuzzer for a bounded time from the seeds kept in fuzz/corpus, and prints how many
# inputs each tried. New inputs go to the build folder's corpus, crashes to its artifacts folder.
# Usage: run-fuzzers.sh BUILD-FOLDER SECONDS-EACH
set -euo pipefail

build=$1
seconds=$2
seeds=$(cd "$(dirname "$0")/../fuzz/corpus" && pwd)
failed=0
printf '%-24s %12s %8s  %s\n' fuzzer executions seconds result
for fuzzer in settings_fuzzer number_rule_fuzzer reply_fuzzer command_parser_fuzzer; do
    corpus="$build/corpus/$fuzzer"
    artifacts="$build/artifacts/$fuzzer"
    mkdir -p "$corpus" "$artifacts"
    log="$build/$fuzzer.log"
    result=pass
    # One process, so a crash stops the run and leaves its input in the artifacts folder.
    if ! "$build/fuzz/$fuzzer" -max_total_time="$seconds" -max_len=8192 -print_final_stats=1 \
        -artifact_prefix="$artifacts/" "$corpus" "$seeds/$fuzzer" >"$log" 2>&1; then
        result="CRASH: $(ls "$artifacts" | head -n 1) (see $log)"
        failed=1
    fi
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    printf '%-24s %12s %8s  %s\n' "$fuzzer" "${executions:-?}" "$seconds" "$result"
done
exit "$failed"
