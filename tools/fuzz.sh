#!/usr/bin/env bash
# Builds the fuzzers with clang (ASan + UBSan) into build-fuzz/ and runs each
# for the given number of seconds (default 60), from the checked-in seeds.
# Fails on any crash or broken invariant. Usage: tools/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/ensure_packages.sh
ensure_packages clang libclang-rt-14-dev cmake ninja-build libcli11-dev libfast-float-dev

seconds="${1:-60}"
shift || true
targets=("$@")
[ "${#targets[@]}" -eq 0 ] && targets=(base value_rules commands fast_paths utf8)

CXX=clang++ CC=clang cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZOLM_FUZZ=ON -DZOLM_QT=OFF -DZOLM_BENCH=OFF -DZOLM_TESTS=OFF -DZOLM_WERROR=ON
cmake --build build-fuzz

for target in "${targets[@]}"; do
  corpus="build-fuzz/corpus-$target"
  mkdir -p "$corpus"
  echo "fuzz-$target: ${seconds}s"
  log="build-fuzz/fuzz-$target.log"
  status=0
  build-fuzz/fuzz-"$target" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
    -rss_limit_mb=4096 -dict=fuzz/zolm.dict -print_final_stats=1 \
    -artifact_prefix=build-fuzz/crash-"$target"- "$corpus" fuzz/seeds/"$target" >"$log" 2>&1 ||
    status=$?
  grep -E "^(#[0-9]+ +DONE|stat::(number_of_executed_units|average_exec_per_sec)|==[0-9]+==|invariant|SUMMARY)" "$log" || true
  if [ "$status" -ne 0 ]; then
    tail -40 "$log"
    echo "fuzz-$target failed (exit $status); the input is in build-fuzz/crash-$target-*"
    exit 1
  fi
done
