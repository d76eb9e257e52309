#!/usr/bin/env bash
# One entry point for users and CI: installs what is missing from Debian's packages, builds,
# then runs the calculator, the tests, or the benchmarks.
#   ./build.sh run     build and start the calculator (from build/bin)
#   ./build.sh test    build and run every test headless
#   ./build.sh package build the Debian package into build/
set -euo pipefail
cd "$(dirname "$0")"

BUILD_DIR=build
# What building and running need; the tests add theirs below.
packages=(g++ cmake ninja-build qt6-base-dev qt6-qpa-plugins libgl-dev fonts-dejavu-core xdg-utils)
test_packages=(libgtest-dev libgmock-dev)

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
    configure_and_build
    # The help file is found as ../../Tarnicle.txt from the working directory.
    cd "$BUILD_DIR/bin" && exec ./tarnicle
    ;;
test)
    install_missing "${packages[@]}" "${test_packages[@]}"
    configure_and_build
    cd "$BUILD_DIR" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel 2
    ;;
package)
    install_missing "${packages[@]}" dpkg-dev file
    configure_and_build
    cd "$BUILD_DIR" && cpack
    ;;
*)
    echo "usage: $0 run|test|package" >&2
    exit 2
    ;;
esac
