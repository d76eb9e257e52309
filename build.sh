#!/usr/bin/env bash
# One entry point for users and CI: installs what is missing from Debian's packages, builds,
# then runs the calculator, the tests, or the benchmarks.
#   ./build.sh run     build and start the calculator (from build/bin)
#   ./build.sh test    build and run every test headless
#   ./build.sh package build the Debian package into build/
#   ./build.sh check-sanitize      every test again, built with ASan and UBSan (build-sanitize/)
#   ./build.sh fuzz [seconds]      fuzz the evaluator for that long, 60 s by default (build-fuzz/)
#   ./build.sh bench               build with the benchmarks and print their tables (README,
#                                  Performance); they are never tests
set -euo pipefail
cd "$(dirname "$0")"

BUILD_DIR=build
# What building and running need; the tests add theirs below.
packages=(g++ cmake ninja-build qt6-base-dev qt6-qpa-plugins libgl-dev fonts-dejavu-core xdg-utils)
test_packages=(libgtest-dev libgmock-dev libmuparser-dev)
# The sanitizer and fuzzing builds use clang and its runtimes.
sanitize_packages=(clang libclang-rt-14-dev)
# The benchmarks: Google Benchmark, muparser to compare with, and an X server for start-up.
bench_packages=(libbenchmark-dev libmuparser-dev xvfb x11-utils libxcb1-dev pkgconf)

install_missing() {
    local missing=()
    for p in "$@"; do
        if [ "$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null)" != installed ]; then
            missing+=("$p")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
}

configure_and_build() {
    cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@"
    cmake --build "$BUILD_DIR" --parallel 2
}

case "${1:-}" in
run)
    install_missing "${packages[@]}"
    configure_and_build -DTARNICLE_TESTS=OFF
    # The help file is found as ../../Tarnicle.txt from the working directory.
    cd "$BUILD_DIR/bin" && exec ./tarnicle
    ;;
test)
    install_missing "${packages[@]}" "${test_packages[@]}"
    configure_and_build -DTARNICLE_TESTS=ON
    cd "$BUILD_DIR" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel 2
    ;;
check-sanitize)
    install_missing "${packages[@]}" "${test_packages[@]}" "${sanitize_packages[@]}"
    BUILD_DIR=build-sanitize
    configure_and_build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
        -DTARNICLE_SANITIZE=ON
    # Any report, a leak included, stops the test that made it and fails it.
    cd "$BUILD_DIR" &&
        ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 \
        UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel 2
    ;;
fuzz)
    seconds="${2:-60}"
    install_missing "${packages[@]}" "${test_packages[@]}" "${sanitize_packages[@]}"
    BUILD_DIR=build-fuzz
    cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER=clang++ -DTARNICLE_FUZZ=ON
    cmake --build "$BUILD_DIR" --parallel 2 --target vexa_fuzz
    # New inputs go to build-fuzz/corpus; the seeds in the repository are only read. A crash
    # or a failed check stops the run and leaves its input as build-fuzz/crash-*.
    mkdir -p "$BUILD_DIR/corpus"
    "$BUILD_DIR/bin/vexa_fuzz" -max_total_time="$seconds" -max_len=8192 -timeout=10 \
        -dict=tests/fuzz/vexa.dict -artifact_prefix="$BUILD_DIR/" -print_final_stats=1 \
        "$BUILD_DIR/corpus" tests/fuzz/corpus
    ;;
package)
    install_missing "${packages[@]}" dpkg-dev file
    configure_and_build -DTARNICLE_TESTS=OFF
    cd "$BUILD_DIR" && cpack
    ;;
bench)
    # Configuring also sets up the tests, so their packages are needed too.
    install_missing "${packages[@]}" "${test_packages[@]}" "${bench_packages[@]}"
    configure_and_build -DTARNICLE_TESTS=ON -DTARNICLE_BENCH=ON
    "$BUILD_DIR/bin/evaluator_bench"
    "$BUILD_DIR/bin/window_bench"
    bench/startup.sh "$BUILD_DIR"
    ;;
*)
    echo "usage: $0 run|test|check-sanitize|fuzz [seconds]|package|bench" >&2
    exit 2
    ;;
esac
