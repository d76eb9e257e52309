#!/usr/bin/env bash
# One entry point for users and CI: installs what is missing from Debian's packages, builds,
# then runs the calculator, the tests, or the benchmarks.
#   ./build.sh run     build and start the calculator (from build/bin)
#   ./build.sh test    build and run every test headless
#   ./build.sh package build the Debian package into build/
#   ./build.sh check-package       build the package and check it as a distribution would
#                                  (lintian, appstreamcli, desktop-file-validate)
#   ./build.sh check-windows       cross-build the evaluator, vexa-batch and their tests for
#                                  Windows with MinGW-w64, without running them (build-windows/)
#   ./build.sh check-sanitize      every test again, built with ASan and UBSan (build-sanitize/)
#   ./build.sh fuzz [seconds]      fuzz the evaluator for that long, 60 s by default (build-fuzz/)
#   ./build.sh bench               build with the benchmarks and print their tables (README,
#                                  Performance); they are never tests
set -euo pipefail
cd "$(dirname "$0")"

BUILD_DIR=build
# apt's own output goes here; the terminal gets one line per step.
APT_LOG=build/apt.log
# What building and running need (the evaluator computes with FLINT's Arb, GMP and MPFR); the
# tests add theirs below: the window is tried in the Adwaita style too (adwaita-qt6), whose
# frames and marks are the largest, and on Wayland under a headless weston (weston,
# qt6-wayland).
packages=(g++ cmake ninja-build qt6-base-dev qt6-qpa-plugins libgl-dev fonts-dejavu-core xdg-utils
          libflint-arb-dev libflint-dev libmpfr-dev libgmp-dev)
test_packages=(libgtest-dev libgmock-dev libmuparser-dev qt6-base-private-dev adwaita-qt6 weston
    qt6-wayland)
# Building the package, and the tools that check it.
package_packages=(dpkg-dev file)
package_check_packages=(lintian appstream desktop-file-utils)
# The Windows cross-build: MinGW-w64, GoogleTest's source to build it for Windows, and what
# cross-building GMP, MPFR, FLINT and Arb from Debian's source packages takes.
windows_packages=(cmake ninja-build g++-mingw-w64-x86-64-posix googletest make m4 dpkg-dev)
# Where those libraries are kept between runs, outside the clone.
MINGW_CACHE="${XDG_CACHE_HOME:-$HOME/.cache}/tarnicle/mingw-w64"
# The sanitizer and fuzzing builds use clang and its runtimes.
sanitize_packages=(clang libclang-rt-14-dev)
# The benchmarks: Google Benchmark, muparser and Qalculate's library to compare with, and an X
# server for start-up.
bench_packages=(libbenchmark-dev libmuparser-dev libqalculate-dev xvfb x11-utils libxcb1-dev pkgconf)

# Prints the one command that installs the missing packages, for someone who can become root.
explain_install() {
    echo "Tarnicle needs these packages from Debian: $*" >&2
    echo "Install them as root (for example after 'su -'), then run this command again:" >&2
    echo "  apt-get install --no-install-recommends $*" >&2
}

apt_failed() {
    echo "$1 failed; apt's output is in $APT_LOG. Its last lines:" >&2
    tail -n 5 "$APT_LOG" >&2
    exit 1
}

install_missing() {
    local missing=()
    for p in "$@"; do
        if [ "$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null)" != installed ]; then
            missing+=("$p")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        # Without sudo, or without the right to use it, only root can install them.
        if ! command -v sudo >/dev/null || ! sudo -v; then
            explain_install "${missing[@]}"
            exit 1
        fi
        sudo=(sudo)
    fi
    mkdir -p "$(dirname "$APT_LOG")"
    : >"$APT_LOG"
    echo "Updating the package lists (apt's output: $APT_LOG)"
    "${sudo[@]}" apt-get update >>"$APT_LOG" 2>&1 || apt_failed "Updating the package lists"
    echo "Installing ${missing[*]}"
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -q --no-install-recommends "${missing[@]}" >>"$APT_LOG" 2>&1 ||
        apt_failed "Installing the packages"
}

configure_and_build() {
    cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@"
    cmake --build "$BUILD_DIR" --parallel 2
}

build_package() {
    configure_and_build -DTARNICLE_TESTS=OFF
    (cd "$BUILD_DIR" && cpack)
}

# What a distribution checks first: lintian on the package (any E: or W: fails; the I: tags
# that remain are explained in its overrides), then the software-centre data and the desktop
# entry as installed. The home page is not on line yet, so its addresses are not fetched.
check_package() {
    local deb tree
    deb=$(ls "$BUILD_DIR"/tarnicle_*.deb)
    tree="$BUILD_DIR/package-tree"
    rm -rf "$tree" && dpkg-deb -x "$deb" "$tree"
    if ! lintian --display-info --pedantic --fail-on error,warning "$deb"; then
        echo "lintian: errors or warnings (or lintian failed)" >&2
        exit 1
    fi
    echo "lintian: no errors or warnings"
    appstreamcli validate-tree --no-net "$tree"
    # It reports warnings without failing, so its output is read too.
    local entry_report
    entry_report=$(desktop-file-validate "$tree"/usr/share/applications/*.desktop 2>&1) || true
    [ -z "$entry_report" ] || echo "$entry_report"
    if grep -q 'error:\|warning:' <<<"$entry_report"; then
        echo "desktop-file-validate: errors or warnings" >&2
        exit 1
    fi
    echo "desktop-file-validate: no errors or warnings"
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
    install_missing "${packages[@]}" "${package_packages[@]}"
    build_package
    ;;
check-package)
    install_missing "${packages[@]}" "${package_packages[@]}" "${package_check_packages[@]}"
    build_package
    check_package
    ;;
check-windows)
    install_missing "${windows_packages[@]}"
    # The evaluator's part only: Debian has no Qt for Windows. muparser is missing too, so the
    # differential test is left out. The evaluator's libraries are built once into the cache.
    .ci/mingw-libraries.sh "$MINGW_CACHE"
    cmake -S . -B build-windows -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE=.ci/mingw-w64-x86_64.cmake -DTARNICLE_WINDOW=OFF \
        -DTARNICLE_MINGW_LIBRARIES="$MINGW_CACHE" \
        -DTARNICLE_GOOGLETEST_SOURCE=/usr/src/googletest
    cmake --build build-windows --parallel 2
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
    echo "usage: $0 run|test|package|check-package|check-windows|check-sanitize|fuzz [seconds]|bench" >&2
    exit 2
    ;;
esac
