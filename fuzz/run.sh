#!/bin/sh
# Fuzzes the server file reader and writer for $1 seconds (default 60). Inputs that crash go to
# fuzz/regressions/, and every one found so far is replayed before new fuzzing starts.
set -eu
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target server_file_fuzz
fuzzer=build/fuzz/fuzz/server_file_fuzz

mkdir -p fuzz/regressions
regressions=$(find fuzz/regressions -type f ! -name '.*' | sort)
if [ -n "$regressions" ]; then
    echo "replaying $(echo "$regressions" | wc -l) regression input(s)"
    # shellcheck disable=SC2086
    "$fuzzer" $regressions
fi

corpus=build/fuzz/corpus
mkdir -p "$corpus"
cp fuzz/corpus/* "$corpus"/
"$fuzzer" -max_total_time="$seconds" -max_len=4096 -artifact_prefix=fuzz/regressions/ "$corpus"
