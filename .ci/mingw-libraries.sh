#!/usr/bin/env bash
# Cross-builds static GMP, MPFR, FLINT and Arb for 64-bit Windows (MinGW-w64) from Debian's own
# source packages, into a cache folder outside the clone. Debian ships no MinGW build of them.
#   .ci/mingw-libraries.sh CACHE_DIR
# Each library leaves a stamp in CACHE_DIR/stamps once installed, so a second run costs
# nothing; the compilers' output goes to CACHE_DIR/build.log. About ten minutes on two cores.
# The sources come through a private apt configuration in CACHE_DIR/apt: the machine's own apt
# sources are not changed and root is not needed.
set -euo pipefail

[ $# -eq 1 ] || { echo "usage: $0 CACHE_DIR" >&2; exit 2; }
mkdir -p "$1"
cache=$(cd "$1" && pwd)
log="$cache/build.log"
host=x86_64-w64-mingw32
jobs=$(nproc)
# FLINT's and Arb's own flags for MinGW, without debugging information.
flint_cflags="-std=c99 -O2 -funroll-loops"

step() { echo "mingw libraries: $*"; }
fail() {
    echo "mingw libraries: $* failed; its output is in $log. Its last lines:" >&2
    tail -n 5 "$log" >&2
    exit 1
}
run() {
    echo "+ $*" >>"$log"
    "$@" >>"$log" 2>&1 || fail "$*"
}

mkdir -p "$cache/stamps"
# One build per cache at a time; a second run waits, then finds the stamps.
exec 9>"$cache/.lock"
flock 9
if [ -f "$cache/stamps/arb" ]; then
    exit 0
fi

# apt's lists and downloads for the source packages, apart from the machine's.
apt_options=(-o Dir::Etc::sourcelist="$cache/apt/sources.list" -o Dir::Etc::sourceparts=/dev/null
             -o Dir::State::Lists="$cache/apt/lists" -o Dir::Cache="$cache/apt/cache")
fetch() {
    if [ ! -d "$cache/apt/lists" ]; then
        mkdir -p "$cache/apt/lists/partial" "$cache/apt/cache/archives/partial"
        echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg]" \
            "http://deb.debian.org/debian bookworm main" >"$cache/apt/sources.list"
        step "reading Debian's source package lists"
        run apt-get "${apt_options[@]}" update
    fi
    step "fetching the source of $1"
    (cd "$sources" && run apt-get "${apt_options[@]}" source "$1")
}

# Runs the build function for a library in its unpacked source, unless its stamp exists.
build() {
    local library=$1 package=$2 started
    if [ -f "$cache/stamps/$library" ]; then
        return 0
    fi
    fetch "$package"
    started=$(date +%s)
    step "building $library"
    (cd "$(ls -d "$sources/$package"-[0-9]*/ | head -n 1)" && "build_$library")
    touch "$cache/stamps/$library"
    step "$library built in $(($(date +%s) - started)) s"
}

build_gmp() {
    # Debian's source has no doc/; its patch takes doc/ out of configure.ac and Makefile.am
    # only, and the generated files need the same.
    sed -i 's| doc/Makefile||' configure
    sed -i 's|^\(SUBDIRS = .*\) doc$|\1|' Makefile.in
    run ./configure --build="$(gcc -dumpmachine)" --host="$host" --prefix="$cache" \
        --disable-shared --enable-static --disable-cxx CC="$host-gcc-posix" CC_FOR_BUILD=gcc
    run make -j"$jobs"
    run make install
}

build_mpfr() {
    # configure cannot try thread-local storage when cross-compiling; MinGW's GCC has it.
    run ./configure --build="$(gcc -dumpmachine)" --host="$host" --prefix="$cache" \
        --disable-shared --enable-static --with-gmp="$cache" --enable-thread-safe \
        CC="$host-gcc-posix"
    run make -C src -j"$jobs"
    run make -C src install
}

# FLINT's and Arb's configure know MinGW by this build name, and look for the endianness
# test program without the .exe that MinGW gives it.
configure_flint_style() {
    sed -i 's|\(grep -q [A-Za-z]* build/test-endian\) |\1$EXEEXT |' configure
    run ./configure --build=x86_64-MINGW64 --prefix="$cache" --disable-shared --enable-static \
        --with-gmp="$cache" --with-mpfr="$cache" "$@" CC="$host-gcc-posix" \
        CXX="$host-g++-posix" AR="$host-ar" CFLAGS="$flint_cflags"
}

build_flint() {
    configure_flint_style --disable-dependency-tracking
    # A static library: no DLL import or export marks. Thread-local storage as a native build
    # finds it (configure cannot run its test program when cross-compiling).
    sed -i -e '/^#ifdef FLINT_USE_DLL$/,/^#endif$/c\#define FLINT_DLL' \
        -e 's|^#define FLINT_USES_TLS 0|#define FLINT_USES_TLS 1|' flint-config.h
    run make -j"$jobs" library
    run make install
}

build_arb() {
    configure_flint_style --with-flint="$cache"
    # The library's name as Debian's own package has it.
    sed -i -e 's/libarb/libflint-arb/g' -e 's/-larb/-lflint-arb/g' Makefile
    run make -j"$jobs" library
    run make install
}

sources=$(mktemp -d)
trap 'rm -rf "$sources"' EXIT
: >"$log"
build gmp gmp
build mpfr mpfr4
build flint flint
build arb flint-arb
