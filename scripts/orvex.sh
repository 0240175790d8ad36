#!/usr/bin/env bash
# Set-up, build, run and test Orvex on Debian 12. Run as root (or with sudo rights for apt).
#   scripts/orvex.sh run         install what is missing, build, start the editor on the demo ROM
#   scripts/orvex.sh test        install what is missing, build, run every test
#   scripts/orvex.sh sanitize    the same tests, built with AddressSanitizer and UBSan
#   scripts/orvex.sh bench       build and run the benchmarks (Release)
set -euo pipefail

cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
packages=(cmake g++ make pkg-config qt6-base-dev libgl-dev libpng-dev nlohmann-json3-dev libgtest-dev libgmock-dev libbenchmark-dev)

install_missing() {
    local missing=()
    for package in "${packages[@]}" "$@"; do
        dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        local sudo=""
        [ "$(id -u)" -eq 0 ] || sudo="sudo"
        $sudo apt-get update -qq
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
    fi
}

build() {
    local dir=$1
    shift
    cmake -S . -B "$dir" "$@"
    cmake --build "$dir" -j "$jobs"
}

run_tests() {
    local dir=$1
    QT_QPA_PLATFORM=offscreen ctest --test-dir "$dir" --output-on-failure -j "$jobs"
}

case "${1:-}" in
    run)
        install_missing
        build build -DCMAKE_BUILD_TYPE=Release -DORVEX_BUILD_TESTS=OFF -DORVEX_BUILD_BENCHMARKS=OFF
        if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
            echo "No display found (DISPLAY is not set); the editor needs a desktop session." >&2
        fi
        exec ./build/src/app/orvex --demo
        ;;
    test)
        install_missing
        build build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVEX_WERROR=ON
        run_tests build
        ;;
    sanitize)
        install_missing
        build build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVEX_SANITIZE=ON -DORVEX_BUILD_BENCHMARKS=OFF
        export ASAN_OPTIONS="halt_on_error=1:abort_on_error=1:detect_leaks=1"
        export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
        export LSAN_OPTIONS="suppressions=$PWD/.ci/lsan.supp:print_suppressions=0"
        run_tests build-sanitize
        ;;
    bench)
        install_missing
        build build-release -DCMAKE_BUILD_TYPE=Release -DORVEX_BUILD_TESTS=OFF
        QT_QPA_PLATFORM=offscreen ./build-release/benchmarks/orvex_benchmarks "${@:2}"
        ;;
    *)
        echo "usage: $0 run|test|sanitize|bench" >&2
        exit 2
        ;;
esac
