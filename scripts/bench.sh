#!/usr/bin/env bash
# Builds what the benchmarks need and runs them all, printing each figure beside its baseline
# from the same run (docs/PERFORMANCE.md explains them):
#   1. the core natively with Google Benchmark (Release, no sanitizers), against the fakes;
#   2. Mirelka.exe's size and imports (MinGW-w64 Release: static, stripped);
#   3. the real Mirelka.exe under Wine in a throw-away session, measured from outside.
# Exits non-zero when a step fails; a target missed is reported, not a failure.
#
#   MIRELKA_BENCH_RUNS=N          counted runs of each Wine measurement (default 15)
#   MIRELKA_BENCH_NATIVE_DIR=DIR  native build folder (default build/bench-native)
#   MIRELKA_BENCH_MINGW_DIR=DIR   MinGW-w64 build folder (default build/bench-mingw)
#   MIRELKA_BENCH_ONLY=core|wine  one half only
#   arguments                     passed to the core benchmark (e.g. --benchmark_filter=Tray)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

started="${SECONDS}"
jobs="$(nproc 2>/dev/null || echo 2)"
runs="${MIRELKA_BENCH_RUNS:-15}"
native="${MIRELKA_BENCH_NATIVE_DIR:-build/bench-native}"
mingw="${MIRELKA_BENCH_MINGW_DIR:-build/bench-mingw}"
only="${MIRELKA_BENCH_ONLY:-}"

section() {
    echo
    echo "==> $*"
}

section "dependencies"
bash scripts/install-deps.sh
# Google Benchmark is needed here only.
if ! dpkg-query -W -f='${Status}' libbenchmark-dev 2>/dev/null | grep -q "install ok installed"; then
    SUDO=""
    if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq --no-install-recommends libbenchmark-dev >/dev/null
fi

section "machine"
echo "date:    $(date -u '+%Y-%m-%d %H:%M UTC')"
echo "cores:   ${jobs}; $(grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //')"
echo "load:    $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 min) at the start"
echo "tools:   $(g++ --version | head -n1); $(x86_64-w64-mingw32-g++-posix --version | head -n1);" \
    "$(wine --version 2>/dev/null); libbenchmark $(dpkg-query -W -f='${Version}' libbenchmark-dev)"

if [ "${only}" != wine ]; then
    section "core: build (native, Release, no sanitizers) in ${native}"
    cmake -S . -B "${native}" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMIRELKA_TESTS=OFF \
        -DMIRELKA_SANITIZE=OFF -DMIRELKA_BENCH=ON >/dev/null
    cmake --build "${native}" --parallel "${jobs}" --target mirelka_core_bench

    section "core: Google Benchmark, 10 repetitions interleaved at random, medians"
    "${native}/bench/mirelka_core_bench" "$@"
fi

if [ "${only}" != core ]; then
    section "Mirelka.exe: build (MinGW-w64, Release, static, stripped) in ${mingw}"
    toolchain=()
    # Given again to a configured folder, CMake warns that it went unused.
    if [ ! -f "${mingw}/CMakeCache.txt" ]; then
        toolchain=(--toolchain cmake/mingw-w64-x86_64.cmake)
    fi
    cmake -S . -B "${mingw}" -G Ninja "${toolchain[@]}" \
        -DCMAKE_BUILD_TYPE=Release -DMIRELKA_TESTS=OFF -DMIRELKA_BENCH=ON >/dev/null
    cmake --build "${mingw}" --parallel "${jobs}" --target Mirelka mirelka_wine_bench

    section "Mirelka.exe: size and imports"
    exe="${mingw}/src/win32/Mirelka.exe"
    size="$(stat -c %s "${exe}")"
    limit=$((1024 * 1024))
    verdict="met"
    if [ "${size}" -gt "${limit}" ]; then verdict="NOT MET"; fi
    echo "  size ${size} bytes ($((size / 1024)) KiB), $((size * 100 / limit))% of 1 MiB:" \
        "target <= 1 MiB: ${verdict}"
    x86_64-w64-mingw32-objdump -p "${exe}" | grep 'DLL Name' | sed 's/^\s*/  /'
    # Every DLL a Windows installation has; anything else would have to be shipped.
    system_dlls='^(kernel32|user32|gdi32|shell32|ole32|oleaut32|comctl32|comdlg32|advapi32|msvcrt|shlwapi|uxtheme)\.dll$'
    foreign="$(x86_64-w64-mingw32-objdump -p "${exe}" | sed -n 's/.*DLL Name: //p' |
        tr '[:upper:]' '[:lower:]' | grep -Ev "${system_dlls}" || true)"
    if [ -n "${foreign}" ]; then
        echo "  imports beyond the system's: ${foreign}: target NOT MET"
    else
        echo "  only system DLLs: target met"
    fi

    section "Wine: session (Xvfb, throw-away prefix, wineserver)"
    export MIRELKA_HEADLESS=1
    # shellcheck source=scripts/wine-env.sh
    source scripts/wine-env.sh
    echo "  ready"

    section "Wine: ${runs} counted runs of each measurement"
    windows_path() {
        local path
        path="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
        # Wine's Z: drive is the Linux root.
        printf 'Z:%s' "${path//\//\\}"
    }
    bench="${mingw}/bench"
    bash scripts/wine-exec.sh "${bench}/WineBench.exe" \
        --mirelka="$(windows_path "${exe}")" \
        --minimal="$(windows_path "${bench}/MinimalDialog.exe")" \
        --controls="$(windows_path "${bench}/MinimalControls.exe")" \
        --template="$(windows_path "${bench}/MinimalTemplate.exe")" \
        --services="$(windows_path "${bench}/MinimalServices.exe")" \
        --probe="$(windows_path "${bench}/StampProbe.exe")" \
        --menu-baseline="$(windows_path "${bench}/MenuBaseline.exe")" \
        --runs="${runs}"
fi

section "done in $((SECONDS - started)) s; load $(cut -d' ' -f1-3 /proc/loadavg) at the end"
