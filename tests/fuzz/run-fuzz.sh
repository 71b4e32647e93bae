#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer in a build folder of their
# own and runs each for a bounded time. Exits 77 (skipped) without clang.
#   run-fuzz.sh SOURCE_DIR BUILD_DIR [SECONDS]
set -euo pipefail
source_dir=$1
build_dir=$2
seconds=${3:-20}
clangxx=$(command -v clang++ || command -v clang++-14 || true)
clangc=$(command -v clang || command -v clang-14 || true)
if [ -z "$clangxx" ] || [ -z "$clangc" ]; then
    echo "clang is not installed: fuzzing skipped"
    exit 77
fi
# libFuzzer's runtime comes with clang's compiler runtime.
if ! echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' |
        "$clangxx" -x c++ -fsanitize=fuzzer - -o /dev/null 2>/dev/null; then
    echo "clang has no libFuzzer runtime: fuzzing skipped"
    exit 77
fi
cmake -S "$source_dir" -B "$build_dir" -DCMAKE_C_COMPILER="$clangc" -DCMAKE_CXX_COMPILER="$clangxx" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTREVAK_FUZZ=ON -DTREVAK_CORE_ONLY=ON -DTREVAK_BUILD_TESTS=OFF \
    -DTREVAK_BUILD_BENCH=OFF > "$build_dir.log" 2>&1 || { cat "$build_dir.log"; exit 1; }
cmake --build "$build_dir" -j2 --target trevak-fuzz-workbook trevak-fuzz-textlist >> "$build_dir.log" 2>&1 ||
    { tail -50 "$build_dir.log"; exit 1; }
corpus="$build_dir/corpus"
mkdir -p "$corpus/workbook" "$corpus/textlist"
# Seeds: the test data of the project.
cp "$source_dir"/tests/data/automation/*.xls "$corpus/workbook/" 2>/dev/null || true
printf 'Type_1\t2995\t15\t\xb6\xa9\xb5\xa51\r\nType_1 6000 \xb2\xbb\xcf\xde \xd3\xc5\xcf\xc8\n' > "$corpus/textlist/seed.txt"
export LSAN_OPTIONS="suppressions=$source_dir/tests/fuzz/lsan.supp:print_suppressions=0"
for target in workbook textlist; do
    echo "fuzzing the $target reader for $seconds s"
    "$build_dir/bin/trevak-fuzz-$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
        -artifact_prefix="$build_dir/" -print_final_stats=1 "$corpus/$target" 2>&1 | tail -15
done
