#!/bin/sh
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each for
# the given number of inputs (default a million), starting from a copy of its
# saved corpus. New inputs stay in build-fuzz/corpus/; a failing input is
# written to build-fuzz/ and ends the run with an error. Names after the
# number pick targets (default all; storefile runs about 240 inputs a second).
#   fuzz/run.sh [runs [formatbypattern|numbers|storefile|picture ...]]
set -eu
cd "$(dirname "$0")/.."
runs=${1:-1000000}
[ $# -gt 0 ] && shift
targets=${*:-formatbypattern numbers storefile picture}

scripts/install-packages clang libclang-rt-14-dev cmake make qt6-base-dev libgl-dev
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
      -DZDRAVINKY_FUZZ=ON -DBUILD_TESTING=OFF
cmake --build build-fuzz -j"$(nproc)" --target $(printf 'fuzz_%s ' $targets)

cd build-fuzz
for target in $targets; do
    mkdir -p corpus/$target
    cp -n ../fuzz/corpus/$target/* corpus/$target/
    max_len=512
    if [ "$target" = picture ]; then # from the tests' pictures, a few KiB each
        cp -n ../tests/data/*.jpg ../tests/data/*.png ../tests/data/*.gif ../tests/data/*.bmp ../tests/data/encoders/*.* corpus/$target/
        rm -f corpus/$target/make.sh
        max_len=8192
    fi
    echo "== $target"
    LC_ALL=C.UTF-8 ASAN_OPTIONS=detect_leaks=0 ./fuzz/fuzz_$target -runs="$runs" -max_len=$max_len \
        -print_final_stats=1 -artifact_prefix="$(pwd)/$target-" corpus/$target 2>&1 |
        grep -E '^(stat::number_of_executed_units|stat::average_exec_per_sec|SUMMARY|==[0-9]+==)' || true
    ls "$target"-crash-* "$target"-leak-* "$target"-timeout-* 2>/dev/null && exit 1
done
echo "fuzz targets clean: $targets"
